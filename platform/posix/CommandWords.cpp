#include "platform/posix/CommandWords.h"

namespace pivora {

std::vector<std::string> SplitCommandWords(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (quote) {
            if (c == quote) quote = 0;
            else if (c == '\\' && quote == '"' && i + 1 < command.size() &&
                     (command[i + 1] == '"' || command[i + 1] == '\\'))
                word += command[++i];
            else word += c;
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == '"' || c == '\'') quote = c;
            else if (c == '\\' && i + 1 < command.size()) word += command[++i];
            else word += c;
        }
    }
    // An unclosed quote runs to the end of the text, as far as it went.
    if (inWord) words.push_back(std::move(word));
    return words;
}

}  // namespace pivora
