// The icon as files: a Windows .ico, and PNGs for the Linux desktop and the
// windows' title bars. The 16- and 32-pixel images are the hand-drawn art in
// sixteen colours; 48 pixels and up are drawn from shapes (IconDrawing.h) in
// true colour with smoothed edges.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "resources/tools/Deflate.h"
#include "resources/tools/IconArt.h"
#include "resources/tools/IconDrawing.h"

namespace pivora::resources {

namespace icon_detail {

inline void Le16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void Le32(std::string& out, std::uint32_t v) {
    Le16(out, v & 0xFFFF);
    Le16(out, v >> 16);
}
inline void Be32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

inline std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PngChunk(std::string& png, const char* type, const std::string& data) {
    Be32(png, static_cast<std::uint32_t>(data.size()));
    std::string body(type, 4);
    body += data;
    png += body;
    Be32(png, Crc32(body));
}

// The PNG filters (None, Sub, Up, Average, Paeth) of one row of RGBA bytes,
// `above` being the row before it (zeros for the first).
inline std::string FilterRow(int type, const std::string& row, const std::string& above) {
    std::string out(1, static_cast<char>(type));
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int x = static_cast<unsigned char>(row[i]);
        const int a = i >= 4 ? static_cast<unsigned char>(row[i - 4]) : 0;
        const int b = static_cast<unsigned char>(above[i]);
        const int c = i >= 4 ? static_cast<unsigned char>(above[i - 4]) : 0;
        int predicted = 0;
        switch (type) {
            case 1: predicted = a; break;
            case 2: predicted = b; break;
            case 3: predicted = (a + b) / 2; break;
            case 4: {
                const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                break;
            }
            default: break;
        }
        out.push_back(static_cast<char>((x - predicted) & 0xFF));
    }
    return out;
}

// Each row with the filter that leaves the smallest bytes, taken as signed:
// the usual guess at what compresses best.
inline std::string FilteredRows(const RgbaImage& image) {
    const std::size_t stride = static_cast<std::size_t>(image.size) * 4;
    std::string above(stride, '\0'), out;
    for (int y = 0; y < image.size; ++y) {
        std::string row;
        for (int x = 0; x < image.size; ++x) {
            const Rgba& p = image.At(x, y);
            row += {static_cast<char>(p.r), static_cast<char>(p.g), static_cast<char>(p.b), static_cast<char>(p.a)};
        }
        std::string best;
        long bestCost = 0;
        for (int type = 0; type <= 4; ++type) {
            std::string filtered = FilterRow(type, row, above);
            long cost = 0;
            for (std::size_t i = 1; i < filtered.size(); ++i) cost += std::abs(static_cast<signed char>(filtered[i]));
            if (best.empty() || cost < bestCost) best = std::move(filtered), bestCost = cost;
        }
        out += best;
        above = row;
    }
    return out;
}

// An .ico image of 4 bits a pixel after its BITMAPINFOHEADER and palette: the
// colours, then the 1-bit mask, rows bottom-up, each padded to 32 bits.
// Transparent pixels are black under a set mask bit, which leaves the screen
// as it was.
inline std::string PaletteBitmap(const IconImage& image) {
    const auto size = static_cast<std::uint32_t>(image.size);
    const std::uint32_t colourStride = (size * 4 + 31) / 32 * 4;
    const std::uint32_t maskStride = (size + 31) / 32 * 4;
    std::string out;
    Le32(out, 40);
    Le32(out, size);
    Le32(out, size * 2);  // the colour image and the mask, one above the other
    Le16(out, 1);
    Le16(out, 4);
    Le32(out, 0);  // BI_RGB
    Le32(out, (colourStride + maskStride) * size);
    Le32(out, 0);
    Le32(out, 0);
    Le32(out, 0);
    Le32(out, 0);
    for (const Rgb& c : kVgaPalette) {
        out.push_back(static_cast<char>(c.b));
        out.push_back(static_cast<char>(c.g));
        out.push_back(static_cast<char>(c.r));
        out.push_back('\0');
    }
    for (int y = image.size - 1; y >= 0; --y) {
        std::string row(colourStride, '\0');
        for (int x = 0; x < image.size; ++x) {
            const int index = image.At(x, y) < 0 ? 0 : image.At(x, y);
            row[static_cast<std::size_t>(x / 2)] |= static_cast<char>(x % 2 == 0 ? index << 4 : index);
        }
        out += row;
    }
    for (int y = image.size - 1; y >= 0; --y) {
        std::string row(maskStride, '\0');
        for (int x = 0; x < image.size; ++x)
            if (image.At(x, y) < 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        out += row;
    }
    return out;
}

// The same in 32 bits a pixel, blue, green, red, alpha: Windows since XP blends
// by the alpha and ignores the mask, which older ones use instead (set where
// the pixel is wholly transparent).
inline std::string TrueColourBitmap(const RgbaImage& image) {
    const auto size = static_cast<std::uint32_t>(image.size);
    const std::uint32_t maskStride = (size + 31) / 32 * 4;
    std::string out;
    Le32(out, 40);
    Le32(out, size);
    Le32(out, size * 2);
    Le16(out, 1);
    Le16(out, 32);
    Le32(out, 0);  // BI_RGB
    Le32(out, (size * 4 + maskStride) * size);
    Le32(out, 0);
    Le32(out, 0);
    Le32(out, 0);
    Le32(out, 0);
    for (int y = image.size - 1; y >= 0; --y)
        for (int x = 0; x < image.size; ++x) {
            const Rgba& p = image.At(x, y);
            out += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r), static_cast<char>(p.a)};
        }
    for (int y = image.size - 1; y >= 0; --y) {
        std::string row(maskStride, '\0');
        for (int x = 0; x < image.size; ++x)
            if (image.At(x, y).a == 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        out += row;
    }
    return out;
}

}  // namespace icon_detail

// The 16-colour art in true colour, transparent where it is.
inline RgbaImage ToRgba(const IconImage& image) {
    RgbaImage out;
    out.size = image.size;
    for (int index : image.pixels) {
        if (index < 0) {
            out.pixels.push_back({});
        } else {
            const Rgb& c = kVgaPalette[static_cast<std::size_t>(index)];
            out.pixels.push_back({c.r, c.g, c.b, 0xFF});
        }
    }
    return out;
}

// An 8-bit RGBA PNG, transparent pixels all zero.
inline std::string WritePng(const RgbaImage& image) {
    using namespace icon_detail;
    std::string png("\x89PNG\r\n\x1A\n", 8);
    std::string header;
    Be32(header, static_cast<std::uint32_t>(image.size));
    Be32(header, static_cast<std::uint32_t>(image.size));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, adaptive filters, no interlace
    PngChunk(png, "IHDR", header);
    PngChunk(png, "IDAT", ZlibCompress(FilteredRows(image)));
    PngChunk(png, "IEND", "");
    return png;
}

// One image of an .ico: its directory entry's fields and its bytes.
struct IcoImage {
    int size;     // 256 is written as 0, as the directory's byte must
    int colours;  // in the palette; 0 for true colour
    int bits;     // a pixel
    std::string bytes;
};

inline IcoImage PaletteIcoImage(const IconImage& image) {
    return {image.size, 16, 4, icon_detail::PaletteBitmap(image)};
}
inline IcoImage TrueColourIcoImage(const RgbaImage& image) {
    return {image.size, 0, 32, icon_detail::TrueColourBitmap(image)};
}
// Windows Vista and later take a PNG as an image of an .ico, as they do for
// their own 256-pixel icons; as a bitmap it would be a quarter of a megabyte.
inline IcoImage PngIcoImage(const RgbaImage& image) { return {image.size, 0, 32, WritePng(image)}; }

// An icon group: the images in the order given, each with its directory entry.
inline std::string WriteIco(const std::vector<IcoImage>& images) {
    using namespace icon_detail;
    std::string out;
    Le16(out, 0);
    Le16(out, 1);  // an icon, not a cursor
    Le16(out, static_cast<std::uint32_t>(images.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const IcoImage& image : images) {
        out.push_back(static_cast<char>(image.size >= 256 ? 0 : image.size));
        out.push_back(static_cast<char>(image.size >= 256 ? 0 : image.size));
        out.push_back(static_cast<char>(image.colours));
        out.push_back(0);
        Le16(out, 1);  // planes
        // windres copies these into the resource's icon group, which the
        // system picks an image by: they must be right even for a PNG.
        Le16(out, static_cast<std::uint32_t>(image.bits));
        Le32(out, static_cast<std::uint32_t>(image.bytes.size()));
        Le32(out, offset);
        offset += static_cast<std::uint32_t>(image.bytes.size());
    }
    for (const IcoImage& image : images) out += image.bytes;
    return out;
}

// The sizes drawn from shapes, each a PNG and, where Windows shows it (48 in
// Explorer's lists, 256 in its large views), an image of the .ico.
inline constexpr int kDrawnSizes[] = {48, 64, 128, 256};

// Every file the generator writes, by name, for the generator and its test.
struct IconFile {
    std::string name;
    std::string bytes;
};

inline std::vector<IconFile> AllIconFiles() {
    const IconImage i16 = Icon16();
    const IconImage i32 = Icon32();
    const RgbaImage i48 = DrawIcon(48);
    const RgbaImage i256 = DrawIcon(256);
    // The 32-pixel image first: a shell of Windows 3.1's time takes the first.
    std::vector<IconFile> files{
        {"Pivora.ico", WriteIco({PaletteIcoImage(i32), PaletteIcoImage(i16), TrueColourIcoImage(i48),
                                 PngIcoImage(i256)})},
        {"pivora-16.png", WritePng(ToRgba(i16))},
        {"pivora-32.png", WritePng(ToRgba(i32))},
    };
    for (int size : kDrawnSizes)
        files.push_back({"pivora-" + std::to_string(size) + ".png",
                         WritePng(size == 48 ? i48 : size == 256 ? i256 : DrawIcon(size))});
    return files;
}

}  // namespace pivora::resources
