#include "platform/posix/WineIdeSearch.h"

#include <algorithm>
#include <set>

#include "platform/formats/DelphiInstalls.h"
#include "platform/formats/RegFile.h"
#include "platform/posix/WinePaths.h"

namespace pivora {

namespace {

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool UsableDirectory(const std::optional<std::string>& dir) { return dir && !dir->empty() && dir->front() == '/'; }

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameNameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string> SortedList(PrefixFiles& files, const std::string& dir) {
    std::vector<std::string> names = files.List(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// The entry of `dir` called `name` but for the case of its letters, of the
// kind wanted, as Wine finds a file whose name a Windows program spells in
// another case than the disk holds it.
std::optional<std::string> ChildIgnoringCase(PrefixFiles& files, const std::string& dir, std::string_view name,
                                             EntryKind kind) {
    const std::string base = dir == "/" ? std::string() : dir;
    std::string exact = base + "/" + std::string(name);
    if (files.Kind(exact) == kind) return exact;
    for (const std::string& entry : SortedList(files, dir.empty() ? "/" : dir)) {
        if (entry == name || !SameNameIgnoringCase(entry, name)) continue;
        std::string path = base + "/" + entry;
        if (files.Kind(path) == kind) return path;
    }
    return std::nullopt;
}

// The file at the absolute `path`, each folder and the name looked for as
// Wine looks for them, without regard to case.
std::optional<std::string> FileIgnoringCase(PrefixFiles& files, const std::string& path) {
    if (files.Kind(path) == EntryKind::File) return path;
    std::vector<std::string_view> parts;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(std::string_view(path).substr(start, end - start));
        start = end + 1;
    }
    std::string resolved = "/";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const EntryKind kind = i + 1 == parts.size() ? EntryKind::File : EntryKind::Directory;
        const std::optional<std::string> next = ChildIgnoringCase(files, resolved, parts[i], kind);
        if (!next) return std::nullopt;
        resolved = *next;
    }
    return parts.empty() ? std::nullopt : std::optional<std::string>(resolved);
}

// The drives of a prefix as its dosdevices links give them; C: is its
// drive_c even where the link is missing, as Wine makes it.
std::vector<WineDrive> PrefixDrives(PrefixFiles& files, const std::string& prefix) {
    const std::string dosdevices = prefix + "/dosdevices";
    std::vector<DosDeviceLink> links;
    for (const std::string& name : files.List(dosdevices)) {
        if (name.size() != 2 || name[1] != ':') continue;
        std::string target = files.LinkTarget(dosdevices + "/" + name);
        if (!target.empty()) links.push_back({name, std::move(target)});
    }
    std::vector<WineDrive> drives = DrivesFromLinks(dosdevices, links);
    if (std::none_of(drives.begin(), drives.end(), [](const WineDrive& d) { return d.letter == 'C'; }))
        drives.push_back({'C', prefix + "/drive_c"});
    return drives;
}

// The registry of a prefix as a 32-bit program reads it: in a 64-bit prefix
// its HKEY_LOCAL_MACHINE\Software is the Wow6432Node below it, in a 32-bit
// one the key itself; user.reg holds HKEY_CURRENT_USER.
class PrefixRegistry {
public:
    PrefixRegistry(PrefixFiles& files, const std::string& prefix) {
        if (auto text = files.Read(prefix + "/system.reg", kRegistryFileLimit)) machine_ = RegFile::Parse(*text);
        if (auto text = files.Read(prefix + "/user.reg", kRegistryFileLimit)) user_ = RegFile::Parse(*text);
    }

    std::optional<std::string> Read(RegistryRoot root, const std::string& key, const std::string& name) const {
        const RegFile& file = root == RegistryRoot::LocalMachine ? machine_ : user_;
        constexpr std::string_view kSoftware = "Software\\";
        if (StartsWithIgnoringCase(key, kSoftware))
            if (auto value = file.String("Software\\Wow6432Node\\" + key.substr(kSoftware.size()), name)) return value;
        return file.String(key, name);
    }

private:
    RegFile machine_, user_;
};

}  // namespace

WinePrefixPlaces WinePrefixPlacesFor(const std::optional<std::string>& winePrefix,
                                     const std::optional<std::string>& home,
                                     const std::optional<std::string>& dataHome) {
    WinePrefixPlaces places;
    auto addPrefix = [&places](std::string prefix) {
        prefix = WithoutTrailingSlashes(std::move(prefix));
        if (std::find(places.prefixes.begin(), places.prefixes.end(), prefix) == places.prefixes.end())
            places.prefixes.push_back(std::move(prefix));
    };
    if (UsableDirectory(winePrefix)) addPrefix(*winePrefix);
    const bool hasHome = UsableDirectory(home);
    const std::string homeDir = hasHome ? WithoutTrailingSlashes(*home) : std::string();
    const std::string homeBase = homeDir == "/" ? std::string() : homeDir;
    if (hasHome) addPrefix(homeBase + "/.wine");
    if (UsableDirectory(dataHome)) places.containers.push_back(WithoutTrailingSlashes(*dataHome) + "/bottles/bottles");
    else if (hasHome) places.containers.push_back(homeBase + "/.local/share/bottles/bottles");
    if (hasHome) {
        places.containers.push_back(homeBase + "/.var/app/com.usebottles.bottles/data/bottles/bottles");
        places.containers.push_back(homeBase + "/.PlayOnLinux/wineprefix");
        places.containers.push_back(homeBase + "/.cxoffice");
    }
    return places;
}

WineIdeSearch::WineIdeSearch(WinePrefixPlaces places, std::shared_ptr<PrefixFiles> files)
    : places_(std::move(places)), files_(std::move(files)) {}

std::vector<std::string> WineIdeSearch::Places() {
    std::vector<std::string> all = places_.prefixes;
    all.insert(all.end(), places_.containers.begin(), places_.containers.end());
    return all;
}

std::vector<InstalledIde> WineIdeSearch::LookIn(const std::string& place) {
    if (std::find(places_.containers.begin(), places_.containers.end(), place) == places_.containers.end())
        return LookInPrefix(place);
    std::vector<InstalledIde> found;
    for (const std::string& name : SortedList(*files_, place)) {
        const std::string prefix = place + "/" + name;
        if (files_->Kind(prefix) != EntryKind::Directory) continue;
        for (InstalledIde& ide : LookInPrefix(prefix))
            if (std::none_of(found.begin(), found.end(), [&](const InstalledIde& f) { return f.version == ide.version; }))
                found.push_back(std::move(ide));
    }
    return found;
}

std::vector<InstalledIde> WineIdeSearch::LookInPrefix(const std::string& prefix) {
    std::vector<InstalledIde> found;
    std::set<std::int32_t> versions;
    const PrefixRegistry registry(*files_, prefix);
    const std::vector<IdeCandidate> named = DelphiExecutablesInRegistry(
        [&registry](RegistryRoot root, const std::string& key, const std::string& name) {
            return registry.Read(root, key, name);
        });
    if (!named.empty()) {
        const std::vector<WineDrive> drives = PrefixDrives(*files_, prefix);
        for (const IdeCandidate& candidate : named) {
            if (versions.count(candidate.version)) continue;
            const std::optional<std::string> unix = UnixPathIn(candidate.windowsPath, drives);
            if (!unix) continue;
            if (std::optional<std::string> file = FileIgnoringCase(*files_, *unix)) {
                found.push_back({candidate.version, std::move(*file)});
                versions.insert(candidate.version);
            }
        }
    }
    // Where the registry names no executable of a version, the folders its
    // installer suggests: drive_c\Program Files*\Borland\Delphi*\Bin.
    const std::string driveC = prefix + "/drive_c";
    for (const std::string& programs : SortedList(*files_, driveC)) {
        if (!StartsWithIgnoringCase(programs, kProgramFilesPrefix)) continue;
        const std::string programsDir = driveC + "/" + programs;
        const std::optional<std::string> vendor =
            ChildIgnoringCase(*files_, programsDir, kVendorFolder, EntryKind::Directory);
        if (!vendor) continue;
        for (const std::string& folder : SortedList(*files_, *vendor)) {
            const std::optional<std::int32_t> version = DelphiVersionOfFolder(folder);
            if (!version || versions.count(*version)) continue;
            const std::optional<std::string> bin =
                ChildIgnoringCase(*files_, *vendor + "/" + folder, kBinFolder, EntryKind::Directory);
            if (!bin) continue;
            if (auto exe = ChildIgnoringCase(*files_, *bin, kIdeExecutable, EntryKind::File)) {
                found.push_back({*version, std::move(*exe)});
                versions.insert(*version);
            }
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const InstalledIde& a, const InstalledIde& b) { return a.version < b.version; });
    return found;
}

}  // namespace pivora
