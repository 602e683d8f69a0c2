// Linux executables carry the version block in a section of their own, put
// there by the build (resources/CMakeLists.txt).
#include "platform/formats/VersionBlock.h"
#include "platform/posix/ElfSection.h"

namespace pivora {

std::optional<std::string> LoadVersionInfoBlock(const std::string& fileName) {
    return ElfSectionFromFile(fileName, ".pivora_version");
}

}  // namespace pivora
