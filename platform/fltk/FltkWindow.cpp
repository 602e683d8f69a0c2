#include "platform/fltk/FltkWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Round_Button.H>

#include <algorithm>
#include <string>

#include "platform/fltk/FltkFonts.h"

namespace pivora::fltk {

using layout::Kind;

namespace {

constexpr int kMenuBarHeight = 20;

template <class F>
void Guarded(F&& f) {
    // Nothing may unwind through FLTK's event dispatch.
    try {
        f();
    } catch (...) {
    }
}

std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

void ApplyFont(Fl_Widget* w, const layout::Font& f) {
    const FltkFont font = MapFont(f);
    w->labelfont(font.face);
    w->labelsize(font.size);
    w->labelcolor(font.color);
}

}  // namespace

std::string LiteralLabel(const std::string& text) {
    std::string out;
    for (char c : WithoutCarriageReturns(text)) {
        if (c == '@' || c == '&') out += c;
        out += c;
    }
    return out;
}

LauncherWindow::LauncherWindow(int w, int h, const char* title, FltkPeer& peer)
    : Fl_Double_Window(w, h, title), peer_(peer) {}

int LauncherWindow::handle(int event) {
    if (event == FL_SHORTCUT) {
        if (Fl::event_key() == FL_Escape) {
            if (!peer_.PressRole(false)) Guarded([&] { peer_.Model().UserDismissed(); });
            return 1;
        }
        if ((Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter) && peer_.PressRole(true)) return 1;
    }
    return Fl_Double_Window::handle(event);
}

FltkPeer::FltkPeer(WindowModel& model) : model_(model) { Build(); }

FltkPeer::~FltkPeer() {
    if (window_) window_->hide();
}

void FltkPeer::Build() {
    const layout::Form& form = model_.Layout();
    menuHeight_ = form.menu.empty() ? 0 : kMenuBarHeight;
    window_ = std::make_unique<LauncherWindow>(form.clientWidth, form.clientHeight + menuHeight_, form.caption, *this);
    window_->callback(&FltkPeer::OnClose, this);
    window_->color(MapColor(form.color, FL_BACKGROUND_COLOR));

    if (!form.menu.empty()) {
        // FLTK wants the items flattened, each submenu closed by an empty item.
        auto addItems = [&](auto& self, const char* parent) -> void {
            for (std::size_t i = 0; i < form.menu.size(); ++i) {
                const layout::MenuItem& m = form.menu[i];
                const bool mine = parent ? (m.parent && std::string(m.parent) == parent) : m.parent == nullptr;
                if (!mine) continue;
                if (std::string(m.caption) == "-") {
                    if (!menuItems_.empty()) menuItems_.back().flags |= FL_MENU_DIVIDER;
                    continue;
                }
                bool hasChildren = false;
                for (const layout::MenuItem& c : form.menu)
                    if (c.parent && std::string(c.parent) == m.name) hasChildren = true;
                callbackData_.emplace_back(this, static_cast<long>(i));
                Fl_Menu_Item item{};
                item.text = m.caption;
                item.callback_ = hasChildren ? nullptr : &FltkPeer::OnMenu;
                item.user_data_ = hasChildren ? nullptr : &callbackData_.back();
                item.flags = hasChildren ? FL_SUBMENU : 0;
                const FltkFont font = MapFont(form.font);
                item.labelfont_ = font.face;
                item.labelsize_ = font.size;
                menuItems_.push_back(item);
                if (hasChildren) {
                    self(self, m.name);
                    menuItems_.push_back(Fl_Menu_Item{});
                }
            }
        };
        addItems(addItems, nullptr);
        menuItems_.push_back(Fl_Menu_Item{});
        auto* bar = new Fl_Menu_Bar(0, 0, form.clientWidth, menuHeight_);
        bar->box(FL_FLAT_BOX);
        bar->color(MapColor(form.color, FL_BACKGROUND_COLOR));
        bar->menu(menuItems_.data());
        const FltkFont font = MapFont(form.font);
        bar->textfont(font.face);
        bar->textsize(font.size);
    }

    widgets_.assign(form.controls.size(), nullptr);
    radioItems_.assign(form.controls.size(), {});
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        const layout::Control& c = form.controls[i];
        int x = c.left, y = c.top + menuHeight_;
        Fl_Group* parentGroup = window_.get();
        if (c.parent)
            for (std::size_t p = 0; p < i; ++p)
                if (std::string(form.controls[p].name) == c.parent) {
                    parentGroup = widgets_[p]->as_group();
                    x += widgets_[p]->x();
                    y = c.top + widgets_[p]->y();
                }
        if (parentGroup) parentGroup->begin();
        callbackData_.emplace_back(this, static_cast<long>(i));
        void* data = &callbackData_.back();
        const layout::Font font = layout::EffectiveFont(form, c);
        Fl_Widget* w = nullptr;
        switch (c.kind) {
            case Kind::Panel: {
                auto* g = new Fl_Group(x, y, c.width, c.height);
                g->box(c.bevel == layout::Bevel::Lowered ? FL_THIN_DOWN_BOX
                       : c.bevel == layout::Bevel::Raised ? FL_THIN_UP_BOX
                                                          : FL_FLAT_BOX);
                g->color(window_->color());
                g->align(FL_ALIGN_INSIDE | FL_ALIGN_CENTER | FL_ALIGN_CLIP);
                g->end();
                w = g;
                break;
            }
            case Kind::Label:
            case Kind::StaticText: {
                auto* b = new Fl_Box(x, y, c.width, c.height);
                b->box(FL_NO_BOX);
                b->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP | FL_ALIGN_CLIP |
                         (c.align == layout::Align::Center ? FL_ALIGN_CENTER : FL_ALIGN_LEFT));
                w = b;
                break;
            }
            case Kind::Edit: {
                auto* in = new Fl_Input(x, y, c.width, c.height);
                in->when(FL_WHEN_CHANGED);
                in->callback(&FltkPeer::OnControl, data);
                const FltkFont f = MapFont(font);
                in->textfont(f.face);
                in->textsize(f.size);
                w = in;
                break;
            }
            case Kind::Button: {
                auto* b = new Fl_Button(x, y, c.width, c.height);
                b->box(c.isDefault ? FL_UP_BOX : FL_THIN_UP_BOX);
                b->callback(&FltkPeer::OnControl, data);
                w = b;
                break;
            }
            case Kind::RadioGroup: {
                auto* g = new Fl_Group(x, y, c.width, c.height);
                g->box(FL_NO_BOX);
                auto* frame = new Fl_Box(x, y + 8, c.width, c.height - 8);
                frame->box(FL_ENGRAVED_FRAME);
                const int rows = static_cast<int>(c.items.size());
                const int rowHeight = rows ? (c.height - 24) / rows : 0;
                for (int r = 0; r < rows; ++r) {
                    auto* rb = new Fl_Round_Button(x + 8, y + 20 + r * rowHeight, c.width - 16, rowHeight);
                    rb->type(FL_RADIO_BUTTON);
                    rb->copy_label(LiteralLabel(c.items[static_cast<std::size_t>(r)]).c_str());
                    ApplyFont(rb, font);
                    callbackData_.emplace_back(this, static_cast<long>(i) | (static_cast<long>(r + 1) << 16));
                    rb->callback(&FltkPeer::OnControl, &callbackData_.back());
                    radioItems_[i].push_back(rb);
                }
                // The caption sits on the frame, on the face colour, as a group box's does.
                auto* title = new Fl_Box(x + 8, y, c.width - 16, 16);
                title->box(FL_FLAT_BOX);
                title->color(window_->color());
                title->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
                title->copy_label(LiteralLabel(c.caption).c_str());
                ApplyFont(title, font);
                title->labelsize(static_cast<Fl_Fontsize>(std::max(10, MapFont(font).size - 2)));
                int tw = 0, th = 0;
                title->measure_label(tw, th);
                title->size(std::min(tw + 4, c.width - 16), 16);
                g->end();
                w = g;
                break;
            }
        }
        ApplyFont(w, font);
        widgets_[i] = w;
        if (c.kind != Kind::RadioGroup) ApplyCaption(static_cast<int>(i));
        if (parentGroup) parentGroup->end();
    }
    window_->end();
    window_->set_non_modal();
    if (form.border != layout::Border::Sizeable) window_->size_range(window_->w(), window_->h(), window_->w(), window_->h());
    Place();
}

void FltkPeer::Place() {
    const layout::Form& form = model_.Layout();
    if (form.centerOnShow)
        window_->position((Fl::w() - window_->w()) / 2, (Fl::h() - window_->h()) / 2);
    else
        window_->position(form.left, form.top);
}

void FltkPeer::ApplyCaption(int control) {
    Fl_Widget* w = widgets_.at(static_cast<std::size_t>(control));
    const layout::Control& c = model_.Layout().controls[static_cast<std::size_t>(control)];
    const std::string& text = model_.Caption(control);
    if (c.kind == Kind::Edit) {
        static_cast<Fl_Input*>(w)->value(text.c_str());
    } else if (c.kind != Kind::RadioGroup) {
        w->copy_label(LiteralLabel(text).c_str());
    }
    w->redraw();
    if (w->parent()) w->parent()->redraw();
}

void FltkPeer::CaptionChanged(int control) { ApplyCaption(control); }

void FltkPeer::ItemIndexChanged(int control) {
    const int item = model_.ItemIndex(control);
    auto& buttons = radioItems_.at(static_cast<std::size_t>(control));
    for (std::size_t r = 0; r < buttons.size(); ++r)
        static_cast<Fl_Button*>(buttons[r])->value(static_cast<int>(r) == item ? 1 : 0);
}

bool FltkPeer::PressRole(bool defaultRole) {
    const auto& controls = model_.Layout().controls;
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i].kind == Kind::Button && (defaultRole ? controls[i].isDefault : controls[i].isCancel)) {
            Guarded([&] { model_.UserClicked(static_cast<int>(i)); });
            return true;
        }
    return false;
}

void FltkPeer::OnControl(Fl_Widget* w, void* data) {
    auto* d = static_cast<std::pair<FltkPeer*, long>*>(data);
    FltkPeer& peer = *d->first;
    const int control = static_cast<int>(d->second & 0xFFFF);
    const int item = static_cast<int>(d->second >> 16) - 1;
    Guarded([&] {
        const layout::Control& c = peer.model_.Layout().controls[static_cast<std::size_t>(control)];
        if (c.kind == Kind::Edit) peer.model_.UserEdited(control, static_cast<Fl_Input*>(w)->value());
        else if (c.kind == Kind::RadioGroup) peer.model_.UserSelected(control, item);
        else peer.model_.UserClicked(control);
    });
}

void FltkPeer::OnMenu(Fl_Widget*, void* data) {
    auto* d = static_cast<std::pair<FltkPeer*, long>*>(data);
    Guarded([&] { d->first->model_.UserChoseMenu(static_cast<int>(d->second)); });
}

void FltkPeer::OnClose(Fl_Widget*, void* data) {
    auto* peer = static_cast<FltkPeer*>(data);
    // Esc arrives here too when no cancel button took it.
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape && peer->PressRole(false)) return;
    Guarded([&] { peer->model_.UserDismissed(); });
}

void FltkPeer::RunModal() {
    Place();
    window_->set_modal();
    window_->show();
    while (window_->shown() && model_.ModalResult() == layout::ModalResult::None) Fl::wait();
    window_->hide();
    window_->set_non_modal();
    Fl::flush();
}

void FltkPeer::BringToFront() {
    if (window_->shown()) window_->show();  // raises an open window
}

void FltkPeer::Closed() { window_->hide(); }

void FltkPeer::ShowMain() {
    Place();
    window_->show();
}

void FltkPeer::RunUntilClosed() {
    while (!model_.Closed() && window_->shown()) Fl::wait();
    window_->hide();
}

}  // namespace pivora::fltk
