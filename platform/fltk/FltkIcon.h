// The launcher's icon on its windows: the PNGs of resources/, compiled into
// the window module so that no file beside the executable is needed.
#pragma once

#include <cstddef>

namespace pivora::fltk {

struct EmbeddedPng {
    const unsigned char* bytes;
    std::size_t size;
};
extern const EmbeddedPng kWindowIconPngs[];
extern const int kWindowIconCount;

// Makes the icon every window of the module gets, once the display's density
// is known: 16, 32 and 64 pixels at 96 dpi, scaled, each from the picture
// that fits it best. A picture that does not decode is left out, and without
// any the windows keep the desktop's own.
void InstallWindowIcon();

}  // namespace pivora::fltk
