// The version-information block of an executable (VS_VERSIONINFO), read the
// way VerQueryValue reads it, on any platform. The block comes from a file that
// anyone could have edited: every length and offset in it is checked against
// the block, and whatever does not hold together reads as nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pivora {

struct VersionTranslation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    bool operator==(const VersionTranslation&) const = default;
};

// VS_FIXEDFILEINFO.
struct FixedFileInfo {
    std::uint32_t signature = 0;
    std::uint32_t strucVersion = 0;
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
    std::uint32_t productVersionMS = 0;
    std::uint32_t productVersionLS = 0;
    std::uint32_t fileFlagsMask = 0;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOS = 0;
    std::uint32_t fileType = 0;
    std::uint32_t fileSubtype = 0;
    std::uint32_t fileDateMS = 0;
    std::uint32_t fileDateLS = 0;
};

class VersionBlock {
public:
    // The bytes may run on past the block (GetFileVersionInfo's buffer does);
    // the root's own length decides where it ends. Nothing when the root does
    // not fit in the bytes or is not a VS_VERSION_INFO node.
    static std::optional<VersionBlock> Parse(std::string_view bytes);

    // The root's value, when it is a whole VS_FIXEDFILEINFO with its signature.
    std::optional<FixedFileInfo> Fixed() const;

    // The entries of \VarFileInfo\Translation, in their order; empty when the
    // table is missing or cut short.
    std::vector<VersionTranslation> Translations() const;
    std::optional<VersionTranslation> FirstTranslation() const;

    // \StringFileInfo\<table>\<name> in UTF-8, e.g. StringValue("041103A4",
    // "ProductName"). Names match without regard to ASCII case, as on Windows.
    std::optional<std::string> StringValue(std::string_view table, std::string_view name) const;

    // A path as VerQueryValue takes it, components separated by backslashes.
    // QueryText reads the value as a terminated UTF-16 string and gives UTF-8;
    // QueryBinary gives as many bytes of the value as wValueLength says, which
    // is what VerQueryValue hands back for binary values.
    std::optional<std::string> QueryText(std::string_view path) const;
    std::optional<std::string_view> QueryBinary(std::string_view path) const;

    // The block itself, up to the root's length.
    const std::string& Bytes() const { return bytes_; }

private:
    explicit VersionBlock(std::string bytes) : bytes_(std::move(bytes)) {}
    std::string bytes_;
};

// The version-information block of an executable file, as the platform keeps
// it: the ".pivora_version" section on Linux, the VERSIONINFO resource (through
// GetFileVersionInfo) on Windows. Nothing when the file has none.
std::optional<std::string> LoadVersionInfoBlock(const std::string& fileName);

// UTF-8 as UTF-16, as the block's keys and values are stored. A byte sequence
// that is not UTF-8 becomes U+FFFD, so a damaged text never runs on into the
// next one. The build's writer of the block uses it too.
std::u16string Utf8ToUtf16(std::string_view s);

}  // namespace pivora
