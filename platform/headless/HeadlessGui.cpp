#include "platform/headless/HeadlessGui.h"

namespace pivora {

namespace {

// Holds a window's state where it cannot be shown; nothing to draw.
class HeadlessPeer final : public WindowPeer {
public:
    void CaptionChanged(int) noexcept override {}
    void ItemIndexChanged(int) noexcept override {}
    void CueChanged(int) noexcept override {}
    void EnabledChanged(int) noexcept override {}
    void RunModal() noexcept override {}
    void BringToFront() noexcept override {}
    void Closed() noexcept override {}
};

const char* Prefix(MsgType type) {
    switch (type) {
        case MsgType::Error: return "pivora: エラー: ";
        case MsgType::Warning: return "pivora: 警告: ";
        case MsgType::Plain: break;
    }
    return "pivora: ";
}

}  // namespace

std::unique_ptr<WindowPeer> HeadlessGui::Realize(WindowModel&) noexcept { return std::make_unique<HeadlessPeer>(); }

MsgResult HeadlessGui::MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept {
    std::string line = Prefix(type);
    for (char c : text)
        if (c != '\r') line += c == '\n' ? ' ' : c;
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
    // Nobody can answer a question: take the answer that changes nothing.
    return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
}

}  // namespace pivora
