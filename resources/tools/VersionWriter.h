// Writes the binary VS_VERSIONINFO block of the version data, laid out as the
// resource compilers lay it out, so that the Linux build carries the same bytes
// that the Windows executable does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/formats/VersionBlock.h"
#include "resources/tools/VersionData.h"

namespace pivora::resources {

namespace detail {

inline void Put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline void PadTo4(std::string& out) {
    while (out.size() % 4 != 0) out.push_back('\0');
}

inline std::string Utf16Bytes(std::u16string_view s, bool terminate) {
    std::string out;
    for (char16_t c : s) Put16(out, c);
    if (terminate) Put16(out, 0);
    return out;
}

// One node: wLength, wValueLength, wType, the key, the value and the children,
// each of the last three starting on a 32-bit boundary. Every node starts on
// one too, so aligning within the node aligns within the block. wLength covers
// the node up to the end of its last child, without the padding after it.
inline std::string Node(std::string_view key, std::uint16_t valueLength, std::uint16_t type,
                        const std::string& value, const std::vector<std::string>& children) {
    std::string out(6, '\0');
    out += Utf16Bytes(pivora::Utf8ToUtf16(key), true);
    PadTo4(out);
    out += value;
    for (const std::string& child : children) {
        PadTo4(out);
        out += child;
    }
    // wLength is 16 bits: pivora_mkversion refuses a block that outgrows it, and
    // no node is larger than the block.
    const auto length = static_cast<std::uint16_t>(out.size());
    std::string header;
    Put16(header, length);
    Put16(header, valueLength);
    Put16(header, type);
    out.replace(0, 6, header);
    return out;
}

inline std::string Hex4(std::uint16_t v) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, v = static_cast<std::uint16_t>(v >> 4)) s[static_cast<std::size_t>(i)] = kDigits[v & 0xF];
    return s;
}

}  // namespace detail

constexpr std::uint16_t kTextNode = 1;
constexpr std::uint16_t kBinaryNode = 0;

// "041103A4": the name of the string table, language first.
inline std::string StringTableName(const VersionData& data) {
    return detail::Hex4(data.language) + detail::Hex4(data.codePage);
}

inline std::string WriteVersionBlock(const VersionData& data) {
    using detail::Node;
    using detail::Put32;

    std::string fixed;
    Put32(fixed, 0xFEEF04BD);  // VS_FFI_SIGNATURE
    Put32(fixed, 0x00010000);  // VS_FFI_STRUCVERSION
    Put32(fixed, (std::uint32_t{data.fileVersion[0]} << 16) | data.fileVersion[1]);
    Put32(fixed, (std::uint32_t{data.fileVersion[2]} << 16) | data.fileVersion[3]);
    Put32(fixed, (std::uint32_t{data.productVersion[0]} << 16) | data.productVersion[1]);
    Put32(fixed, (std::uint32_t{data.productVersion[2]} << 16) | data.productVersion[3]);
    Put32(fixed, data.fileFlagsMask);
    Put32(fixed, data.fileFlags);
    Put32(fixed, data.fileOs);
    Put32(fixed, data.fileType);
    Put32(fixed, data.fileSubtype);
    Put32(fixed, 0);  // file date, high
    Put32(fixed, 0);  // file date, low

    std::vector<std::string> strings;
    for (const auto& [name, value] : data.strings) {
        const std::u16string text = pivora::Utf8ToUtf16(value);
        // Counted in characters with the terminator, as the resource compiler counts.
        const auto chars = static_cast<std::uint16_t>(text.size() + 1);
        strings.push_back(Node(name, chars, kTextNode, detail::Utf16Bytes(text, true), {}));
    }
    const std::string table = Node(StringTableName(data), 0, kTextNode, {}, strings);
    const std::string stringFileInfo = Node("StringFileInfo", 0, kTextNode, {}, {table});

    std::string translation;
    Put32(translation, (std::uint32_t{data.codePage} << 16) | data.language);
    const std::string var = Node("Translation", 4, kBinaryNode, translation, {});
    const std::string varFileInfo = Node("VarFileInfo", 0, kTextNode, {}, {var});

    return Node("VS_VERSION_INFO", static_cast<std::uint16_t>(fixed.size()), kBinaryNode, fixed,
                {stringFileInfo, varFileInfo});
}

}  // namespace pivora::resources
