#include "platform/formats/VersionBlock.h"

#include <algorithm>
#include <iterator>

namespace pivora {
namespace {

constexpr std::size_t kHeaderSize = 6;  // wLength, wValueLength, wType
constexpr std::uint16_t kTextType = 1;
constexpr std::size_t kFixedFileInfoSize = 52;
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr char16_t kReplacement = 0xFFFD;

std::uint16_t Read16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::uint32_t Read32(std::string_view b, std::size_t at) {
    return Read16(b, at) | (std::uint32_t{Read16(b, at + 2)} << 16);
}

// Offsets are aligned from the start of the block, which the loader hands over
// on a 32-bit boundary; the bytes' address in memory plays no part.
std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

// One node, its parts as offsets into the block. Every part lies within
// [begin, end), and end lies within the node's parent.
struct Node {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::uint16_t valueLength = 0;
    std::uint16_t type = 0;
    std::size_t keyBegin = 0;
    std::size_t keyEnd = 0;  // at the terminator
    std::size_t valueBegin = 0;
    std::size_t childrenBegin = 0;
};

// The node at `at`, which must fit before `limit`. A length too small to hold
// the header and a terminated key, or reaching past the limit, is no node: so
// every node read covers at least 8 bytes, and walking siblings always ends.
std::optional<Node> ReadNode(std::string_view block, std::size_t at, std::size_t limit) {
    if (limit > block.size() || at > limit || limit - at < kHeaderSize) return std::nullopt;
    Node n;
    n.begin = at;
    const std::size_t length = Read16(block, at);
    if (length < kHeaderSize + 2 || length > limit - at) return std::nullopt;
    n.end = at + length;
    n.valueLength = Read16(block, at + 2);
    n.type = Read16(block, at + 4);
    n.keyBegin = at + kHeaderSize;
    std::size_t p = n.keyBegin;
    while (p + 2 <= n.end && Read16(block, p) != 0) p += 2;
    if (p + 2 > n.end) return std::nullopt;  // the key has no terminator
    n.keyEnd = p;
    n.valueBegin = std::min(Align4(p + 2), n.end);
    // Text values are counted in UTF-16 units, binary ones in bytes.
    const std::size_t valueBytes = n.type == kTextType ? std::size_t{n.valueLength} * 2 : n.valueLength;
    n.childrenBegin = std::min(Align4(n.valueBegin + valueBytes), n.end);
    return n;
}

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool KeyIs(std::string_view block, const Node& n, std::u16string_view key) {
    if ((n.keyEnd - n.keyBegin) / 2 != key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if (FoldAscii(Read16(block, n.keyBegin + 2 * i)) != FoldAscii(key[i])) return false;
    return true;
}

std::optional<Node> FindChild(std::string_view block, const Node& parent, std::u16string_view key) {
    std::size_t at = parent.childrenBegin;
    while (at < parent.end) {
        const auto child = ReadNode(block, at, parent.end);
        // A broken sibling hides the rest: nothing after it can be placed.
        if (!child) return std::nullopt;
        if (KeyIs(block, *child, key)) return child;
        at = Align4(child->end);
    }
    return std::nullopt;
}

void PutUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// The UTF-16 units in [begin, end) of the block, to UTF-8. A surrogate without
// its other half becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view block, std::size_t begin, std::size_t end) {
    std::string out;
    for (std::size_t p = begin; p + 2 <= end; p += 2) {
        const std::uint32_t u = Read16(block, p);
        if (u >= 0xD800 && u <= 0xDBFF && p + 4 <= end) {
            const std::uint32_t low = Read16(block, p + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                PutUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                p += 2;
                continue;
            }
        }
        PutUtf8(out, u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
    }
    return out;
}

// The node that a VerQueryValue path names; "\" and "" name the root.
std::optional<Node> FindPath(std::string_view block, std::string_view path) {
    auto node = ReadNode(block, 0, block.size());
    while (node && !path.empty()) {
        const std::size_t sep = path.find('\\');
        const std::string_view part = path.substr(0, sep);
        path.remove_prefix(sep == std::string_view::npos ? path.size() : sep + 1);
        if (part.empty()) continue;
        node = FindChild(block, *node, Utf8ToUtf16(part));
    }
    return node;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n;
        std::uint32_t cp;
        if (b < 0x80) { out.push_back(b); ++i; continue; }
        if (b >= 0xC2 && b <= 0xDF) { n = 1; cp = b & 0x1Fu; }
        else if (b >= 0xE0 && b <= 0xEF) { n = 2; cp = b & 0x0Fu; }
        else if (b >= 0xF0 && b <= 0xF4) { n = 3; cp = b & 0x07u; }
        else { out.push_back(kReplacement); ++i; continue; }
        std::size_t k = 1;
        for (; k <= n && i + k < s.size(); ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) break;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        const bool overlong = (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000);
        if (k <= n || overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(kReplacement);
            i += k;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += n + 1;
    }
    return out;
}

std::optional<VersionBlock> VersionBlock::Parse(std::string_view bytes) {
    const auto root = ReadNode(bytes, 0, bytes.size());
    if (!root || !KeyIs(bytes, *root, u"VS_VERSION_INFO")) return std::nullopt;
    return VersionBlock(std::string(bytes.substr(0, root->end)));
}

std::optional<FixedFileInfo> VersionBlock::Fixed() const {
    const auto value = QueryBinary("\\");
    if (!value || value->size() < kFixedFileInfoSize) return std::nullopt;
    std::uint32_t f[kFixedFileInfoSize / 4];
    for (std::size_t i = 0; i < std::size(f); ++i) f[i] = Read32(*value, 4 * i);
    if (f[0] != kFixedFileInfoSignature) return std::nullopt;
    return FixedFileInfo{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11], f[12]};
}

std::vector<VersionTranslation> VersionBlock::Translations() const {
    std::vector<VersionTranslation> out;
    if (const auto value = QueryBinary("\\VarFileInfo\\Translation"))
        for (std::size_t at = 0; at + 4 <= value->size(); at += 4)
            out.push_back({Read16(*value, at), Read16(*value, at + 2)});
    return out;
}

std::optional<VersionTranslation> VersionBlock::FirstTranslation() const {
    const auto all = Translations();
    if (all.empty()) return std::nullopt;
    return all.front();
}

std::optional<std::string> VersionBlock::StringValue(std::string_view table, std::string_view name) const {
    // Either part holding a separator would name some other node.
    if (table.empty() || name.empty() || table.find('\\') != std::string_view::npos ||
        name.find('\\') != std::string_view::npos)
        return std::nullopt;
    std::string path = "\\StringFileInfo\\";
    path.append(table).append("\\").append(name);
    return QueryText(path);
}

std::optional<std::string> VersionBlock::QueryText(std::string_view path) const {
    const auto node = FindPath(bytes_, path);
    if (!node) return std::nullopt;
    if (node->valueLength == 0) return std::string();
    // The string runs to its terminator, as VerQueryValue's callers read it,
    // and the terminator must lie within the node.
    std::size_t p = node->valueBegin;
    while (p + 2 <= node->end && Read16(bytes_, p) != 0) p += 2;
    if (p + 2 > node->end) return std::nullopt;
    return Utf16ToUtf8(bytes_, node->valueBegin, p);
}

std::optional<std::string_view> VersionBlock::QueryBinary(std::string_view path) const {
    const auto node = FindPath(bytes_, path);
    if (!node || node->valueLength > node->end - node->valueBegin) return std::nullopt;
    return std::string_view(bytes_).substr(node->valueBegin, node->valueLength);
}

}  // namespace pivora
