// The backend used where no window can be shown: message boxes become lines on
// standard error and the run goes on as after OK.
#pragma once

#include <cstdio>

#include "platform/interface/Gui.h"

namespace pivora {

class HeadlessGui final : public GuiBackend {
public:
    explicit HeadlessGui(std::FILE* out = stderr) : out_(out) {}
    bool CanShowWindows() noexcept override { return false; }
    std::unique_ptr<WindowPeer> Realize(WindowModel& window) noexcept override;
    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept override;
    std::optional<std::string> InputQuery(const std::string&, const std::string&, const std::string&) noexcept override {
        return std::nullopt;
    }
    std::optional<std::string> OpenFile(const std::string&, const std::string&) noexcept override {
        return std::nullopt;
    }
    void RunMainWindow(WindowModel&, WindowPeer&) noexcept override {}

private:
    std::FILE* out_;
};

}  // namespace pivora
