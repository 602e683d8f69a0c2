// The screen's density on Linux, and the arithmetic that turns the layout
// tables' 96-dpi pixels into the screen's. Toolkit-free, so it is checked
// without a display.
#pragma once

#include <string_view>
#include <vector>

#include "platform/fltk/FltkText.h"

namespace pivora::fltk {

inline constexpr int kDesignDpi = 96;
// Windows never draws below 100 %, nor above 500 %; a density outside that
// would give windows whose texts cannot be read, or larger than any screen.
inline constexpr int kMaxDpi = 480;

// The density the desktop asks for, from the text of its Xft.dpi resource
// (what GNOME, KDE and Xfce set for the user's scaling): a number, perhaps
// with a fraction, within blanks. No resource, or one that is no number, is
// 96; the result is kept within 96..kMaxDpi.
int DpiFromResource(std::string_view value);

// Design pixels to screen pixels for one density. Edges are scaled, not
// sizes: a control's right edge is its scaled left plus nothing of its own
// rounding, so controls that touch at 96 dpi touch at every density, and a
// rectangle keeps the same place within its parent at every nesting.
class Scale {
public:
    constexpr Scale() = default;
    explicit Scale(int dpi);

    int Dpi() const { return dpi_; }
    // A coordinate or length, rounded half up (upwards for negatives too, so
    // that every edge rounds the same way wherever it lies).
    int operator()(int designPixels) const;
    Rect operator()(const Rect& design) const;
    // The width of the bevels' lines: a whole number of pixels, so the
    // classic one-pixel edges stay crisp at 150 % and double at 200 %.
    int Line() const { return dpi_ / kDesignDpi; }

private:
    int dpi_ = kDesignDpi;
};

// The density of the display this module drew on; 96 until it is set, once
// the display is open.
const Scale& DisplayScale();
void SetDisplayScale(int dpi);

// Which of the compiled-in icon sizes (in pixels, any order) each wanted size
// is made from: the smallest that is at least as large (scaled down, or taken
// as it is), else the largest (scaled up). One entry per wanted size; none
// when nothing is available.
std::vector<int> IconSources(const std::vector<int>& available, const std::vector<int>& wanted);

// The window icon's sizes at a density: the 16, 32 and 64 pixels of 96 dpi,
// scaled.
std::vector<int> WindowIconSizes(const Scale& scale);

}  // namespace pivora::fltk
