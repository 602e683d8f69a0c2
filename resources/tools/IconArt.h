// The launcher's icon at 16 and 32 pixels, drawn pixel by pixel: a white "P"
// with a yellow launch arrow on a rounded navy tile, in the sixteen colours of
// the standard Windows VGA palette. Each size is drawn on its own, since a
// 16-pixel icon scaled down from 32 pixels loses the letter; the larger sizes
// are drawn from shapes (IconDrawing.h).
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace pivora::resources {

struct Rgb {
    std::uint8_t r, g, b;
};

// In palette order, which is also the order a 4-bit icon stores its colours in.
inline constexpr std::array<Rgb, 16> kVgaPalette{{
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
}};

// One letter a pixel, a palette index each; "." is transparent. The letters
// follow the colours' names: blacK, Maroon, Dark green, Olive, Navy, Purple,
// Teal, Silver, Gray, Red, Lime, Yellow, Blue, Fuchsia, Cyan, White.
inline constexpr std::string_view kLetters = "KMDONPTSGRLYBFCW";

inline constexpr std::array<std::string_view, 32> kArt32{{
    "....KKKKKKKKKKKKKKKKKKKKKKKK....",
    "..KKBBBBBBBBBBBBBBBBBBBBBBBBKK..",
    ".KBBNNNNNNNNNNNNNNNNNNNNNNNNNNK.",
    ".KBNNNNNNNNNNNNNNNNNNNNNNNNNNNK.",
    "KBNNNNNNNNNNNNNNNNNNNNNNNNNNNNNK",
    "KBNNNNNNNNNNNNNNNNNNNNNNNNNNNNNK",
    "KBNNNNWWWWWWWWWWWWNNNNNNNNNNNNNK",
    "KBNNNNWWWWWWWWWWWWWWNNNNNNNNNNNK",
    "KBNNNNWWWWWWWWWWWWWWWNNNNNNNNNNK",
    "KBNNNNWWWWWGGGGGGWWWWWNNNNNNNNNK",
    "KBNNNNWWWWWGNNNNNNWWWWGNNNNNNNNK",
    "KBNNNNWWWWWGNNNNNNWWWWGNNNNNNNNK",
    "KBNNNNWWWWWGNNNNNWWWWWGNNNNNNNNK",
    "KBNNNNWWWWWWWWWWWWWWWGGNNNNNNNNK",
    "KBNNNNWWWWWWWWWWWWWWGGNNNNNNNNNK",
    "KBNNNNWWWWWWWWWWWWGGGNNNNNNNNNNK",
    "KBNNNNWWWWWGGGGGGGGNNNYYYYYYYNNK",
    "KBNNNNWWWWWGNNNNNNNNNNNYYYYYYGNK",
    "KBNNNNWWWWWGNNNNNNNNNNNNYYYYYGNK",
    "KBNNNNWWWWWGNNNNNNNNNNNYYYYYYGNK",
    "KBNNNNWWWWWGNNNNNNNNNNYYYYYYYGNK",
    "KBNNNNWWWWWGNNNNNNNNNYYYYYGYYGNK",
    "KBNNNNWWWWWGNNNNNNNNYYYYYGGNYGNK",
    "KBNNNNNGGGGGNNNNNNNYYYYYGGNNNGNK",
    "KBNNNNNNNNNNNNNNNNYYYYYGGNNNNNNK",
    "KBNNNNNNNNNNNNNNNYYYYYGGNNNNNNNK",
    "KBNNNNNNNNNNNNNNNYYYYGGNNNNNNNNK",
    "KBNNNNNNNNNNNNNNNYYYGGNNNNNNNNNK",
    ".KBNNNNNNNNNNNNNNNGGGNNNNNNNNNK.",
    ".KBNNNNNNNNNNNNNNNNNNNNNNNNNNNK.",
    "..KKNNNNNNNNNNNNNNNNNNNNNNNNKK..",
    "....KKKKKKKKKKKKKKKKKKKKKKKK....",
}};

inline constexpr std::array<std::string_view, 16> kArt16{{
    "..KKKKKKKKKKKK..",
    ".KBBBBBBBBBBBBK.",
    "KBNNNNNNNNNNNNNK",
    "KBNWWWWWWNNNNNNK",
    "KBNWWWWWWWNNNNNK",
    "KBNWWGGGWWGNNNNK",
    "KBNWWGNNWWGNNNNK",
    "KBNWWWWWWWGNNNNK",
    "KBNWWWWWWGGYYYYK",
    "KBNWWGGGGNNNYYYK",
    "KBNWWGNNNNNYYYYK",
    "KBNWWGNNNNYYYNYK",
    "KBNNGGNNNYYYNNNK",
    "KBNNNNNNNNYNNNNK",
    ".KNNNNNNNNNNNNK.",
    "..KKKKKKKKKKKK..",
}};

// A square picture: a palette index a pixel, top row first, -1 where it is
// transparent.
struct IconImage {
    int size = 0;
    std::vector<int> pixels;
    int At(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }
};

template <std::size_t N>
IconImage FromArt(const std::array<std::string_view, N>& art) {
    IconImage image;
    image.size = static_cast<int>(N);
    for (std::string_view row : art) {
        if (row.size() != N) throw std::logic_error("icon art rows must be square");
        for (char c : row) {
            const std::size_t index = kLetters.find(c);
            if (c != '.' && index == std::string_view::npos) throw std::logic_error("unknown icon colour letter");
            image.pixels.push_back(c == '.' ? -1 : static_cast<int>(index));
        }
    }
    return image;
}

inline IconImage Icon32() { return FromArt(kArt32); }
inline IconImage Icon16() { return FromArt(kArt16); }

}  // namespace pivora::resources
