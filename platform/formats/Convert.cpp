#include "platform/formats/Convert.h"

#include <limits>

namespace pivora {

std::optional<std::int32_t> StrToInt(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') { base = 16; ++i; }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        value = value * base + digit;
        // Hexadecimal text names a bit pattern, as the runtime reads it: $FFFFFFFF is -1.
        const std::int64_t limit = base == 16 ? 0xFFFFFFFFLL : std::int64_t{1} << 31;
        if (value > limit) return std::nullopt;
    }
    if (base == 16) {
        std::int32_t bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(bits)) : bits;
    }
    if (negative) return static_cast<std::int32_t>(-value);
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) {
    return StrToInt(text).value_or(def);
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

}  // namespace pivora
