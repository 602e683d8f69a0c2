// The FLTK backend, built as a module of its own (pivora-fltk.so) that the
// launcher loads only when a window must really be shown. Its one entry point
// is pivora_create_fltk_backend.
#include <memory>

#include "platform/Gui.h"
#include "platform/HeadlessGui.h"
#include "platform/fltk/FltkDialogs.h"
#include "platform/fltk/FltkGuard.h"
#include "platform/fltk/FltkIcon.h"
#include "platform/fltk/FltkStyle.h"
#include "platform/fltk/FltkWindow.h"
#include "platform/fltk/FltkX11.h"

namespace pivora::fltk {

namespace {

class FltkGui final : public GuiBackend {
public:
    bool CanShowWindows() override {
        if (!OpenDisplay()) return false;
        InitStyle();
        InstallWindowIcon();
        return true;
    }

    // Nothing thrown here may reach the program (see FltkGuard.h): a failure
    // of the toolkit falls back to what is done without a display.
    std::unique_ptr<WindowPeer> Realize(WindowModel& window) override {
        // FLTK would end the process on drawing without a display.
        if (CanShowWindows()) {
            try {
                return RealizeWindow(window);
            } catch (...) {
                StopFailure();
            }
        }
        return headless_.Realize(window);
    }

    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) override {
        if (CanShowWindows()) {
            try {
                return RunMessageBox(type, buttons, text);
            } catch (...) {
                StopFailure();
            }
        }
        return headless_.MessageBox(type, buttons, text);
    }

    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) override {
        if (CanShowWindows()) {
            try {
                return RunInputQuery(caption, prompt, initial);
            } catch (...) {
                StopFailure();
            }
        }
        return std::nullopt;
    }

    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initialFile) override {
        if (CanShowWindows()) {
            try {
                return RunOpenFile(filter, initialFile);
            } catch (...) {
                StopFailure();
            }
        }
        return std::nullopt;
    }

    void RunMainWindow(WindowModel&, WindowPeer& peer) override {
        if (CanShowWindows()) RunAsMainWindow(peer);
    }

private:
    // Without a display a message still reaches the user, on standard error.
    HeadlessGui headless_;
};

}  // namespace

}  // namespace pivora::fltk

extern "C" __attribute__((visibility("default"))) pivora::GuiBackend* pivora_create_fltk_backend() {
    try {
        pivora::fltk::PrepareForProgramExceptions();

        return new pivora::fltk::FltkGui();
    } catch (...) {
        return nullptr;
    }
}
