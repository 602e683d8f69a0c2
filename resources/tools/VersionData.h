// Reads resources/pivora-version.txt, the one source of the version resource.
// Header-only so that the tests read the committed file with the same rules as
// the build does.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pivora::resources {

struct VersionData {
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::uint32_t fileFlagsMask = 0;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOs = 0;
    std::uint32_t fileType = 0;
    std::uint32_t fileSubtype = 0;
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    // In the order written; names are unique.
    std::vector<std::pair<std::string, std::string>> strings;
};

namespace detail {

inline std::optional<std::uint32_t> ParseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// "1.0.0.2": four parts, each 16 bits.
inline std::optional<std::array<std::uint16_t, 4>> ParseVersion(std::string_view text) {
    std::array<std::uint16_t, 4> parts{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t dot = text.find('.');
        const bool last = i + 1 == parts.size();
        if (last != (dot == std::string_view::npos)) return std::nullopt;
        const auto n = ParseNumber(last ? text : text.substr(0, dot));
        if (!n || *n > 0xFFFF) return std::nullopt;
        parts[i] = static_cast<std::uint16_t>(*n);
        if (!last) text.remove_prefix(dot + 1);
    }
    return parts;
}

// The whole text must be UTF-8, since it is turned into UTF-16 for the block.
inline bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n;
        std::uint32_t cp;
        if (b < 0x80) { ++i; continue; }
        if (b >= 0xC2 && b <= 0xDF) { n = 1; cp = b & 0x1Fu; }
        else if (b >= 0xE0 && b <= 0xEF) { n = 2; cp = b & 0x0Fu; }
        else if (b >= 0xF0 && b <= 0xF4) { n = 3; cp = b & 0x07u; }
        else return false;
        if (s.size() - i <= n) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

}  // namespace detail

// Every fixed field must be given exactly once; an error names the line.
inline std::optional<VersionData> ParseVersionData(std::string_view text, std::string* error) {
    auto fail = [&](int line, const std::string& what) -> std::optional<VersionData> {
        if (error) *error = "line " + std::to_string(line) + ": " + what;
        return std::nullopt;
    };
    if (!detail::IsUtf8(text)) return fail(0, "not UTF-8");
    // CMake reads the same file as a list of lines, which these would split or join.
    if (text.find_first_of(";[]") != std::string_view::npos) return fail(0, "a semicolon or a square bracket");
    VersionData data;
    constexpr std::string_view kStringPrefix = "String.";
    std::vector<std::string> seen;
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0) return fail(lineNo, "expected Name=Value");
        const std::string name(line.substr(0, eq));
        const std::string_view value = line.substr(eq + 1);
        for (const std::string& s : seen)
            if (s == name) return fail(lineNo, name + " given twice");
        seen.push_back(name);

        if (name.compare(0, kStringPrefix.size(), kStringPrefix) == 0) {
            const std::string key = name.substr(kStringPrefix.size());
            if (key.empty()) return fail(lineNo, "empty string name");
            if (key.find_first_of("\\\"") != std::string::npos) return fail(lineNo, "bad string name");
            data.strings.emplace_back(key, std::string(value));
            continue;
        }
        if (name == "FILEVERSION" || name == "PRODUCTVERSION") {
            const auto v = detail::ParseVersion(value);
            if (!v) return fail(lineNo, "expected a version a.b.c.d");
            (name == "FILEVERSION" ? data.fileVersion : data.productVersion) = *v;
            continue;
        }
        std::uint32_t* field = name == "FILEFLAGSMASK" ? &data.fileFlagsMask
                               : name == "FILEFLAGS"   ? &data.fileFlags
                               : name == "FILEOS"      ? &data.fileOs
                               : name == "FILETYPE"    ? &data.fileType
                               : name == "FILESUBTYPE" ? &data.fileSubtype
                                                       : nullptr;
        const bool narrow = name == "LANGUAGE" || name == "CODEPAGE";
        if (!field && !narrow) return fail(lineNo, "unknown name " + name);
        const auto n = detail::ParseNumber(value);
        if (!n) return fail(lineNo, "expected a number");
        if (field) {
            *field = *n;
        } else {
            if (*n > 0xFFFF) return fail(lineNo, name + " is 16 bits");
            (name == "LANGUAGE" ? data.language : data.codePage) = static_cast<std::uint16_t>(*n);
        }
    }
    for (const char* required : {"FILEVERSION", "PRODUCTVERSION", "FILEFLAGSMASK", "FILEFLAGS", "FILEOS",
                                 "FILETYPE", "FILESUBTYPE", "LANGUAGE", "CODEPAGE"}) {
        bool found = false;
        for (const std::string& s : seen) found = found || s == required;
        if (!found) return fail(lineNo, std::string(required) + " missing");
    }
    return data;
}

}  // namespace pivora::resources
