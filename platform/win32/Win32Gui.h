// The Windows GUI: native windows built from the same layout tables as every
// other backend. Texts cross into Windows through the wide functions; the
// model's texts are UTF-8. No window exists until the model asks for one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Gui.h"
#include "platform/win32/Win32Api.h"

namespace pivora {

class Win32Gui final : public GuiBackend {
public:
    Win32Gui();
    ~Win32Gui() override;

    bool CanShowWindows() override { return true; }
    std::unique_ptr<WindowPeer> Realize(WindowModel& window) override;
    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) override;
    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initialFile) override;
    void RunMainWindow(WindowModel& main, WindowPeer& peer) override;

    // For the windows: the window that a message box or a dialog belongs to.
    HWND ActiveOwner() const;
    // A request to end the run raised inside a window procedure waits here until
    // the message loop is left, and is then thrown on, outside Windows' frames.
    void KeepAbort(const AbortRun& abort) { if (!pendingAbort_) pendingAbort_ = abort; }
    bool AbortPending() const { return pendingAbort_.has_value(); }
    void RethrowAbort();
    // The last resort for a failure inside a window procedure: an error box,
    // then the program goes on.
    void ReportFailure(const char* what);

    HINSTANCE Instance() const { return instance_; }

private:
    void EnsureClasses();

    HINSTANCE instance_;
    bool classesRegistered_ = false;
    bool reporting_ = false;
    std::optional<AbortRun> pendingAbort_;
};

// "description|pattern|..." as the file dialog wants it: NUL-separated, two NULs at the end.
std::wstring OpenFileFilter(const std::string& filter);

}  // namespace pivora
