// Line-by-line reading of text files, shared by the project reader and the history.
#pragma once

#include <cstring>
#include <string_view>

namespace pivora {

// Calls `onLine` for each line of `text` without its line end, until it returns
// false. A line ends at CR LF, LF or a lone CR; a last line without an end is a
// line like any other; a text that ends with a line end has no empty line after it.
template <class F>
void ForEachLine(std::string_view text, F&& onLine) {
    std::size_t start = 0;
    const std::size_t size = text.size();
    while (start < size) {
        // Two memchr scans: find_first_of would call memchr once per byte of the text.
        const char* base = text.data();
        const void* lf = std::memchr(base + start, '\n', size - start);
        std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : size;
        if (const void* cr = std::memchr(base + start, '\r', end - start))
            end = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
        if (!onLine(text.substr(start, end - start))) return;
        if (end < size && text[end] == '\r' && end + 1 < size && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

}  // namespace pivora
