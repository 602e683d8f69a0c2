// A plain window for the end-to-end tests to give the keyboard focus to, so
// that Wine learns of keys held down before the launcher starts (Wine sees
// the keyboard only through its own windows). Its title is the first argument;
// it closes on Esc, on its closing box, or after the number of seconds given
// second (60 unless given), so a failed test cannot leave it behind.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_KEYDOWN:
            if (wp == VK_ESCAPE) ::DestroyWindow(hwnd);
            return 0;
        case WM_TIMER:
            ::DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcA(hwnd, msg, wp, lp);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string title = argc > 1 ? argv[1] : "pivora-focus";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    WNDCLASSA cls{};
    cls.lpfnWndProc = Proc;
    cls.hInstance = ::GetModuleHandleA(nullptr);
    cls.lpszClassName = "PivoraFocusWindow";
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    ::RegisterClassA(&cls);
    HWND hwnd = ::CreateWindowA(cls.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 400, 200,
                                100, nullptr, nullptr, cls.hInstance, nullptr);
    if (!hwnd) return 1;
    ::SetTimer(hwnd, 1, static_cast<UINT>(seconds > 0 ? seconds : 60) * 1000u, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
