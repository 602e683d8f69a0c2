#include "platform/IniFile.h"

#include "platform/Convert.h"
#include "platform/FileSystem.h"

namespace pivora {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// A line without its end.
std::string_view Body(const std::string& line) {
    std::string_view s = line;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string_view Ending(const std::string& line) { return std::string_view(line).substr(Body(line).size()); }

}  // namespace

// How one line reads: a section header, a key, or anything else (kept as it is).
struct IniDocument::Line {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key value, trimmed

    static Line Of(std::string_view body) {
        Line l;
        const std::string_view t = Trim(body);
        if (t.empty() || t.front() == ';') return l;
        if (t.front() == '[') {
            const std::size_t close = t.find(']');
            l.kind = Kind::Section;
            l.name = Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            return l;
        }
        const std::size_t eq = t.find('=');
        if (eq == std::string_view::npos) return l;
        l.kind = Kind::Key;
        l.name = Trim(t.substr(0, eq));
        l.value = Trim(t.substr(eq + 1));
        return l;
    }
};

IniDocument IniDocument::Parse(std::string bytes) {
    IniDocument doc;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = bytes.size();
        } else {
            if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
            ++end;
        }
        doc.lines_.push_back(bytes.substr(start, end - start));
        start = end;
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::string out;
    for (const std::string& l : lines_) out += l;
    return out;
}

IniDocument::Line IniDocument::LineAt(std::size_t i) const {
    std::string_view body = Body(lines_[i]);
    if (i == 0 && body.substr(0, kBom.size()) == kBom) body.remove_prefix(kBom.size());
    return Line::Of(body);
}

IniDocument::Place IniDocument::Locate(std::string_view section, std::string_view key) const {
    Place p;
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line l = LineAt(i);
        if (l.kind == Line::Kind::Section) {
            if (inSection) break;  // the first section of a name is the one read and written
            inSection = EqualIgnoringCase(l.name, section);
            if (inSection) p.section = p.lastInSection = i;
            continue;
        }
        if (!inSection) continue;
        if (!Trim(Body(lines_[i])).empty()) p.lastInSection = i;
        if (l.kind == Line::Kind::Key && EqualIgnoringCase(l.name, key)) {
            p.key = i;
            return p;
        }
    }
    return p;
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    const Place p = Locate(section, key);
    if (p.key == kNone) return std::string(def);
    std::string_view v = LineAt(p.key).value;
    // The system's profile reader drops one pair of enclosing quotes, single or double.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

std::int32_t IniDocument::ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const {
    return StrToIntDef(ReadString(section, key, ""), def);
}

bool IniDocument::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::string IniDocument::NewLineEnding() const {
    for (const std::string& l : lines_) {
        const std::string_view e = Ending(l);
        if (e == "\r\n") return "\r\n";
        if (e == "\n") return "\n";
    }
    return "\r\n";
}

void IniDocument::EndLine(std::size_t i, const std::string& eol) {
    if (Ending(lines_[i]).empty()) lines_[i] += eol;
}

void IniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string eol = NewLineEnding();
    const Place p = Locate(section, key);
    if (p.key != kNone) {
        std::string& line = lines_[p.key];
        const std::string ending(Ending(line));
        std::string head;
        if (p.key == 0 && line.compare(0, kBom.size(), kBom) == 0) head = kBom;
        line = head + std::string(LineAt(p.key).name) + "=" + std::string(value) + ending;
        return;
    }
    const std::string entry = std::string(key) + "=" + std::string(value) + eol;
    if (p.section != kNone) {
        EndLine(p.lastInSection, eol);
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(p.lastInSection + 1), entry);
        return;
    }
    if (!lines_.empty()) {
        EndLine(lines_.size() - 1, eol);
        lines_.push_back(eol);  // sections stand apart by one blank line
    }
    lines_.push_back("[" + std::string(section) + "]" + eol);
    lines_.push_back(entry);
}

void IniDocument::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

TIniFile::TIniFile(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {
    if (files_.FileExists(path_)) doc_ = IniDocument::Parse(files_.ReadFile(path_));
}

void TIniFile::UpdateFile() { files_.WriteFileAtomic(path_, doc_.Serialize()); }

}  // namespace pivora
