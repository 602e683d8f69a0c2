#include "platform/formats/RegFile.h"

#include <vector>

namespace pivora {

namespace {

// Registry value types whose data is text.
constexpr unsigned kRegSz = 1, kRegExpandSz = 2;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Windows strings are UTF-16; a surrogate without its partner becomes U+FFFD.
std::string Utf8FromUtf16(const std::u16string& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// One character of raw UTF-8 at `pos` (Wine writes only ASCII, but a file
// edited by hand may hold more); an invalid byte stands for U+FFFD.
char32_t DecodeUtf8(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos++]);
    int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (lead >= 0xF5) extra = -1;
    if (extra < 0 || pos + static_cast<std::size_t>(extra) > s.size()) return 0xFFFD;
    char32_t c = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        const auto next = static_cast<unsigned char>(s[pos + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (next & 0x3F);
    }
    pos += static_cast<std::size_t>(extra);
    return c;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The escaped text from `pos` up to the unescaped `end` character, which is
// passed over. Wine writes a backslash and its own delimiters with a
// backslash before them, other control characters as C escapes or octal,
// and every character beyond ASCII as \x and up to four hexadecimal digits
// of its UTF-16 unit. Nothing when the text ends before `end`.
std::optional<std::u16string> Unescape(std::string_view s, std::size_t& pos, char end) {
    std::u16string out;
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == end) {
            ++pos;
            return out;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            AppendUtf16(out, DecodeUtf8(s, pos));
            continue;
        }
        ++pos;
        if (c != '\\') {
            out += static_cast<char16_t>(c);
            continue;
        }
        if (pos >= s.size()) break;
        const char e = s[pos++];
        switch (e) {
            case 'a': out += u'\a'; break;
            case 'b': out += u'\b'; break;
            case 'e': out += char16_t{27}; break;
            case 'f': out += u'\f'; break;
            case 'n': out += u'\n'; break;
            case 'r': out += u'\r'; break;
            case 't': out += u'\t'; break;
            case 'v': out += u'\v'; break;
            case 'x': {
                unsigned value = 0;
                int digits = 0;
                for (; digits < 4 && pos < s.size() && HexDigit(s[pos]) >= 0; ++digits)
                    value = value * 16 + static_cast<unsigned>(HexDigit(s[pos++]));
                out += digits ? static_cast<char16_t>(value) : u'x';
                break;
            }
            case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
                unsigned value = static_cast<unsigned>(e - '0');
                for (int digits = 1; digits < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++digits)
                    value = value * 8 + static_cast<unsigned>(s[pos++] - '0');
                out += static_cast<char16_t>(value);
                break;
            }
            default:
                if (static_cast<unsigned char>(e) >= 0x80) {
                    --pos;
                    AppendUtf16(out, DecodeUtf8(s, pos));
                } else {
                    out += static_cast<char16_t>(e);
                }
                break;
        }
    }
    return std::nullopt;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string FoldName(std::string_view name) {
    std::string folded;
    folded.reserve(name.size());
    for (char c : name) folded += FoldAscii(c);
    return folded;
}

// A key's path as it is looked up: folded, its parts separated by one
// backslash, none leading or trailing.
std::string KeyPath(std::string_view key) {
    std::string path;
    for (char c : key) {
        if (c == '\\') {
            if (!path.empty() && path.back() != '\\') path += '\\';
        } else {
            path += FoldAscii(c);
        }
    }
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// "hex:" data, comma-separated bytes; nothing when a byte is malformed.
std::optional<std::vector<unsigned char>> HexBytes(std::string_view data) {
    std::vector<unsigned char> bytes;
    std::size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t')) ++pos;
    };
    skipBlanks();
    while (pos < data.size()) {
        unsigned value = 0;
        int digits = 0;
        for (; pos < data.size() && HexDigit(data[pos]) >= 0; ++digits)
            value = value * 16 + static_cast<unsigned>(HexDigit(data[pos++]));
        if (digits == 0 || value > 0xFF) return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(value));
        skipBlanks();
        if (pos < data.size() && data[pos] == ',') ++pos;
        skipBlanks();
    }
    return bytes;
}

// The text of a string stored as bytes (UTF-16LE, ended by its first NUL).
std::string TextOfBytes(const std::vector<unsigned char>& bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) break;
        units += unit;
    }
    return Utf8FromUtf16(units);
}

// A quoted string's text up to its first NUL, as the system returns it.
std::string TextOfUnits(std::u16string units) {
    if (const std::size_t nul = units.find(u'\0'); nul != std::u16string::npos) units.resize(nul);
    return Utf8FromUtf16(units);
}

struct ParsedValue {
    std::string name;
    bool isString = false;
    std::string text;
};

// A value line: "name"=data or @=data. `data` may run on over lines that
// end in a backslash (long hexadecimal data); `more` gives the next line.
template <class NextLine>
std::optional<ParsedValue> ParseValue(std::string_view line, NextLine more) {
    ParsedValue value;
    std::size_t pos = 0;
    if (line[0] == '@') {
        pos = 1;
    } else {
        pos = 1;
        const auto name = Unescape(line, pos, '"');
        if (!name) return std::nullopt;
        value.name = Utf8FromUtf16(*name);
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (rest.empty() || rest[0] != '=') return std::nullopt;
    rest = TrimLeft(rest.substr(1));

    unsigned stringType = 0;
    std::size_t tag = 0;
    if (StartsWith(rest, "\"")) stringType = kRegSz, tag = 1;
    else if (StartsWith(rest, "str:\"")) stringType = kRegSz, tag = 5;
    else if (StartsWith(rest, "str(2):\"")) stringType = kRegExpandSz, tag = 8;
    if (stringType) {
        std::size_t at = tag;
        const auto text = Unescape(rest, at, '"');
        if (!text) return std::nullopt;
        value.isString = true;
        value.text = TextOfUnits(*text);
        return value;
    }
    if (!StartsWith(rest, "hex")) return value;  // dword:, str(7): and the like: no string
    // hex: is binary; hex(N): data of type N, a string for types 1 and 2.
    unsigned type = 3;
    std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    if (StartsWith(rest, "hex(")) {
        type = 0;
        std::size_t at = 4;
        int digits = 0;
        for (; at < rest.size() && HexDigit(rest[at]) >= 0 && digits < 8; ++at, ++digits)
            type = type * 16 + static_cast<unsigned>(HexDigit(rest[at]));
        if (digits == 0 || rest.substr(at, 2) != "):") return std::nullopt;
        colon = at + 1;
    } else if (colon != 3) {
        return std::nullopt;
    }
    std::string data(TrimRight(rest.substr(colon + 1)));
    while (!data.empty() && data.back() == '\\') {
        data.pop_back();
        const std::optional<std::string_view> next = more();
        if (!next) break;
        data += TrimRight(TrimLeft(*next));
    }
    if (type != kRegSz && type != kRegExpandSz) return value;
    const auto bytes = HexBytes(data);
    if (!bytes) return std::nullopt;
    value.isString = true;
    value.text = TextOfBytes(*bytes);
    return value;
}

}  // namespace

RegFile RegFile::Parse(std::string_view text) {
    RegFile file;
    if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t next = 0;
    auto nextLine = [&]() -> std::optional<std::string_view> {
        if (next > text.size()) return std::nullopt;
        std::size_t end = text.find('\n', next);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = TrimRight(text.substr(next, end - next));
        next = end + 1;
        return line;
    };
    std::map<std::string, Value>* current = nullptr;
    while (const std::optional<std::string_view> read = nextLine()) {
        const std::string_view line = TrimLeft(*read);
        if (line.empty()) continue;
        if (line[0] == '[') {
            std::size_t pos = 1;
            const auto key = Unescape(line, pos, ']');
            current = key ? &file.keys_[KeyPath(Utf8FromUtf16(*key))] : nullptr;
            continue;
        }
        if (!current || (line[0] != '"' && line[0] != '@')) continue;  // options, comments, the header, junk
        if (auto value = ParseValue(line, nextLine))
            (*current)[FoldName(value->name)] = Value{value->isString, std::move(value->text)};
    }
    return file;
}

std::optional<std::string> RegFile::String(std::string_view key, std::string_view name) const {
    const auto k = keys_.find(KeyPath(key));
    if (k == keys_.end()) return std::nullopt;
    const auto v = k->second.find(FoldName(name));
    if (v == k->second.end() || !v->second.isString) return std::nullopt;
    return v->second.text;
}

}  // namespace pivora
