#include "platform/scripted/ScriptedGui.h"

#include <algorithm>
#include <stdexcept>

namespace pivora {

class ScriptedPeer final : public WindowPeer {
public:
    ScriptedPeer(ScriptedGui& gui, Window& window) : gui_(gui), window_(window) {}
    void CaptionChanged(int) override {}
    void ItemIndexChanged(int) override {}
    void RunModal() override { gui_.RunModal(window_); }
    void BringToFront() override { gui_.events.push_back(std::string("front:") + window_.Layout().name); }
    void Closed() override { gui_.events.push_back(std::string("closed:") + window_.Layout().name); }

private:
    ScriptedGui& gui_;
    Window& window_;
};

int ScriptedGui::CountEvents(const std::string& event) const {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
}

std::unique_ptr<WindowPeer> ScriptedGui::Realize(WindowModel& window) {
    // Every model the launcher hands over is one of its Windows.
    return std::make_unique<ScriptedPeer>(*this, static_cast<Window&>(window));
}

void ScriptedGui::RunModal(Window& window) {
    const std::string name = window.Layout().name;
    events.push_back("modal:" + name);
    auto& queue = modalActions_[name];
    if (queue.empty()) throw std::logic_error("test script: no action for the dialog " + name);
    Action action = std::move(queue.front());
    queue.pop_front();
    action(window);
    // A real loop would wait for the user; a script that leaves the dialog open is a broken test.
    if (window.ModalResult() == layout::ModalResult::None)
        throw std::logic_error("test script: the dialog " + name + " was left open");
}

MsgResult ScriptedGui::MessageBox(MsgType type, MsgButtons buttons, const std::string& text) {
    events.push_back("message:" + text);
    messages.push_back({type, buttons, text});
    if (!messageAnswers.empty()) {
        const MsgResult r = messageAnswers.front();
        messageAnswers.pop_front();
        return r;
    }
    return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
}

std::optional<std::string> ScriptedGui::InputQuery(const std::string& caption, const std::string& prompt,
                                                   const std::string& initial) {
    events.push_back("input:" + caption + "|" + prompt + "|" + initial);
    if (inputAnswers.empty()) return std::nullopt;
    auto r = inputAnswers.front();
    inputAnswers.pop_front();
    return r;
}

std::optional<std::string> ScriptedGui::OpenFile(const std::string& filter, const std::string& initialFile) {
    events.push_back("open:" + initialFile);
    openFileRequests.emplace_back(filter, initialFile);
    if (openFileAnswers.empty()) return std::nullopt;
    auto r = openFileAnswers.front();
    openFileAnswers.pop_front();
    return r;
}

void ScriptedGui::RunMainWindow(WindowModel& main, WindowPeer&) {
    Window& window = static_cast<Window&>(main);
    events.push_back(std::string("main:") + window.Layout().name);
    while (!mainActions_.empty() && !window.Closed()) {
        Action action = std::move(mainActions_.front());
        mainActions_.pop_front();
        action(window);
    }
    if (!window.Closed()) window.Close();
}

}  // namespace pivora
