// The Windows fonts of the layout tables, mapped onto free fonts with the same
// metrics class: the IPA fonts for the Japanese faces, Liberation for Times.
#pragma once

#include <FL/Enumerations.H>

#include "platform/Layout.h"

namespace pivora::fltk {

struct FltkFont {
    Fl_Font face;
    Fl_Fontsize size;
    Fl_Color color;
};

FltkFont MapFont(const layout::Font& font);
Fl_Color MapColor(layout::Color color, Fl_Color fallback);

}  // namespace pivora::fltk
