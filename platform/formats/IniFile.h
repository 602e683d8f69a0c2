// Private-profile (INI) files, read and written by the launcher itself so that
// Linux and Windows behave alike and every byte we do not change stays as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pivora {

class FileSystem;

// The parsed text of one profile file. Lookups follow the Windows profile rules:
// section and key names match without regard to (ASCII) case, values are taken
// without surrounding blanks and without one pair of enclosing quotes, the first
// of duplicate sections or keys wins. A UTF-8 byte-order mark is skipped for
// reading and kept for writing.
// A value that reading would change (enclosed in quotes, or with a blank at an
// end) is written inside one more pair of double quotes, so it reads back as
// it was written; a line break in a name or value is written as a blank.
// Writing replaces a value in place or appends the key at the end of its section
// (a new section goes at the end of the file); all other bytes are kept, so
// Serialize() of an unchanged document gives back the bytes it was parsed from.
class IniDocument {
public:
    IniDocument() = default;
    static IniDocument Parse(std::string bytes);

    // ReadString's default is returned for a missing section or key.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // Whole-text conversion: optional sign, decimal digits or "$" and hex digits,
    // nothing else; anything that does not convert, or overflows 32 bits, gives def.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;
    // On when the value reads as a non-zero integer.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value); // 1 or 0

    std::string Serialize() const;

private:
    struct Line;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    struct Place {
        std::size_t section = kNone;        // the section's header line
        std::size_t lastInSection = kNone;  // its last line that is not blank
        std::size_t key = kNone;
    };
    Line LineAt(std::size_t i) const;
    Place Locate(std::string_view section, std::string_view key) const;
    std::string NewLineEnding() const;  // the file's own style; CR LF for a new file
    void EndLine(std::size_t i, const std::string& eol);

    // The file's lines, each with its own line end, so unchanged lines are
    // written back byte for byte.
    std::vector<std::string> lines_;
};

// A profile file on disk: loaded whole when constructed (a missing file is an
// empty document), written whole and atomically by UpdateFile().
class TIniFile {
public:
    TIniFile(FileSystem& files, std::string path);
    const IniDocument& Document() const { return doc_; }
    IniDocument& Document() { return doc_; }
    std::string ReadString(std::string_view s, std::string_view k, std::string_view d) const { return doc_.ReadString(s, k, d); }
    std::int32_t ReadInteger(std::string_view s, std::string_view k, std::int32_t d) const { return doc_.ReadInteger(s, k, d); }
    bool ReadBool(std::string_view s, std::string_view k, bool d) const { return doc_.ReadBool(s, k, d); }
    void WriteString(std::string_view s, std::string_view k, std::string_view v) { doc_.WriteString(s, k, v); }
    void WriteInteger(std::string_view s, std::string_view k, std::int32_t v) { doc_.WriteInteger(s, k, v); }
    void WriteBool(std::string_view s, std::string_view k, bool v) { doc_.WriteBool(s, k, v); }
    void UpdateFile();  // throws FileError

private:
    FileSystem& files_;
    std::string path_;
    IniDocument doc_;
};

}  // namespace pivora
