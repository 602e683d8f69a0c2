#include "platform/posix/WinePaths.h"

#include <algorithm>

namespace pivora {

namespace {

// The components of an absolute path, without empty ones and ".". With
// `foldParents`, ".." takes away the one before it, as it does in a link's
// target that Wine resolves; elsewhere it is kept, since the file system, not
// the text, decides where it leads.
std::vector<std::string_view> Components(std::string_view path, bool foldParents) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == ".") {
        } else if (part == ".." && foldParents) {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(part);
        }
        start = end + 1;
    }
    return parts;
}

std::string Join(const std::vector<std::string_view>& parts) {
    if (parts.empty()) return "/";
    std::string joined;
    for (std::string_view p : parts) (joined += '/') += p;
    return joined;
}

}  // namespace

bool IsWindowsProgramHeader(std::string_view firstBytes) { return firstBytes.substr(0, 2) == "MZ"; }

std::optional<std::string> WinePrefixHolding(std::string_view path) {
    // Only a folder counts: the last component is the program itself.
    const std::size_t lastSlash = path.rfind('/');
    if (lastSlash == std::string_view::npos) return std::nullopt;
    std::string_view folders = path.substr(0, lastSlash + 1);
    for (std::size_t end = folders.size(); end > 0;) {
        const std::size_t slash = folders.rfind('/', end - 1);
        const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
        if (folders.substr(start, end - start) == "drive_c") {
            if (start == 0) return std::string(".");
            std::string prefix(folders.substr(0, start - 1));
            return prefix.empty() ? "/" : prefix;
        }
        if (slash == std::string_view::npos) break;
        end = slash;
    }
    return std::nullopt;
}

std::vector<WineDrive> DrivesFromLinks(std::string_view dosdevicesDir, const std::vector<DosDeviceLink>& links) {
    std::vector<WineDrive> drives;
    for (const DosDeviceLink& link : links) {
        if (link.name.size() != 2 || link.name[1] != ':' || link.target.empty()) continue;
        char letter = link.name[0];
        if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
        if (letter < 'A' || letter > 'Z') continue;
        std::string full = link.target.front() == '/' ? link.target
                                                      : std::string(dosdevicesDir) + "/" + link.target;
        drives.push_back({letter, Join(Components(full, /*foldParents=*/true))});
    }
    std::stable_sort(drives.begin(), drives.end(),
                     [](const WineDrive& a, const WineDrive& b) { return a.letter < b.letter; });
    return drives;
}

std::optional<std::string> WindowsPathIn(std::string_view path, const std::vector<WineDrive>& drives) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    const std::vector<std::string_view> parts = Components(path, /*foldParents=*/false);
    const WineDrive* best = nullptr;
    std::size_t bestDepth = 0;
    for (const WineDrive& drive : drives) {
        const std::vector<std::string_view> root = Components(drive.root, /*foldParents=*/true);
        if (root.size() > parts.size() || !std::equal(root.begin(), root.end(), parts.begin())) continue;
        if (!best || root.size() > bestDepth) {
            best = &drive;
            bestDepth = root.size();
        }
    }
    if (!best) return std::nullopt;
    std::string windows{best->letter, ':', '\\'};
    for (std::size_t i = bestDepth; i < parts.size(); ++i) {
        if (i > bestDepth) windows += '\\';
        windows += parts[i];
    }
    return windows;
}

std::optional<std::string> UnixPathIn(std::string_view windowsPath, const std::vector<WineDrive>& drives) {
    if (windowsPath.size() < 3 || windowsPath[1] != ':' || (windowsPath[2] != '\\' && windowsPath[2] != '/'))
        return std::nullopt;
    char letter = windowsPath[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    const WineDrive* drive = nullptr;
    for (const WineDrive& d : drives)
        if (d.letter == letter) {
            drive = &d;
            break;
        }
    if (!drive) return std::nullopt;
    std::string rest(windowsPath.substr(3));
    for (char& c : rest)
        if (c == '\\') c = '/';
    std::vector<std::string_view> parts = Components(drive->root, /*foldParents=*/true);
    const std::size_t rootDepth = parts.size();
    for (std::string_view part : Components(rest, /*foldParents=*/false)) {
        if (part == "..") {
            if (parts.size() > rootDepth) parts.pop_back();  // not above the drive's root
        } else {
            parts.push_back(part);
        }
    }
    return Join(parts);
}

}  // namespace pivora
