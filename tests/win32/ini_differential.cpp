// The launcher's own profile reader and writer (platform/IniFile.h) side by
// side with the system's GetPrivateProfileStringA / WritePrivateProfileStringA
// on the same files: for each file, every value the system lists is read both
// ways, then the same writes are made both ways and the bytes compared.
//
//   ini_differential DIR...   golden files (*.ini, not *.expected.ini) from each DIR,
//                             then some generated ones
//
// A report, not a verdict: the launcher keeps bytes the system rewrites, and
// some differences are intended. Each difference is listed precisely; the
// exit status is 0 unless a file could not be handled at all.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/IniFile.h"

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

struct Report {
    int files = 0, reads = 0, readDiffs = 0, writes = 0, writeDiffs = 0;
};

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
        std::printf("  READ [%s] %s: ours %s, system %s\n", section.c_str(), key.c_str(), Shown(ours).c_str(),
                    Shown(system).c_str());
    }

    for (const auto& [section, kv] : Writes(systemPath)) {
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
    std::size_t at = 0;
    while (at < ours.size() && at < system.size() && ours[at] == system[at]) ++at;
    const std::size_t from = at > 24 ? at - 24 : 0;
    std::printf("  WRITE differs at byte %zu (ours %zu bytes, system %zu):\n    ours   ...%s\n    system ...%s\n", at,
                ours.size(), system.size(), Shown(ours.substr(from, 72)).c_str(),
                Shown(system.substr(from, 72)).c_str());
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
    std::printf("%d files: %d of %d values read differently, %d of %d written files differ\n", report.files,
                report.readDiffs, report.reads, report.writeDiffs, report.writes);
    return 0;
}
