// Conversions at the boundary between the launcher's texts (UTF-8), the
// system's wide texts and its ANSI bytes (file names, command lines).
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/Win32Api.h"

namespace pivora {

std::wstring WideFrom(std::string_view text, UINT codePage);
std::string BytesFrom(std::wstring_view text, UINT codePage);

inline std::wstring WideFromUtf8(std::string_view utf8) { return WideFrom(utf8, CP_UTF8); }
inline std::string Utf8FromWide(std::wstring_view wide) { return BytesFrom(wide, CP_UTF8); }
inline std::string Utf8FromAnsi(std::string_view ansi) { return Utf8FromWide(WideFrom(ansi, CP_ACP)); }
inline std::string AnsiFromUtf8(std::string_view utf8) { return BytesFrom(WideFromUtf8(utf8), CP_ACP); }

// The system's text for an error code, in the user's language, without the
// line end FormatMessage puts after it; UTF-8.
std::string SystemErrorText(DWORD error);

// IsDBCSLeadByte as a plain function, for the path and command-line helpers.
bool IsAnsiLeadByte(unsigned char c);

}  // namespace pivora
