// The seam between the launcher's windows and a toolkit. A window is a
// toolkit-free model (Window.h) built from its layout table; a backend realises
// it only when it must be seen, so a run that never shows a window never loads
// or maps anything.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Layout.h"

namespace pivora {

enum class MsgType { Plain, Error, Warning };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

// What a backend sees of a window: its table and the current state of its
// controls, and the way to report what the user did. Every text is UTF-8.
class WindowModel {
public:
    virtual const layout::Form& Layout() const = 0;
    virtual const std::string& Caption(int control) const = 0;  // caption or edit text
    virtual int ItemIndex(int control) const = 0;               // radio group; -1 none
    virtual layout::ModalResult ModalResult() const = 0;
    virtual bool Closed() const = 0;

    virtual void UserEdited(int control, std::string text) = 0;
    virtual void UserSelected(int control, int item) = 0;
    virtual void UserClicked(int control) = 0;
    virtual void UserChoseMenu(int menuItem) = 0;
    // Esc or the closing box: a dialog ends with Cancel, the main window closes.
    virtual void UserDismissed() = 0;

protected:
    ~WindowModel() = default;
};

// A backend's realisation of one window.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;
    virtual void CaptionChanged(int control) = 0;
    virtual void ItemIndexChanged(int control) = 0;
    // Shows the window modally and runs events until its modal result is set.
    virtual void RunModal() = 0;
    virtual void BringToFront() = 0;
    // The main window was closed by the program: stop showing it.
    virtual void Closed() = 0;
};

class GuiBackend {
public:
    virtual ~GuiBackend() = default;
    // False where no window can be shown (no display): message boxes then go
    // to standard error and windows must not be asked for.
    virtual bool CanShowWindows() = 0;
    virtual std::unique_ptr<WindowPeer> Realize(WindowModel& window) = 0;
    virtual MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) = 0;
    // An input box; nothing when the user cancels.
    virtual std::optional<std::string> InputQuery(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& initial) = 0;
    // The file-open dialog with a "description|pattern" filter; nothing when cancelled.
    virtual std::optional<std::string> OpenFile(const std::string& filter,
                                                const std::string& initialFile) = 0;
    // Shows the main window and runs events until it is closed.
    virtual void RunMainWindow(WindowModel& main, WindowPeer& peer) = 0;
};

}  // namespace pivora
