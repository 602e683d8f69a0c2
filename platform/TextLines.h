// Line-by-line reading of text files, shared by the project reader and the history.
#pragma once

#include <string_view>

namespace pivora {

// Calls `onLine` for each line of `text` without its line end, until it returns
// false. A line ends at CR LF, LF or a lone CR; a last line without an end is a
// line like any other; a text that ends with a line end has no empty line after it.
template <class F>
void ForEachLine(std::string_view text, F&& onLine) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (!onLine(text.substr(start, end - start))) return;
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

}  // namespace pivora
