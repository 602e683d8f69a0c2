// The icon as files: a Windows .ico of 4-bit images, and PNGs for the Linux
// desktop entry and window. Written without zlib, in stored deflate blocks:
// the files are a few kilobytes, and every byte follows from the drawing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "resources/tools/IconArt.h"

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

inline std::uint32_t Crc32(const std::string& bytes, std::size_t from = 0) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= static_cast<unsigned char>(bytes[i]);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::uint32_t Adler32(const std::string& bytes) {
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : bytes) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

// A zlib stream of stored blocks, each at most 65535 bytes.
inline std::string StoredZlib(const std::string& data) {
    std::string out("\x78\x01", 2);
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(data.size() - at, 0xFFFF);
        const bool last = at + n == data.size();
        out.push_back(last ? '\x01' : '\x00');
        Le16(out, static_cast<std::uint32_t>(n));
        Le16(out, static_cast<std::uint32_t>(~n & 0xFFFF));
        out.append(data, at, n);
        at += n;
    } while (at < data.size());
    Be32(out, Adler32(data));
    return out;
}

inline void PngChunk(std::string& png, const char* type, const std::string& data) {
    Be32(png, static_cast<std::uint32_t>(data.size()));
    std::string body(type, 4);
    body += data;
    png += body;
    Be32(png, Crc32(body));
}

// The 4-bit colour image and the 1-bit mask of one icon image, after its
// BITMAPINFOHEADER and palette. Rows run bottom-up, each padded to 32 bits.
// Transparent pixels are black under a set mask bit, which leaves the screen
// as it was.
inline std::string IcoImage(const IconImage& image) {
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

}  // namespace icon_detail

// An icon group: the images in the order given, each with its directory entry.
inline std::string WriteIco(const std::vector<IconImage>& images) {
    using namespace icon_detail;
    std::string out;
    Le16(out, 0);
    Le16(out, 1);  // an icon, not a cursor
    Le16(out, static_cast<std::uint32_t>(images.size()));
    std::vector<std::string> bodies;
    for (const IconImage& image : images) bodies.push_back(IcoImage(image));
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<char>(images[i].size >= 256 ? 0 : images[i].size));
        out.push_back(static_cast<char>(images[i].size >= 256 ? 0 : images[i].size));
        out.push_back(16);  // colours
        out.push_back(0);
        Le16(out, 1);  // planes
        Le16(out, 4);  // bits a pixel
        Le32(out, static_cast<std::uint32_t>(bodies[i].size()));
        Le32(out, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const std::string& body : bodies) out += body;
    return out;
}

// An 8-bit RGBA PNG, transparent pixels fully so.
inline std::string WritePng(const IconImage& image) {
    using namespace icon_detail;
    std::string png("\x89PNG\r\n\x1A\n", 8);
    std::string header;
    Be32(header, static_cast<std::uint32_t>(image.size));
    Be32(header, static_cast<std::uint32_t>(image.size));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no filter, no interlace
    PngChunk(png, "IHDR", header);
    std::string raw;
    for (int y = 0; y < image.size; ++y) {
        raw.push_back('\0');  // no filter on this row
        for (int x = 0; x < image.size; ++x) {
            const int index = image.At(x, y);
            const Rgb c = index < 0 ? Rgb{0, 0, 0} : kVgaPalette[static_cast<std::size_t>(index)];
            raw.push_back(static_cast<char>(c.r));
            raw.push_back(static_cast<char>(c.g));
            raw.push_back(static_cast<char>(c.b));
            raw.push_back(static_cast<char>(index < 0 ? 0 : 0xFF));
        }
    }
    PngChunk(png, "IDAT", StoredZlib(raw));
    PngChunk(png, "IEND", "");
    return png;
}

// Every file the generator writes, by name, for the generator and its test.
struct IconFile {
    const char* name;
    std::string bytes;
};

inline std::vector<IconFile> AllIconFiles() {
    const IconImage i32 = Icon32();
    const IconImage i16 = Icon16();
    return {
        {"Pivora.ico", WriteIco({i32, i16})},
        {"pivora-16.png", WritePng(i16)},
        {"pivora-32.png", WritePng(i32)},
        {"pivora-64.png", WritePng(Enlarge(i32, 2))},
    };
}

}  // namespace pivora::resources
