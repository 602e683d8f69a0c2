// The launcher's edit fields hold one line, and what a field shows is what is
// saved. How a single-line EDIT takes a pasted line break is the system's
// choice (Wine's drops everything after the first); here a paste loses its
// breaks and keeps the rest, the same on every system.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/Win32Api.h"

namespace pivora {

// Makes the field take a pasted text without its CR and LF characters.
void KeepOneLine(HWND edit);

std::wstring WithoutLineBreaks(std::wstring_view text);

}  // namespace pivora
