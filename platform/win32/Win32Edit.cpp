#include "platform/win32/Win32Edit.h"

#include <algorithm>
#include <optional>

namespace pivora {

namespace {

constexpr wchar_t kOwnProc[] = L"PivoraEditProc";

std::optional<std::wstring> ClipboardText(HWND owner) {
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            // The block may be larger than its text, and need not end in a NUL.
            const std::size_t room = ::GlobalSize(data) / sizeof(wchar_t);
            text.emplace(chars, std::find(chars, chars + room, L'\0'));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

LRESULT CALLBACK OneLineProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto original = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kOwnProc));
    if (!original) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_PASTE && !(::GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY)) {
        // Nothing thrown may unwind through the system's frames: a text that
        // cannot be copied is left to the field's own paste.
        try {
            if (const auto text = ClipboardText(hwnd); text && text->find_first_of(L"\r\n") != std::wstring::npos) {
                const std::wstring line = WithoutLineBreaks(*text);
                // As a typed text: the field's limit, its undo and its change notice apply.
                ::CallWindowProcW(original, hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(line.c_str()));
                return 0;
            }
        } catch (...) {
        }
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        ::RemovePropW(hwnd, kOwnProc);
    }
    return ::CallWindowProcW(original, hwnd, msg, wp, lp);
}

}  // namespace

std::wstring WithoutLineBreaks(std::wstring_view text) {
    std::wstring line(text);
    std::erase_if(line, [](wchar_t c) { return c == L'\r' || c == L'\n'; });
    return line;
}

void KeepOneLine(HWND edit) {
    if (::GetPropW(edit, kOwnProc)) return;
    const auto original = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(edit, GWLP_WNDPROC));
    if (!original || !::SetPropW(edit, kOwnProc, reinterpret_cast<HANDLE>(original))) return;
    ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OneLineProc));
}

}  // namespace pivora
