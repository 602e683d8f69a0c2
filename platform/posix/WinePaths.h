// The rules by which a Windows program registered as a file runs under Wine:
// which prefix holds it, and the Windows name that prefix gives a Unix file.
// Pure: the caller reads the file's first bytes and the prefix's drive links.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pivora {

// True for the first bytes of a Windows (or DOS) executable: "MZ".
bool IsWindowsProgramHeader(std::string_view firstBytes);

// The Wine prefix that holds `path`: the directory above its innermost
// "drive_c" folder; nothing when no folder of the path is called that.
std::optional<std::string> WinePrefixHolding(std::string_view path);

// A drive of a prefix: its letter and the Unix directory it stands for.
struct WineDrive {
    char letter = 0;  // upper case
    std::string root; // absolute, without a trailing slash ("/" for the root)
};

// A link in a prefix's dosdevices folder: its name ("c:", "z:"; others, such
// as the devices "c::" or "com1", are no drives) and the text it points to.
struct DosDeviceLink {
    std::string name;
    std::string target;
};

// The drives of the links found in `dosdevicesDir`; a relative target is taken
// from that folder, as Wine takes it. Letters in order, A first.
std::vector<WineDrive> DrivesFromLinks(std::string_view dosdevicesDir, const std::vector<DosDeviceLink>& links);

// The Windows name of the absolute Unix path `path` in a prefix with these
// drives: the drive whose root is the longest leading part of the path (on a
// tie, the first letter), then the rest with backslashes. Nothing when the
// path is relative or no drive holds it.
std::optional<std::string> WindowsPathIn(std::string_view path, const std::vector<WineDrive>& drives);

// The other way: the Unix name of the Windows path `windowsPath` in a prefix
// with these drives, the root of its drive then the rest with slashes ("." and
// ".." folded, as Windows folds them). The letters keep the case they are
// written in: finding the file's own case is the caller's business, as Wine
// finds it. Nothing for a path without a drive letter (relative, or a
// network name) or on a drive the prefix does not have.
std::optional<std::string> UnixPathIn(std::string_view windowsPath, const std::vector<WineDrive>& drives);

}  // namespace pivora
