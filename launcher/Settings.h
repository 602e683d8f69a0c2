// The settings file beside the executable: the test-mode switch, the size of
// the launch history and the IDE executables registered for versions 2, 3, 4.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace pivora {

class FileSystem;

constexpr std::int32_t kDefaultHistoryMax = 1000;

// The registered executable of each IDE version, indexed by version number.
class TRegisteredPaths {
public:
    static constexpr int kFirst = 2, kLast = 4;
    static bool Registrable(std::int32_t version) { return version >= kFirst && version <= kLast; }

    // Empty for a version without a slot, so no caller can index out of bounds.
    const std::string& operator[](std::int32_t version) const;
    void Set(std::int32_t version, std::string path);  // versions 2..4 only
    bool operator==(const TRegisteredPaths&) const = default;

private:
    std::array<std::string, kLast - kFirst + 1> paths_{};
};

struct TSettings {
    bool TestMode = false;
    std::int32_t HistoryMax = kDefaultHistoryMax;
    TRegisteredPaths RegisteredPaths;
};

// The executable's path with its extension replaced by (or, without one, added as) ".ini".
std::string SettingsFileName(const std::string& exePath);

// Missing file, section or key, or a value that does not convert, reads as the
// default. A negative history size reads as the default too.
TSettings LoadSettings(FileSystem& files, const std::string& iniPath);
// Writes all five keys, keeping every other byte of the file. While the file
// does not exist, it starts as a copy of `startFrom` (an administrator's
// settings) when that is given and exists. Throws FileError.
void SaveSettings(FileSystem& files, const std::string& iniPath, const TSettings& settings,
                  const std::string& startFrom = {});

}  // namespace pivora
