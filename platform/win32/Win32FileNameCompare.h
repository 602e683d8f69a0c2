// The order the launch history keeps file names in on Windows: the user's
// locale's order without regard to case (double-byte characters read as the
// characters they are, so the trail byte of ア is no letter "A"), and equality
// exactly where the file system takes two names for one file.
#pragma once

#include <string_view>

#include "platform/win32/Win32Api.h"

namespace pivora {

// File names in the ANSI code page, compared in the user's locale; <0, 0, >0.
int CompareFileNamesWindows(std::string_view a, std::string_view b);
// The same with the bytes read in `codePage` and ordered in `locale`.
int CompareFileNamesIn(UINT codePage, LCID locale, std::string_view a, std::string_view b);

}  // namespace pivora
