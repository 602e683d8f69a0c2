// The icon's larger sizes (48 pixels and up), drawn from shapes rather than
// enlarged from the 32-pixel art: the same rounded navy tile, white "P" and
// yellow arrow, each shape with its edges smoothed at every size. The shapes
// sit on the grid the 32-pixel art was drawn on, counted in quarters of its
// pixels, so that every size shows the same picture.
//
// Only integers: the committed files are held to what this draws, byte for
// byte, on every compiler and floating-point unit the tests run on.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "resources/tools/IconArt.h"

namespace pivora::resources {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

// A square picture in true colour, top row first; alpha is not premultiplied.
struct RgbaImage {
    int size = 0;
    std::vector<Rgba> pixels;
    const Rgba& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }
};

namespace drawing_detail {

// The grid: 128 quarters to the side, the 32 pixels of the hand-drawn art.
inline constexpr std::int64_t kQuarters = 128;
// Samples a pixel, along each axis; a pixel's colour is their average.
inline constexpr int kSamples = 8;

// A point of the picture in sample units: one quarter is 4 * size of them, and
// the sample (i, j) of pixel (x, y) lies at 512 * x + 64 * i + 32, the middle
// of its cell, whatever the size.
struct Point {
    std::int64_t x, y;
};

struct Shapes {
    std::int64_t unit;  // sample units a quarter

    // A rectangle from (x0, y0) to (x1, y1), its corners rounded with radius r.
    bool RoundRect(Point p, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                   std::int64_t r) const {
        x0 *= unit, y0 *= unit, x1 *= unit, y1 *= unit, r *= unit;
        if (p.x < x0 || p.x >= x1 || p.y < y0 || p.y >= y1) return false;
        const std::int64_t cx = p.x < x0 + r ? x0 + r : p.x > x1 - r ? x1 - r : p.x;
        const std::int64_t cy = p.y < y0 + r ? y0 + r : p.y > y1 - r ? y1 - r : p.y;
        return (p.x - cx) * (p.x - cx) + (p.y - cy) * (p.y - cy) <= r * r;
    }

    bool Rect(Point p, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) const {
        return p.x >= x0 * unit && p.x < x1 * unit && p.y >= y0 * unit && p.y < y1 * unit;
    }

    bool Disc(Point p, std::int64_t cx, std::int64_t cy, std::int64_t r) const {
        const std::int64_t dx = p.x - cx * unit, dy = p.y - cy * unit;
        return dx * dx + dy * dy <= r * r * unit * unit;
    }

    // Inside the polygon of these corners, by the crossings of a ray to the right.
    template <std::size_t N>
    bool Polygon(Point p, const std::array<Point, N>& corners) const {
        bool inside = false;
        for (std::size_t i = 0, j = N - 1; i < N; j = i++) {
            const Point a{corners[i].x * unit, corners[i].y * unit};
            const Point b{corners[j].x * unit, corners[j].y * unit};
            if ((a.y > p.y) == (b.y > p.y)) continue;
            // The edge crosses the point's row to its right.
            const std::int64_t side = (p.x - a.x) * (b.y - a.y) - (b.x - a.x) * (p.y - a.y);
            if (b.y > a.y ? side < 0 : side > 0) inside = !inside;
        }
        return inside;
    }

    // The "P": a stem, and a bowl with its round end to the right and a hole
    // of the same form.
    bool Letter(Point p) const {
        if (Rect(p, 24, 24, 44, 92)) return true;
        const bool bowl = Rect(p, 24, 24, 68, 64) || Disc(p, 68, 44, 20);
        const bool hole = Rect(p, 44, 36, 64, 52) || Disc(p, 64, 44, 8);
        return bowl && !hole;
    }

    // The arrow, pointing up and right from the tile's lower middle.
    bool Arrow(Point p) const {
        static constexpr std::array<Point, 8> kArrow{{
            {68, 100}, {95, 73}, {86, 64}, {116, 64}, {116, 94}, {105, 83}, {76, 112}, {68, 112},
        }};
        return Polygon(p, kArrow);
    }

    // The palette colour at a point, -1 outside the tile. Light falls from the
    // upper left: a blue edge there, and the letter and the arrow cast a gray
    // shadow one pixel of the art down and right.
    int ColourAt(Point p) const {
        if (!RoundRect(p, 0, 0, kQuarters, kQuarters, 18)) return -1;
        if (Arrow(p)) return 11;   // yellow
        if (Letter(p)) return 15;  // white
        const Point shadow{p.x - 4 * unit, p.y - 4 * unit};
        if (Arrow(shadow) || Letter(shadow)) return 8;  // gray
        if (RoundRect(p, 8, 8, 124, 124, 12)) return 4;   // navy ground
        if (RoundRect(p, 4, 4, 124, 124, 14)) return 12;  // blue edge
        return 0;                                         // black outline
    }
};

}  // namespace drawing_detail

// The icon drawn at `size` pixels, its edges smoothed over 8 x 8 samples a
// pixel; outside the tile it is transparent.
inline RgbaImage DrawIcon(int size) {
    using namespace drawing_detail;
    const Shapes shapes{4 * static_cast<std::int64_t>(size)};
    RgbaImage image;
    image.size = size;
    image.pixels.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::uint32_t r = 0, g = 0, b = 0, covered = 0;
            for (int j = 0; j < kSamples; ++j) {
                for (int i = 0; i < kSamples; ++i) {
                    const int colour = shapes.ColourAt({512 * std::int64_t{x} + 64 * i + 32, 512 * std::int64_t{y} + 64 * j + 32});
                    if (colour < 0) continue;
                    const Rgb& c = kVgaPalette[static_cast<std::size_t>(colour)];
                    r += c.r, g += c.g, b += c.b, ++covered;
                }
            }
            Rgba pixel;
            if (covered > 0) {
                pixel.r = static_cast<std::uint8_t>((r + covered / 2) / covered);
                pixel.g = static_cast<std::uint8_t>((g + covered / 2) / covered);
                pixel.b = static_cast<std::uint8_t>((b + covered / 2) / covered);
                constexpr std::uint32_t all = kSamples * kSamples;
                pixel.a = static_cast<std::uint8_t>((255 * covered + all / 2) / all);
            }
            image.pixels.push_back(pixel);
        }
    }
    return image;
}

}  // namespace pivora::resources
