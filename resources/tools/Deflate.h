// A zlib stream of one deflate block in the fixed Huffman code, its repeats
// found greedily through hash chains. Written here rather than taken from a
// zlib, whose bytes differ between versions and forks: the committed icon files
// are held to what the generator writes, byte for byte, and an icon's flat
// colours need no better compression than this.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pivora::resources {

namespace deflate_detail {

// Bits go into each byte from its lowest; a Huffman code goes out from its
// highest bit, every other number from its lowest.
class BitWriter {
public:
    void Number(std::uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i) Bit((value >> i) & 1u);
    }
    void Code(std::uint32_t code, int bits) {
        for (int i = bits - 1; i >= 0; --i) Bit((code >> i) & 1u);
    }
    std::string Finish() {
        if (used_ > 0) out_.push_back(static_cast<char>(byte_));
        byte_ = 0, used_ = 0;
        return std::move(out_);
    }

private:
    void Bit(std::uint32_t bit) {
        byte_ |= bit << used_;
        if (++used_ == 8) {
            out_.push_back(static_cast<char>(byte_));
            byte_ = 0, used_ = 0;
        }
    }
    std::string out_;
    std::uint32_t byte_ = 0;
    int used_ = 0;
};

// The fixed literal/length code of RFC 1951, 3.2.6.
inline void Symbol(BitWriter& out, std::uint32_t symbol) {
    if (symbol < 144) out.Code(0x30 + symbol, 8);
    else if (symbol < 256) out.Code(0x190 + symbol - 144, 9);
    else if (symbol < 280) out.Code(symbol - 256, 7);
    else out.Code(0xC0 + symbol - 280, 8);
}

inline constexpr std::array<std::uint32_t, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,
                                                           15, 17, 19, 23, 27, 31, 35, 43, 51,  59,
                                                           67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr std::array<int, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr std::array<std::uint32_t, 30> kDistanceBase{
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr std::array<int, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// "Repeat `length` bytes from `distance` back" (3..258, 1..32768).
inline void Repeat(BitWriter& out, std::uint32_t length, std::uint32_t distance) {
    std::size_t l = kLengthBase.size() - 1;
    while (kLengthBase[l] > length) --l;
    Symbol(out, 257 + static_cast<std::uint32_t>(l));
    out.Number(length - kLengthBase[l], kLengthExtra[l]);
    std::size_t d = kDistanceBase.size() - 1;
    while (kDistanceBase[d] > distance) --d;
    out.Code(static_cast<std::uint32_t>(d), 5);
    out.Number(distance - kDistanceBase[d], kDistanceExtra[d]);
}

inline std::uint32_t Adler32(const std::string& bytes) {
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : bytes) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

}  // namespace deflate_detail

inline std::string ZlibCompress(const std::string& data) {
    using namespace deflate_detail;
    constexpr std::size_t kWindow = 32768, kMinimum = 3, kMaximum = 258, kChain = 64, kHashBits = 15;
    const std::size_t n = data.size();
    auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])); };
    auto hash = [&](std::size_t i) {
        return ((byte(i) << 10) ^ (byte(i + 1) << 5) ^ byte(i + 2)) & ((1u << kHashBits) - 1);
    };
    // The latest position of each hash, and before each position the one
    // before it with the same hash; n stands for none.
    std::vector<std::size_t> head(std::size_t{1} << kHashBits, n), previous(n, n);
    auto remember = [&](std::size_t i) {
        if (i + kMinimum > n) return;
        const std::uint32_t h = hash(i);
        previous[i] = head[h];
        head[h] = i;
    };

    BitWriter out;
    out.Number(1, 1);  // the last block
    out.Number(1, 2);  // in the fixed code
    for (std::size_t i = 0; i < n;) {
        std::size_t bestLength = 0, bestDistance = 0;
        if (i + kMinimum <= n) {
            const std::size_t longest = std::min(kMaximum, n - i);
            std::size_t candidate = head[hash(i)];
            for (std::size_t tries = 0; candidate != n && i - candidate <= kWindow && tries < kChain;
                 ++tries, candidate = previous[candidate]) {
                std::size_t length = 0;
                while (length < longest && data[candidate + length] == data[i + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = i - candidate;
                    if (length == longest) break;
                }
            }
        }
        if (bestLength >= kMinimum) {
            Repeat(out, static_cast<std::uint32_t>(bestLength), static_cast<std::uint32_t>(bestDistance));
            for (std::size_t k = 0; k < bestLength; ++k) remember(i + k);
            i += bestLength;
        } else {
            Symbol(out, byte(i));
            remember(i);
            ++i;
        }
    }
    Symbol(out, 256);  // the end of the block

    std::string z("\x78\x5E", 2);  // deflate with a 32 KB window; the check bits make it a multiple of 31
    z += out.Finish();
    const std::uint32_t adler = Adler32(data);
    for (int shift = 24; shift >= 0; shift -= 8) z.push_back(static_cast<char>((adler >> shift) & 0xFF));
    return z;
}

}  // namespace pivora::resources
