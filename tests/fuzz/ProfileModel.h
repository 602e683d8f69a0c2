// The profile-file reading rules written out plainly, line by line, as a
// second opinion for the fuzz target of the real reader, which a write and
// the read that follows it could otherwise get wrong in the same way:
//  - a line ends at CR LF, LF or a lone CR; a UTF-8 byte-order mark before
//    the first line is not part of it;
//  - a line is trimmed of blanks and tabs; one starting with ';' is a comment,
//    one starting with '[' a section header whose name runs to the first ']'
//    (or to the end), trimmed; a line with '=' is a key (the name before the
//    first '=', trimmed) in the section above it;
//  - names match without regard to ASCII letter case, and only the first
//    section of a name counts, and within it the first key of a name;
//  - the value is trimmed, and loses one pair of enclosing quotes ('"' or
//    '\'') when it is at least two characters long.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pivora::fuzz {

namespace profile_model {

inline std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

inline bool SameName(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

}  // namespace profile_model

inline std::optional<std::string> ModelRead(std::string_view text, std::string_view section, std::string_view key) {
    using namespace profile_model;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    enum { Before, Inside, After } state = Before;
    while (!text.empty() && state != After) {
        std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = Trim(text.substr(0, end));
        if (end == std::string_view::npos) end = text.size();
        else if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        text.remove_prefix(std::min(end + 1, text.size()));

        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::string_view name = Trim(line.substr(1, line.find(']') - 1));
            if (state == Inside) state = After;
            else if (SameName(name, section)) state = Inside;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (state != Inside || eq == std::string_view::npos || !SameName(Trim(line.substr(0, eq)), key)) continue;
        std::string_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

}  // namespace pivora::fuzz
