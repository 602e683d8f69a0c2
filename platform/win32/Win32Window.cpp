#include "platform/win32/Win32Window.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "platform/win32/Win32Edit.h"
#include "platform/win32/Win32Font.h"
#include "platform/win32/Win32Gui.h"
#include "platform/win32/Win32Text.h"

namespace pivora {

using layout::Border;
using layout::Kind;

namespace {

// Control identifiers stay clear of IDOK and IDCANCEL, which the dialog
// manager sends for Enter and Esc.
constexpr int kControlBase = 100;
constexpr int kRadioBase = 4000;  // + control * kMaxItems + item
constexpr int kMaxItems = 64;
constexpr int kMenuBase = 20000;

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <class F>
F User32Function(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

UINT DpiOf(HWND hwnd) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && hwnd)
        if (const UINT dpi = getDpiForWindow(hwnd)) return dpi;
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void AdjustForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, UINT dpi) {
    static const auto adjust = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (adjust) adjust(&rect, style, menu, exStyle, dpi);
    else ::AdjustWindowRectEx(&rect, style, menu, exStyle);
}

DWORD FormStyle(Border border) {
    switch (border) {
        case Border::Sizeable: return WS_OVERLAPPEDWINDOW;
        case Border::Single: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        case Border::Dialog: break;
    }
    return WS_POPUP | WS_CAPTION | WS_SYSMENU;
}

DWORD FormExStyle(Border border) {
    return WS_EX_CONTROLPARENT | (border == Border::Dialog ? WS_EX_DLGMODALFRAME : 0);
}

COLORREF ColorValue(layout::Color color, COLORREF fallback) {
    switch (color) {
        case layout::Color::WindowText: return ::GetSysColor(COLOR_WINDOWTEXT);
        case layout::Color::ButtonFace: return ::GetSysColor(COLOR_BTNFACE);
        case layout::Color::Black: return RGB(0, 0, 0);
        case layout::Color::Purple: return RGB(128, 0, 128);
        case layout::Color::Default: break;
    }
    return fallback;
}

// The menu of a form: items whose name another item names as its parent open
// a submenu; the others are commands, "-" a separator.
HMENU BuildMenu(const layout::Form& form) {
    if (form.menu.empty()) return nullptr;
    const std::size_t n = form.menu.size();
    std::vector<HMENU> popups(n, nullptr);
    for (std::size_t i = 0; i < n; ++i)
        for (const layout::MenuItem& other : form.menu)
            if (other.parent && std::string_view(other.parent) == form.menu[i].name) {
                popups[i] = ::CreatePopupMenu();
                break;
            }
    HMENU bar = ::CreateMenu();
    for (std::size_t i = 0; i < n; ++i) {
        const layout::MenuItem& item = form.menu[i];
        HMENU into = bar;
        if (item.parent)
            for (std::size_t p = 0; p < n; ++p)
                if (popups[p] && std::string_view(item.parent) == form.menu[p].name) into = popups[p];
        const std::wstring caption = WideFromUtf8(item.caption ? item.caption : "");
        if (caption == L"-") ::AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
        else if (popups[i]) ::AppendMenuW(into, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popups[i]), caption.c_str());
        else ::AppendMenuW(into, MF_STRING, static_cast<UINT_PTR>(kMenuBase + i), caption.c_str());
    }
    return bar;
}

// Every window of this thread that a modal window must keep the user from.
struct ThreadWindows {
    HWND except;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM lp) {
    auto* windows = reinterpret_cast<ThreadWindows*>(lp);
    if (hwnd != windows->except && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) windows->found.push_back(hwnd);
    return TRUE;
}

Win32Window* PeerOf(HWND hwnd) { return reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

}  // namespace

Win32Window::Win32Window(Win32Gui& gui, WindowModel& model, MeasuredTable* measured)
    : gui_(gui), model_(model), measured_(measured), form_(model.Layout()), controls_(form_.controls.size()) {}

Win32Window::~Win32Window() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);  // destroys the controls and the menu with it
    }
    for (auto& [key, font] : fonts_) ::DeleteObject(font);
    if (ownBrush_ && background_) ::DeleteObject(background_);
}

HWND Win32Window::ControlHandle(int control) const {
    if (control < 0 || static_cast<std::size_t>(control) >= controls_.size()) return nullptr;
    return controls_[static_cast<std::size_t>(control)].hwnd;
}

HWND Win32Window::RadioHandle(int control, int item) const {
    if (control < 0 || static_cast<std::size_t>(control) >= controls_.size()) return nullptr;
    const auto& radios = controls_[static_cast<std::size_t>(control)].radios;
    return item >= 0 && static_cast<std::size_t>(item) < radios.size() ? radios[static_cast<std::size_t>(item)] : nullptr;
}

bool Win32Window::Create(UINT dpi) {
    if (hwnd_) return true;
    gui_.EnsureClasses();
    if (form_.color == layout::Color::ButtonFace || form_.color == layout::Color::Default) {
        background_ = ::GetSysColorBrush(COLOR_BTNFACE);
    } else {
        background_ = ::CreateSolidBrush(ColorValue(form_.color, ::GetSysColor(COLOR_BTNFACE)));
        ownBrush_ = true;
    }
    menu_ = BuildMenu(form_);
    // A dialog belongs to the window it was opened from, so it stays above it
    // and shares its taskbar button.
    HWND owner = form_.border == Border::Dialog ? gui_.ActiveOwner() : nullptr;
    const std::wstring caption = WideFromUtf8(form_.caption ? form_.caption : "");
    const wchar_t* windowClass = form_.border == Border::Dialog ? kDialogClass : kFormClass;
    hwnd_ = ::CreateWindowExW(FormExStyle(form_.border), windowClass, caption.c_str(), FormStyle(form_.border),
                              form_.left, form_.top, 100, 100, owner, menu_, gui_.Instance(), this);
    if (!hwnd_) {
        if (menu_) ::DestroyMenu(menu_);
        menu_ = nullptr;
        gui_.ReportFailure(("ウィンドウを作成できません。\n" + SystemErrorText(::GetLastError())).c_str());
        return false;
    }
    dpi_ = dpi ? dpi : DpiOf(hwnd_);
    if (measured_) measured_->MeasureFor(dpi_);
    CreateControls();
    ApplyDpi();
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (form_.controls[i].kind == Kind::RadioGroup) SyncRadios(static_cast<int>(i));
        if (form_.controls[i].isDefault) defaultButton_ = static_cast<int>(i);
        CueChanged(static_cast<int>(i));
        if (!model_.Enabled(static_cast<int>(i))) EnabledChanged(static_cast<int>(i));
    }
    return true;
}

HWND Win32Window::ParentOf(const layout::Control& control) const {
    if (control.parent)
        for (std::size_t i = 0; i < form_.controls.size(); ++i)
            if (std::string_view(control.parent) == form_.controls[i].name && form_.controls[i].kind == Kind::Panel &&
                controls_[i].hwnd)
                return controls_[i].hwnd;
    return hwnd_;
}

void Win32Window::CreateControls() {
    // Creation order is the order of the tab key: the dialog manager walks
    // children in their Z order. Panels come before what they hold, so their
    // windows exist as parents.
    std::vector<int> order(form_.controls.size());
    std::iota(order.begin(), order.end(), 0);
    auto key = [&](int i) {
        const layout::Control& c = form_.controls[static_cast<std::size_t>(i)];
        return std::make_tuple(c.tabOrder < 0 ? 1 : 0, c.tabOrder, i);
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
    std::stable_partition(order.begin(), order.end(),
                          [&](int i) { return form_.controls[static_cast<std::size_t>(i)].kind == Kind::Panel; });

    for (int i : order) {
        const layout::Control& c = form_.controls[static_cast<std::size_t>(i)];
        const std::wstring caption = WideFromUtf8(model_.Caption(i));
        const HWND parent = ParentOf(c);
        const bool tabStop = c.tabOrder >= 0;
        const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlBase + i));
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        const wchar_t* cls = L"STATIC";
        switch (c.kind) {
            case Kind::Panel:
                cls = kPanelClass;
                style |= WS_CLIPSIBLINGS;
                exStyle |= WS_EX_CONTROLPARENT;
                break;
            case Kind::Label:
            case Kind::StaticText:
                style |= WS_GROUP | (c.align == layout::Align::Center ? SS_CENTER : SS_LEFT);
                break;
            case Kind::Edit:
                cls = L"EDIT";
                style |= WS_GROUP | ES_AUTOHSCROLL | ES_LEFT | (tabStop ? WS_TABSTOP : 0);
                exStyle |= WS_EX_CLIENTEDGE;
                break;
            case Kind::Button:
                cls = L"BUTTON";
                style |= WS_GROUP | (c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (tabStop ? WS_TABSTOP : 0);
                break;
            case Kind::RadioGroup:
                cls = L"BUTTON";
                style |= WS_GROUP | BS_GROUPBOX;
                break;
        }
        HWND hwnd = ::CreateWindowExW(exStyle, cls, caption.c_str(), style, 0, 0, 0, 0, parent, id, gui_.Instance(),
                                      nullptr);
        ControlWindow& w = controls_[static_cast<std::size_t>(i)];
        w.hwnd = hwnd;
        if (hwnd && c.kind == Kind::Edit) KeepOneLine(hwnd);
        if (hwnd && c.kind == Kind::Panel) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        if (c.kind == Kind::RadioGroup) {
            // The items are the group box's siblings, right after it in the tab
            // order, so the arrow keys move among them and Tab leaves them.
            const int count = static_cast<int>(std::min<std::size_t>(c.items.size(), kMaxItems));
            for (int item = 0; item < count; ++item) {
                const std::wstring text = WideFromUtf8(c.items[static_cast<std::size_t>(item)]);
                DWORD radioStyle = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
                if (item == 0) radioStyle |= WS_GROUP | (tabStop ? WS_TABSTOP : 0);
                w.radios.push_back(::CreateWindowExW(
                    0, L"BUTTON", text.c_str(), radioStyle, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRadioBase + i * kMaxItems + item)), gui_.Instance(),
                    nullptr));
            }
        }
    }
}

HFONT Win32Window::FontFor(const layout::Control& control) {
    const layout::Font f = layout::EffectiveFont(form_, control);
    const std::string face = f.face ? f.face : "";
    const int height = ::MulDiv(f.height, static_cast<int>(dpi_), 96);
    auto key = std::make_tuple(face, height, f.bold, f.italic, static_cast<int>(f.charset));
    if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
    HFONT font = CreateTableFont(f, dpi_);
    if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    else fonts_.emplace(std::move(key), font);
    return font;
}

void Win32Window::ApplyDpi() {
    // Fonts of another scale are dropped; those in use are replaced first.
    std::map<std::tuple<std::string, int, bool, bool, int>, HFONT> old;
    old.swap(fonts_);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const layout::Control& c = form_.controls[i];
        ControlWindow& w = controls_[i];
        if (!w.hwnd) continue;
        HFONT font = FontFor(c);
        ::SendMessageW(w.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        ::MoveWindow(w.hwnd, Scale(c.left), Scale(c.top), Scale(c.width), Scale(c.height), TRUE);
        if (w.radios.empty()) continue;
        // The items share the group's height below its caption, as the form
        // designer's radio group lays them out: one column, equal rows.
        int textHeight = Scale(13);
        if (HDC dc = ::GetDC(w.hwnd)) {
            HGDIOBJ before = ::SelectObject(dc, font);
            TEXTMETRICW tm{};
            if (::GetTextMetricsW(dc, &tm)) textHeight = tm.tmHeight;
            ::SelectObject(dc, before);
            ::ReleaseDC(w.hwnd, dc);
        }
        const int n = static_cast<int>(w.radios.size());
        const int usable = std::max(0, Scale(c.height) - textHeight - 5);
        const int rowHeight = usable / n;
        const int topMargin = textHeight + 1 + (usable % n) / 2;
        for (int item = 0; item < n; ++item) {
            HWND radio = w.radios[static_cast<std::size_t>(item)];
            ::SendMessageW(radio, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            ::MoveWindow(radio, Scale(c.left) + 8 * static_cast<int>(dpi_) / 96, Scale(c.top) + topMargin + item * rowHeight,
                         std::max(0, Scale(c.width) - Scale(10)), rowHeight, TRUE);
        }
    }
    for (auto& [key, font] : old) ::DeleteObject(font);

    // The client area is what the table gives; the frame is what this DPI makes of it.
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    RECT r{0, 0, Scale(form_.clientWidth), Scale(form_.clientHeight)};
    AdjustForDpi(r, style, menu_ != nullptr, exStyle, dpi_);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps takes more than the one line reckoned with.
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int dw = Scale(form_.clientWidth) - (client.right - client.left);
    const int dh = Scale(form_.clientHeight) - (client.bottom - client.top);
    if (dw != 0 || dh != 0)
        ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::PlaceOnScreen() {
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    if (!form_.centerOnShow) {
        ::SetWindowPos(hwnd_, nullptr, form_.left, form_.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    HWND owner = ::GetWindow(hwnd_, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor))
        area = monitor.rcWork;
    const int x = area.left + std::max(0L, (area.right - area.left - width) / 2);
    const int y = area.top + std::max(0L, (area.bottom - area.top - height) / 2);
    ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::ShowAndFocus() {
    PlaceOnScreen();
    ShowFieldsFromTheirStart();
    ::ShowWindow(hwnd_, SW_SHOW);
    ::UpdateWindow(hwnd_);
    ::SetForegroundWindow(hwnd_);
    FocusInitialControl();
}

// A path longer than its field is read from its drive and folders, so every
// opening shows each field from its first character, however far the user
// had scrolled it the last time the window was open.
void Win32Window::ShowFieldsFromTheirStart() {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (form_.controls[i].kind != Kind::Edit || !controls_[i].hwnd) continue;
        ::SendMessageW(controls_[i].hwnd, EM_SETSEL, 0, 0);
        ::SendMessageW(controls_[i].hwnd, EM_SCROLLCARET, 0, 0);
    }
}

void Win32Window::FocusInitialControl() {
    HWND target = nullptr;
    if (form_.activeControl)
        for (std::size_t i = 0; i < form_.controls.size(); ++i)
            if (std::string_view(form_.activeControl) == form_.controls[i].name) {
                target = controls_[i].radios.empty() ? controls_[i].hwnd : controls_[i].radios.front();
                const int checked = model_.ItemIndex(static_cast<int>(i));
                if (checked >= 0 && static_cast<std::size_t>(checked) < controls_[i].radios.size())
                    target = controls_[i].radios[static_cast<std::size_t>(checked)];
            }
    if (!target) target = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (!target) return;
    ::SetFocus(target);
    if (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        // All of it selected, to be typed over, with the caret at its start,
        // so that a long text is seen from its beginning.
        ::SendMessageW(target, EM_SETSEL, static_cast<WPARAM>(::GetWindowTextLengthW(target)), 0);
        ::SendMessageW(target, EM_SCROLLCARET, 0, 0);
    }
    TrackFocus();
}

std::wstring Win32Window::WindowTextOf(HWND hwnd) const {
    const int n = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(std::max(n, 0)) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
}

void Win32Window::CaptionChanged(int control) noexcept {
    HWND hwnd = ControlHandle(control);
    if (!hwnd) return;
    const std::wstring text = WideFromUtf8(model_.Caption(control));
    if (WindowTextOf(hwnd) == text) return;
    updating_ = true;
    ::SetWindowTextW(hwnd, text.c_str());
    updating_ = false;
    if (form_.controls[static_cast<std::size_t>(control)].kind == Kind::Panel) ::InvalidateRect(hwnd, nullptr, TRUE);
}

void Win32Window::ItemIndexChanged(int control) noexcept { SyncRadios(control); }

void Win32Window::CueChanged(int control) noexcept {
    HWND hwnd = ControlHandle(control);
    if (!hwnd || form_.controls[static_cast<std::size_t>(control)].kind != Kind::Edit) return;
    try {
        const std::wstring cue = WideFromUtf8(model_.Cue(control));
        // The edit of the common controls 6 (the manifest asks for them) draws
        // it greyed while empty; TRUE keeps it shown in the focused edit too,
        // where the dialog's first field may well be.
        ::SendMessageW(hwnd, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
    } catch (...) {
        // No memory for the text: the edit goes without its cue.
    }
}

void Win32Window::EnabledChanged(int control) noexcept {
    const bool enabled = model_.Enabled(control);
    if (HWND hwnd = ControlHandle(control)) ::EnableWindow(hwnd, enabled);
    for (int item = 0; HWND radio = RadioHandle(control, item); ++item) ::EnableWindow(radio, enabled);
}

void Win32Window::SyncRadios(int control) {
    if (control < 0 || static_cast<std::size_t>(control) >= controls_.size()) return;
    const auto& radios = controls_[static_cast<std::size_t>(control)].radios;
    if (radios.empty()) return;
    const int checked = model_.ItemIndex(control);
    const bool tabStop = form_.controls[static_cast<std::size_t>(control)].tabOrder >= 0;
    for (std::size_t item = 0; item < radios.size(); ++item) {
        const bool on = static_cast<int>(item) == checked;
        ::SendMessageW(radios[item], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        // Tab enters the group at its checked item, or at the first while none is.
        LONG_PTR style = ::GetWindowLongPtrW(radios[item], GWL_STYLE);
        const bool stop = tabStop && (checked >= 0 && static_cast<std::size_t>(checked) < radios.size() ? on : item == 0);
        style = stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        ::SetWindowLongPtrW(radios[item], GWL_STYLE, style);
    }
}

void Win32Window::SetDefaultButton(int control) {
    if (control == defaultButton_) return;
    for (int i : {defaultButton_, control}) {
        HWND button = ControlHandle(i);
        if (!button) continue;
        ::SendMessageW(button, BM_SETSTYLE, i == control ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
    defaultButton_ = control;
}

void Win32Window::TrackFocus() {
    HWND focus = ::GetFocus();
    if (focus == lastFocus_ || !hwnd_) return;
    lastFocus_ = focus;
    if (!focus || (focus != hwnd_ && !::IsChild(hwnd_, focus))) return;
    // As in a dialog box: a focused push button is the default one; elsewhere
    // the table's default button is.
    const int focused = ControlOf(focus);
    if (focused >= 0 && form_.controls[static_cast<std::size_t>(focused)].kind == Kind::Button) {
        SetDefaultButton(focused);
        return;
    }
    int tableDefault = -1;
    for (std::size_t i = 0; i < form_.controls.size(); ++i)
        if (form_.controls[i].isDefault) tableDefault = static_cast<int>(i);
    SetDefaultButton(tableDefault);
}

int Win32Window::ControlOf(HWND child) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].hwnd == child) return static_cast<int>(i);
    return -1;
}

void Win32Window::RunModal() noexcept {
    if (!Create()) return;
    modal_ = true;
    // Like a dialog box: the other windows of the program wait until it closes.
    ThreadWindows others{hwnd_, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&others));
    for (HWND w : others.found) ::EnableWindow(w, FALSE);
    ShowAndFocus();

    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg{};
    while (model_.ModalResult() == layout::ModalResult::None) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1) break;
        if (!::IsDialogMessageW(hwnd_, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        TrackFocus();
    }
    // The owner is enabled before the dialog hides, so it is the one activated next.
    for (HWND w : others.found)
        if (::IsWindow(w)) ::EnableWindow(w, TRUE);
    ::ShowWindow(hwnd_, SW_HIDE);
    modal_ = false;
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
}

void Win32Window::RunMain() noexcept {
    if (!Create()) return;
    ShowAndFocus();
    MSG msg{};
    while (!model_.Closed()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}

void Win32Window::BringToFront() noexcept {
    if (hwnd_ && ::IsWindowVisible(hwnd_)) ::SetForegroundWindow(hwnd_);
}

void Win32Window::Closed() noexcept {
    if (!hwnd_) return;
    ::ShowWindow(hwnd_, SW_HIDE);
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);  // the loop looks at the model again
}

COLORREF Win32Window::TextColor(const layout::Control& control) const {
    return ColorValue(layout::EffectiveFont(form_, control).color, ::GetSysColor(COLOR_WINDOWTEXT));
}

LRESULT Win32Window::HandleColor(HDC dc, HWND child, bool edit) {
    int control = ControlOf(child);
    if (control < 0)
        for (std::size_t i = 0; i < controls_.size() && control < 0; ++i)
            for (HWND radio : controls_[i].radios)
                if (radio == child) control = static_cast<int>(i);
    if (control >= 0) ::SetTextColor(dc, TextColor(form_.controls[static_cast<std::size_t>(control)]));
    if (edit) {
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    LOGBRUSH brush{};
    ::GetObjectW(background_, sizeof brush, &brush);
    ::SetBkColor(dc, brush.lbColor);
    return reinterpret_cast<LRESULT>(background_);
}

LRESULT Win32Window::HandleCommand(WPARAM wp, LPARAM lp) {
    const int id = LOWORD(wp);
    const int code = HIWORD(wp);
    if (lp == 0 && code == 0 && id >= kMenuBase && static_cast<std::size_t>(id - kMenuBase) < form_.menu.size()) {
        model_.UserChoseMenu(id - kMenuBase);
        return 0;
    }
    if (id == IDCANCEL && modal_) {
        // Esc presses the cancel button; a window without one (the About box)
        // stays open, as the form designer's windows do. The closing box
        // still closes it.
        for (std::size_t i = 0; i < form_.controls.size(); ++i)
            if (form_.controls[i].isCancel && form_.controls[i].kind == Kind::Button && controls_[i].hwnd &&
                ::IsWindowEnabled(controls_[i].hwnd)) {
                model_.UserClicked(static_cast<int>(i));
                return 0;
            }
        return 0;
    }
    if (id >= kRadioBase && id < kRadioBase + static_cast<int>(form_.controls.size()) * kMaxItems) {
        const int control = (id - kRadioBase) / kMaxItems, item = (id - kRadioBase) % kMaxItems;
        if (code == BN_CLICKED && ::SendMessageW(reinterpret_cast<HWND>(lp), BM_GETCHECK, 0, 0) == BST_CHECKED &&
            model_.ItemIndex(control) != item) {
            model_.UserSelected(control, item);
            SyncRadios(control);
        }
        return 0;
    }
    const int control = id - kControlBase;
    if (control < 0 || static_cast<std::size_t>(control) >= form_.controls.size()) return 0;
    const layout::Control& c = form_.controls[static_cast<std::size_t>(control)];
    if (c.kind == Kind::Button && code == BN_CLICKED) {
        model_.UserClicked(control);
    } else if (c.kind == Kind::Edit && code == EN_CHANGE && !updating_) {
        model_.UserEdited(control, Utf8FromWide(WindowTextOf(reinterpret_cast<HWND>(lp))));
    }
    return 0;
}

void Win32Window::PaintPanel(HWND panel) {
    const int control = ControlOf(panel);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(panel, &ps);
    if (!dc) return;
    RECT r{};
    ::GetClientRect(panel, &r);
    ::FillRect(dc, &r, background_);
    if (control >= 0) {
        const layout::Control& c = form_.controls[static_cast<std::size_t>(control)];
        if (c.bevel == layout::Bevel::Raised) ::DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        else if (c.bevel == layout::Bevel::Lowered) ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        const std::wstring text = WideFromUtf8(model_.Caption(control));
        HGDIOBJ before = ::SelectObject(dc, FontFor(c));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, TextColor(c));
        const UINT align = c.align == layout::Align::Center ? DT_CENTER : DT_LEFT;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                    align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(dc, before);
    }
    ::EndPaint(panel, &ps);
}

LRESULT Win32Window::HandleForm(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            return HandleCommand(wp, lp);
        case WM_CLOSE:
            model_.UserDismissed();
            return 0;
        case WM_ERASEBKGND: {
            RECT r{};
            ::GetClientRect(hwnd_, &r);
            ::FillRect(reinterpret_cast<HDC>(wp), &r, background_);
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return HandleColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), false);
        case WM_CTLCOLOREDIT:
            return HandleColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), true);
        case DM_GETDEFID:
            // The dialog manager asks which button Enter presses.
            if (defaultButton_ >= 0) return MAKELRESULT(kControlBase + defaultButton_, DC_HASDEFID);
            return 0;
        case WM_NEXTDLGCTL: {
            // Sent by the dialog manager for Tab; a plain window must move the focus itself.
            HWND target = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : ::GetNextDlgTabItem(hwnd_, ::GetFocus(), wp != 0);
            if (target) {
                ::SetFocus(target);
                if (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                    ::SendMessageW(target, EM_SETSEL, 0, -1);
            }
            TrackFocus();
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus && ::IsChild(hwnd_, focus)) savedFocus_ = focus;
            } else if (savedFocus_ && ::IsWindow(savedFocus_) && ::IsChild(hwnd_, savedFocus_)) {
                ::SetFocus(savedFocus_);
                return 0;
            }
            break;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wp);
            if (measured_) measured_->MeasureFor(dpi_);
            ApplyDpi();
            const RECT* suggested = reinterpret_cast<const RECT*>(lp);
            ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Win32Window::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<Win32Window*>(create->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd_ = hwnd;
    }
    Win32Window* self = PeerOf(hwnd);
    if (!self || self->hwnd_ != hwnd) return ::DefWindowProcW(hwnd, msg, wp, lp);
    // Nothing thrown may unwind through Windows' own frames. The model throws
    // nothing; what is stopped here is a failure of this backend's own code.
    try {
        return self->HandleForm(msg, wp, lp);
    } catch (const std::exception& e) {
        self->gui_.ReportFailure(e.what());
    } catch (...) {
        self->gui_.ReportFailure(nullptr);
    }
    return 0;
}

LRESULT CALLBACK Win32Window::PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Window* self = PeerOf(hwnd);
    try {
        switch (msg) {
            case WM_PAINT:
                if (self) {
                    self->PaintPanel(hwnd);
                    return 0;
                }
                break;
            case WM_ERASEBKGND:
                return 1;  // painted whole in WM_PAINT
            case WM_SETTEXT: {
                const LRESULT r = ::DefWindowProcW(hwnd, msg, wp, lp);
                ::InvalidateRect(hwnd, nullptr, TRUE);
                return r;
            }
            case WM_COMMAND:
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLOREDIT:
                // What a panel holds reports to the form, like the form's own controls.
                if (self && self->hwnd_) return ::SendMessageW(self->hwnd_, msg, wp, lp);
                break;
            default:
                break;
        }
    } catch (const std::exception& e) {
        if (self) self->gui_.ReportFailure(e.what());
        return 0;
    } catch (...) {
        if (self) self->gui_.ReportFailure(nullptr);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace pivora
