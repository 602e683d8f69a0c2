// libFuzzer target for the profile reader and writer (IniDocument).
//
// Input: the file's bytes, then optionally a NUL and the choices of the writes
// to make; without a NUL the file's own bytes are the choices, so a plain
// profile file is a whole case.
//
// Held: any bytes parse, and Serialize() gives them back byte for byte. Each
// write (a string, with quotes, blanks at its ends and line breaks; or an
// integer) reads back exactly as written, line breaks read as blanks, both
// from the document and from the bytes it serializes to once they are parsed
// again; and every other value that read before the write reads the same
// after it. The first of duplicate sections or keys is the one read and the
// one written, so a write never reaches another value. Every value, before
// and after each write, reads as the rules written out in ProfileModel.h
// say, so a write and a read cannot go wrong together unseen.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/formats/IniFile.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/ProfileModel.h"

namespace {

using pivora::IniDocument;
using pivora::fuzz::ByteSource;
using pivora::fuzz::Cat;
using pivora::fuzz::Require;
using pivora::fuzz::Shown;

constexpr std::size_t kMaxSections = 8;
constexpr std::size_t kMaxEntries = 16;
constexpr int kMaxWrites = 4;
// What a read gives for a value that is not there; no write makes it.
constexpr std::string_view kMissing = "\x01(missing)";

struct Entry {
    std::string section, key;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

bool SameEntry(const Entry& a, const Entry& b) { return SameName(a.section, b.section) && SameName(a.key, b.key); }

// The section and key names that the file's lines spell, so that writes and
// reads aim at names that exist as well as at new ones. Only aims: what a
// name reads is always asked of the document.
void GatherNames(std::string_view text, std::vector<std::string>& sections, std::vector<Entry>& entries) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::string section;
    bool inSection = false;
    while (!text.empty() && sections.size() < kMaxSections && entries.size() < kMaxEntries) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        const std::string line = Trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.front() == '[') {
            section = Trimmed(std::string_view(line).substr(1, line.find(']') - 1));
            sections.push_back(section);
            inSection = true;
        } else if (const std::size_t eq = line.find('='); inSection && eq != std::string::npos && line.front() != ';') {
            entries.push_back({section, Trimmed(std::string_view(line).substr(0, eq))});
        }
    }
}

// Names the file can hold as they are: no line break, no ']' in a section
// name and no '=' in a key, no blank at either end, and a key that does not
// start like a comment or a header.
std::string HoldableName(std::string name, std::string_view cannotHold, std::string_view cannotStart) {
    std::string out;
    for (const char c : name)
        if (c != '\r' && c != '\n' && cannotHold.find(c) == std::string_view::npos) out += c;
    out = Trimmed(out);
    while (!out.empty() && cannotStart.find(out.front()) != std::string_view::npos) out = Trimmed(out.substr(1));
    return out;
}

std::string OtherCase(std::string s) {
    for (char& c : s)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) c = static_cast<char>(c ^ 0x20);
    return s;
}

// One of the names the file has (as spelled, or in the other letter case), or new bytes.
std::string ChooseName(ByteSource& in, const std::vector<std::string>& known) {
    const std::size_t how = in.Below(4);
    if (how < 2 && !known.empty()) {
        const std::string& name = known[in.Below(known.size())];
        return how == 0 ? name : OtherCase(name);
    }
    return in.Bytes(12);
}

// A value with what reading would change, or what a line cannot hold: quotes
// around it, blanks at its ends, line breaks inside.
std::string ChooseValue(ByteSource& in) {
    std::string value = in.Bytes(64);
    const std::uint8_t how = in.Byte();
    if (how & 1) value = '"' + value + '"';
    if (how & 2) value = '\'' + value + '\'';
    if (how & 4) value.insert(0, 1, (how & 32) ? '\t' : ' ');
    if (how & 8) value.push_back((how & 64) ? '\t' : ' ');
    if (how & 16) {
        static constexpr std::string_view kBreaks[] = {"\r\n", "\n", "\r", "\n\r"};
        value.insert(in.Below(value.size() + 1), kBreaks[in.Below(4)]);
    }
    return value;
}

// A line break in a written value is written as a blank.
std::string AsRead(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    return value;
}

std::vector<std::string> ReadAll(const IniDocument& doc, const std::vector<Entry>& entries) {
    std::vector<std::string> values;
    for (const Entry& e : entries) values.push_back(doc.ReadString(e.section, e.key, kMissing));
    return values;
}

// `values` are what the document read for `entries`.
void RequireReadAsModel(const std::vector<std::string>& values, std::string_view text, const std::vector<Entry>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const std::string& read = values[i];
        const std::string model = pivora::fuzz::ModelRead(text, e.section, e.key).value_or(std::string(kMissing));
        Require(read == model, [&] {
            return Cat("[", Shown(e.section), "] ", Shown(e.key), " reads ", Shown(read), ", where the rules give ",
                       Shown(model), " in ", Shown(text));
        });
    }
}

void CheckRoundTrip(std::string_view bytes) {
    const std::string back = IniDocument::Parse(std::string(bytes)).Serialize();
    Require(back == bytes, [&] { return "Serialize() of a parsed file is not its bytes: " + Shown(bytes) + " -> " + Shown(back); });
}

// One write, and what it must and must not change. The document is replaced
// by the parse of what it serializes to: that is what the next run reads.
// `values` are what `entries` read before the write, and after it on return.
void WriteAndCheck(IniDocument& doc, ByteSource& in, std::vector<std::string>& sections, std::vector<Entry>& entries,
                   std::vector<std::string>& values) {
    std::vector<std::string> keys;
    for (const Entry& e : entries) keys.push_back(e.key);
    const Entry target{HoldableName(ChooseName(in, sections), "]", ""), HoldableName(ChooseName(in, keys), "=", "[;")};
    const std::vector<std::string> before = values;

    std::string expected;
    const bool integer = in.Below(4) == 0;
    std::int32_t number = 0;
    if (integer) {
        for (int i = 0; i < 4; ++i) number = static_cast<std::int32_t>(static_cast<std::uint32_t>(number) << 8 | in.Byte());
        doc.WriteInteger(target.section, target.key, number);
        expected = std::to_string(number);
    } else {
        const std::string value = ChooseValue(in);
        doc.WriteString(target.section, target.key, value);
        expected = AsRead(value);
    }
    const auto where = [&] { return " [" + Shown(target.section) + "] " + Shown(target.key); };
    const std::string inMemory = doc.ReadString(target.section, target.key, kMissing);
    Require(inMemory == expected, [&] { return "written " + Shown(expected) + " reads " + Shown(inMemory) + where(); });

    const std::string written = doc.Serialize();
    CheckRoundTrip(written);
    doc = IniDocument::Parse(written);
    const std::string fromFile = doc.ReadString(target.section, target.key, kMissing);
    Require(fromFile == expected, [&] {
        return "written " + Shown(expected) + " reads back from the file as " + Shown(fromFile) + where() + " in " + Shown(written);
    });
    if (integer) {
        Require(doc.ReadInteger(target.section, target.key, number ^ 1) == number, "a written integer reads back as another");
        Require(doc.ReadBool(target.section, target.key, number == 0) == (number != 0), "a written integer reads as the other truth value");
    }

    std::vector<std::string> after = ReadAll(doc, entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (SameEntry(entries[i], target)) continue;
        Require(after[i] == before[i], [&] {
            return "writing" + where() + " changed [" + Shown(entries[i].section) + "] " + Shown(entries[i].key) + " from " +
                   Shown(before[i]) + " to " + Shown(after[i]) + " in " + Shown(written);
        });
    }
    // From now on the written value is one of those that must stay.
    bool known = false;
    for (const Entry& e : entries) known = known || SameEntry(e, target);
    if (!known) {
        entries.push_back(target);
        after.push_back(fromFile);
    }
    sections.push_back(target.section);
    RequireReadAsModel(after, written, entries);
    values = std::move(after);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckRoundTrip(input);

    const std::size_t nul = input.find('\0');
    const std::string_view text = input.substr(0, nul);
    const std::string_view choices = nul == std::string_view::npos ? text : input.substr(nul + 1);
    CheckRoundTrip(text);

    IniDocument doc = IniDocument::Parse(std::string(text));
    std::vector<std::string> sections;
    std::vector<Entry> entries;
    GatherNames(text, sections, entries);
    std::vector<std::string> values = ReadAll(doc, entries);
    RequireReadAsModel(values, text, entries);
    ByteSource in(choices);
    for (int i = 0; i < kMaxWrites && (i == 0 || !in.Empty()); ++i) WriteAndCheck(doc, in, sections, entries, values);
    return 0;
}
