// Windows described as data: each form's unit keeps a table of these beside it,
// and every GUI backend (FLTK, Win32, the scripted double) renders the same table.
// Positions and sizes are pixels at 96 dpi; a form's size is its client area and
// a control's position is within its parent's client area.
#pragma once

#include <span>
#include <string_view>

namespace pivora::layout {

enum class Kind { Panel, Label, StaticText, Edit, Button, RadioGroup };
enum class Border { Sizeable, Single, Dialog };
enum class Bevel { None, Raised, Lowered };
enum class Align { Left, Center };
enum class Color { Default, WindowText, ButtonFace, Black, Purple };
enum class Charset { Default, Ansi, ShiftJis };
enum class ModalResult { None = 0, Ok = 1, Cancel = 2 };

// A font as the form designer gives it: the face by its Windows name, the height
// in the platform's sense (negative: character height in pixels without the
// internal leading). A null face means "the parent's font".
struct Font {
    const char* face = nullptr;
    int height = 0;
    bool bold = false;
    bool italic = false;
    Color color = Color::Default;
    Charset charset = Charset::Default;
};

struct Control {
    const char* name;
    Kind kind;
    const char* parent = nullptr;  // null: the form; else the name of a panel
    int left = 0, top = 0, width = 0, height = 0;
    const char* caption = "";
    Font font{};
    int tabOrder = -1;             // -1: not a tab stop
    int tag = 0;
    bool isDefault = false;        // pressed by Enter
    bool isCancel = false;         // pressed by Esc
    ModalResult modalResult = ModalResult::None;
    const char* onClick = nullptr; // event name bound by the unit
    Align align = Align::Left;
    Bevel bevel = Bevel::None;
    std::span<const char* const> items{};  // radio group items
};

struct MenuItem {
    const char* name;
    const char* caption;           // "&" marks the access key; "-" is a separator
    const char* parent = nullptr;  // null: the menu bar
    const char* onClick = nullptr;
};

struct Form {
    const char* name;
    const char* caption;
    int left = 0, top = 0, clientWidth = 0, clientHeight = 0;
    Border border = Border::Dialog;
    bool centerOnShow = false;     // else shown at left, top
    Color color = Color::ButtonFace;
    Font font{};
    const char* activeControl = nullptr;
    const char* onCreate = nullptr;
    const char* onShow = nullptr;
    const char* onCloseQuery = nullptr;
    std::span<const Control> controls{};
    std::span<const MenuItem> menu{};
};

// The control of that name, or null.
const Control* FindControl(const Form& form, std::string_view name);
const MenuItem* FindMenuItem(const Form& form, std::string_view name);
// The font a control is drawn with: its own, else its parent panel's, else the form's.
Font EffectiveFont(const Form& form, const Control& control);

}  // namespace pivora::layout
