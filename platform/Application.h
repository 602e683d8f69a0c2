// The application object: the platform services, the message boxes, the
// default failure handler and the main loop.
#pragma once

#include <exception>
#include <string>

#include "FileSystem.h"
#include "Gui.h"
#include "System.h"

namespace pivora {

class Window;

// Ends the run at once with an exit status (a window had to be shown where no
// window can be). Deliberately not a std::exception, so that the default failure
// handler lets it through to Application::Run.
struct AbortRun {
    int exitStatus;
};

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

    // The one failure path: shows the failure's text in an error box. The
    // handler that was running is abandoned; the program goes on.
    void HandleException(const std::exception& e);

    // Says why on standard error and ends the run with `exitStatus`.
    [[noreturn]] void AbortRun(int exitStatus, const std::string& why);

    // Fires the main window's show event before it becomes visible, then shows it
    // and runs events until it closes, unless the show event already closed it.
    // Returns the process's exit status.
    int Run();

private:
    System& system_;
    FileSystem& files_;
    GuiBackend& gui_;
    Window* main_ = nullptr;
};

}  // namespace pivora
