#include "platform/formats/IniFile.h"

#include <utility>

#include "platform/formats/Convert.h"
#include "platform/interface/FileSystem.h"

namespace pivora {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Only ASCII letters fold: the file's bytes may be in any code page, and folding
// a byte of a multi-byte character would make unrelated names equal.
bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

// A line without its end. Parse() ends a line at CR LF, a lone LF or a lone CR,
// so the body itself never holds either byte.
std::string_view Body(const std::string& line) {
    std::string_view s = line;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string_view Ending(const std::string& line) { return std::string_view(line).substr(Body(line).size()); }

// A written name or value has to stay on its own line: a line break would end
// the entry early and turn the rest into lines of their own when the file is
// next read, so each CR or LF is written as a blank.
std::string OneLine(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

// The reader drops the blanks around a value and one pair of enclosing quotes,
// so a value that such a read would change ("/opt/my ide/ide" -ns "x y", or one
// with a blank at either end) is written inside one more pair of double quotes,
// which the read takes off again: every value reads back exactly as written.
std::string ProfileValue(std::string_view value) {
    std::string text = OneLine(value);
    const bool blankAtAnEnd = !text.empty() && (IsBlank(text.front()) || IsBlank(text.back()));
    const bool enclosed =
        text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
    if (!blankAtAnEnd && !enclosed) return text;
    text.insert(text.begin(), '"');
    text.push_back('"');
    return text;
}

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
            // The name ends at the first ']'; a header that never closes still
            // starts a section, so keys under a damaged header are not taken
            // for keys of the section before it.
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
    std::size_t size = 0;
    for (const std::string& l : lines_) size += l.size();
    std::string out;
    out.reserve(size);
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
    // The system's reader (GetPrivateProfileString; Wine's PROFILE_CopyEntry does
    // the same) drops one pair of enclosing quotes: when the trimmed value has at
    // least two characters, starts with '"' or '\'' and ends with that same
    // character, both go. Quotes inside the value stay, and so do an unmatched
    // quote and a value that is a single quote. Reading the same way here means a
    // hand-quoted value reads alike on Linux and on Windows.
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

// A file whose lines all end in a lone LF, as written on Linux, gets LF for its
// new lines; any other file, mixed ones included, and a new one get CR LF, as
// the Windows tools write them.
std::string IniDocument::NewLineEnding() const {
    bool sawLf = false;
    for (const std::string& l : lines_) {
        const std::string_view e = Ending(l);
        if (e.empty()) continue;
        if (e != "\n") return "\r\n";
        sawLf = true;
    }
    return sawLf ? "\n" : "\r\n";
}

void IniDocument::EndLine(std::size_t i, const std::string& eol) {
    if (Ending(lines_[i]).empty()) lines_[i] += eol;
}

void IniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string eol = NewLineEnding();
    const Place p = Locate(section, key);
    const std::string text = ProfileValue(value);
    if (p.key != kNone) {
        // A key always follows its section's header, so it is never on the first
        // line and never carries the byte-order mark.
        std::string& line = lines_[p.key];
        line = std::string(LineAt(p.key).name) + "=" + text + std::string(Ending(line));
        return;
    }
    const std::string entry = OneLine(key) + "=" + text + eol;
    if (p.section != kNone) {
        // After the section's last line that is not blank, so blank lines that
        // set it apart from the next section stay after the new key.
        EndLine(p.lastInSection, eol);
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(p.lastInSection + 1), entry);
        return;
    }
    // A new section follows the last line directly, with no blank line
    // between, as the system's own profile writer puts it.
    if (!lines_.empty()) EndLine(lines_.size() - 1, eol);
    // Built by appending: GCC 12 warns wrongly (-Wrestrict) about "[" + string.
    std::string header(1, '[');
    header += OneLine(section);
    header += ']';
    header += eol;
    lines_.push_back(std::move(header));
    lines_.push_back(entry);
}

void IniDocument::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, IntToStr(value));
}

void IniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

TIniFile::TIniFile(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {
    if (files_.FileExists(path_)) {
        doc_ = IniDocument::Parse(files_.ReadFile(path_));
    } else if (files_.NonFileAt(path_)) {
        // A directory or FIFO of that name is no missing file: its defaults
        // would be untrue, and a save would fail or replace it.
        throw NotAFile(path_);
    }
}

void TIniFile::UpdateFile() { files_.WriteFileAtomic(path_, doc_.Serialize()); }

}  // namespace pivora
