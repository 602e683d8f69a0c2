#include "platform/formats/DelphiInstalls.h"

#include <algorithm>

namespace pivora {

namespace {

struct InstallKey {
    std::int32_t version;
    const char* key;
    const char* executableValue;  // the value that names the IDE's executable
};

// The keys each version's installer writes, with the value naming its IDE.
constexpr InstallKey kInstallKeys[] = {
    {2, "Software\\Borland\\Delphi\\2.0", "Delphi 2.0"},
    {3, "Software\\Borland\\Delphi\\3.0", "Delphi 3"},
    {4, "Software\\Borland\\Delphi\\4.0", "Delphi 4"},
};
constexpr const char* kRootDirValue = "RootDir";
constexpr const char* kAppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\DELPHI32.EXE";

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A path as a registry value may hold it: blanks around it, perhaps quoted.
std::string Unquoted(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return std::string(text);
}

std::string BinaryBelow(std::string rootDir) {
    while (!rootDir.empty() && (rootDir.back() == '\\' || rootDir.back() == '/')) rootDir.pop_back();
    return rootDir + "\\Bin\\DELPHI32.EXE";
}

}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::vector<IdeCandidate> DelphiExecutablesInRegistry(const RegistryStringReader& read) {
    std::vector<IdeCandidate> found;
    auto add = [&found](std::int32_t version, std::string path) {
        if (path.empty()) return;
        for (const IdeCandidate& c : found)
            if (c.version == version && SameNameIgnoringCase(c.windowsPath, path)) return;
        found.push_back({version, std::move(path)});
    };
    constexpr RegistryRoot kRoots[] = {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser};
    for (const InstallKey& k : kInstallKeys) {
        for (RegistryRoot root : kRoots) {
            if (auto exe = read(root, k.key, k.executableValue)) add(k.version, Unquoted(*exe));
            if (auto dir = read(root, k.key, kRootDirValue)) {
                const std::string unquoted = Unquoted(*dir);
                if (!unquoted.empty()) add(k.version, BinaryBelow(unquoted));
            }
        }
    }
    for (RegistryRoot root : kRoots)
        if (auto exe = read(root, kAppPathsKey, "")) {
            std::string path = Unquoted(*exe);
            if (auto version = DelphiVersionOfExecutable(path)) add(*version, std::move(path));
        }
    return found;
}

std::optional<std::int32_t> DelphiVersionOfFolder(std::string_view name) {
    constexpr std::string_view kDelphi = "delphi";
    if (name.size() <= kDelphi.size() || !SameNameIgnoringCase(name.substr(0, kDelphi.size()), kDelphi))
        return std::nullopt;
    std::size_t pos = kDelphi.size();
    while (pos < name.size() && (name[pos] == ' ' || name[pos] == '_' || name[pos] == '-')) ++pos;
    if (pos >= name.size() || !IsDigit(name[pos])) return std::nullopt;
    const std::int32_t version = name[pos] - '0';
    ++pos;
    // "Delphi 2005" or "Delphi 40" is no version 2 or 4.
    if (pos < name.size() && IsDigit(name[pos])) return std::nullopt;
    if (version < 2 || version > 4) return std::nullopt;
    return version;
}

std::optional<std::int32_t> DelphiVersionOfExecutable(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (i > start) parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    if (parts.size() < 3 || !SameNameIgnoringCase(parts[parts.size() - 2], kBinFolder)) return std::nullopt;
    return DelphiVersionOfFolder(parts[parts.size() - 3]);
}

}  // namespace pivora
