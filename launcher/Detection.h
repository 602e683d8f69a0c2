// Telling which IDE version a file belongs to, without any window: from the
// project's desktop file, from the compiled units of the project's unit list,
// or from the signature at the head of a compiled unit. Each yields 0 when it
// cannot tell. Failures to read an existing project or unit throw FileError.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pivora {

class FileSystem;

std::int32_t DetectFromDsk(FileSystem& files, const std::string& fileName);
std::int32_t DetectFromDpr(FileSystem& files, const std::string& fileName);
std::int32_t DetectFromUnit(FileSystem& files, const std::string& fileName);

// The version whose signature the first bytes of a compiled unit carry (1..4), or 0.
std::int32_t VersionOfUnitSignature(const std::string& head);

// `path` itself when it names a file, else the one file beside it whose name
// differs only in letter case (projects written on Windows name their units
// without regard to case), else nothing.
std::optional<std::string> FindExistingFile(FileSystem& files, const std::string& path);

}  // namespace pivora
