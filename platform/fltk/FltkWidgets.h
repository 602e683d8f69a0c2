// The widgets that FLTK draws or behaves differently from a classic Windows
// dialog: push buttons with the default button's black frame, radio buttons,
// the group box with its caption in the frame, the flat menu bar, the
// labels, the one-line edit field, and a window that gives Enter and Esc their dialog
// meaning. Their own measures are scaled to the display's density.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>

#include <string>

namespace pivora::fltk {

class PushButton final : public Fl_Button {
public:
    PushButton(int x, int y, int w, int h, bool isDefault);
    bool IsDefault() const { return isDefault_; }
    int handle(int event) override;

protected:
    void draw() override;

private:
    bool Framed() const;
    bool isDefault_;
};

class RadioButton final : public Fl_Button {
public:
    RadioButton(int x, int y, int w, int h);

protected:
    void draw() override;
};

class GroupBox final : public Fl_Group {
public:
    GroupBox(int x, int y, int w, int h);

protected:
    void draw() override;
};

class MenuBar final : public Fl_Menu_Bar {
public:
    MenuBar(int x, int y, int w, int h);
    int handle(int event) override;

protected:
    void draw() override;
};

// A label or static text: its text starts at the box's own edge, as Windows
// draws it (FLTK would leave three pixels), and is cut at the box's edges, so
// a longer text never runs over its neighbours or its panel's frame.
class StaticLabel final : public Fl_Box {
public:
    StaticLabel(int x, int y, int w, int h);

protected:
    void draw() override;
};

// A one-line edit field. Pasted line breaks are dropped and typed ones
// (Ctrl+J, Ctrl+M) refused, so that the field holds what it shows (FLTK
// would show them as "^J" and keep them).
class LineInput final : public Fl_Input {
public:
    LineInput(int x, int y, int w, int h);
    // Sets the text and shows it from its beginning, as a Windows edit
    // control shows a text it is given (FLTK would show its end).
    void Show(const std::string& text);
    // A grey hint drawn while the field is empty; never its value.
    void SetCue(const std::string& cue, Fl_Font font);
    int handle(int event) override;

protected:
    void draw() override;

private:
    int HandleLine(int event);
    std::string cue_;
    Fl_Font cueFont_ = FL_HELVETICA;
};

// What a dialog window does with the keys and the closing box. Called from
// FLTK's event handling, through which nothing may be thrown.
class DialogKeys {
public:
    // Enter: the focused push button, else the default one. False when
    // neither exists.
    virtual bool Enter() noexcept = 0;
    virtual void Escape() noexcept = 0;
    virtual void CloseBox() noexcept = 0;

protected:
    ~DialogKeys() = default;
};

class DialogWindow final : public Fl_Double_Window {
public:
    DialogWindow(int x, int y, int w, int h, DialogKeys& keys);
    int handle(int event) override;

private:
    DialogKeys& keys_;
};

// Presses the push button that has the focus in `window`, else `fallback`
// (when it is active). False when there was none to press.
bool PressFocusedButton(Fl_Window& window, Fl_Button* fallback);

}  // namespace pivora::fltk
