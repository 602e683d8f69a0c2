// A table's font as a Windows font at one DPI. Everything that measures text
// for a window makes its font here, so the measure and the drawing agree.
#pragma once

#include <string>

#include "platform/interface/Layout.h"
#include "platform/win32/Win32Api.h"

namespace pivora {

// The height is the table's (pixels at 96 dpi) scaled to `dpi`. Null when
// Windows refuses the font.
HFONT CreateTableFont(const layout::Font& font, UINT dpi);

// The face a table's face is drawn in: itself where it is installed, else
// its Latin spelling, else the font with its metrics that a system without
// the Japanese Windows fonts has (Wine on Linux with the IPA fonts); itself
// again where none of these is installed, for the system's own mapping.
std::wstring InstalledFace(const std::wstring& face);

}  // namespace pivora
