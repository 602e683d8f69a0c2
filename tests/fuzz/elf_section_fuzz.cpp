// libFuzzer target for the ELF section reader: any bytes, any header, and the
// section it hands back is never larger than the image it came from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/posix/ElfSection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    for (const char* name : {".pivora_version", ".text", ".shstrtab", ".symtab"})
        if (const auto section = pivora::ElfSectionFromBytes(image, name))
            if (section->size() > size) std::abort();
    return 0;
}
