#include "platform/interface/Window.h"

#include <cstdio>
#include <cstdlib>

#include "platform/interface/Application.h"

namespace pivora {

using layout::Kind;
using layout::ModalResult;

namespace {

// A name or index outside a window's table is a mistake of the program, not
// of its user, so no message box could tell the user anything: the run stops
// at the mistake, in release builds too.
[[noreturn]] void NotInTable(const char* what, std::string_view name, const char* form) noexcept {
    std::fprintf(stderr, "pivora: no %s named %.*s in %s\n", what, static_cast<int>(name.size()), name.data(), form);
    std::abort();
}

// The same for an index a backend handed over.
[[noreturn]] void NotInTable(const char* what, int index, const char* form) noexcept {
    std::fprintf(stderr, "pivora: no %s named #%d in %s\n", what, index, form);
    std::abort();
}

}  // namespace

Window::Window(Application& app, const layout::Form& form)
    : app_(app),
      form_(form),
      captions_(form.controls.size()),
      itemIndex_(form.controls.size(), -1),
      cues_(form.controls.size()),
      enabled_(form.controls.size(), true) {
    for (std::size_t i = 0; i < form.controls.size(); ++i) captions_[i] = form.controls[i].caption;
}

Window::~Window() = default;

void Window::Bind(std::string_view event, std::function<void()> handler) {
    handlers_[std::string(event)] = std::move(handler);
}

void Window::Fire(const char* event) noexcept {
    if (!event) return;
    auto it = handlers_.find(std::string_view(event));
    if (it == handlers_.end() || !it->second) return;
    try {
        it->second();
    } catch (...) {
        app_.HandleException(std::current_exception());
    }
}

int Window::IndexOf(std::string_view control) const noexcept {
    for (std::size_t i = 0; i < form_.controls.size(); ++i)
        if (control == form_.controls[i].name) return static_cast<int>(i);
    NotInTable("control", control, form_.name);
}

std::size_t Window::Slot(int control) const noexcept {
    if (control < 0 || static_cast<std::size_t>(control) >= form_.controls.size())
        NotInTable("control", control, form_.name);
    return static_cast<std::size_t>(control);
}

const std::string& Window::Text(std::string_view control) const { return captions_[IndexOf(control)]; }

void Window::SetText(std::string_view control, std::string text) {
    const int i = IndexOf(control);
    if (captions_[i] == text) return;
    captions_[i] = std::move(text);
    if (peer_) peer_->CaptionChanged(i);
}

int Window::ItemIndex(std::string_view control) const { return itemIndex_[IndexOf(control)]; }

void Window::SetItemIndex(std::string_view control, int item) {
    const int i = IndexOf(control);
    itemIndex_[i] = item;
    if (peer_) peer_->ItemIndexChanged(i);
}

int Window::Tag(std::string_view control) const { return form_.controls[IndexOf(control)].tag; }

const std::string& Window::Cue(std::string_view control) const { return cues_[IndexOf(control)]; }

void Window::SetCue(std::string_view control, std::string cue) {
    const int i = IndexOf(control);
    if (cues_[i] == cue) return;
    cues_[i] = std::move(cue);
    if (peer_) peer_->CueChanged(i);
}

bool Window::Enabled(std::string_view control) const { return enabled_[IndexOf(control)]; }

void Window::SetEnabled(std::string_view control, bool enabled) {
    const int i = IndexOf(control);
    if (enabled_[i] == enabled) return;
    enabled_[i] = enabled;
    if (peer_) peer_->EnabledChanged(i);
}

WindowPeer& Window::EnsurePeer() {
    if (!peer_) peer_ = app_.Gui().Realize(*this);
    return *peer_;
}

bool Window::IsMain() const { return app_.MainWindow() == this; }

std::optional<ModalResult> Window::ShowModal() {
    // Before the show event, which prepares a window nobody would see.
    if (!app_.Gui().CanShowWindows()) return std::nullopt;
    modalResult_ = ModalResult::None;
    WindowPeer& peer = EnsurePeer();
    Fire(form_.onShow);
    peer.RunModal();
    const layout::ModalResult result = modalResult_;
    modalResult_ = ModalResult::None;
    return result;
}

void Window::Close() {
    if (closed_) return;
    Fire(form_.onCloseQuery);
    closed_ = true;
    if (peer_) peer_->Closed();
}

void Window::BringToFront() {
    if (peer_) peer_->BringToFront();
}

void Window::Click(std::string_view control) { UserClicked(IndexOf(control)); }
void Window::Edit(std::string_view control, std::string text) { UserEdited(IndexOf(control), std::move(text)); }
void Window::Select(std::string_view control, int item) { UserSelected(IndexOf(control), item); }

void Window::ChooseMenu(std::string_view menuItem) {
    for (std::size_t i = 0; i < form_.menu.size(); ++i)
        if (menuItem == form_.menu[i].name) return UserChoseMenu(static_cast<int>(i));
    NotInTable("menu item", menuItem, form_.name);
}

const std::string& Window::Caption(int control) const noexcept { return captions_[Slot(control)]; }
int Window::ItemIndex(int control) const noexcept { return itemIndex_[Slot(control)]; }
const std::string& Window::Cue(int control) const noexcept { return cues_[Slot(control)]; }
bool Window::Enabled(int control) const noexcept { return enabled_[Slot(control)]; }

void Window::UserEdited(int control, std::string text) noexcept { captions_[Slot(control)] = std::move(text); }

void Window::UserSelected(int control, int item) noexcept { itemIndex_[Slot(control)] = item; }

void Window::UserClicked(int control) noexcept {
    const layout::Control& c = form_.controls[Slot(control)];
    if (!enabled_[Slot(control)]) return;
    if (c.modalResult != ModalResult::None) modalResult_ = c.modalResult;
    const layout::Control* outer = sender_;
    sender_ = &c;
    Fire(c.onClick);
    sender_ = outer;
}

void Window::UserChoseMenu(int menuItem) noexcept {
    if (menuItem < 0 || static_cast<std::size_t>(menuItem) >= form_.menu.size())
        NotInTable("menu item", menuItem, form_.name);
    Fire(form_.menu[static_cast<std::size_t>(menuItem)].onClick);
}

void Window::UserDismissed() noexcept {
    if (IsMain()) Close();
    else modalResult_ = ModalResult::Cancel;
}

}  // namespace pivora
