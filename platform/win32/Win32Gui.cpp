#include "platform/win32/Win32Gui.h"

#include <commctrl.h>
#include <cderr.h>
#include <commdlg.h>

#include <algorithm>

#include "platform/formats/FileNames.h"
#include "platform/win32/Win32InputBox.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Window.h"

namespace pivora {

namespace {

using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using GetOpenFileNameWFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
using CommDlgExtendedErrorFn = DWORD(WINAPI*)();

// The common controls and dialogs are loaded the first time a window needs
// them, so that a launch that shows nothing loads neither.
HMODULE Library(const wchar_t* name) {
    HMODULE module = ::GetModuleHandleW(name);
    return module ? module : ::LoadLibraryW(name);
}

}  // namespace

std::wstring OpenFileFilter(const std::string& filter) {
    std::wstring out;
    std::size_t parts = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = filter.find('|', start);
        out += WideFromUtf8(std::string_view(filter).substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        out += L'\0';
        ++parts;
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    // A description without its pattern filters by itself.
    if (parts % 2 == 1) {
        const std::size_t lastStart = out.rfind(L'\0', out.size() - 2);
        out += out.substr(lastStart == std::wstring::npos ? 0 : lastStart + 1);
    }
    out += L'\0';
    return out;
}

Win32Gui::Win32Gui() : instance_(::GetModuleHandleW(nullptr)) {}

Win32Gui::~Win32Gui() = default;

void Win32Gui::EnsureClasses() {
    if (classesRegistered_) return;
    classesRegistered_ = true;
    if (HMODULE comctl = Library(L"comctl32.dll")) {
        if (auto init = reinterpret_cast<InitCommonControlsExFn>(
                reinterpret_cast<void*>(::GetProcAddress(comctl, "InitCommonControlsEx")))) {
            INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
            init(&icc);
        }
    }
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.style = CS_HREDRAW | CS_VREDRAW;
    form.lpfnWndProc = &Win32Window::FormProc;
    form.hInstance = instance_;
    // The resource script names the icon group MAINICON; the title bar takes
    // its 16-pixel picture, the task switcher the 32-pixel one.
    form.hIcon = static_cast<HICON>(::LoadImageW(instance_, L"MAINICON", IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                                 ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    form.hIconSm = static_cast<HICON>(::LoadImageW(instance_, L"MAINICON", IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (!form.hIcon) form.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    form.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    form.lpszClassName = kFormClass;
    ::RegisterClassExW(&form);

    WNDCLASSEXW dialog = form;
    dialog.hIcon = nullptr;
    dialog.hIconSm = nullptr;
    dialog.lpszClassName = kDialogClass;
    ::RegisterClassExW(&dialog);

    WNDCLASSEXW panel{};
    panel.cbSize = sizeof panel;
    panel.style = CS_HREDRAW | CS_VREDRAW;
    panel.lpfnWndProc = &Win32Window::PanelProc;
    panel.hInstance = instance_;
    panel.hCursor = form.hCursor;
    panel.lpszClassName = kPanelClass;
    ::RegisterClassExW(&panel);
}

std::unique_ptr<WindowPeer> Win32Gui::Realize(WindowModel& window) noexcept {
    return std::make_unique<Win32Window>(*this, window);
}

HWND Win32Gui::ActiveOwner() const {
    // Only windows of this thread count: GetActiveWindow answers for it alone.
    HWND active = ::GetActiveWindow();
    if (active && ::IsWindowVisible(active)) return active;
    return nullptr;
}

void Win32Gui::ReportFailure(const char* what) noexcept {
    if (reporting_) return;  // a failure while one is being shown waits its turn
    reporting_ = true;
    HWND owner = ActiveOwner();
    const UINT flags = MB_OK | MB_ICONERROR | (owner ? 0 : MB_TASKMODAL | MB_SETFOREGROUND);
    try {
        const std::wstring text = WideFromUtf8(what ? what : "予期しないエラーが発生しました。");
        ::MessageBoxW(owner, text.c_str(), L"エラー", flags);
    } catch (...) {
        // No memory even for the text: the box still says that something failed.
        ::MessageBoxW(owner, L"", L"エラー", flags);
    }
    reporting_ = false;
}

MsgResult Win32Gui::MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept {
    UINT flags = buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK;
    const wchar_t* title = L"Pivora";
    switch (type) {
        case MsgType::Error:
            flags |= MB_ICONERROR;
            title = L"エラー";
            break;
        case MsgType::Warning:
            flags |= MB_ICONWARNING;
            title = L"警告";
            break;
        case MsgType::Plain:
            break;
    }
    HWND owner = ActiveOwner();
    // Without a window of ours to own it, the box must still come to the front
    // and keep the rest of the program waiting.
    if (!owner) flags |= MB_TASKMODAL | MB_SETFOREGROUND;
    const std::wstring wide = WideFromUtf8(text);
    const int answer = ::MessageBoxW(owner, wide.c_str(), title, flags);
    if (answer == IDYES) return MsgResult::Yes;
    if (answer == IDNO) return MsgResult::No;
    return MsgResult::Ok;
}

std::optional<std::string> Win32Gui::InputQuery(const std::string& caption, const std::string& prompt,
                                                const std::string& initial) noexcept {
    InputBox box(caption, prompt, initial);
    {
        Win32Window window(*this, box, &box);
        window.RunModal();
    }
    if (box.ModalResult() != layout::ModalResult::Ok) return std::nullopt;
    return box.Text();
}

std::optional<std::string> Win32Gui::OpenFile(const std::string& filter,
                                              const std::string& initialFile) noexcept {
    HMODULE comdlg = Library(L"comdlg32.dll");
    auto getOpenFileName = comdlg ? reinterpret_cast<GetOpenFileNameWFn>(
                                        reinterpret_cast<void*>(::GetProcAddress(comdlg, "GetOpenFileNameW")))
                                  : nullptr;
    if (!getOpenFileName) {
        ReportFailure("ファイルを開くダイアログを表示できません。");
        return std::nullopt;
    }
    const std::wstring filters = OpenFileFilter(filter);
    // The dialog opens in the given file's folder with its name filled in.
    const PathRules windowsPaths{true, false};  // UTF-8 has no trail byte that is a backslash
    const std::wstring dir = WideFromUtf8(ExtractFilePath(initialFile, windowsPaths));
    const std::wstring name = WideFromUtf8(ExtractFileName(initialFile, windowsPaths));
    std::wstring buffer(32768, L'\0');
    std::copy_n(name.begin(), std::min(name.size(), buffer.size() - 1), buffer.begin());

    for (int attempt = 0; attempt < 2; ++attempt) {
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = ActiveOwner();
        ofn.lpstrFilter = filters.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = static_cast<DWORD>(buffer.size());
        ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
        // The launcher's own current directory stays where it was.
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (getOpenFileName(&ofn)) return Utf8FromWide(buffer.c_str());
        auto extendedError = reinterpret_cast<CommDlgExtendedErrorFn>(
            reinterpret_cast<void*>(::GetProcAddress(comdlg, "CommDlgExtendedError")));
        // A field holding a command rather than a file name is no start for the
        // dialog; it opens empty instead. Anything else is the user's cancel.
        if (!extendedError || extendedError() != FNERR_INVALIDFILENAME) break;
        std::fill(buffer.begin(), buffer.end(), L'\0');
    }
    return std::nullopt;
}

void Win32Gui::RunMainWindow(WindowModel&, WindowPeer& peer) noexcept {
    static_cast<Win32Window&>(peer).RunMain();
}

}  // namespace pivora
