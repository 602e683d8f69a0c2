// How a fuzz target says that a property broke: it names the property and
// shows the bytes involved (escaped, so a CR, a NUL or a lead byte is seen
// as what it is), then aborts, which libFuzzer and the replay both report as
// a crash with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace pivora::fuzz {

// Printable ASCII as it is, every other byte as \xNN, quoted.
inline std::string Shown(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    out += '"';
    return out;
}

// The parts one after the other (appended: GCC 12 warns wrongly, -Wrestrict,
// about some chains of "text" + string).
template <class... Parts>
std::string Cat(const Parts&... parts) {
    std::string out;
    (out.append(std::string_view(parts)), ...);
    return out;
}

[[noreturn]] inline void Broken(const std::string& what) {
    std::fprintf(stderr, "\nproperty broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

// `what` is built only when the check fails.
template <class Describe>
void Require(bool holds, Describe&& what) {
    if (!holds) Broken(what());
}

inline void Require(bool holds, const char* what) {
    if (!holds) Broken(what);
}

}  // namespace pivora::fuzz
