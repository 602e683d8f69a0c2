// The seam between the launcher's windows and a toolkit. A window is a
// toolkit-free model (Window.h) built from its layout table; a backend realises
// it only when it must be seen, so a run that never shows a window never loads
// or maps anything.
//
// Nothing is thrown across the seam, in either direction: every method here is
// noexcept. A toolkit calls the model from C callbacks that no exception may
// unwind, and the Linux toolkit lives in a module with a C++ runtime of its
// own, which cannot catch what the launcher's runtime throws. A failure of the
// launcher's own handlers stays on its side (Window::Fire); a backend keeps
// its own failures to itself.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/interface/Layout.h"

namespace pivora {

enum class MsgType { Plain, Error, Warning };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

// What a backend sees of a window: its table and the current state of its
// controls, and the way to report what the user did. Every text is UTF-8.
class WindowModel {
public:
    virtual const layout::Form& Layout() const noexcept = 0;
    virtual const std::string& Caption(int control) const noexcept = 0;  // caption or edit text
    virtual int ItemIndex(int control) const noexcept = 0;               // radio group; -1 none
    // An edit's cue: a hint shown, greyed so it cannot be taken for text,
    // while the edit is empty; empty for none. It is never the edit's text.
    virtual const std::string& Cue(int /*control*/) const noexcept {
        static const std::string none;
        return none;
    }
    // False for a control the user cannot use now (drawn greyed, never pressed).
    virtual bool Enabled(int /*control*/) const noexcept { return true; }
    virtual layout::ModalResult ModalResult() const noexcept = 0;
    virtual bool Closed() const noexcept = 0;

    virtual void UserEdited(int control, std::string text) noexcept = 0;
    virtual void UserSelected(int control, int item) noexcept = 0;
    virtual void UserClicked(int control) noexcept = 0;
    virtual void UserChoseMenu(int menuItem) noexcept = 0;
    // Esc or the closing box: a dialog ends with Cancel, the main window closes.
    virtual void UserDismissed() noexcept = 0;

protected:
    ~WindowModel() = default;
};

// A backend's realisation of one window.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;
    virtual void CaptionChanged(int control) noexcept = 0;
    virtual void ItemIndexChanged(int control) noexcept = 0;
    virtual void CueChanged(int control) noexcept = 0;
    virtual void EnabledChanged(int control) noexcept = 0;
    // Shows the window modally and runs events until its modal result is set.
    virtual void RunModal() noexcept = 0;
    virtual void BringToFront() noexcept = 0;
    // The main window was closed by the program: stop showing it.
    virtual void Closed() noexcept = 0;
};

class GuiBackend {
public:
    virtual ~GuiBackend() = default;
    // False where no window can be shown (no display): message boxes then go
    // to standard error and windows must not be asked for.
    virtual bool CanShowWindows() noexcept = 0;
    virtual std::unique_ptr<WindowPeer> Realize(WindowModel& window) noexcept = 0;
    virtual MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept = 0;
    // An input box; nothing when the user cancels.
    virtual std::optional<std::string> InputQuery(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& initial) noexcept = 0;
    // The file-open dialog with a "description|pattern" filter, opened in the
    // folder of `initialFile` with its name filled in (a name ending in a
    // separator is a folder to open in); nothing when cancelled.
    virtual std::optional<std::string> OpenFile(const std::string& filter,
                                                const std::string& initialFile) noexcept = 0;
    // Shows the main window and runs events until it is closed.
    virtual void RunMainWindow(WindowModel& main, WindowPeer& peer) noexcept = 0;
};

}  // namespace pivora
