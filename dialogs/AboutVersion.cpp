// The About box's reader of an executable's version information.
#include "dialogs/AboutDlg.h"

namespace pivora {

TVersion::TVersion(const std::string& fileName) : TVersion(BlockTag{}, LoadVersionInfoBlock(fileName)) {}

TVersion TVersion::FromBlock(std::string_view block) { return TVersion(BlockTag{}, std::string(block)); }

TVersion::TVersion(BlockTag, std::optional<std::string> block) {
    if (block) FBlock = VersionBlock::Parse(*block);
    if (FBlock && !ReadTranslation()) FBlock.reset();
}

// Only the first translation is used: it names the one string table asked.
bool TVersion::ReadTranslation() {
    const auto first = FBlock->FirstTranslation();
    if (!first) return false;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    FLang = first->language;
    FCodePage = first->codePage;
    const std::uint32_t both = (std::uint32_t{FLang} << 16) | FCodePage;
    FLangCP.assign(8, '0');
    for (int i = 0; i < 8; ++i) FLangCP[static_cast<std::size_t>(i)] = kDigits[(both >> (28 - 4 * i)) & 0xF];
    return true;
}

std::string TVersion::GetValue(std::string_view name) const {
    if (!Loaded()) return std::string();
    return FBlock->StringValue(FLangCP, name).value_or(std::string());
}

}  // namespace pivora
