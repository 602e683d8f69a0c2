// The icon: the committed files are what the generator draws, byte for byte,
// and each file, decoded here on its own terms, shows the drawing.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/tools/IconArt.h"
#include "resources/tools/IconFiles.h"

namespace pivora::testing {
namespace {

using resources::IconImage;
using resources::kVgaPalette;

const std::string kResources = std::string(PIVORA_GOLDEN_DIR) + "/../../resources/";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::string& b, std::size_t at, int width) {
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + static_cast<std::size_t>(i)));
    return v;
}

std::uint32_t Be(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(b.at(at + i));
    return v;
}

// A table-driven CRC, unlike the generator's bitwise one.
std::uint32_t TableCrc(const std::string& s) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char ch : s) c = table[(c ^ ch) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Inflates a zlib stream of stored blocks, the only kind the generator writes;
// anything else fails the test.
std::string InflateStored(const std::string& z) {
    EXPECT_GE(z.size(), 6u);
    EXPECT_EQ((static_cast<unsigned char>(z[0]) * 256 + static_cast<unsigned char>(z[1])) % 31, 0);
    EXPECT_EQ(z[0] & 0x0F, 8);  // deflate
    std::string out;
    std::size_t at = 2;
    for (bool last = false; !last;) {
        const auto head = static_cast<unsigned char>(z.at(at++));
        last = head & 1;
        EXPECT_EQ(head >> 1, 0) << "not a stored block";
        const std::uint32_t len = Le(z, at, 2), nlen = Le(z, at + 2, 2);
        EXPECT_EQ(len ^ 0xFFFF, nlen);
        out += z.substr(at + 4, len);
        at += 4 + len;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : out) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(Be(z, at), (b << 16) | a);
    EXPECT_EQ(at + 4, z.size());
    return out;
}

// RGBA of each pixel as the drawing means it: transparent is all zero.
std::vector<std::uint32_t> Rgba(const IconImage& image) {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < image.size; ++y)
        for (int x = 0; x < image.size; ++x) {
            const int i = image.At(x, y);
            if (i < 0) {
                px.push_back(0);
            } else {
                const auto& c = kVgaPalette[static_cast<std::size_t>(i)];
                px.push_back((std::uint32_t{c.r} << 24) | (c.g << 16) | (c.b << 8) | 0xFF);
            }
        }
    return px;
}

struct Png {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

Png DecodePng(const std::string& png) {
    Png out;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    std::string idat;
    std::vector<std::string> order;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t len = Be(png, at);
        const std::string type = png.substr(at + 4, 4);
        const std::string data = png.substr(at + 8, len);
        EXPECT_EQ(Be(png, at + 8 + len), TableCrc(type + data)) << type;
        order.push_back(type);
        if (type == "IHDR") {
            out.width = static_cast<int>(Be(data, 0));
            out.height = static_cast<int>(Be(data, 4));
            EXPECT_EQ(data.substr(8), std::string("\x08\x06\x00\x00\x00", 5));
        }
        if (type == "IDAT") idat += data;
        at += 12 + len;
    }
    EXPECT_EQ(order, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    const std::string raw = InflateStored(idat);
    const std::size_t stride = static_cast<std::size_t>(out.width) * 4 + 1;
    EXPECT_EQ(raw.size(), stride * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height && raw.size() == stride * static_cast<std::size_t>(out.height); ++y) {
        EXPECT_EQ(raw[static_cast<std::size_t>(y) * stride], '\0');
        for (int x = 0; x < out.width; ++x) {
            const std::size_t p = static_cast<std::size_t>(y) * stride + 1 + static_cast<std::size_t>(x) * 4;
            std::uint32_t v = 0;
            for (int k = 0; k < 4; ++k) v = (v << 8) | static_cast<unsigned char>(raw[p + static_cast<std::size_t>(k)]);
            out.pixels.push_back(v);
        }
    }
    return out;
}

// --- The committed files ----------------------------------------------------

TEST(IconFiles, GeneratorReproducesTheCommittedFiles) {
    const auto files = resources::AllIconFiles();
    ASSERT_EQ(files.size(), 4u);
    for (const auto& file : files)
        EXPECT_TRUE(ReadFile(kResources + file.name) == file.bytes)
            << file.name << " differs from what tools/mkicon.cpp draws: "
            << "run `cmake --build build --target pivora_redraw_icon` and commit the result";
}

// --- The .ico ---------------------------------------------------------------

TEST(IconFiles, IcoHoldsTwoSixteenColourImagesThatShowTheDrawing) {
    const std::string ico = ReadFile(kResources + "Pivora.ico");
    ASSERT_GE(ico.size(), 6u + 2 * 16);
    EXPECT_EQ(Le(ico, 0, 2), 0u);
    EXPECT_EQ(Le(ico, 2, 2), 1u);  // icon
    ASSERT_EQ(Le(ico, 4, 2), 2u);
    const std::array<IconImage, 2> want{resources::Icon32(), resources::Icon16()};
    std::size_t expectedOffset = 6 + 2 * 16;
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(want[i].size);
        const std::size_t e = 6 + 16 * i;
        const int size = want[i].size;
        EXPECT_EQ(Le(ico, e, 1), static_cast<std::uint32_t>(size));
        EXPECT_EQ(Le(ico, e + 1, 1), static_cast<std::uint32_t>(size));
        EXPECT_EQ(Le(ico, e + 2, 1), 16u);
        EXPECT_EQ(Le(ico, e + 4, 2), 1u);
        EXPECT_EQ(Le(ico, e + 6, 2), 4u);
        const std::uint32_t bytes = Le(ico, e + 8, 4), offset = Le(ico, e + 12, 4);
        EXPECT_EQ(offset, expectedOffset);
        ASSERT_LE(std::uint64_t{offset} + bytes, ico.size());
        expectedOffset += bytes;

        const std::string img = ico.substr(offset, bytes);
        EXPECT_EQ(Le(img, 0, 4), 40u);
        EXPECT_EQ(Le(img, 4, 4), static_cast<std::uint32_t>(size));
        EXPECT_EQ(Le(img, 8, 4), static_cast<std::uint32_t>(size * 2));
        EXPECT_EQ(Le(img, 14, 2), 4u);
        EXPECT_EQ(Le(img, 16, 4), 0u);
        for (std::size_t c = 0; c < 16; ++c) {
            EXPECT_EQ(Le(img, 40 + 4 * c, 4),
                      (std::uint32_t{kVgaPalette[c].r} << 16) | (kVgaPalette[c].g << 8) | kVgaPalette[c].b)
                << c;
        }
        const std::size_t colourStride = static_cast<std::size_t>((size * 4 + 31) / 32 * 4);
        const std::size_t maskStride = static_cast<std::size_t>((size + 31) / 32 * 4);
        const std::size_t colours = 40 + 64;
        const std::size_t mask = colours + colourStride * static_cast<std::size_t>(size);
        ASSERT_EQ(img.size(), mask + maskStride * static_cast<std::size_t>(size));
        for (int y = 0; y < size; ++y) {
            const std::size_t row = static_cast<std::size_t>(size - 1 - y);  // bottom-up
            for (int x = 0; x < size; ++x) {
                const auto byte = static_cast<unsigned char>(img[colours + row * colourStride + static_cast<std::size_t>(x / 2)]);
                const int index = x % 2 == 0 ? byte >> 4 : byte & 0x0F;
                const bool clear = static_cast<unsigned char>(img[mask + row * maskStride + static_cast<std::size_t>(x / 8)]) &
                                   (0x80 >> (x % 8));
                const int drawn = want[i].At(x, y);
                EXPECT_EQ(clear, drawn < 0) << x << "," << y;
                EXPECT_EQ(index, drawn < 0 ? 0 : drawn) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(expectedOffset, ico.size());
}

// --- The PNGs ---------------------------------------------------------------

TEST(IconFiles, PngsShowTheDrawingAtTheirSizes) {
    const std::pair<const char*, IconImage> cases[] = {
        {"pivora-16.png", resources::Icon16()},
        {"pivora-32.png", resources::Icon32()},
        {"pivora-64.png", resources::Enlarge(resources::Icon32(), 2)},
    };
    for (const auto& [name, image] : cases) {
        SCOPED_TRACE(name);
        const Png png = DecodePng(ReadFile(kResources + name));
        EXPECT_EQ(png.width, image.size);
        EXPECT_EQ(png.height, image.size);
        EXPECT_TRUE(png.pixels == Rgba(image));
    }
}

TEST(IconFiles, StoredZlibSplitsLongDataIntoBlocks) {
    std::string data;
    for (int i = 0; i < 140000; ++i) data += static_cast<char>(i * 31 % 251);
    EXPECT_EQ(InflateStored(resources::icon_detail::StoredZlib(data)), data);
    EXPECT_EQ(InflateStored(resources::icon_detail::StoredZlib(data.substr(0, 0xFFFF))), data.substr(0, 0xFFFF));
    EXPECT_EQ(InflateStored(resources::icon_detail::StoredZlib("")), "");
}

// --- The drawing --------------------------------------------------------------

TEST(IconArt, TileIsRoundedAndOutlinedOnATransparentGround) {
    for (const IconImage& image : {resources::Icon32(), resources::Icon16()}) {
        SCOPED_TRACE(image.size);
        const int last = image.size - 1;
        ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(image.size * image.size));
        // Corners are cut away; the middle of each edge is the black outline.
        for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) EXPECT_EQ(image.At(x, y), -1);
        for (auto [x, y] : {std::pair{image.size / 2, 0}, {0, image.size / 2}, {last, image.size / 2},
                            {image.size / 2, last}})
            EXPECT_EQ(image.At(x, y), 0);
        // Transparent only outside the tile: every row has it at its ends alone.
        for (int y = 0; y < image.size; ++y) {
            int x = 0;
            while (x < image.size && image.At(x, y) < 0) ++x;
            int r = last;
            while (r >= 0 && image.At(r, y) < 0) --r;
            for (int k = x; k <= r; ++k) EXPECT_GE(image.At(k, y), 0) << k << "," << y;
            EXPECT_EQ(x, last - r) << "row " << y << " is not symmetric";
        }
    }
}

TEST(IconArt, IsMostlyNavyWithAWhiteLetterAndAYellowArrow) {
    for (const IconImage& image : {resources::Icon32(), resources::Icon16()}) {
        std::array<int, 16> count{};
        for (int p : image.pixels)
            if (p >= 0) ++count[static_cast<std::size_t>(p)];
        EXPECT_GT(count[4], image.size * image.size / 3);  // navy ground
        EXPECT_GT(count[15], image.size);                  // the white letter
        EXPECT_GT(count[11], image.size / 4);              // the yellow arrow
    }
}

}  // namespace
}  // namespace pivora::testing
