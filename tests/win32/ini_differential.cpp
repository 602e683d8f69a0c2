// The launcher's own profile reader and writer (platform/formats/IniFile.h) side by
// side with the system's GetPrivateProfileStringA / WritePrivateProfileStringA
// on the same files: for each file, every value the system lists is read both
// ways, then the same writes are made both ways and the results compared.
//
//   ini_differential DIR...   golden files (*.ini, not *.expected.ini) from each DIR,
//                             then some generated ones
//
// The verdict: every value reads the same, except the few header corners
// listed in kKnownReadDifferences (each must still differ, or the list is
// stale). A file that the system itself would write byte for byte (its
// canonical form) must be written to the same bytes; any other file keeps
// bytes the system rewrites (blanks around "=", line ends of its own), so
// there the two results must read the same through the system. The exit
// status is 1 when the verdict fails, 2 when a file could not be handled.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/formats/IniFile.h"

namespace {

using pivora::IniDocument;

constexpr const char* kAbsent = "\x01(absent)";

std::string Shown(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == 1) out += "<default>";
        else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else out += static_cast<char>(c);
    }
    return out + "\"";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A NUL-separated, double-NUL-ended list from the profile functions.
std::vector<std::string> List(const std::vector<char>& buffer, DWORD n) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (buffer[i] == '\0') {
            if (i > start) items.emplace_back(buffer.data() + start, i - start);
            start = i + 1;
        }
    return items;
}

std::vector<std::string> SystemSections(const std::string& path) {
    std::vector<char> buffer(1 << 16);
    const DWORD n = ::GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    return List(buffer, n);
}

std::vector<std::string> SystemKeys(const std::string& path, const std::string& section) {
    std::vector<char> buffer(1 << 16);
    const DWORD n = ::GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                               static_cast<DWORD>(buffer.size()), path.c_str());
    return List(buffer, n);
}

std::string SystemRead(const std::string& path, const std::string& section, const std::string& key) {
    std::vector<char> buffer(1 << 16);
    const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), kAbsent, buffer.data(),
                                               static_cast<DWORD>(buffer.size()), path.c_str());
    return std::string(buffer.data(), n);
}

// Everything the system reads from a file: the value each section's key reads
// as, by names without regard to case, as the system looks them up. Keys in
// a section without a name are not listed by the system, so not here either.
using Values = std::map<std::string, std::string>;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string ValueName(const std::string& section, const std::string& key) {
    std::string name(1, '[');  // appended: GCC 12 warns wrongly (-Wrestrict) about "[" + string
    name += Lower(section);
    name += "] ";
    name += Lower(key);
    return name;
}

Values SystemValues(const std::string& path) {
    Values values;
    for (const std::string& section : SystemSections(path))
        for (const std::string& key : SystemKeys(path, section))
            values.emplace(ValueName(section, key), SystemRead(path, section, key));
    return values;
}

// The file as the system writes it out: a key is added in a section of its
// own and the section removed again, which makes the system write the whole.
bool IsCanonical(const std::string& bytes, const std::string& probePath) {
    WriteAll(probePath, bytes);
    ::WritePrivateProfileStringA("pivora probe", "k", "v", probePath.c_str());
    ::WritePrivateProfileStringA("pivora probe", nullptr, nullptr, probePath.c_str());
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, probePath.c_str());
    return ReadAll(probePath) == bytes;
}

struct Report {
    int files = 0, reads = 0, readDiffs = 0, writes = 0, writeDiffs = 0, failures = 0;
};

// Where the launcher reads a damaged header its own way, deliberately: the
// name ends at the first "]" (the system takes the last), and a "[" line that
// never closes still starts a section, so that the keys under it are not
// taken for the section before it (the system reads them so).
struct KnownDifference {
    const char* file;
    const char* section;
    const char* key;
    bool seen = false;
};
KnownDifference kKnownReadDifferences[] = {
    {"odd_headers.ini", "First]Second", "c"},
    {"odd_headers.ini", "Trailing", "e"},
};

bool IsKnownDifference(const std::string& file, const std::string& section, const std::string& key) {
    for (KnownDifference& d : kKnownReadDifferences)
        if (file == d.file && section == d.section && key == d.key) return d.seen = true;
    return false;
}

// The writes made to every file: one replacing the first value there is, one
// adding a key to the first section, a new section, and the launcher's own keys.
std::vector<std::pair<std::string, std::pair<std::string, std::string>>> Writes(const std::string& path) {
    std::vector<std::pair<std::string, std::pair<std::string, std::string>>> writes;
    const auto sections = SystemSections(path);
    if (!sections.empty()) {
        const auto keys = SystemKeys(path, sections.front());
        if (!keys.empty()) writes.push_back({sections.front(), {keys.front(), "replaced"}});
        writes.push_back({sections.front(), {"AddedKey", "added value"}});
    }
    writes.push_back({"Pivora", {"TestMode", "1"}});
    writes.push_back({"Pivora", {"HistoryMax", "1000"}});
    writes.push_back({"DelphiReg", {"4", "C:\\Program Files\\Borland\\Delphi 4\\Bin\\delphi32.exe"}});
    writes.push_back({"New Section", {"Key", ""}});
    return writes;
}

void Compare(const std::string& source, const std::string& workDir, Report& report) {
    ++report.files;
    const std::string name = source.substr(source.find_last_of("\\/") + 1);
    const std::string bytes = ReadAll(source);
    const std::string systemPath = workDir + "\\system-" + name;
    WriteAll(systemPath, bytes);
    std::printf("== %s (%zu bytes)\n", name.c_str(), bytes.size());

    IniDocument doc = IniDocument::Parse(bytes);
    // Every value the system finds, and the launcher's own keys, both ways.
    std::vector<std::pair<std::string, std::string>> probes;
    for (const std::string& section : SystemSections(systemPath))
        for (const std::string& key : SystemKeys(systemPath, section)) probes.push_back({section, key});
    for (const char* key : {"TestMode", "HistoryMax"}) probes.push_back({"Pivora", key});
    for (const char* key : {"2", "3", "4"}) probes.push_back({"DelphiReg", key});
    for (const auto& [section, key] : probes) {
        ++report.reads;
        const std::string ours = doc.ReadString(section, key, kAbsent);
        const std::string system = SystemRead(systemPath, section, key);
        if (ours == system) continue;
        ++report.readDiffs;
        const bool known = IsKnownDifference(name, section, key);
        if (!known) ++report.failures;
        std::printf("  READ [%s] %s: ours %s, system %s%s\n", section.c_str(), key.c_str(), Shown(ours).c_str(),
                    Shown(system).c_str(), known ? " (known)" : " FAIL");
    }
    const bool canonical = IsCanonical(bytes, workDir + "\\probe-" + name);

    // What the file must read as once written: what the system read, with the writes.
    Values expected = SystemValues(systemPath);
    for (const auto& [section, kv] : Writes(systemPath)) {
        expected[ValueName(section, kv.first)] = kv.second;
        doc.WriteString(section, kv.first, kv.second);
        ::WritePrivateProfileStringA(section.c_str(), kv.first.c_str(), kv.second.c_str(), systemPath.c_str());
    }
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, systemPath.c_str());  // flush the system's cache
    ++report.writes;
    const std::string ours = doc.Serialize();
    const std::string system = ReadAll(systemPath);
    if (ours == system) {
        std::printf("  WRITE same bytes (%zu)\n", ours.size());
        return;
    }
    ++report.writeDiffs;
    const std::string oursPath = workDir + "\\ours-" + name;
    WriteAll(oursPath, ours);
    const bool sameMeaning = SystemValues(oursPath) == expected;
    const char* verdict = canonical ? "FAIL: the system writes this file as it is"
                          : sameMeaning ? "ours reads through the system as the writes meant"
                                        : "FAIL: ours reads through the system otherwise than the writes meant";
    if (canonical || !sameMeaning) ++report.failures;
    std::size_t at = 0;
    while (at < ours.size() && at < system.size() && ours[at] == system[at]) ++at;
    const std::size_t from = at > 24 ? at - 24 : 0;
    std::printf("  WRITE differs at byte %zu (ours %zu bytes, system %zu), %s:\n    ours   ...%s\n    system ...%s\n",
                at, ours.size(), system.size(), verdict, Shown(ours.substr(from, 72)).c_str(),
                Shown(system.substr(from, 72)).c_str());
}

// Values the reader would change if they were written as they stand (enclosed
// in quotes, blanks at an end): the launcher's writer protects them, and the
// system must read each back exactly as it was meant.
void CheckValuesReadBack(const std::string& workDir, Report& report) {
    const char* values[] = {
        "\"/opt/my ide/ide\" -ns \"x y\"", "'single'", "\"\"", " leading", "trailing ", "\t", "\"", "'mixed\"",
        "\"C:\\Program Files\\Borland\\Delphi 4\\Bin\\delphi32.exe\"",
    };
    const std::string path = workDir + "\\values.ini";
    for (const char* value : values) {
        ++report.reads;
        IniDocument doc = IniDocument::Parse("[DelphiReg]\r\n4=old\r\n");
        doc.WriteString("DelphiReg", "4", value);
        doc.WriteString("DelphiReg", "3", value);
        WriteAll(path, doc.Serialize());
        for (const char* key : {"4", "3"}) {
            const std::string system = SystemRead(path, "DelphiReg", key);
            if (system == value) continue;
            ++report.readDiffs;
            ++report.failures;
            std::printf("  READ BACK [DelphiReg] %s written as %s: the system reads %s FAIL\n", key,
                        Shown(value).c_str(), Shown(system).c_str());
        }
    }
    std::printf("== values written inside quotes: read back by the system\n");
}

// Files that the golden set may not hold: the corners of the format.
std::vector<std::pair<std::string, std::string>> Generated() {
    return {
        {"gen-blanks.ini", "[ S ]\r\n  k  =  v  \r\n\tt\t=\tw\t\r\n"},
        {"gen-comments.ini", "; c\r\n[S]\r\n;k=x\r\nk=v ; not a comment\r\n#h=1\r\n"},
        {"gen-no-equals.ini", "[S]\r\njustakey\r\nk=v\r\n=novalue\r\n"},
        {"gen-duplicates.ini", "[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n"},
        {"gen-case.ini", "[pivora]\r\ntestmode=1\r\n[DELPHIREG]\r\n4=x\r\n"},
        {"gen-quotes.ini", "[S]\r\na=\"q\"\r\nb='q'\r\nc=\"a\r\nd= \" x \" \r\n"},
        {"gen-lf.ini", "[S]\nk=v\n\n[T]\nx=y"},
        {"gen-text-before.ini", "stray line\r\nk=v\r\n[S]\r\nk=w\r\n"},
        {"gen-empty-sections.ini", "[S]\r\n[T]\r\n\r\n[U]\r\nk=v\r\n"},
        {"gen-brackets.ini", "[S]x\r\nk=v\r\n[T\r\nk=w\r\n[]\r\nk=e\r\n"},
    };
}

}  // namespace

int main(int argc, char** argv) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string workDir = std::string(temp) + "pivora-ini-diff-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(workDir.c_str(), nullptr);
    Report report;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const std::string dir = argv[i];
        HANDLE h = ::FindFirstFileA((dir + "\\*.ini").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "ini_differential: no .ini files in %s\n", dir.c_str());
            return 2;
        }
        do {
            const std::string name = found.cFileName;
            if (name.size() < 13 || name.compare(name.size() - 13, 13, ".expected.ini") != 0) names.push_back(name);
        } while (::FindNextFileA(h, &found));
        ::FindClose(h);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) Compare(dir + "\\" + name, workDir, report);
    }
    for (const auto& [name, bytes] : Generated()) {
        const std::string path = workDir + "\\" + name;
        WriteAll(path, bytes);
        Compare(path, workDir, report);
    }
    CheckValuesReadBack(workDir, report);
    for (const KnownDifference& d : kKnownReadDifferences)
        if (!d.seen) {
            ++report.failures;
            std::printf("FAIL: [%s] %s of %s now reads the same: the known difference is gone\n", d.section, d.key,
                        d.file);
        }
    std::printf("%d files: %d of %d values read differently, %d of %d written files differ in their bytes, "
                "%d failures\n",
                report.files, report.readDiffs, report.reads, report.writeDiffs, report.writes, report.failures);
    return report.failures == 0 ? 0 : 1;
}
