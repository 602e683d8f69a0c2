// libFuzzer target for the version-block reader and the About box's use of
// it: any bytes must parse or not without reading outside them, and whatever
// is found must lie inside the block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dialogs/AboutDlg.h"
#include "platform/formats/VersionBlock.h"

namespace {

void Within(const pivora::VersionBlock& block, std::string_view part) {
    const std::string& all = block.Bytes();
    if (part.data() < all.data() || part.data() + part.size() > all.data() + all.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto block = pivora::VersionBlock::Parse(bytes)) {
        if (block->Bytes().size() > size) std::abort();
        for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo", "\\VarFileInfo"})
            if (const auto value = block->QueryBinary(path)) Within(*block, *value);
        (void)block->Fixed();
        for (const auto& t : block->Translations()) (void)t;
        (void)block->QueryText("\\StringFileInfo\\041103A4\\ProductName");
        (void)block->StringValue("040904B0", "FileVersion");
    }
    // The path through the About box, which also names the table itself.
    const pivora::TVersion version = pivora::TVersion::FromBlock(bytes);
    if (version.Loaded() && version.LangCP().size() != 8) std::abort();
    (void)version.GetProductName();
    (void)version.GetFileVersion();
    (void)version.GetLegalCopyright();
    return 0;
}
