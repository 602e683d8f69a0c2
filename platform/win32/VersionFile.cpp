// Windows keeps the version block as the VERSIONINFO resource, which
// GetFileVersionInfo copies out of the file without running or mapping it as
// code. The buffer it fills is larger than the block, for the conversions that
// VerQueryValueA makes; VersionBlock::Parse goes by the block's own length.
#include <windows.h>

#include "platform/formats/VersionBlock.h"

namespace pivora {

std::optional<std::string> LoadVersionInfoBlock(const std::string& fileName) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::string block(size, '\0');
    if (!GetFileVersionInfoA(fileName.c_str(), 0, size, block.data())) return std::nullopt;
    return block;
}

}  // namespace pivora
