// The test double of the GUI: windows are never drawn, and everything a user
// would answer comes from the test's script. Each modal showing of a window
// runs the next scripted action for that window (which clicks, types and
// selects through the window's own model, as a user would); each message box,
// input box and file dialog takes the next scripted answer.
//
// The double is strict: a box or dialog the script did not expect, a box whose
// text differs from the one expected, a dialog left open and an answer never
// asked for are all recorded in `unscripted`, which the test harness turns
// into test failures. The run itself goes on as a user's cancel or OK would,
// so one surprise does not hide the next.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interface/Gui.h"
#include "platform/interface/Window.h"

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
    // "main:<form>", "message:<text>", "input:<caption>|<prompt>|<initial>",
    // "open:<initial file>".
    std::vector<std::string> events;
    std::vector<Message> messages;
    std::vector<std::pair<std::string, std::string>> openFileRequests;  // filter, initial file
    // Every departure from the script, in order, described for a failure message.
    std::vector<std::string> unscripted;

    // The next message box shows exactly `text`; the user presses `answer`.
    void ExpectMessage(std::string text, MsgResult answer = MsgResult::Ok);
    // The next message box, whatever it says (the test checks `messages` itself).
    void AnswerMessage(MsgResult answer = MsgResult::Ok);
    // The next input box: the text entered and OK, or nothing for Cancel.
    void AnswerInput(std::optional<std::string> answer);
    // The next file dialog: the file chosen, or nothing for Cancel.
    void AnswerOpenFile(std::optional<std::string> answer);
    // Run when the named form is shown modally (one action per showing).
    void OnModal(const std::string& form, Action action) { modalActions_[form].push_back(std::move(action)); }
    // Run inside the main loop once the main window is shown; the loop ends
    // when the action returns (the window is then closed if still open).
    void OnMainWindow(Action action) { mainActions_.push_back(std::move(action)); }

    int CountEvents(const std::string& event) const;
    // What the double shows of a window, as its peer was told (which the
    // window's own state need not match, were a change not passed on): the
    // cue of an edit, shown only while the edit is empty, and whether a
    // control can be used. A window never shown shows no cue, and nothing
    // disabled.
    std::string ShownCue(const Window& window, std::string_view control) const;
    bool ShownEnabled(const Window& window, std::string_view control) const;
    // Adds every scripted answer and action that was never used to `unscripted`.
    void NoteUnusedScript();

    // GuiBackend
    bool CanShowWindows() noexcept override { return canShowWindows; }
    std::unique_ptr<WindowPeer> Realize(WindowModel& window) noexcept override;
    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) noexcept override;
    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initialFile) noexcept override;
    void RunMainWindow(WindowModel& main, WindowPeer& peer) noexcept override;

private:
    friend class ScriptedPeer;
    struct MessageAnswer {
        std::optional<std::string> text;  // none: any text
        MsgResult answer;
    };
    void RunModal(Window& window) noexcept;
    // The cues and states a peer was last told, by window.
    struct Shown {
        std::vector<std::string> cues;
        std::vector<bool> enabled;
    };
    std::map<const WindowModel*, Shown> shown_;

    std::deque<MessageAnswer> messageAnswers_;
    std::deque<std::optional<std::string>> inputAnswers_;
    std::deque<std::optional<std::string>> openFileAnswers_;
    std::map<std::string, std::deque<Action>> modalActions_;
    std::deque<Action> mainActions_;
};

}  // namespace pivora
