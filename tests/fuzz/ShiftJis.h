// Valid Shift-JIS (code page 932) text made from any bytes: every lead byte
// gets a trail byte of the valid range (0x40-0x7E, 0x80-0xFC, so 0x5C, the
// backslash's byte, among them: 表 is 0x95 0x5C), and every byte that is
// neither a character nor a lead byte (0x80, 0xA0, 0xFD-0xFF) becomes ASCII.
#pragma once

#include <string>
#include <string_view>

#include "platform/formats/FileNames.h"

namespace pivora::fuzz {

inline unsigned char ShiftJisTrail(unsigned char b) {
    const unsigned char t = static_cast<unsigned char>(0x40 + b % 188);  // 188 trail bytes
    return t >= 0x7F ? static_cast<unsigned char>(t + 1) : t;            // 0x7F is none
}

inline std::string ValidShiftJis(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (IsShiftJisLeadByte(b)) {
            // The trail comes from the next byte; a lead byte at the end gets 0x5C.
            const unsigned char t = i + 1 < bytes.size() ? ShiftJisTrail(static_cast<unsigned char>(bytes[++i])) : 0x5C;
            out += static_cast<char>(b);
            out += static_cast<char>(t);
        } else if (b == 0x80 || b == 0xA0 || b >= 0xFD) {
            out += static_cast<char>(b & 0x7F);
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

}  // namespace pivora::fuzz
