#include "platform/fltk/FltkWidgets.h"

// The project's headers come before FLTK's: fl_draw.H brings in Xlib, whose
// macros (None) and types (Font) would break them.
#include "platform/fltk/FltkScale.h"
#include "platform/fltk/FltkStyle.h"
#include "platform/fltk/FltkText.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <string_view>

namespace pivora::fltk {

namespace {

void DottedRect(int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    const int t = DisplayScale().Line();
    fl_color(FL_BLACK);
    // One pixel wide is FLTK's default style, which draws the dots of 96 dpi.
    fl_line_style(FL_DOT, t > 1 ? t : 0);
    fl_rect(x, y, w, h);
    fl_line_style(FL_SOLID);
}

}  // namespace

PushButton::PushButton(int x, int y, int w, int h, bool isDefault)
    : Fl_Button(x, y, w, h), isDefault_(isDefault) {
    box(kButtonBox);
    down_box(kButtonBox);
    color(FaceColor());
    labeltype(kPlainLabel);
    align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
}

bool PushButton::Framed() const {
    const Fl_Widget* focus = Fl::focus();
    if (focus == this) return true;
    if (!isDefault_) return false;
    // While another button has the focus, Enter presses that one, and it wears the frame.
    const auto* other = dynamic_cast<const PushButton*>(focus);
    return !other || other->window() != window();
}

int PushButton::handle(int event) {
    if ((event == FL_FOCUS || event == FL_UNFOCUS) && window()) window()->redraw();
    return Fl_Button::handle(event);
}

void PushButton::draw() {
    const Scale& scale = DisplayScale();
    const int t = scale.Line();
    int x0 = x(), y0 = y(), w0 = w(), h0 = h();
    const bool pressed = value() != 0;
    if (Framed()) {
        Outline(x0, y0, w0, h0, t, FL_BLACK);
        x0 += t, y0 += t, w0 -= 2 * t, h0 -= 2 * t;
    }
    if (pressed) {
        fl_color(color());
        fl_rectf(x0, y0, w0, h0);
        Outline(x0, y0, w0, h0, t, ShadowColor());
    } else {
        draw_box(kButtonBox, x0, y0, w0, h0, color());
    }
    draw_label(x0 + (pressed ? t : 0), y0 + (pressed ? t : 0), w0, h0);
    const int inset = scale(3);
    if (Fl::focus() == this && Fl::visible_focus()) DottedRect(x0 + inset, y0 + inset, w0 - 2 * inset, h0 - 2 * inset);
}

RadioButton::RadioButton(int x, int y, int w, int h) : Fl_Button(x, y, w, h) {
    type(FL_RADIO_BUTTON);
    box(FL_FLAT_BOX);
    down_box(FL_FLAT_BOX);
    color(FaceColor());
    labeltype(kPlainLabel);
    align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
}

void RadioButton::draw() {
    const Scale& scale = DisplayScale();
    const int t = scale.Line();
    fl_color(color());
    fl_rectf(x(), y(), w(), h());
    // The classic 12-pixel sunken circle with a white inside.
    const int d = scale(12);
    const int cx = x() + scale(1), cy = y() + (h() - d) / 2;
    fl_color(active_r() ? FL_WHITE : FaceColor());
    fl_pie(cx, cy, d, d, 0, 360);
    if (t > 1) fl_line_style(FL_SOLID, t);
    fl_color(ShadowColor());
    fl_arc(cx, cy, d, d, 45, 225);
    fl_color(HighlightColor());
    fl_arc(cx, cy, d, d, 225, 405);
    fl_color(DarkShadowColor());
    fl_arc(cx + t, cy + t, d - 2 * t, d - 2 * t, 45, 225);
    fl_color(FaceColor());
    fl_arc(cx + t, cy + t, d - 2 * t, d - 2 * t, 225, 405);
    if (t > 1) fl_line_style(FL_SOLID);
    if (value()) {
        const int dot = scale(4);
        fl_color(active_r() ? FL_BLACK : ShadowColor());
        fl_pie(cx + dot, cy + dot, d - 2 * dot, d - 2 * dot, 0, 360);
    }
    const int lx = cx + d + scale(4);
    draw_label(lx, y(), std::max(0, x() + w() - lx), h());
    if (Fl::focus() == this && Fl::visible_focus() && label() && *label()) {
        int tw = 0, th = 0;
        fl_font(labelfont(), labelsize());
        fl_measure(label(), tw, th, 0);
        tw = std::min(tw, x() + w() - lx);
        DottedRect(lx - t, y() + (h() - th) / 2 - t, tw + 2 * t, th + 2 * t);
    }
}

GroupBox::GroupBox(int x, int y, int w, int h) : Fl_Group(x, y, w, h) {
    box(FL_NO_BOX);
    color(FaceColor());
    labeltype(FL_NO_LABEL);  // drawn in the frame by draw()
}

void GroupBox::draw() {
    if (damage() & ~FL_DAMAGE_CHILD) {
        fl_color(color());
        fl_rectf(x(), y(), w(), h());
        fl_font(labelfont(), labelsize());
        const int th = fl_height();
        Fl_Boxtype frame = kEtchedFrame;
        fl_draw_box(frame, x(), y() + th / 2, w(), h() - th / 2, color());
        if (label() && *label()) {
            const Scale& scale = DisplayScale();
            int tw = 0, lh = 0;
            fl_measure(label(), tw, lh, 0);
            tw = std::min(tw, w() - scale(16));
            // The caption interrupts the frame's top line.
            fl_color(color());
            fl_rectf(x() + scale(6), y(), tw + scale(4), th);
            fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
            fl_draw(label(), x() + scale(8), y(), tw, th,
                    FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_CLIP, nullptr, 0);
        }
    }
    draw_children();
}

StaticLabel::StaticLabel(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {
    box(FL_FLAT_BOX);
    labeltype(kPlainLabel);
}

void StaticLabel::draw() {
    draw_box();
    draw_label(x(), y(), w(), h());
}

LineInput::LineInput(int x, int y, int w, int h) : Fl_Input(x, y, w, h) {}

void LineInput::Show(const std::string& text) {
    value(text.c_str());
    position(0);
}

void LineInput::SetCue(const std::string& cue, Fl_Font font) {
    if (cue == cue_ && font == cueFont_) return;
    cue_ = cue;
    cueFont_ = font;
    redraw();
}

int LineInput::handle(int event) {
    const bool wasEmpty = size() == 0;
    const int used = HandleLine(event);
    // The text's own redrawing covers only the text: the cue comes or goes whole.
    if (!cue_.empty() && wasEmpty != (size() == 0)) redraw();
    return used;
}

int LineInput::HandleLine(int event) {
    if (event == FL_KEYBOARD && Fl::event_text() && Fl::event_length() > 0) {
        // Ctrl+J and Ctrl+M would type a line break; Enter is the dialog's.
        const int key = Fl::event_key();
        const std::string_view typed(Fl::event_text(), static_cast<std::size_t>(Fl::event_length()));
        if (key != FL_Enter && key != FL_KP_Enter && typed.find_first_of("\r\n") != std::string_view::npos)
            return 0;
    }
    if (event != FL_PASTE || readonly() || !Fl::event_text() || Fl::event_length() <= 0) return Fl_Input::handle(event);
    const char* type = Fl::event_clipboard_type();
    if (!type || std::string_view(type) != Fl::clipboard_plain_text) return Fl_Input::handle(event);
    const std::string_view pasted(Fl::event_text(), static_cast<std::size_t>(Fl::event_length()));
    if (pasted.find_first_of("\r\n") == std::string_view::npos) return Fl_Input::handle(event);
    const std::string line = PastedLine(pasted);
    replace(position(), mark(), line.data(), static_cast<int>(line.size()));  // runs the callback
    return 1;
}

void LineInput::draw() {
    Fl_Input::draw();
    if (cue_.empty() || size() > 0) return;
    // Where Fl_Input draws its text: inside the box, three pixels in.
    const Fl_Boxtype b = box();
    const int x0 = x() + Fl::box_dx(b) + 3, y0 = y() + Fl::box_dy(b);
    const int w0 = w() - Fl::box_dw(b) - 6, h0 = h() - Fl::box_dh(b);
    if (w0 <= 0 || h0 <= 0) return;
    fl_push_clip(x0, y0, w0, h0);
    fl_font(cueFont_, textsize());
    fl_color(kCueColor);
    fl_draw(cue_.c_str(), x0, y0, w0, h0, FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP, nullptr, 0);
    fl_pop_clip();
}

MenuBar::MenuBar(int x, int y, int w, int h) : Fl_Menu_Bar(x, y, w, h) {
    box(kButtonBox);  // FLTK frames the opened menus with the bar's box
    color(FaceColor());
    selection_color(FL_SELECTION_COLOR);
}

int MenuBar::handle(int event) {
    // Alt and the access key of a command on the bar itself runs it, as on
    // Windows; FLTK only opens menus that way.
    if (event == FL_SHORTCUT && visible_r() && menu()) {
        const Fl_Menu_Item* item = menu()->find_shortcut(nullptr, true);
        if (item && !item->submenu() && item->active()) {
            picked(item);
            return 1;
        }
    }
    return Fl_Menu_Bar::handle(event);
}

void MenuBar::draw() {
    // The bar itself is flat, as on Windows.
    const Fl_Boxtype framed = box();
    box(FL_FLAT_BOX);
    Fl_Menu_Bar::draw();
    box(framed);
}

DialogWindow::DialogWindow(int x, int y, int w, int h, DialogKeys& keys)
    : Fl_Double_Window(x, y, w, h), keys_(keys) {
    color(FaceColor());
    callback(
        [](Fl_Widget* w, void*) noexcept {
            auto* self = static_cast<DialogWindow*>(w);
            // FLTK calls this for Esc nobody took as well as for the closing box.
            if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape)
                self->keys_.Escape();
            else
                self->keys_.CloseBox();
        },
        nullptr);
}

int DialogWindow::handle(int event) {
    if (event == FL_SHORTCUT && !Fl::event_state(FL_ALT | FL_CTRL | FL_META)) {
        const int key = Fl::event_key();
        if (key == FL_Enter || key == FL_KP_Enter) {
            if (keys_.Enter()) return 1;
        } else if (key == FL_Escape) {
            keys_.Escape();
            return 1;
        }
    }
    return Fl_Double_Window::handle(event);
}

bool PressFocusedButton(Fl_Window& window, Fl_Button* fallback) {
    Fl_Button* target = nullptr;
    if (auto* focused = dynamic_cast<PushButton*>(Fl::focus()); focused && focused->window() == &window)
        target = focused;
    else
        target = fallback;
    if (!target || !target->active_r() || !target->visible_r()) return false;
    target->do_callback();
    return true;
}

}  // namespace pivora::fltk
