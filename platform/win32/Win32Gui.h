// The Windows GUI: native windows built from the same layout tables as every
// other backend. Texts cross into Windows through the wide functions; the
// model's texts are UTF-8. No window exists until the model asks for one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/interface/Gui.h"
#include "platform/win32/Win32Api.h"

namespace pivora {

class Win32Gui final : public GuiBackend {
public:
    Win32Gui();
    ~Win32Gui() override;

    bool CanShowWindows() noexcept override { return true; }
    std::unique_ptr<WindowPeer> Realize(WindowModel& window) noexcept override;
    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) noexcept override;
    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initialFile) noexcept override;
    void RunMainWindow(WindowModel& main, WindowPeer& peer) noexcept override;

    // For the windows: the window that a message box or a dialog belongs to.
    HWND ActiveOwner() const;
    // A failure of this backend's own (the program's handlers report theirs
    // themselves): an error box, then the program goes on. `what` may be null
    // for a failure that carries no text.
    void ReportFailure(const char* what) noexcept;

    HINSTANCE Instance() const { return instance_; }
    // Registers the window classes, the first time a window is made.
    void EnsureClasses();

private:
    HINSTANCE instance_;
    bool classesRegistered_ = false;
    bool reporting_ = false;
};

// "description|pattern|..." as the file dialog wants it: NUL-separated, two NULs at the end.
std::wstring OpenFileFilter(const std::string& filter);

}  // namespace pivora
