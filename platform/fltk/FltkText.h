// The toolkit-free decisions of the FLTK backend: how Windows-style texts,
// fonts, filters, menus and group boxes translate to what FLTK and fontconfig
// expect. Kept apart from the drawing code so they can be checked without a
// display.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interface/Layout.h"

namespace pivora::fltk {

// Windows line breaks are "\r\n"; FLTK breaks lines at '\n' and would draw the
// '\r' as a glyph box.
std::string StripCarriageReturns(std::string_view text);

// What a one-line field takes of pasted text: its line breaks dropped, and,
// as FLTK takes any paste into such a field, without blanks at its end.
std::string PastedLine(std::string_view pasted);

// Converts a "description|pattern|description|pattern" filter into the
// "description (pattern)\t..." form of Fl_File_Chooser. Several patterns
// separated by ';' become one "{a,b}" alternative; "*.*" (every file on
// Windows) becomes "*". A description left without a pattern is dropped, a
// missing one is the pattern itself, and parentheses in it (FLTK reads the
// pattern from them) are replaced by full-width ones, a trailing "(*.exe)"
// being dropped as the pattern is shown anyway.
std::string FileChooserFilter(std::string_view windowsFilter);

// The fontconfig family drawn for a face named as on Windows. Unknown faces are
// passed through, so fontconfig can still find a font of that name.
std::string XftFamily(std::string_view windowsFace);
// False for the Latin-only families (Liberation): Xft draws from one font
// without fallback, so text beyond ASCII must be drawn with a Japanese face.
bool FamilyHasJapanese(std::string_view family);
// The Japanese family that best stands in for a Latin-only one (serif or sans).
std::string JapaneseStandIn(std::string_view family);
bool IsAscii(std::string_view text);

// Breaks `text` into lines no wider than `maxWidth` as `width` measures them:
// at the last blank that fits (the blank is dropped), else, as Japanese text
// has no blanks, before the first character that would not fit. A line keeps
// at least one character; UTF-8 sequences are never split; existing line
// breaks stay.
std::string WrapText(std::string_view text, int maxWidth, const std::function<int(std::string_view)>& width);

// The pixel size FLTK (Xft's pixel size, the em height) is given for a font
// height in the Windows sense: negative is the character height without the
// internal leading (the em height), positive the whole cell, 0 the default.
int FontPixelSize(int windowsHeight);

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Rect&) const = default;
};

// Where the buttons of a radio group go, relative to the group: one column,
// the height below the caption shared evenly, the remainder split above and
// below, as the classic Windows group box lays them out.
std::vector<Rect> RadioItemRects(int groupWidth, int groupHeight, int fontHeight, int count);

// The panel a control is drawn in, or null for the form itself: a parent name
// that is not a panel, is missing, or leads round in a circle counts as the form.
const layout::Control* ResolvedParent(const layout::Form& form, const layout::Control& control);
// The control's position in the form's client area (its parents' offsets added).
Rect FormRect(const layout::Form& form, const layout::Control& control);
// The indexes of the controls whose resolved parent is `parent` (null: the
// form), in tab order; controls that are not tab stops follow in table order.
// FLTK moves the keyboard focus in the order widgets were added.
std::vector<int> ChildrenInTabOrder(const layout::Form& form, const layout::Control* parent);

// One cell of a flattened FLTK menu array: an item of the table (with
// `submenu` set when its children follow, closed by a terminator), or a
// terminator (item < 0).
struct MenuCell {
    int item = -1;
    bool submenu = false;
    bool dividerAfter = false;  // a "-" separator follows it in the same menu
    bool operator==(const MenuCell&) const = default;
};
// The table's menu in FLTK's array order, without the final terminator of the
// whole array. Separators become the divider flag of the item before them
// (one that starts a menu or follows another is dropped); items whose parent is
// missing or circular are left out.
std::vector<MenuCell> MenuPlan(const layout::Form& form);

// A window of `w` x `h` placed in a screen area: centred, or at the requested
// corner moved back inside the area when it would stick out (the area's
// corner wins when the window is larger than the area).
Rect PlaceWindow(int screenX, int screenY, int screenW, int screenH, int w, int h, bool centre,
                 int left, int top);

}  // namespace pivora::fltk
