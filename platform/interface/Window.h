// A window of the launcher, independent of any toolkit: the state of its
// controls, its event bindings and its modal result. Event handlers are bound by
// the names the layout table gives, and every handler runs behind the
// application's one failure path, so no exception reaches a toolkit callback.
// A name that is not in the table is the program's own mistake: the run stops
// there with the name on standard error, in every build.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interface/Gui.h"

namespace pivora {

class Application;

class Window final : public WindowModel {
public:
    Window(Application& app, const layout::Form& form);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void Bind(std::string_view event, std::function<void()> handler);
    // Runs the handler bound to `event`, if any. Whatever it throws ends the
    // handler and goes to the one failure path (Application::HandleException).
    void Fire(const char* event) noexcept;

    const std::string& Text(std::string_view control) const;
    void SetText(std::string_view control, std::string text);
    int ItemIndex(std::string_view control) const;
    void SetItemIndex(std::string_view control, int item);
    int Tag(std::string_view control) const;
    // An edit's cue (Gui.h): a hint shown greyed while the edit is empty.
    const std::string& Cue(std::string_view control) const;
    void SetCue(std::string_view control, std::string cue);
    // A disabled control is drawn greyed and takes no click.
    bool Enabled(std::string_view control) const;
    void SetEnabled(std::string_view control, bool enabled);

    // Shows the window modally (fires its show event first) and returns how it
    // ended; nothing where no window can be shown (no display), which is
    // decided before the show event, so that event does not run either.
    std::optional<layout::ModalResult> ShowModal();
    void SetModalResult(layout::ModalResult r) { modalResult_ = r; }
    void Close();  // the main window: ends the program once control returns to the loop
    void BringToFront();
    // What a user does, addressed by the names the layout table gives. Click
    // presses a control (a button sets its modal result, then its click event
    // runs; a disabled one does nothing); Edit types into an edit field; Select picks a radio group's item;
    // ChooseMenu picks a menu item.
    void Click(std::string_view control);
    void Edit(std::string_view control, std::string text);
    void Select(std::string_view control, int item);
    void ChooseMenu(std::string_view menuItem);
    // The control whose click event is running (null outside one), so that one
    // handler can serve several buttons.
    const layout::Control* Sender() const { return sender_; }

    // WindowModel
    const layout::Form& Layout() const noexcept override { return form_; }
    const std::string& Caption(int control) const noexcept override;
    int ItemIndex(int control) const noexcept override;
    const std::string& Cue(int control) const noexcept override;
    bool Enabled(int control) const noexcept override;
    layout::ModalResult ModalResult() const noexcept override { return modalResult_; }
    bool Closed() const noexcept override { return closed_; }
    void UserEdited(int control, std::string text) noexcept override;
    void UserSelected(int control, int item) noexcept override;
    void UserClicked(int control) noexcept override;
    void UserChoseMenu(int menuItem) noexcept override;
    void UserDismissed() noexcept override;

    Application& App() { return app_; }
    WindowPeer* Peer() { return peer_.get(); }
    WindowPeer& EnsurePeer();
    bool IsMain() const;

private:
    int IndexOf(std::string_view control) const noexcept;
    // The control's slot; a backend handing over an index outside the table stops the run.
    std::size_t Slot(int control) const noexcept;

    Application& app_;
    const layout::Form& form_;
    std::vector<std::string> captions_;
    std::vector<int> itemIndex_;
    std::vector<std::string> cues_;
    std::vector<bool> enabled_;
    std::map<std::string, std::function<void()>, std::less<>> handlers_;
    std::unique_ptr<WindowPeer> peer_;
    layout::ModalResult modalResult_ = layout::ModalResult::None;
    bool closed_ = false;
    const layout::Control* sender_ = nullptr;
};

}  // namespace pivora
