// The About box. Its product name, version and copyright line come from the
// launcher's own executable at run time, from the version block that the build
// put there, so that the box always tells what the file says of itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/interface/Layout.h"
#include "platform/formats/VersionBlock.h"
#include "platform/interface/Window.h"

namespace pivora {

// The version information of one executable file, in the language and code
// page of its first translation. Every value is UTF-8, and empty when the file
// has no block, the block has no translation, or the value is not there.
class TVersion {
public:
    explicit TVersion(const std::string& fileName);
    // The same, from a block already in hand rather than from a file.
    static TVersion FromBlock(std::string_view block);

    std::string GetProductName() const { return GetValue("ProductName"); }
    std::string GetFileVersion() const { return GetValue("FileVersion"); }
    std::string GetLegalCopyright() const { return GetValue("LegalCopyright"); }

    // True once a block was read and it names a translation.
    bool Loaded() const { return FBlock.has_value() && !FLangCP.empty(); }
    std::uint16_t Lang() const { return FLang; }
    std::uint16_t CodePage() const { return FCodePage; }
    // Language then code page, eight upper-case hexadecimal digits: "041103A4".
    const std::string& LangCP() const { return FLangCP; }

private:
    // Tagged, so that a file name never picks this one.
    struct BlockTag {};
    TVersion(BlockTag, std::optional<std::string> block);
    bool ReadTranslation();
    std::string GetValue(std::string_view name) const;

    std::optional<VersionBlock> FBlock;
    std::uint16_t FLang = 0;
    std::uint16_t FCodePage = 0;
    std::string FLangCP;
};

extern const layout::Form kAboutBoxLayout;

// The box itself: its labels are filled once, as it is created at start, and
// every showing shows those same captions.
class TAboutBox {
public:
    explicit TAboutBox(Application& app);

    Window& Form() { return form_; }

private:
    void FormCreate();

    Application& app_;
    Window form_;
};

}  // namespace pivora
