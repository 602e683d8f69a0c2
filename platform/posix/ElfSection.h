// The bytes of one named section of an ELF file: how the Linux build finds the
// version block that it carries in ".pivora_version". 32- and 64-bit files of
// either byte order are read; anything else, and any header whose offsets or
// sizes reach past the file, gives nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pivora {

// The first section called `name` in the image held in memory.
std::optional<std::string> ElfSectionFromBytes(std::string_view image, std::string_view name);

// The same, read from a file: only the headers, the section names and the
// section itself are read, never more than the file holds.
std::optional<std::string> ElfSectionFromFile(const std::string& path, std::string_view name);

}  // namespace pivora
