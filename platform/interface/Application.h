// The application object: the platform services, the message boxes, the
// default failure handler and the main loop.
#pragma once

#include <exception>
#include <optional>
#include <string>

#include "platform/interface/FileSystem.h"
#include "platform/interface/Gui.h"
#include "platform/interface/System.h"

namespace pivora {

class Window;

// The text a failure is reported with: a standard exception's own text, else
// one that says no more than is known.
std::string FailureText(std::exception_ptr failure);

class Application {
public:
    Application(System& system, FileSystem& files, GuiBackend& gui);

    System& Sys() { return system_; }
    FileSystem& Files() { return files_; }
    GuiBackend& Gui() { return gui_; }

    void SetMainWindow(Window& w) { main_ = &w; }
    Window* MainWindow() { return main_; }

    // Texts are UTF-8.
    void ShowMessage(const std::string& text);
    MsgResult MessageDlg(const std::string& text, MsgType type, MsgButtons buttons);
    // True when confirmed; `value` then holds the text typed.
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);

    // The one failure path: shows the failure's text in an error box, whatever
    // was thrown. The handler that was running is abandoned; the program goes on.
    void HandleException(std::exception_ptr failure) noexcept;

    // Ends the run with `exitStatus` (a window it needs cannot be shown): says
    // why on standard error and closes the main window, so that the run ends
    // as soon as control is back with Run.
    void EndRun(int exitStatus, const std::string& why);

    // Fires the main window's show event before it becomes visible, then shows it
    // and runs events until it closes, unless the show event already closed it or
    // ended the run. Returns the process's exit status.
    int Run();

private:
    System& system_;
    FileSystem& files_;
    GuiBackend& gui_;
    Window* main_ = nullptr;
    std::optional<int> exitStatus_;
};

}  // namespace pivora
