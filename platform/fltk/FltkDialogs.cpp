#include "platform/fltk/FltkDialogs.h"

// The project's headers come before FLTK's: fl_draw.H brings in Xlib, whose
// macros (None) and types (Font) would break them.
#include "platform/formats/FileNames.h"
#include "platform/fltk/FltkScale.h"
#include "platform/fltk/FltkStyle.h"
#include "platform/fltk/FltkText.h"
#include "platform/fltk/FltkWidgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Browser_.H>
#include <FL/Fl_Input_.H>
#include <FL/Fl_Menu_.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_File_Input.H>
#include <FL/filename.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace pivora::fltk {

namespace {

// The boxes' measures at 96 dpi, scaled with the display's density where used.
constexpr int kMargin = 12;
constexpr int kButtonW = 75, kButtonH = 23, kButtonGap = 6;
constexpr int kIconSize = 32;

const char* Title(MsgType type) {
    switch (type) {
        case MsgType::Error: return "エラー";
        case MsgType::Warning: return "警告";
        case MsgType::Plain: break;
    }
    return "Pivora";
}

// The 32-pixel icons of the classic message box, drawn rather than loaded,
// in the icon's own 96-dpi pixels.
class MessageIcon final : public Fl_Widget {
public:
    MessageIcon(int x, int y, MsgType type)
        : Fl_Widget(x, y, DisplayScale()(kIconSize), DisplayScale()(kIconSize)), type_(type) {}

protected:
    void draw() override {
        const Scale& s = DisplayScale();
        const int x0 = x(), y0 = y();
        const auto px = [&](int v) { return x0 + s(v); };
        const auto py = [&](int v) { return y0 + s(v); };
        const int t = s.Line();
        if (type_ == MsgType::Error) {
            fl_color(fl_rgb_color(0xFF, 0x00, 0x00));
            fl_pie(px(1), py(1), s(30), s(30), 0, 360);
            fl_color(fl_rgb_color(0x80, 0x00, 0x00));
            if (t > 1) fl_line_style(FL_SOLID, t);
            fl_arc(px(1), py(1), s(30), s(30), 0, 360);
            fl_color(FL_WHITE);
            fl_line_style(FL_SOLID | FL_CAP_ROUND, s(4));
            fl_line(px(10), py(10), px(21), py(21));
            fl_line(px(21), py(10), px(10), py(21));
            fl_line_style(FL_SOLID);
        } else {
            fl_color(fl_rgb_color(0xFF, 0xFF, 0x00));
            fl_polygon(px(16), py(1), px(31), py(30), px(1), py(30));
            fl_color(FL_BLACK);
            if (t > 1) fl_line_style(FL_SOLID, t);
            fl_loop(px(16), py(1), px(31), py(30), px(1), py(30));
            fl_line_style(FL_SOLID);
            fl_rectf(px(15), py(9), s(3), s(13));
            fl_rectf(px(15), py(24), s(3), s(3));
        }
    }

private:
    MsgType type_;
};

// A modal box answered by one of its buttons; `escapeAnswer` is what Esc and
// the closing box mean.
class SmallDialog final : private DialogKeys {
public:
    SmallDialog(const std::string& title, int w, int h, int escapeAnswer)
        : escapeAnswer_(escapeAnswer) {
        Fl_Group* outer = Fl_Group::current();
        Fl_Group::current(nullptr);
        int sx = 0, sy = 0, sw = 0, sh = 0;
        Fl::screen_work_area(sx, sy, sw, sh);
        const Rect at = PlaceWindow(sx, sy, sw, sh, w, h, true, 0, 0);
        window_ = std::make_unique<DialogWindow>(at.x, at.y, w, h, static_cast<DialogKeys&>(*this));
        window_->copy_label(title.c_str());
        window_->xclass("Pivora");
        window_->size_range(w, h, w, h);
        Fl_Group::current(outer);
    }

    Fl_Window& Window() { return *window_; }

    PushButton* AddButton(int x, int y, const char* caption, int answer, bool isDefault) {
        const Scale& s = DisplayScale();
        auto* b = new PushButton(x, y, s(kButtonW), s(kButtonH), isDefault);
        b->copy_label(caption);
        b->labelfont(UiFont());
        b->labelsize(UiFontSize());
        answers_.push_back({this, answer});
        b->callback(
            [](Fl_Widget*, void* data) {
                auto* a = static_cast<ButtonAnswer*>(data);
                a->dialog->answer_ = a->answer;
            },
            &answers_.back());
        if (isDefault) default_ = b;
        window_->add(b);
        return b;
    }

    // Shows the box until it is answered; the answer.
    int Run(Fl_Widget* focus) {
        window_->end();
        window_->set_modal();
        window_->show();
        if (focus) focus->take_focus();
        while (window_->shown() && answer_ < 0) Fl::wait();
        window_->hide();
        Fl::flush();
        return answer_ < 0 ? escapeAnswer_ : answer_;
    }

private:
    struct ButtonAnswer {
        SmallDialog* dialog;
        int answer;
    };

    bool Enter() noexcept override { return PressFocusedButton(*window_, default_); }
    void Escape() noexcept override { answer_ = escapeAnswer_; }
    void CloseBox() noexcept override { answer_ = escapeAnswer_; }

    int escapeAnswer_;
    int answer_ = -1;
    std::deque<ButtonAnswer> answers_;  // FLTK holds pointers to them
    PushButton* default_ = nullptr;
    std::unique_ptr<DialogWindow> window_;
};

// The text laid out in the UI font, broken to fit `maxWidth`; its size in `w`, `h`.
std::string LayOut(const std::string& text, int maxWidth, int& w, int& h) {
    fl_font(UiFont(), UiFontSize());
    const std::string wrapped = WrapText(StripCarriageReturns(text), maxWidth, [](std::string_view s) {
        return static_cast<int>(fl_width(s.data(), static_cast<int>(s.size())) + 0.5);
    });
    w = 0, h = 0;
    fl_measure(wrapped.c_str(), w, h, 0);
    return wrapped;
}

Fl_Box* TextBox(int x, int y, int w, int h, const std::string& text) {
    auto* b = new Fl_Box(x, y, w, h);
    b->box(FL_NO_BOX);
    b->labeltype(kPlainLabel);
    b->labelfont(UiFont());
    b->labelsize(UiFontSize());
    b->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP);
    b->copy_label(text.c_str());
    return b;
}

// The file-name field of FLTK's chooser, which keeps it to itself.
Fl_File_Input* FindFileInput(Fl_Group& group) {
    for (int i = 0; i < group.children(); ++i) {
        Fl_Widget* child = group.child(i);
        if (auto* input = dynamic_cast<Fl_File_Input*>(child)) return input;
        if (Fl_Group* inner = child->as_group())
            if (Fl_File_Input* input = FindFileInput(*inner)) return input;
    }
    return nullptr;
}

// FLTK's file chooser lays itself out at fixed 96-dpi sizes: before it is
// shown, every widget's edges are scaled (children are placed in window
// coordinates, so each is placed here, not moved by its group), and its
// label and text sizes with them.
void ScaleChildren(Fl_Group& group, const Scale& scale) {
    for (int i = 0; i < group.children(); ++i) {
        Fl_Widget* child = group.child(i);
        const Rect r = scale(Rect{child->x(), child->y(), child->w(), child->h()});
        child->Fl_Widget::resize(r.x, r.y, r.w, r.h);
        child->labelsize(scale(child->labelsize()));
        if (auto* input = dynamic_cast<Fl_Input_*>(child)) input->textsize(scale(input->textsize()));
        else if (auto* menu = dynamic_cast<Fl_Menu_*>(child)) menu->textsize(scale(menu->textsize()));
        else if (auto* browser = dynamic_cast<Fl_Browser_*>(child)) browser->textsize(scale(browser->textsize()));
        if (Fl_Group* inner = child->as_group()) {
            ScaleChildren(*inner, scale);
            inner->init_sizes();
        }
    }
}

void ScaleChooser(Fl_File_Chooser& chooser, const Scale& scale) {
    if (scale.Dpi() == kDesignDpi) return;
    Fl_Window* window = chooser.previewButton ? chooser.previewButton->window() : nullptr;
    if (!window) return;
    window->Fl_Widget::resize(window->x(), window->y(), scale(window->w()), scale(window->h()));
    window->size_range(window->w(), window->h());
    ScaleChildren(*window, scale);
    window->init_sizes();
    chooser.iconsize(static_cast<uchar>(std::min(255, scale(chooser.iconsize()))));
}

int MaxTextWidth() {
    int sx = 0, sy = 0, sw = 0, sh = 0;
    Fl::screen_work_area(sx, sy, sw, sh);
    return std::max(DisplayScale()(200), sw / 2);
}

}  // namespace

// The boxes are laid out in screen pixels around their measured text, with
// the measures of 96 dpi scaled.
MsgResult RunMessageBox(MsgType type, MsgButtons buttons, const std::string& text) {
    const Scale& s = DisplayScale();
    const int margin = s(kMargin), buttonW = s(kButtonW), buttonGap = s(kButtonGap), iconSize = s(kIconSize);
    const bool yesNo = buttons == MsgButtons::YesNo;
    int tw = 0, th = 0;
    const std::string wrapped = LayOut(text, MaxTextWidth(), tw, th);
    const bool icon = type != MsgType::Plain;
    const int iconSpace = icon ? iconSize + margin : 0;
    const int content = std::max(th, icon ? iconSize : 0);
    const int buttonCount = yesNo ? 2 : 1;
    const int rowW = buttonCount * buttonW + (buttonCount - 1) * buttonGap;
    const int w = std::max({margin + iconSpace + tw + margin + s(4), rowW + 2 * margin, s(120)});
    const int buttonY = margin + content + s(16);
    const int h = buttonY + s(kButtonH) + margin;

    SmallDialog dialog(Title(type), w, h, yesNo ? 1 : 0);
    Fl_Window& win = dialog.Window();
    win.begin();
    if (icon) new MessageIcon(margin, margin, type);
    TextBox(margin + iconSpace, margin + (content - th) / 2, tw + s(4), th, wrapped);
    win.end();
    const int x0 = (w - rowW) / 2;
    PushButton* first = yesNo ? dialog.AddButton(x0, buttonY, "はい(&Y)", 0, true)
                              : dialog.AddButton(x0, buttonY, "OK", 0, true);
    if (yesNo) dialog.AddButton(x0 + buttonW + buttonGap, buttonY, "いいえ(&N)", 1, false);
    const int answer = dialog.Run(first);
    if (!yesNo) return MsgResult::Ok;
    return answer == 0 ? MsgResult::Yes : MsgResult::No;
}

std::optional<std::string> RunInputQuery(const std::string& caption, const std::string& prompt,
                                         const std::string& initial) {
    const Scale& s = DisplayScale();
    const int margin = s(kMargin), buttonW = s(kButtonW), buttonGap = s(kButtonGap);
    int tw = 0, th = 0;
    const std::string wrapped = LayOut(prompt, MaxTextWidth(), tw, th);
    const int w = std::max(s(270), tw + 2 * margin + s(4));
    const int inputY = margin + th + s(4), inputH = s(21);
    const int buttonY = inputY + inputH + s(15);
    const int h = buttonY + s(kButtonH) + margin;

    SmallDialog dialog(StripCarriageReturns(caption), w, h, 1);
    Fl_Window& win = dialog.Window();
    win.begin();
    TextBox(margin, margin, tw + s(4), th, wrapped);
    auto* input = new LineInput(margin, inputY, w - 2 * margin, inputH);
    input->box(kSunkenBox);
    input->color(FL_WHITE);
    input->textfont(UiFont());
    input->textsize(UiFontSize());
    input->selection_color(FL_SELECTION_COLOR);
    input->value(initial.c_str());
    input->position(input->size(), 0);  // all of it selected, as Windows shows it
    win.end();
    dialog.AddButton(w / 2 - buttonW - buttonGap / 2, buttonY, "OK", 0, true);
    dialog.AddButton(w / 2 + buttonGap / 2, buttonY, "キャンセル", 1, false);
    if (dialog.Run(input) != 0) return std::nullopt;
    return std::string(input->value());
}

std::optional<std::string> RunOpenFile(const std::string& filter, const std::string& initialFile) {
    const std::string dir = ExtractFilePath(initialFile), name = ExtractFileName(initialFile);
    const bool dirExists = !dir.empty() && fl_filename_isdir(dir.c_str());
    const std::string patterns = FileChooserFilter(filter);
    Fl_File_Chooser chooser(dirExists ? dir.c_str() : ".", patterns.empty() ? nullptr : patterns.c_str(),
                            Fl_File_Chooser::SINGLE, "ファイルを開く");
    ScaleChooser(chooser, DisplayScale());
    // The chooser's field always holds a whole path (a bare name would be read
    // against the process's directory), so the initial file is given whole.
    if (dirExists && !name.empty()) chooser.value(initialFile.c_str());
    chooser.show();
    // As on Windows, typing replaces the file's name and keeps its folder.
    if (Fl_Window* shown = Fl::first_window())
        if (Fl_File_Input* field = FindFileInput(*shown)) {
            const int end = field->size();
            const char* text = field->value();
            const char* slash = std::strrchr(text, '/');
            field->position(end, slash ? static_cast<int>(slash - text) + 1 : 0);
        }
    while (chooser.shown()) Fl::wait();
    if (chooser.count() < 1) return std::nullopt;
    const char* chosen = chooser.value(1);
    if (!chosen || !*chosen) return std::nullopt;
    return std::string(chosen);
}

}  // namespace pivora::fltk
