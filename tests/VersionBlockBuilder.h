// Hand-built VS_VERSIONINFO blocks for the reader's tests, written apart from
// the build's own writer so that the two are not wrong together. Every field
// can be overridden, to build blocks that no resource compiler would.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pivora::testing {

struct VNode {
    std::u16string key;
    std::uint16_t type = 1;
    std::string value;                         // the value's bytes as stored
    std::optional<std::uint16_t> valueLength;  // default: what the value holds
    std::optional<std::uint16_t> length;       // default: the node's real length
    bool terminateKey = true;
    std::vector<VNode> children;
};

inline void Put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline std::string Utf16(std::u16string_view s, bool terminate = true) {
    std::string out;
    for (char16_t c : s) Put16(out, c);
    if (terminate) Put16(out, 0);
    return out;
}

inline std::string Build(const VNode& n) {
    auto pad = [](std::string& s) { s.resize((s.size() + 3) / 4 * 4, '\0'); };
    std::string out(6, '\0');
    out += Utf16(n.key, n.terminateKey);
    pad(out);
    out += n.value;
    for (const VNode& c : n.children) {
        pad(out);
        out += Build(c);
    }
    const std::uint16_t valueLength =
        n.valueLength.value_or(static_cast<std::uint16_t>(n.type == 1 ? n.value.size() / 2 : n.value.size()));
    std::string header;
    Put16(header, n.length.value_or(static_cast<std::uint16_t>(out.size())));
    Put16(header, valueLength);
    Put16(header, n.type);
    out.replace(0, 6, header);
    return out;
}

inline VNode Text(std::u16string key, std::u16string_view value) {
    return VNode{std::move(key), 1, Utf16(value), {}, {}, true, {}};
}

inline VNode Group(std::u16string key, std::vector<VNode> children) {
    return VNode{std::move(key), 1, {}, {}, {}, true, std::move(children)};
}

inline VNode Translations(const std::vector<std::pair<std::uint16_t, std::uint16_t>>& entries) {
    std::string value;
    for (const auto& [lang, cp] : entries) {
        Put16(value, lang);
        Put16(value, cp);
    }
    return Group(u"VarFileInfo", {VNode{u"Translation", 0, value, {}, {}, true, {}}});
}

inline std::string FixedInfo(std::uint32_t fileMS, std::uint32_t fileLS, std::uint32_t signature = 0xFEEF04BD) {
    std::string f;
    for (std::uint32_t v : {signature, 0x00010000u, fileMS, fileLS, fileMS, fileLS, 0x3Fu, 0u, 4u, 1u, 0u, 0u, 0u})
        Put32(f, v);
    return f;
}

inline VNode Root(std::vector<VNode> children, std::string fixed = FixedInfo(0x00010000, 0x00000002)) {
    return VNode{u"VS_VERSION_INFO", 0, std::move(fixed), {}, {}, true, std::move(children)};
}

// A block like the launcher's: one table, one translation naming it.
inline VNode StandardRoot() {
    return Root({
        Group(u"StringFileInfo", {Group(u"041103A4", {
                                              Text(u"CompanyName", u"Pivora developers"),
                                              Text(u"FileVersion", u"1.0.0.2"),
                                              Text(u"LegalCopyright", u"Copyright (C) 2026 Pivora developers"),
                                              Text(u"ProductName", u"Pivora"),
                                          })}),
        Translations({{0x0411, 0x03A4}}),
    });
}

// The node reached by following child indexes from the root, to change it.
inline VNode& At(VNode& root, std::initializer_list<std::size_t> path) {
    VNode* n = &root;
    for (std::size_t i : path) n = &n->children.at(i);
    return *n;
}

}  // namespace pivora::testing
