// The Linux GUI: the FLTK backend lives in a module of its own (pivora-fltk.so)
// that is loaded the first time something must really be shown, so a launch
// that shows nothing loads neither FLTK nor X11. Without a display, or when the
// module cannot be loaded or is not of this launcher's build, everything goes
// to standard error instead.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/HeadlessGui.h"

namespace pivora {

class LazyGui final : public GuiBackend {
public:
    explicit LazyGui(std::string exePath);
    ~LazyGui() override;

    bool CanShowWindows() noexcept override;
    std::unique_ptr<WindowPeer> Realize(WindowModel& window) noexcept override;
    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) noexcept override;
    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initialFile) noexcept override;
    void RunMainWindow(WindowModel& main, WindowPeer& peer) noexcept override;

private:
    GuiBackend& Backend() noexcept;  // the FLTK backend when it can show windows, else the headless one
    void Load() noexcept;            // says on standard error why, when it cannot

    std::string exePath_;
    bool tried_ = false;
    void* module_ = nullptr;
    std::unique_ptr<GuiBackend> fltk_;
    HeadlessGui headless_;
};

}  // namespace pivora
