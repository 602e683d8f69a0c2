#include "tests/scripted/ScriptedGui.h"

#include <algorithm>
#include <stdexcept>

namespace pivora {

class ScriptedPeer final : public WindowPeer {
public:
    ScriptedPeer(ScriptedGui& gui, Window& window) : gui_(gui), window_(window) {
        ScriptedGui::Shown& shown = gui_.shown_[&window_];
        const std::size_t n = window_.Layout().controls.size();
        shown.cues.assign(n, "");
        shown.enabled.assign(n, true);
        for (std::size_t i = 0; i < n; ++i) {
            shown.cues[i] = window_.Cue(static_cast<int>(i));
            shown.enabled[i] = window_.Enabled(static_cast<int>(i));
        }
    }
    ~ScriptedPeer() override { gui_.shown_.erase(&window_); }
    void CaptionChanged(int) noexcept override {}
    void ItemIndexChanged(int) noexcept override {}
    void CueChanged(int control) noexcept override {
        gui_.shown_[&window_].cues.at(static_cast<std::size_t>(control)) = window_.Cue(control);
    }
    void EnabledChanged(int control) noexcept override {
        gui_.shown_[&window_].enabled.at(static_cast<std::size_t>(control)) = window_.Enabled(control);
    }
    void RunModal() noexcept override { gui_.RunModal(window_); }
    void BringToFront() noexcept override { gui_.events.push_back(std::string("front:") + window_.Layout().name); }
    void Closed() noexcept override { gui_.events.push_back(std::string("closed:") + window_.Layout().name); }

private:
    ScriptedGui& gui_;
    Window& window_;
};

void ScriptedGui::ExpectMessage(std::string text, MsgResult answer) {
    messageAnswers_.push_back({std::move(text), answer});
}
void ScriptedGui::AnswerMessage(MsgResult answer) { messageAnswers_.push_back({std::nullopt, answer}); }
void ScriptedGui::AnswerInput(std::optional<std::string> answer) { inputAnswers_.push_back(std::move(answer)); }
void ScriptedGui::AnswerOpenFile(std::optional<std::string> answer) {
    openFileAnswers_.push_back(std::move(answer));
}

int ScriptedGui::CountEvents(const std::string& event) const {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
}

namespace {

std::size_t IndexIn(const Window& window, std::string_view control) {
    const layout::Control* c = layout::FindControl(window.Layout(), control);
    if (!c) throw std::invalid_argument("no control " + std::string(control) + " in " + window.Layout().name);
    return static_cast<std::size_t>(c - window.Layout().controls.data());
}

}  // namespace

std::string ScriptedGui::ShownCue(const Window& window, std::string_view control) const {
    const std::size_t i = IndexIn(window, control);
    const auto it = shown_.find(&window);
    if (it == shown_.end() || !window.Caption(static_cast<int>(i)).empty()) return "";
    return it->second.cues[i];
}

bool ScriptedGui::ShownEnabled(const Window& window, std::string_view control) const {
    const std::size_t i = IndexIn(window, control);
    const auto it = shown_.find(&window);
    return it == shown_.end() || it->second.enabled[i];
}

void ScriptedGui::NoteUnusedScript() {
    for (const auto& m : messageAnswers_)
        unscripted.push_back("a message box was expected but never shown" + (m.text ? ": " + *m.text : ""));
    for (std::size_t i = 0; i < inputAnswers_.size(); ++i)
        unscripted.push_back("an input box was expected but never shown");
    for (std::size_t i = 0; i < openFileAnswers_.size(); ++i)
        unscripted.push_back("a file dialog was expected but never shown");
    for (const auto& [form, actions] : modalActions_)
        for (std::size_t i = 0; i < actions.size(); ++i)
            unscripted.push_back("the dialog " + form + " was expected but never shown");
    for (std::size_t i = 0; i < mainActions_.size(); ++i)
        unscripted.push_back("a main window action was never run: the main window was not shown or closed early");
    messageAnswers_.clear();
    inputAnswers_.clear();
    openFileAnswers_.clear();
    modalActions_.clear();
    mainActions_.clear();
}

std::unique_ptr<WindowPeer> ScriptedGui::Realize(WindowModel& window) noexcept {
    // Every model the launcher hands over is one of its Windows.
    return std::make_unique<ScriptedPeer>(*this, static_cast<Window&>(window));
}

void ScriptedGui::RunModal(Window& window) noexcept {
    const std::string name = window.Layout().name;
    events.push_back("modal:" + name);
    auto& queue = modalActions_[name];
    if (queue.empty()) {
        unscripted.push_back("the dialog " + name + " was shown but not scripted");
        window.UserDismissed();
        return;
    }
    Action action = std::move(queue.front());
    queue.pop_front();
    action(window);
    // A real loop would wait for the user; a script that leaves the dialog open is a broken test.
    if (window.ModalResult() == layout::ModalResult::None) {
        unscripted.push_back("the dialog " + name + " was left open by its script");
        window.UserDismissed();
    }
}

MsgResult ScriptedGui::MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept {
    events.push_back("message:" + text);
    messages.push_back({type, buttons, text});
    if (messageAnswers_.empty()) {
        unscripted.push_back("a message box was shown but not scripted: " + text);
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }
    const MessageAnswer expected = std::move(messageAnswers_.front());
    messageAnswers_.pop_front();
    if (expected.text && *expected.text != text)
        unscripted.push_back("a message box said \"" + text + "\" where the script expected \"" + *expected.text +
                             "\"");
    const bool fits = buttons == MsgButtons::YesNo
                          ? expected.answer == MsgResult::Yes || expected.answer == MsgResult::No
                          : expected.answer == MsgResult::Ok;
    if (!fits) unscripted.push_back("the scripted answer is not a button of the box: " + text);
    return expected.answer;
}

std::optional<std::string> ScriptedGui::InputQuery(const std::string& caption, const std::string& prompt,
                                                   const std::string& initial) noexcept {
    events.push_back("input:" + caption + "|" + prompt + "|" + initial);
    if (inputAnswers_.empty()) {
        unscripted.push_back("an input box was shown but not scripted: " + caption);
        return std::nullopt;
    }
    auto r = std::move(inputAnswers_.front());
    inputAnswers_.pop_front();
    return r;
}

std::optional<std::string> ScriptedGui::OpenFile(const std::string& filter,
                                                  const std::string& initialFile) noexcept {
    events.push_back("open:" + initialFile);
    openFileRequests.emplace_back(filter, initialFile);
    if (openFileAnswers_.empty()) {
        unscripted.push_back("a file dialog was shown but not scripted: " + initialFile);
        return std::nullopt;
    }
    auto r = std::move(openFileAnswers_.front());
    openFileAnswers_.pop_front();
    return r;
}

void ScriptedGui::RunMainWindow(WindowModel& main, WindowPeer&) noexcept {
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
