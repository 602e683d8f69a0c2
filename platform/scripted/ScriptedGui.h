// The test double of the GUI: windows are never drawn, message boxes are
// recorded and answered from a script, and each modal showing of a window runs
// the next scripted action for that window (which clicks, types and selects
// through the window's own model, as a user would).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Gui.h"
#include "platform/Window.h"

namespace pivora {

class ScriptedGui final : public GuiBackend {
public:
    struct Message {
        MsgType type;
        MsgButtons buttons;
        std::string text;
    };
    using Action = std::function<void(Window&)>;

    bool canShowWindows = true;

    // What happened, in order: "modal:<form>", "front:<form>", "closed:<form>",
    // "main:<form>", "message:<text>", "input:<caption>", "open:<initial file>".
    std::vector<std::string> events;
    std::vector<Message> messages;

    // Answers, taken front first; without one, a box is answered Ok (Yes for Yes/No),
    // an input box and a file dialog are cancelled.
    std::deque<MsgResult> messageAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::optional<std::string>> openFileAnswers;
    std::vector<std::pair<std::string, std::string>> openFileRequests;  // filter, initial file

    // Run when the named form is shown modally (one action per showing).
    void OnModal(const std::string& form, Action action) { modalActions_[form].push_back(std::move(action)); }
    // Run inside the main loop once the main window is shown; the loop ends
    // when the action returns (the window is then closed if still open).
    void OnMainWindow(Action action) { mainActions_.push_back(std::move(action)); }

    int CountEvents(const std::string& event) const;

    // GuiBackend
    bool CanShowWindows() override { return canShowWindows; }
    std::unique_ptr<WindowPeer> Realize(WindowModel& window) override;
    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) override;
    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initialFile) override;
    void RunMainWindow(WindowModel& main, WindowPeer& peer) override;

private:
    friend class ScriptedPeer;
    void RunModal(Window& window);

    std::map<std::string, std::deque<Action>> modalActions_;
    std::deque<Action> mainActions_;
};

}  // namespace pivora
