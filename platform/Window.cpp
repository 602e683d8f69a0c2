#include "platform/Window.h"

#include <stdexcept>

#include "platform/Application.h"

namespace pivora {

using layout::Kind;
using layout::ModalResult;

Window::Window(Application& app, const layout::Form& form)
    : app_(app), form_(form), captions_(form.controls.size()), itemIndex_(form.controls.size(), -1) {
    for (std::size_t i = 0; i < form.controls.size(); ++i) captions_[i] = form.controls[i].caption;
}

Window::~Window() = default;

void Window::Bind(std::string_view event, std::function<void()> handler) {
    handlers_[std::string(event)] = std::move(handler);
}

void Window::Fire(const char* event) {
    if (!event) return;
    auto it = handlers_.find(std::string_view(event));
    if (it == handlers_.end() || !it->second) return;
    try {
        it->second();
    } catch (const std::exception& e) {
        app_.HandleException(e);
    }
}

int Window::IndexOf(std::string_view control) const {
    for (std::size_t i = 0; i < form_.controls.size(); ++i)
        if (control == form_.controls[i].name) return static_cast<int>(i);
    throw std::logic_error("no control named " + std::string(control) + " in " + form_.name);
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

WindowPeer& Window::EnsurePeer() {
    if (!peer_) peer_ = app_.Gui().Realize(*this);
    return *peer_;
}

bool Window::IsMain() const { return app_.MainWindow() == this; }

ModalResult Window::ShowModal() {
    if (!app_.Gui().CanShowWindows())
        app_.AbortRun(2, std::string("pivora: the window \"") + form_.caption +
                             "\" cannot be shown: there is no display");
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
    throw std::logic_error("no menu item named " + std::string(menuItem) + " in " + form_.name);
}

const std::string& Window::Caption(int control) const { return captions_.at(control); }
int Window::ItemIndex(int control) const { return itemIndex_.at(control); }

void Window::UserEdited(int control, std::string text) { captions_.at(control) = std::move(text); }

void Window::UserSelected(int control, int item) { itemIndex_.at(control) = item; }

void Window::UserClicked(int control) {
    const layout::Control& c = form_.controls[static_cast<std::size_t>(control)];
    if (c.modalResult != ModalResult::None) modalResult_ = c.modalResult;
    const layout::Control* outer = sender_;
    sender_ = &c;
    Fire(c.onClick);
    sender_ = outer;
}

void Window::UserChoseMenu(int menuItem) { Fire(form_.menu[static_cast<std::size_t>(menuItem)].onClick); }

void Window::UserDismissed() {
    if (IsMain()) Close();
    else modalResult_ = ModalResult::Cancel;
}

}  // namespace pivora
