// The native windows themselves, made from the layout tables and shown: the
// input box measured at each DPI, every text of every window whole at each
// DPI, the captions' icons, Esc, pasted line breaks and long paths in fields.
// Windows need a display: on-display.sh runs this program on an Xvfb of its
// own; anywhere else its tests report themselves skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/AboutDlg.h"
#include "dialogs/DelphiReg.h"
#include "launcher/ForceOpen.h"
#include "launcher/Main.h"
#include "platform/win32/Win32Gui.h"
#include "platform/win32/Win32InputBox.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Window.h"

namespace pivora {
namespace {

using layout::Kind;

constexpr UINT kDpis[] = {96, 120, 144, 192};
// The DPI Windows gives a window: the system's, as Wine has it.
constexpr UINT kOwnDpi = 0;
const std::string kHistoryPrompt = "起動履歴を保存する最大値を入力して下さい。";

// A window's model as a table gives it: each control shows its table caption
// until the test or the user changes it; what the user does is recorded.
class TableModel final : public WindowModel {
public:
    explicit TableModel(const layout::Form& form) : form_(form) {
        for (const layout::Control& c : form.controls) texts_.emplace_back(c.caption ? c.caption : "");
    }

    const layout::Form& Layout() const noexcept override { return form_; }
    const std::string& Caption(int control) const noexcept override { return texts_[Index(control)]; }
    int ItemIndex(int) const noexcept override { return -1; }
    layout::ModalResult ModalResult() const noexcept override { return result_; }
    bool Closed() const noexcept override { return false; }
    void UserEdited(int control, std::string text) noexcept override {
        texts_[Index(control)] = std::move(text);
        edited.push_back(texts_[Index(control)]);
    }
    void UserSelected(int, int) noexcept override {}
    void UserClicked(int control) noexcept override {
        const layout::Control& c = form_.controls[Index(control)];
        events.push_back(std::string("clicked ") + c.name);
        if (onClick) onClick(control);
        if (c.modalResult != layout::ModalResult::None) result_ = c.modalResult;
    }
    void UserChoseMenu(int) noexcept override {}
    void UserDismissed() noexcept override {
        events.push_back("dismissed");
        result_ = layout::ModalResult::Cancel;
    }

    void SetText(const char* control, std::string text) { texts_[Index(Find(control))] = std::move(text); }
    int Find(const char* name) const {
        for (std::size_t i = 0; i < form_.controls.size(); ++i)
            if (std::string_view(form_.controls[i].name) == name) return static_cast<int>(i);
        ADD_FAILURE() << "no control " << name;
        return 0;
    }
    void Reopen() { result_ = layout::ModalResult::None; }

    std::vector<std::string> events;
    std::vector<std::string> edited;
    std::function<void(int)> onClick;

private:
    static std::size_t Index(int control) { return static_cast<std::size_t>(control); }

    const layout::Form& form_;
    std::vector<std::string> texts_;
    layout::ModalResult result_ = layout::ModalResult::None;
};

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A control's rectangle in its form's client coordinates.
RECT PlaceOf(HWND control, HWND form) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// How a text is drawn in a control with the control's own font: the rectangle
// it needs within the control's width, as a static text wraps it, and the
// height of one line.
struct Drawn {
    RECT needed{};
    int lineHeight = 0;
    int charHeight = 0;  // the font's height without its internal leading
};

Drawn DrawnIn(HWND control, const std::wstring& text, UINT wrap = DT_WORDBREAK) {
    Drawn d;
    RECT client{};
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    HGDIOBJ before = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    d.lineHeight = tm.tmHeight;
    d.charHeight = tm.tmHeight - tm.tmInternalLeading;
    d.needed = {0, 0, client.right, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &d.needed, DT_CALCRECT | DT_EXPANDTABS | wrap);
    ::SelectObject(dc, before);
    ::ReleaseDC(control, dc);
    return d;
}

class NativeWindows : public ::testing::Test {
protected:
    void SetUp() override {
        // Wine makes no window without a display.
        HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (!probe) GTEST_SKIP() << "no window can be made here (no display)";
        ::DestroyWindow(probe);
    }

    // Posts a click of a form's button, handled once the window runs.
    static void PostClick(Win32Window& window, int control) {
        HWND button = window.ControlHandle(control);
        ::PostMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
    }

    static void PostKey(HWND to, UINT key) {
        ::PostMessageW(to, WM_KEYDOWN, key, 0x00010001);
        ::PostMessageW(to, WM_KEYUP, key, 0xC0010001);
    }

    Win32Gui gui_;
};

UINT DpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto get = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return get ? get(hwnd) : 96;
}

// The input box, measured from its font at each DPI, holds its prompt whole
// on one line above its field, and grows with the DPI as the other windows do;
// at the DPI Windows gives it too, whatever the system's DPI is.
TEST_F(NativeWindows, TheInputBoxHoldsItsPromptWholeAtEveryDpi) {
    InputBox at96("起動履歴登録数", kHistoryPrompt, "1000");
    Win32Window window96(gui_, at96, &at96);
    ASSERT_TRUE(window96.Create(96));
    RECT client96{};
    ::GetClientRect(window96.Handle(), &client96);

    for (UINT asked : {96u, 120u, 144u, 192u, kOwnDpi}) {
        InputBox box("起動履歴登録数", kHistoryPrompt, "1000");
        Win32Window window(gui_, box, &box);
        ASSERT_TRUE(window.Create(asked));
        HWND form = window.Handle();
        const UINT dpi = asked == kOwnDpi ? DpiOf(form) : asked;
        SCOPED_TRACE("at " + std::to_string(dpi) + " dpi" + (asked == kOwnDpi ? ", the window's own" : ""));
        RECT client{};
        ::GetClientRect(form, &client);

        HWND prompt = window.ControlHandle(InputBox::kPrompt);
        const Drawn text = DrawnIn(prompt, WideFromUtf8(kHistoryPrompt));
        RECT promptClient{};
        ::GetClientRect(prompt, &promptClient);
        // Its text at the DPI's size: -12 at 96 dpi.
        EXPECT_NEAR(text.charHeight, 12.0 * dpi / 96, 1.0);
        EXPECT_EQ(text.needed.bottom, text.lineHeight) << "the prompt wraps: it needs " << Describe(text.needed);
        EXPECT_LE(text.needed.bottom, promptClient.bottom) << "the prompt is cut: " << Describe(promptClient);
        const Drawn oneLine = DrawnIn(prompt, WideFromUtf8(kHistoryPrompt), DT_SINGLELINE);
        EXPECT_LE(oneLine.needed.right, promptClient.right) << "the prompt is wider than its label";

        const RECT promptAt = PlaceOf(prompt, form), editAt = PlaceOf(window.ControlHandle(InputBox::kEdit), form);
        const RECT okAt = PlaceOf(window.ControlHandle(InputBox::kOk), form);
        const RECT cancelAt = PlaceOf(window.ControlHandle(InputBox::kCancel), form);
        EXPECT_LT(promptAt.bottom, editAt.top) << "the prompt " << Describe(promptAt) << " touches the field "
                                               << Describe(editAt);
        EXPECT_LT(editAt.bottom, okAt.top);
        EXPECT_FALSE(Overlap(okAt, cancelAt));
        for (const RECT& r : {promptAt, editAt, okAt, cancelAt}) {
            EXPECT_GE(r.left, 0);
            EXPECT_GE(r.top, 0);
            EXPECT_LE(r.right, client.right) << Describe(r) << " leaves the client " << Describe(client);
            EXPECT_LE(r.bottom, client.bottom) << Describe(r) << " leaves the client " << Describe(client);
        }
        // The field's text and the buttons' captions fit them.
        RECT editClient{};
        ::GetClientRect(window.ControlHandle(InputBox::kEdit), &editClient);
        EXPECT_LE(DrawnIn(window.ControlHandle(InputBox::kEdit), L"1000").lineHeight, editClient.bottom);
        EXPECT_LT(DrawnIn(window.ControlHandle(InputBox::kCancel), L"キャンセル", DT_SINGLELINE).needed.right,
                  cancelAt.right - cancelAt.left);

        // The box grows as its font does (a font's steps are whole pixels, so
        // not exactly in proportion).
        const double scale = dpi / 96.0;
        EXPECT_NEAR(client.right, client96.right * scale, client96.right * scale * 0.08);
        EXPECT_NEAR(client.bottom, client96.bottom * scale, client96.bottom * scale * 0.08);
    }
}

// Every caption of every window fits its control's width at every DPI, on
// one line; and every text but the one the table makes lower than its font
// fits its height.
TEST_F(NativeWindows, EveryTextOfEveryTableIsWholeAtEveryDpi) {
    const layout::Form* forms[] = {&kMainFmLayout, &kForceOpenVerSelDlgLayout, &kDelphiRegDlgLayout,
                                   &kAboutBoxLayout};
    for (const layout::Form* form : forms) {
        for (UINT dpi : kDpis) {
            SCOPED_TRACE(std::string(form->name) + " at " + std::to_string(dpi) + " dpi");
            TableModel model(*form);
            if (form == &kAboutBoxLayout) {
                // What the launcher's own version block fills in.
                model.SetText("ProductNameLbl", "Pivora");
                model.SetText("VersionLbl", "Version 1.0.0.2");
                model.SetText("CopyrightLbl", "Copyright (C) 1999-2026 The Pivora developers");
            }
            Win32Window window(gui_, model, nullptr);
            ASSERT_TRUE(window.Create(dpi));
            for (std::size_t i = 0; i < form->controls.size(); ++i) {
                const layout::Control& c = form->controls[i];
                const int control = static_cast<int>(i);
                std::vector<std::pair<HWND, std::wstring>> texts;
                if (c.kind == Kind::Label || c.kind == Kind::StaticText || c.kind == Kind::Button)
                    texts.emplace_back(window.ControlHandle(control), WideFromUtf8(model.Caption(control)));
                for (std::size_t item = 0; item < c.items.size(); ++item)
                    texts.emplace_back(window.RadioHandle(control, static_cast<int>(item)),
                                       WideFromUtf8(c.items[item]));
                for (const auto& [hwnd, text] : texts) {
                    if (text.empty()) continue;
                    SCOPED_TRACE(std::string(c.name) + " \"" + Utf8FromWide(text) + "\"");
                    RECT client{};
                    ::GetClientRect(hwnd, &client);
                    const Drawn drawn = DrawnIn(hwnd, text, DT_SINGLELINE);
                    // A button draws its caption inside its frame, a radio item beside its mark.
                    const int room = c.kind == Kind::Button ? client.right - ::MulDiv(4, dpi, 96)
                                     : c.kind == Kind::RadioGroup ? client.right - ::MulDiv(16, dpi, 96)
                                                                  : client.right;
                    EXPECT_LE(drawn.needed.right, room) << "too narrow: " << Describe(client);
                    const bool lowerThanItsFontByDesign = std::string_view(c.name) == "VersionLbl";
                    if (!lowerThanItsFontByDesign) {
                        EXPECT_LE(drawn.charHeight, client.bottom) << "too low: " << Describe(client);
                    }
                }
            }
        }
    }
}

// A dialog's caption shows no icon (a dialog frame, and no icon of its class
// or of its own to draw), the main window's shows the application's.
TEST_F(NativeWindows, DialogsCarryNoIconAndTheMainWindowCarriesOne) {
    for (const layout::Form* form : {&kForceOpenVerSelDlgLayout, &kDelphiRegDlgLayout, &kAboutBoxLayout}) {
        SCOPED_TRACE(form->name);
        TableModel model(*form);
        Win32Window window(gui_, model, nullptr);
        ASSERT_TRUE(window.Create());
        HWND hwnd = window.Handle();
        EXPECT_TRUE(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
        EXPECT_EQ(::GetClassLongPtrW(hwnd, GCLP_HICON), 0u);
        EXPECT_EQ(::GetClassLongPtrW(hwnd, GCLP_HICONSM), 0u);
        for (WPARAM kind : {ICON_BIG, ICON_SMALL, ICON_SMALL2}) {
            EXPECT_EQ(::SendMessageW(hwnd, WM_GETICON, kind, 0), 0) << "icon kind " << kind;
        }
    }
    InputBox box("起動履歴登録数", kHistoryPrompt, "1");
    Win32Window input(gui_, box, &box);
    ASSERT_TRUE(input.Create());
    EXPECT_EQ(::GetClassLongPtrW(input.Handle(), GCLP_HICON), 0u);
    EXPECT_EQ(::SendMessageW(input.Handle(), WM_GETICON, ICON_SMALL2, 0), 0);

    TableModel mainModel(kMainFmLayout);
    Win32Window main(gui_, mainModel, nullptr);
    ASSERT_TRUE(main.Create());
    EXPECT_FALSE(::GetWindowLongPtrW(main.Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_NE(::GetClassLongPtrW(main.Handle(), GCLP_HICON), 0u);
    EXPECT_NE(::GetClassLongPtrW(main.Handle(), GCLP_HICONSM), 0u);
}

// Esc presses a dialog's cancel button; the About box, which has none, stays
// open (its OK, pressed after the Esc, is what ends it).
TEST_F(NativeWindows, EscPressesTheCancelButtonAndLeavesAWindowWithoutOneOpen) {
    TableModel about(kAboutBoxLayout);
    Win32Window aboutWindow(gui_, about, nullptr);
    ASSERT_TRUE(aboutWindow.Create());
    const int ok = about.Find("OKButton");
    PostKey(aboutWindow.ControlHandle(ok), VK_ESCAPE);
    PostClick(aboutWindow, ok);
    aboutWindow.RunModal();
    EXPECT_EQ(about.events, std::vector<std::string>{"clicked OKButton"});

    TableModel reg(kDelphiRegDlgLayout);
    Win32Window regWindow(gui_, reg, nullptr);
    ASSERT_TRUE(regWindow.Create());
    PostKey(regWindow.ControlHandle(reg.Find("OKBtn")), VK_ESCAPE);
    PostClick(regWindow, reg.Find("OKBtn"));
    regWindow.RunModal();
    EXPECT_EQ(reg.events, std::vector<std::string>{"clicked CancelBtn"});
    EXPECT_EQ(reg.ModalResult(), layout::ModalResult::Cancel);
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
    if (!::OpenClipboard(owner)) return false;
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool put = false;
    if (block) {
        std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(::GlobalLock(block)));
        ::GlobalUnlock(block);
        put = ::SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!put) ::GlobalFree(block);
    }
    ::CloseClipboard();
    return put;
}

// A text pasted with line breaks loses them and keeps the rest, and the field
// holds, and hands on, what it shows.
TEST_F(NativeWindows, APastedLineBreakBecomesNothingAndTheFieldKeepsWhatItShows) {
    TableModel reg(kDelphiRegDlgLayout);
    Win32Window window(gui_, reg, nullptr);
    ASSERT_TRUE(window.Create());
    HWND field = window.ControlHandle(reg.Find("Delphi2Ed"));
    ::SetWindowTextW(field, L"old");
    ::SendMessageW(field, EM_SETSEL, 0, -1);
    ASSERT_TRUE(PutOnClipboard(window.Handle(), L"C:\\Delphi 2\r\n\\Bin\\DELPHI32.EXE\r\n"));
    ::SendMessageW(field, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(field), L"C:\\Delphi 2\\Bin\\DELPHI32.EXE");
    ASSERT_FALSE(reg.edited.empty());
    EXPECT_EQ(reg.edited.back(), "C:\\Delphi 2\\Bin\\DELPHI32.EXE");

    // At the caret, a bare LF and a lone CR too; a text without breaks is the
    // field's own paste.
    ::SendMessageW(field, EM_SETSEL, 2, 2);
    ASSERT_TRUE(PutOnClipboard(window.Handle(), L"\nx\ry\n"));
    ::SendMessageW(field, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(field), L"C:xy\\Delphi 2\\Bin\\DELPHI32.EXE");
    ::SendMessageW(field, EM_SETSEL, 0, -1);
    ASSERT_TRUE(PutOnClipboard(window.Handle(), L"D:\\d2.exe"));
    ::SendMessageW(field, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(field), L"D:\\d2.exe");
    EXPECT_EQ(reg.edited.back(), "D:\\d2.exe");

    // The input box's field too.
    InputBox box("起動履歴登録数", kHistoryPrompt, "1000");
    Win32Window input(gui_, box, &box);
    ASSERT_TRUE(input.Create());
    HWND number = input.ControlHandle(InputBox::kEdit);
    ::SendMessageW(number, EM_SETSEL, 0, -1);
    ASSERT_TRUE(PutOnClipboard(input.Handle(), L"500\r\n"));
    ::SendMessageW(number, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(number), L"500");
    EXPECT_EQ(box.Text(), "500");
}

// Reads what a window shows once it runs: its message, posted before the
// window opens, is handled by the window's loop after the opening.
class Reader {
public:
    explicit Reader(std::function<void()> read) : read_(std::move(read)) {
        WNDCLASSW reader{};
        reader.lpfnWndProc = &Proc;
        reader.hInstance = ::GetModuleHandleW(nullptr);
        reader.lpszClassName = L"PivoraTestReader";
        ::RegisterClassW(&reader);
        hwnd_ = ::CreateWindowExW(0, L"PivoraTestReader", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  reader.hInstance, nullptr);
    }
    ~Reader() {
        if (hwnd_) ::DestroyWindow(hwnd_);
    }
    bool Post() { return hwnd_ && ::PostMessageW(hwnd_, WM_APP, 0, reinterpret_cast<LPARAM>(this)); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg != WM_APP) return ::DefWindowProcW(hwnd, msg, wp, lp);
        reinterpret_cast<Reader*>(lp)->read_();
        return 0;
    }

    std::function<void()> read_;
    HWND hwnd_ = nullptr;
};

// A path longer than its field is shown from its start whenever the dialog
// opens, however far the field was scrolled when it last closed.
TEST_F(NativeWindows, AFieldShowsTheStartOfALongPathWheneverTheDialogOpens) {
    const std::string longPath = "C:\\Program Files\\Borland\\Delphi 4 Client Server Suite\\Bin\\Tools\\"
                                 "And Further Down\\Still Further\\DELPHI32.EXE";
    TableModel reg(kDelphiRegDlgLayout);
    for (const char* name : {"Delphi2Ed", "Delphi3Ed", "Delphi4Ed"}) reg.SetText(name, longPath);
    Win32Window window(gui_, reg, nullptr);
    ASSERT_TRUE(window.Create());
    const int fields[] = {reg.Find("Delphi2Ed"), reg.Find("Delphi3Ed"), reg.Find("Delphi4Ed")};
    std::vector<LRESULT> firstShown;
    reg.onClick = [&](int) {
        for (int f : fields) firstShown.push_back(::SendMessageW(window.ControlHandle(f), EM_GETFIRSTVISIBLELINE, 0, 0));
    };
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE("opening " + std::to_string(opening));
        // As a user leaves them: each field scrolled to the end of its path.
        for (int f : fields) {
            HWND field = window.ControlHandle(f);
            ::SendMessageW(field, EM_SETSEL, 0, -1);
            ::SendMessageW(field, EM_SCROLLCARET, 0, 0);
            ASSERT_GT(::SendMessageW(field, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the path fits its field";
        }
        firstShown.clear();
        reg.Reopen();
        PostClick(window, reg.Find("CancelBtn"));
        window.RunModal();
        EXPECT_EQ(firstShown, (std::vector<LRESULT>{0, 0, 0}));
    }

    // A field focused at opening has its text selected to be typed over, and
    // still shows its start.
    const std::string longNumber(300, '9');
    InputBox box("起動履歴登録数", kHistoryPrompt, longNumber);
    Win32Window input(gui_, box, &box);
    ASSERT_TRUE(input.Create());
    HWND number = input.ControlHandle(InputBox::kEdit);
    LRESULT shown = -1;
    DWORD from = 1, to = 0;
    HWND focused = nullptr;
    Reader reader([&] {
        shown = ::SendMessageW(number, EM_GETFIRSTVISIBLELINE, 0, 0);
        ::SendMessageW(number, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        focused = ::GetFocus();
    });
    ASSERT_TRUE(reader.Post());
    PostClick(input, InputBox::kCancel);
    input.RunModal();
    EXPECT_EQ(focused, number);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, longNumber.size());
}

}  // namespace
}  // namespace pivora
