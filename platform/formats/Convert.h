// Text-to-number conversions with the runtime's whole-text rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pivora {

// An optional "+" or "-", then decimal digits, or "$" and hexadecimal digits;
// nothing may precede or follow. Values outside 32 bits do not convert.
std::optional<std::int32_t> StrToInt(std::string_view text);
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);
std::string IntToStr(std::int64_t value);

}  // namespace pivora
