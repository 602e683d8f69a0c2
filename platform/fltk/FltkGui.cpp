// The FLTK backend, built as a module of its own (pivora-fltk.so) that the
// launcher loads only when a window must really be shown. It exports its
// stamp (the interface it was built against and the build it came from) and
// its entry point, pivora_create_fltk_backend.
#include <PivoraBuildId.h>

#include <memory>
#include <new>

#include "platform/interface/Gui.h"
#include "platform/interface/WindowModule.h"
#include "platform/headless/HeadlessGui.h"
#include "platform/fltk/FltkDialogs.h"
#include "platform/fltk/FltkGuard.h"
#include "platform/fltk/FltkIcon.h"
#include "platform/fltk/FltkScale.h"
#include "platform/fltk/FltkStyle.h"
#include "platform/fltk/FltkWindow.h"
#include "platform/fltk/FltkX11.h"

namespace pivora::fltk {

namespace {

class FltkGui final : public GuiBackend {
public:
    bool CanShowWindows() noexcept override {
        bool shown = false;
        Guarded([&] {
            if (!OpenDisplay()) return;
            // The density is taken once, before anything is measured with it.
            static const bool scaled = (SetDisplayScale(DpiFromResource(XftDpiResource())), true);
            (void)scaled;
            InitStyle();
            InstallWindowIcon();
            shown = true;
        });
        return shown;
    }

    // A failure of the toolkit falls back to what is done without a display.
    std::unique_ptr<WindowPeer> Realize(WindowModel& window) noexcept override {
        // FLTK would end the process on drawing without a display.
        std::unique_ptr<WindowPeer> peer;
        if (CanShowWindows()) Guarded([&] { peer = RealizeWindow(window); });
        return peer ? std::move(peer) : headless_.Realize(window);
    }

    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept override {
        std::optional<MsgResult> answer;
        if (CanShowWindows()) Guarded([&] { answer = RunMessageBox(type, buttons, text); });
        return answer ? *answer : headless_.MessageBox(type, buttons, text);
    }

    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) noexcept override {
        std::optional<std::string> typed;
        if (CanShowWindows()) Guarded([&] { typed = RunInputQuery(caption, prompt, initial); });
        return typed;
    }

    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initialFile) noexcept override {
        std::optional<std::string> chosen;
        if (CanShowWindows()) Guarded([&] { chosen = RunOpenFile(filter, initialFile); });
        return chosen;
    }

    void RunMainWindow(WindowModel&, WindowPeer& peer) noexcept override {
        if (CanShowWindows()) RunAsMainWindow(peer);
    }

private:
    // Without a display a message still reaches the user, on standard error.
    HeadlessGui headless_;
};

}  // namespace

}  // namespace pivora::fltk

extern "C" __attribute__((visibility("default"))) const pivora::WindowModuleStamp* pivora_window_module_stamp() noexcept {
    static const pivora::WindowModuleStamp stamp{pivora::kWindowModuleInterface, PIVORA_BUILD_ID};
    return &stamp;
}

extern "C" __attribute__((visibility("default"))) pivora::GuiBackend* pivora_create_fltk_backend() noexcept {
    return new (std::nothrow) pivora::fltk::FltkGui();
}
