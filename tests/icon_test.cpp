// The icon: the committed files are what the generator draws, byte for byte,
// each file, decoded here on its own terms, shows the art or the drawing, and
// the drawing at every size shows the hand-drawn picture.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/tools/Deflate.h"
#include "resources/tools/IconArt.h"
#include "resources/tools/IconDrawing.h"
#include "resources/tools/IconFiles.h"

namespace pivora::testing {
namespace {

using resources::IconImage;
using resources::kVgaPalette;
using resources::RgbaImage;

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

// Inflates a zlib stream (RFC 1950, 1951) of stored and fixed-code blocks,
// the only kinds the generator writes; a dynamic block fails the test. Decoded
// the canonical way, from code lengths, unlike the generator's encoder.
class Inflater {
public:
    explicit Inflater(const std::string& z) : z_(z) {}

    std::string Run() {
        EXPECT_GE(z_.size(), 6u);
        if (z_.size() < 6) return {};
        EXPECT_EQ((static_cast<unsigned char>(z_[0]) * 256 + static_cast<unsigned char>(z_[1])) % 31, 0);
        EXPECT_EQ(z_[0] & 0x0F, 8);  // deflate
        at_ = 2;
        std::string out;
        for (bool last = false; !last && !failed_;) {
            last = Bits(1) == 1;
            const int type = Bits(2);
            if (type == 0) {
                bits_ = 0, count_ = 0;  // to the next byte
                const std::uint32_t len = Le(z_, at_, 2), nlen = Le(z_, at_ + 2, 2);
                EXPECT_EQ(len ^ 0xFFFF, nlen);
                out += z_.substr(at_ + 4, len);
                at_ += 4 + len;
            } else if (type == 1) {
                Block(out);
            } else {
                Fail("a block of type " + std::to_string(type));
            }
        }
        if (failed_) return out;
        std::uint32_t a = 1, b = 0;
        for (unsigned char c : out) {
            a = (a + c) % 65521;
            b = (b + a) % 65521;
        }
        EXPECT_EQ(Be(z_, at_), (b << 16) | a) << "Adler-32";
        EXPECT_EQ(at_ + 4, z_.size());
        return out;
    }

private:
    struct Code {
        std::array<int, 16> count{};
        std::vector<int> symbols;  // by length, then by value
    };

    static Code Canonical(const std::vector<int>& lengths) {
        Code code;
        for (int l : lengths) ++code.count[static_cast<std::size_t>(l)];
        code.count[0] = 0;
        for (int l = 1; l < 16; ++l)
            for (std::size_t s = 0; s < lengths.size(); ++s)
                if (lengths[s] == l) code.symbols.push_back(static_cast<int>(s));
        return code;
    }

    int Bits(int n) {
        int v = 0;
        for (int i = 0; i < n; ++i) {
            if (count_ == 0) {
                if (at_ >= z_.size()) {
                    Fail("the stream ends in a block");
                    return 0;
                }
                bits_ = static_cast<unsigned char>(z_[at_++]);
                count_ = 8;
            }
            v |= static_cast<int>(bits_ & 1u) << i;
            bits_ >>= 1;
            --count_;
        }
        return v;
    }

    int Decode(const Code& code) {
        int value = 0, first = 0, index = 0;
        for (int l = 1; l < 16 && !failed_; ++l) {
            value |= Bits(1);
            const int n = code.count[static_cast<std::size_t>(l)];
            if (value - n < first) return code.symbols[static_cast<std::size_t>(index + value - first)];
            index += n, first = (first + n) << 1, value <<= 1;
        }
        Fail("no such code");
        return 256;
    }

    void Block(std::string& out) {
        static const int kBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const int kExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static const int kDistBase[] = {1,   2,   3,    4,    5,    7,    9,    13,    17,    25,
                                        33,  49,  65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static const int kDistExtra[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        static const Code literals = [] {
            std::vector<int> l(288, 8);
            for (int s = 144; s < 256; ++s) l[static_cast<std::size_t>(s)] = 9;
            for (int s = 256; s < 280; ++s) l[static_cast<std::size_t>(s)] = 7;
            return Canonical(l);
        }();
        static const Code distances = Canonical(std::vector<int>(30, 5));
        for (;;) {
            const int symbol = Decode(literals);
            if (failed_ || symbol == 256) return;
            if (symbol < 256) {
                out.push_back(static_cast<char>(symbol));
                continue;
            }
            const auto l = static_cast<std::size_t>(symbol - 257);
            if (l >= 29) return Fail("length symbol " + std::to_string(symbol));
            const int length = kBase[l] + Bits(kExtra[l]);
            const auto d = static_cast<std::size_t>(Decode(distances));
            if (d >= 30) return Fail("distance symbol " + std::to_string(d));
            const auto distance = static_cast<std::size_t>(kDistBase[d] + Bits(kDistExtra[d]));
            if (distance > out.size() || distance > 32768)
                return Fail("distance " + std::to_string(distance) + " at " + std::to_string(out.size()));
            for (int k = 0; k < length; ++k) out.push_back(out[out.size() - distance]);
        }
    }

    void Fail(const std::string& why) {
        failed_ = true;
        ADD_FAILURE() << why;
    }

    const std::string& z_;
    std::size_t at_ = 0;
    std::uint32_t bits_ = 0;
    int count_ = 0;
    bool failed_ = false;
};

std::string Inflate(const std::string& z) { return Inflater(z).Run(); }

// RGBA of each pixel of the 16-colour art as the drawing means it:
// transparent is all zero.
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

std::vector<std::uint32_t> Rgba(const RgbaImage& image) {
    std::vector<std::uint32_t> px;
    for (const auto& p : image.pixels)
        px.push_back((std::uint32_t{p.r} << 24) | (std::uint32_t{p.g} << 16) | (std::uint32_t{p.b} << 8) | p.a);
    return px;
}

struct Png {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

// Undoes a row's PNG filter in place; `above` is the row before, unfiltered.
void Unfilter(int type, std::string& row, const std::string& above) {
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= 4 ? static_cast<unsigned char>(row[i - 4]) : 0;
        const int b = static_cast<unsigned char>(above[i]);
        const int c = i >= 4 ? static_cast<unsigned char>(above[i - 4]) : 0;
        int add = 0;
        if (type == 1) add = a;
        if (type == 2) add = b;
        if (type == 3) add = (a + b) >> 1;
        if (type == 4) {
            const int p = a + b - c;
            const int pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
            add = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        }
        row[i] = static_cast<char>(static_cast<unsigned char>(row[i]) + add);
    }
}

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
    const std::string raw = Inflate(idat);
    const std::size_t stride = static_cast<std::size_t>(out.width) * 4;
    EXPECT_EQ(raw.size(), (stride + 1) * static_cast<std::size_t>(out.height));
    if (raw.size() != (stride + 1) * static_cast<std::size_t>(out.height)) return out;
    std::string above(stride, '\0');
    for (int y = 0; y < out.height; ++y) {
        const std::size_t start = static_cast<std::size_t>(y) * (stride + 1);
        const int type = raw[start];
        EXPECT_LE(type, 4) << "filter of row " << y;
        std::string row = raw.substr(start + 1, stride);
        Unfilter(type, row, above);
        for (std::size_t p = 0; p < stride; p += 4) out.pixels.push_back(Be(row, p));
        above = row;
    }
    return out;
}

// --- The committed files ----------------------------------------------------

TEST(IconFiles, GeneratorReproducesTheCommittedFiles) {
    const auto files = resources::AllIconFiles();
    std::vector<std::string> names;
    for (const auto& file : files) {
        names.push_back(file.name);
        EXPECT_TRUE(ReadFile(kResources + file.name) == file.bytes)
            << file.name << " differs from what tools/mkicon.cpp draws: "
            << "run `cmake --build build --target pivora_redraw_icon` and commit the result";
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Pivora.ico", "pivora-16.png", "pivora-32.png", "pivora-48.png",
                                               "pivora-64.png", "pivora-128.png", "pivora-256.png"}));
}

// --- The .ico ---------------------------------------------------------------

struct IcoEntry {
    std::uint32_t width, height, colours, planes, bits;
    std::string image;
};

std::vector<IcoEntry> ReadIco(const std::string& ico) {
    std::vector<IcoEntry> entries;
    EXPECT_EQ(Le(ico, 0, 2), 0u);
    EXPECT_EQ(Le(ico, 2, 2), 1u);  // icon
    const std::uint32_t count = Le(ico, 4, 2);
    std::size_t expectedOffset = 6 + 16 * count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16 * i;
        EXPECT_EQ(Le(ico, e + 3, 1), 0u) << "reserved";
        const std::uint32_t bytes = Le(ico, e + 8, 4), offset = Le(ico, e + 12, 4);
        EXPECT_EQ(offset, expectedOffset) << "image " << i << " does not follow the one before";
        if (std::uint64_t{offset} + bytes > ico.size()) {
            ADD_FAILURE() << "image " << i << " runs past the end";
            break;
        }
        expectedOffset = offset + bytes;
        entries.push_back({Le(ico, e, 1), Le(ico, e + 1, 1), Le(ico, e + 2, 1), Le(ico, e + 4, 2), Le(ico, e + 6, 2),
                           ico.substr(offset, bytes)});
    }
    EXPECT_EQ(expectedOffset, ico.size());
    return entries;
}

// A BITMAPINFOHEADER of a colour image with its mask below it.
void ExpectBitmapHeader(const std::string& img, int size, int bits) {
    EXPECT_EQ(Le(img, 0, 4), 40u);
    EXPECT_EQ(Le(img, 4, 4), static_cast<std::uint32_t>(size));
    EXPECT_EQ(Le(img, 8, 4), static_cast<std::uint32_t>(size * 2));
    EXPECT_EQ(Le(img, 12, 2), 1u);
    EXPECT_EQ(Le(img, 14, 2), static_cast<std::uint32_t>(bits));
    EXPECT_EQ(Le(img, 16, 4), 0u);  // BI_RGB
}

// The mask bit of (x, y), rows bottom-up from `mask`.
bool MaskBit(const std::string& img, std::size_t mask, int size, int x, int y) {
    const std::size_t stride = static_cast<std::size_t>((size + 31) / 32 * 4);
    const std::size_t row = static_cast<std::size_t>(size - 1 - y);
    return static_cast<unsigned char>(img.at(mask + row * stride + static_cast<std::size_t>(x / 8))) & (0x80 >> (x % 8));
}

void ExpectPaletteImage(const std::string& img, const IconImage& want) {
    const int size = want.size;
    ExpectBitmapHeader(img, size, 4);
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
            const int drawn = want.At(x, y);
            EXPECT_EQ(MaskBit(img, mask, size, x, y), drawn < 0) << x << "," << y;
            EXPECT_EQ(index, drawn < 0 ? 0 : drawn) << x << "," << y;
        }
    }
}

void ExpectTrueColourImage(const std::string& img, const RgbaImage& want) {
    const int size = want.size;
    ExpectBitmapHeader(img, size, 32);
    const std::size_t colours = 40;
    const std::size_t mask = colours + 4 * static_cast<std::size_t>(size * size);
    ASSERT_EQ(img.size(), mask + static_cast<std::size_t>((size + 31) / 32 * 4 * size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const std::size_t at = colours + 4 * static_cast<std::size_t>((size - 1 - y) * size + x);
            const auto& p = want.At(x, y);
            const std::uint32_t bgra = Le(img, at, 4);
            EXPECT_EQ(bgra, (std::uint32_t{p.a} << 24) | (std::uint32_t{p.r} << 16) | (std::uint32_t{p.g} << 8) | p.b)
                << x << "," << y;
            EXPECT_EQ(MaskBit(img, mask, size, x, y), p.a == 0) << x << "," << y;
        }
    }
}

TEST(IconFiles, IcoHoldsTheArtInSixteenColoursAndTheDrawingInTrueColourUpTo256) {
    const std::vector<IcoEntry> entries = ReadIco(ReadFile(kResources + "Pivora.ico"));
    ASSERT_EQ(entries.size(), 4u);
    // The directory tells the system which image is which: size (256 as 0),
    // colours, planes and bits a pixel, copied by windres into the exe's group.
    const std::uint32_t want[4][4] = {{32, 16, 1, 4}, {16, 16, 1, 4}, {48, 0, 1, 32}, {0, 0, 1, 32}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].width, want[i][0]);
        EXPECT_EQ(entries[i].height, want[i][0]);
        EXPECT_EQ(entries[i].colours, want[i][1]);
        EXPECT_EQ(entries[i].planes, want[i][2]);
        EXPECT_EQ(entries[i].bits, want[i][3]);
    }
    {
        SCOPED_TRACE("32");
        ExpectPaletteImage(entries[0].image, resources::Icon32());
    }
    {
        SCOPED_TRACE("16");
        ExpectPaletteImage(entries[1].image, resources::Icon16());
    }
    {
        SCOPED_TRACE("48");
        ExpectTrueColourImage(entries[2].image, resources::DrawIcon(48));
    }
    // The 256-pixel image is a PNG, the same as pivora-256.png.
    EXPECT_TRUE(entries[3].image == ReadFile(kResources + "pivora-256.png"));
    const Png png = DecodePng(entries[3].image);
    EXPECT_EQ(png.width, 256);
    EXPECT_EQ(png.height, 256);
    EXPECT_TRUE(png.pixels == Rgba(resources::DrawIcon(256)));
}

// --- The PNGs ---------------------------------------------------------------

TEST(IconFiles, PngsShowTheArtAndTheDrawingAtTheirSizes) {
    const std::pair<const char*, std::vector<std::uint32_t>> art[] = {
        {"pivora-16.png", Rgba(resources::Icon16())},
        {"pivora-32.png", Rgba(resources::Icon32())},
    };
    for (const auto& [name, pixels] : art) {
        SCOPED_TRACE(name);
        const Png png = DecodePng(ReadFile(kResources + name));
        EXPECT_EQ(png.width * png.height, static_cast<int>(pixels.size()));
        EXPECT_TRUE(png.pixels == pixels);
    }
    for (int size : resources::kDrawnSizes) {
        const std::string name = "pivora-" + std::to_string(size) + ".png";
        SCOPED_TRACE(name);
        const Png png = DecodePng(ReadFile(kResources + name));
        EXPECT_EQ(png.width, size);
        EXPECT_EQ(png.height, size);
        EXPECT_TRUE(png.pixels == Rgba(resources::DrawIcon(size)));
    }
}

TEST(IconFiles, EveryPngFilterIsUndoneByTheDecoder) {
    // Rows of noise, each filtered with every one of the five filters over
    // the row before it: the standard's unfiltering gives the row back.
    std::uint32_t seed = 99;
    auto noise = [&] {
        std::string row;
        for (int i = 0; i < 4 * 256; ++i) {
            seed = seed * 1103515245u + 12345u;
            row.push_back(static_cast<char>(seed >> 24));
        }
        return row;
    };
    std::string above(4 * 256, '\0');
    for (int y = 0; y < 16; ++y) {
        const std::string row = noise();
        for (int type = 0; type <= 4; ++type) {
            SCOPED_TRACE(type);
            std::string filtered = resources::icon_detail::FilterRow(type, row, above);
            ASSERT_EQ(filtered.size(), row.size() + 1);
            EXPECT_EQ(filtered[0], static_cast<char>(type));
            filtered.erase(0, 1);
            Unfilter(type, filtered, above);
            EXPECT_TRUE(filtered == row);
        }
        above = row;
    }
}

TEST(IconFiles, CompressionRoundTripsAndFindsRepeats) {
    std::uint32_t seed = 12345;
    auto random = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) {
            seed = seed * 1103515245u + 12345u;
            s.push_back(static_cast<char>(seed >> 23));
        }
        return s;
    };
    const std::string noise = random(140000);
    const std::string window = random(32768), pastWindow = random(32769);
    const std::string cases[] = {
        "",
        "a",
        "abcabcabcabcabcabcabcabc",  // a repeat overlapping itself
        noise,                       // nothing to find: literals only
        std::string(300000, '\0'),   // runs longer than the longest repeat
        window + window.substr(0, 600),          // repeats from exactly 32 KB back
        pastWindow + pastWindow.substr(0, 600),  // one byte too far back to refer to
    };
    for (const std::string& data : cases) {
        SCOPED_TRACE(data.size());
        EXPECT_TRUE(Inflate(resources::ZlibCompress(data)) == data);
    }
    EXPECT_LT(resources::ZlibCompress(std::string(300000, '\0')).size(), 3000u);
    EXPECT_LT(resources::ZlibCompress(window + window).size(), resources::ZlibCompress(window).size() + 1000);
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

// The palette colour nearest to a drawn pixel, -1 for one mostly transparent.
int NearestColour(const resources::Rgba& p) {
    if (p.a < 128) return -1;
    int best = 0, bestDistance = 1 << 30;
    for (std::size_t i = 0; i < kVgaPalette.size(); ++i) {
        const int dr = p.r - kVgaPalette[i].r, dg = p.g - kVgaPalette[i].g, db = p.b - kVgaPalette[i].b;
        if (dr * dr + dg * dg + db * db < bestDistance) best = static_cast<int>(i), bestDistance = dr * dr + dg * dg + db * db;
    }
    return best;
}

TEST(IconDrawing, EverySizeShowsTheHandDrawnPicture) {
    // Read at the middle of each pixel of the 32-pixel art, a drawing shows
    // the art's colour there nearly everywhere: it differs only where an edge
    // of the art is a staircase and the drawing's is straight or round.
    const IconImage art = resources::Icon32();
    for (int size : resources::kDrawnSizes) {
        SCOPED_TRACE(size);
        const RgbaImage drawn = resources::DrawIcon(size);
        int same = 0;
        std::array<int, 16> count{};
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const int colour = NearestColour(drawn.At((2 * x + 1) * size / 64, (2 * y + 1) * size / 64));
                same += colour == art.At(x, y);
                if (colour >= 0) ++count[static_cast<std::size_t>(colour)];
            }
        EXPECT_GE(same, 32 * 32 * 9 / 10);
        for (int colour : {0, 4, 8, 11, 12, 15}) EXPECT_GT(count[static_cast<std::size_t>(colour)], 10) << colour;
    }
}

TEST(IconDrawing, EdgesAreSmoothAndTheTileHasNoHoles) {
    for (int size : resources::kDrawnSizes) {
        SCOPED_TRACE(size);
        const RgbaImage image = resources::DrawIcon(size);
        ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(size * size));
        const int last = size - 1;
        for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) EXPECT_EQ(image.At(x, y).a, 0);
        EXPECT_EQ(image.At(size / 2, 0), (resources::Rgba{0, 0, 0, 255}));
        // Smoothed, not enlarged from 16 colours: the rounded corners fade
        // out, and the shapes' edges blend their colours.
        std::set<std::uint32_t> colours;
        int fading = 0;
        for (const auto& p : image.pixels) {
            colours.insert((std::uint32_t{p.r} << 16) | (std::uint32_t{p.g} << 8) | p.b);
            fading += p.a > 0 && p.a < 255;
        }
        EXPECT_GT(colours.size(), 32u);
        EXPECT_GE(fading, 8);
        // A tile without holes, symmetric: each row's opacity grows to its
        // middle and falls again alike, and the middle rows are opaque through.
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size / 2; ++x) {
                EXPECT_EQ(image.At(x, y).a, image.At(last - x, y).a) << x << "," << y;
                EXPECT_LE(image.At(x, y).a, image.At(x + 1, y).a) << x << "," << y;
            }
            if (y >= size / 5 && y < size - size / 5) {
                for (int x = 0; x < size; ++x) EXPECT_EQ(image.At(x, y).a, 255) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace pivora::testing
