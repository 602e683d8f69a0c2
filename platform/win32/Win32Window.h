// One window of the launcher as a native top-level window with native
// controls. The window handle is created the first time the window is shown.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/interface/Gui.h"
#include "platform/win32/Win32Api.h"

namespace pivora {

class Win32Gui;

// The main window's class carries the application's icon; a dialog's has
// none, so its caption shows none, as a dialog frame does.
inline constexpr wchar_t kFormClass[] = L"PivoraForm";
inline constexpr wchar_t kDialogClass[] = L"PivoraDialog";
inline constexpr wchar_t kPanelClass[] = L"PivoraPanel";

// A window whose table is measured for the DPI it is shown at, in that DPI's
// pixels, the way the system lays out its own dialogs from their font (the
// input box), rather than given at 96 dpi and scaled.
class MeasuredTable {
public:
    virtual void MeasureFor(UINT dpi) noexcept = 0;

protected:
    ~MeasuredTable() = default;
};

class Win32Window final : public WindowPeer {
public:
    Win32Window(Win32Gui& gui, WindowModel& model, MeasuredTable* measured = nullptr);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    void CaptionChanged(int control) noexcept override;
    void ItemIndexChanged(int control) noexcept override;
    void CueChanged(int control) noexcept override;
    void EnabledChanged(int control) noexcept override;
    void RunModal() noexcept override;
    void BringToFront() noexcept override;
    void Closed() noexcept override;
    // Shows the window as the main window and runs events until the model closes.
    void RunMain() noexcept;
    // Makes the window and its controls, laid out for `dpi` (0: the DPI Windows
    // gives the window), without showing it; false (after saying why) when
    // Windows refuses. RunModal and RunMain make it where it is not made yet.
    bool Create(UINT dpi = 0);

    HWND Handle() const { return hwnd_; }
    HWND ControlHandle(int control) const;
    HWND RadioHandle(int control, int item) const;

    static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    struct ControlWindow {
        HWND hwnd = nullptr;
        std::vector<HWND> radios;  // a radio group's items
    };

    void CreateControls();
    void ApplyDpi();  // fonts, positions and the window's size for dpi_
    void PlaceOnScreen();
    void ShowAndFocus();
    void ShowFieldsFromTheirStart();
    HFONT FontFor(const layout::Control& control);
    // A length of the table in pixels of the window's DPI.
    int Scale(int v) const { return measured_ ? v : ::MulDiv(v, static_cast<int>(dpi_), 96); }
    HWND ParentOf(const layout::Control& control) const;
    COLORREF TextColor(const layout::Control& control) const;
    HBRUSH Background() const { return background_; }
    int ControlOf(HWND child) const;  // index in the table, or -1
    void SyncRadios(int control);
    void TrackFocus();  // the focused push button is the one Enter presses
    void SetDefaultButton(int control);
    void FocusInitialControl();
    std::wstring WindowTextOf(HWND hwnd) const;

    LRESULT HandleForm(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleCommand(WPARAM wp, LPARAM lp);
    LRESULT HandleColor(HDC dc, HWND child, bool edit);
    void PaintPanel(HWND panel);

    Win32Gui& gui_;
    WindowModel& model_;
    MeasuredTable* measured_;
    const layout::Form& form_;
    HWND hwnd_ = nullptr;
    HMENU menu_ = nullptr;
    UINT dpi_ = 96;
    HBRUSH background_ = nullptr;
    bool ownBrush_ = false;
    std::vector<ControlWindow> controls_;
    std::map<std::tuple<std::string, int, bool, bool, int>, HFONT> fonts_;
    int defaultButton_ = -1;   // the control Enter presses now
    HWND lastFocus_ = nullptr;
    HWND savedFocus_ = nullptr;  // restored when the window is activated again
    bool updating_ = false;      // our own SetWindowText, not the user's typing
    bool modal_ = false;
};

}  // namespace pivora
