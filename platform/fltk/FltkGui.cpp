// The FLTK backend, built as a module of its own that the launcher loads only
// when a window must really be shown.
// The project's headers come first: FLTK's chooser pulls in X11, whose macros
// (None, Font) would break them.
#include "platform/FileNames.h"
#include "platform/fltk/FltkFonts.h"
#include "platform/fltk/FltkWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Input.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <string>
#include <vector>


namespace pivora::fltk {
bool CanOpenDisplay();  // FltkDisplay.cpp: X11's macros stay out of this file
}

namespace pivora::fltk {

namespace {

const layout::Font kBoxFont{"ＭＳ Ｐゴシック", -12, false, false, layout::Color::WindowText, layout::Charset::ShiftJis};

// A small modal box of our own: a text, an optional input, and a row of buttons.
// Enter presses the first button, Esc (or the closing box) the last.
class Box final : public Fl_Double_Window {
public:
    Box(const std::string& title, const std::string& text, const std::vector<const char*>& buttons,
        const std::string* input)
        : Fl_Double_Window(100, 100), title_(title) {
        const FltkFont font = MapFont(kBoxFont);
        fl_font(font.face, font.size);
        int tw = 0, th = 0;
        label_ = LiteralLabel(text);
        fl_measure(label_.c_str(), tw, th, 0);
        const int buttonW = 80, buttonH = 25, gap = 8;
        const int rowW = static_cast<int>(buttons.size()) * (buttonW + gap) - gap;
        const int w = std::max({tw + 40, rowW + 40, input ? 320 : 160});
        const int inputH = input ? 26 : 0;
        const int h = 20 + th + 16 + (input ? inputH + 12 : 0) + buttonH + 12;
        size(w, h);
        copy_label(title_.c_str());
        begin();
        auto* message = new Fl_Box(20, 16, w - 40, th + 4, label_.c_str());
        message->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP);
        message->labelfont(font.face);
        message->labelsize(font.size);
        if (input) {
            input_ = new Fl_Input(20, 16 + th + 16, w - 40, inputH);
            input_->value(input->c_str());
            input_->textfont(font.face);
            input_->textsize(font.size);
        }
        int x = (w - rowW) / 2;
        for (std::size_t i = 0; i < buttons.size(); ++i, x += buttonW + gap) {
            auto* b = new Fl_Button(x, h - buttonH - 12, buttonW, buttonH);
            b->copy_label(buttons[i]);
            b->labelfont(font.face);
            b->labelsize(font.size);
            b->box(i == 0 ? FL_UP_BOX : FL_THIN_UP_BOX);
            b->callback(&Box::Pressed, this);
            buttons_.push_back(b);
        }
        end();
        callback(&Box::Closed, this);
        set_modal();
        position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
    }

    // The index of the button pressed.
    int Run() {
        show();
        if (input_) input_->take_focus();
        while (shown() && answer_ < 0) Fl::wait();
        hide();
        Fl::flush();
        return answer_;
    }
    std::string Typed() const { return input_ ? input_->value() : ""; }

    int handle(int event) override {
        if (event == FL_SHORTCUT && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
            answer_ = 0;
            return 1;
        }
        return Fl_Double_Window::handle(event);
    }

private:
    static void Pressed(Fl_Widget* w, void* data) {
        auto* box = static_cast<Box*>(data);
        const auto it = std::find(box->buttons_.begin(), box->buttons_.end(), w);
        box->answer_ = static_cast<int>(it - box->buttons_.begin());
    }
    static void Closed(Fl_Widget*, void* data) {
        auto* box = static_cast<Box*>(data);
        box->answer_ = static_cast<int>(box->buttons_.size()) - 1;
    }

    std::string title_;
    std::string label_;
    Fl_Input* input_ = nullptr;
    std::vector<Fl_Widget*> buttons_;
    int answer_ = -1;
};

const char* Title(MsgType type) {
    switch (type) {
        case MsgType::Error: return "エラー";
        case MsgType::Warning: return "警告";
        case MsgType::Plain: break;
    }
    return "Pivora";
}

class FltkGui final : public GuiBackend {
public:
    bool CanShowWindows() override {
        if (state_ == State::Unknown) {
            // FLTK ends the process when it cannot open the display, so ask Xlib first.
            if (!CanOpenDisplay()) {
                state_ = State::NoDisplay;
            } else {
                fl_open_display();
                Fl::background(0xD4, 0xD0, 0xC8);  // the classic button face
                Fl::visible_focus(1);
                state_ = State::Open;
            }
        }
        return state_ == State::Open;
    }

    std::unique_ptr<WindowPeer> Realize(WindowModel& window) override {
        CanShowWindows();
        return std::make_unique<FltkPeer>(window);
    }

    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) override {
        if (buttons == MsgButtons::YesNo) {
            Box box(Title(type), text, {"はい(&Y)", "いいえ(&N)"}, nullptr);
            return box.Run() == 0 ? MsgResult::Yes : MsgResult::No;
        }
        Box box(Title(type), text, {"OK"}, nullptr);
        box.Run();
        return MsgResult::Ok;
    }

    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) override {
        Box box(caption, prompt, {"OK", "キャンセル"}, &initial);
        if (box.Run() != 0) return std::nullopt;
        return box.Typed();
    }

    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initialFile) override {
        // "description|pattern|..." becomes FLTK's "pattern" list, the patterns only.
        std::string patterns;
        std::size_t start = 0;
        for (int field = 0; start <= filter.size(); ++field) {
            std::size_t bar = filter.find('|', start);
            if (bar == std::string::npos) bar = filter.size();
            if (field % 2 == 1) patterns += (patterns.empty() ? "" : "\t") + filter.substr(start, bar - start);
            start = bar + 1;
        }
        const std::string dir = ExtractFilePath(initialFile);
        Fl_File_Chooser chooser(dir.empty() ? "." : dir.c_str(), patterns.c_str(), Fl_File_Chooser::SINGLE,
                                "ファイルを開く");
        if (!initialFile.empty()) chooser.value(initialFile.c_str());
        chooser.show();
        while (chooser.shown()) Fl::wait();
        if (chooser.count() < 1 || !chooser.value()) return std::nullopt;
        return std::string(chooser.value());
    }

    void RunMainWindow(WindowModel&, WindowPeer& peer) override {
        auto& p = static_cast<FltkPeer&>(peer);
        p.ShowMain();
        p.RunUntilClosed();
    }

private:
    enum class State { Unknown, NoDisplay, Open } state_ = State::Unknown;
};

}  // namespace

}  // namespace pivora::fltk

extern "C" __attribute__((visibility("default"))) pivora::GuiBackend* pivora_create_fltk_backend() {
    try {
        return new pivora::fltk::FltkGui();
    } catch (...) {
        return nullptr;
    }
}
