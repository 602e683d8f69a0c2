#include "platform/formats/FileNames.h"

namespace pivora {

namespace {

PathRules& Rules() {
#ifdef _WIN32
    static PathRules rules{true, false};
#else
    static PathRules rules{false, false};
#endif
    return rules;
}

bool IsSeparator(char c, const PathRules& r) { return c == '/' || (r.backslashIsSeparator && c == '\\'); }

// Walks the path character by character and remembers where the last separator
// and the last dot after it stand. npos when absent.
struct Marks {
    std::size_t lastSeparator = std::string_view::npos;
    std::size_t lastDot = std::string_view::npos;
};

Marks Scan(std::string_view path, const PathRules& r) {
    Marks m;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (r.doubleByteCodePage && IsShiftJisLeadByte(c) && i + 1 < path.size()) {
            ++i;  // the trail byte is part of this character, whatever its value
            continue;
        }
        if (IsSeparator(path[i], r)) {
            m.lastSeparator = i;
            m.lastDot = std::string_view::npos;
        } else if (c == '.') {
            m.lastDot = i;
        }
    }
    return m;
}

}  // namespace

const PathRules& CurrentPathRules() { return Rules(); }
void SetCurrentPathRules(const PathRules& rules) { Rules() = rules; }

bool IsShiftJisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::string ExtractFileExt(std::string_view path, const PathRules& r) {
    const Marks m = Scan(path, r);
    if (m.lastDot == std::string_view::npos) return {};
    return std::string(path.substr(m.lastDot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext, const PathRules& r) {
    const Marks m = Scan(path, r);
    std::string result(path.substr(0, m.lastDot == std::string_view::npos ? path.size() : m.lastDot));
    result += ext;
    return result;
}

std::string ExtractFilePath(std::string_view path, const PathRules& r) {
    const Marks m = Scan(path, r);
    if (m.lastSeparator == std::string_view::npos) {
        // "C:file" names a file on drive C: where drives exist.
        if (r.backslashIsSeparator && path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
        return {};
    }
    return std::string(path.substr(0, m.lastSeparator + 1));
}

std::string ExtractFileName(std::string_view path, const PathRules& r) {
    return std::string(path.substr(ExtractFilePath(path, r).size()));
}

std::string AnsiLowerCase(std::string_view text, const PathRules& r) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (r.doubleByteCodePage && IsShiftJisLeadByte(c) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool IsAbsolutePath(std::string_view path, const PathRules& r) {
    if (path.empty()) return false;
    if (path.front() == '/') return true;
    if (!r.backslashIsSeparator) return false;
    if (path.front() == '\\') return true;
    const char c = path.front();
    return path.size() >= 2 && path[1] == ':' && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

std::string PathFrom(std::string_view dir, std::string_view path, const PathRules& r) {
    if (IsAbsolutePath(path, r) || dir.empty()) return std::string(path);
    std::string joined(dir);
    joined += path;
    return joined;
}

}  // namespace pivora
