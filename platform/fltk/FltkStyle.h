// The classic Windows look in FLTK terms: the 3-D face colours, the bevels of
// buttons, panels, edits and group boxes, the faces of the form designer's
// fonts, and a label type that draws '@' as itself.
#pragma once

#include <FL/Enumerations.H>

#include <string_view>

#include "platform/interface/Layout.h"

class Fl_Widget;

namespace pivora::fltk {

// Box types of our own, so that an FLTK scheme chosen through the environment
// cannot change how the launcher's windows look.
inline constexpr Fl_Boxtype kButtonBox = static_cast<Fl_Boxtype>(FL_FREE_BOXTYPE);       // raised, 2 px
inline constexpr Fl_Boxtype kSunkenBox = static_cast<Fl_Boxtype>(FL_FREE_BOXTYPE + 1);   // edit field, 2 px
inline constexpr Fl_Boxtype kRaisedBox = static_cast<Fl_Boxtype>(FL_FREE_BOXTYPE + 2);   // panel, 1 px
inline constexpr Fl_Boxtype kLoweredBox = static_cast<Fl_Boxtype>(FL_FREE_BOXTYPE + 3);  // panel, 1 px
inline constexpr Fl_Boxtype kEtchedFrame = static_cast<Fl_Boxtype>(FL_FREE_BOXTYPE + 4); // group box
// Draws the text as given: no "@symbol" and no '&' underline outside menus and buttons.
inline constexpr Fl_Labeltype kPlainLabel = FL_FREE_LABELTYPE;

// The colours of the classic 3-D scheme.
Fl_Color FaceColor();       // button face, the background of every window
Fl_Color HighlightColor();  // the lit edge
Fl_Color ShadowColor();     // the shaded edge
Fl_Color DarkShadowColor(); // the outer shaded edge of buttons and edits

// The grey of a cue in an empty edit (Windows' grey text).
inline constexpr Fl_Color kCueColor = static_cast<Fl_Color>(0x6D6D6D00);

// The outline of a rectangle, `t` pixels wide, drawn inside it.
void Outline(int x, int y, int w, int h, int t, Fl_Color c);

// Once, after the display is open and its density known: colours, box and
// label types (their bevels as wide as the density makes them), the default
// fonts (Japanese-capable) and the texts of FLTK's own file chooser.
void InitStyle();

// The FLTK font for a layout font, choosing a Japanese face when `text` goes
// beyond ASCII and the face has no Japanese glyphs.
Fl_Font FontFor(const layout::Font& font, std::string_view text);
// The font's size on the screen, at the display's density.
int FontSize(const layout::Font& font);
Fl_Color TextColor(layout::Color color);
Fl_Color BackColor(layout::Color color);

// Sets a widget's label font, size and colour from a layout font.
void ApplyLabelFont(Fl_Widget& widget, const layout::Font& font, std::string_view text);

// The Japanese user-interface font of the menus and the message and input
// boxes, and its size at 96 dpi and on the screen.
Fl_Font UiFont();
inline constexpr int kUiFontSize = 12;
int UiFontSize();

}  // namespace pivora::fltk
