#include "platform/fltk/FltkWindow.h"

// The project's headers come before FLTK's: fl_draw.H brings in Xlib, whose
// macros (None) and types (Font) would break them.
#include "platform/fltk/FltkGuard.h"
#include "platform/fltk/FltkScale.h"
#include "platform/fltk/FltkStyle.h"
#include "platform/fltk/FltkText.h"
#include "platform/fltk/FltkWidgets.h"
#include "platform/fltk/FltkX11.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/fl_draw.H>

#include <deque>
#include <string>
#include <vector>

#undef None  // Xlib's, from fl_draw.H; layout::ModalResult::None is meant

namespace pivora::fltk {

namespace {

using layout::Kind;

// The classic height of a window's menu bar at 96 dpi; the client area starts below it.
constexpr int kMenuBarHeight = 20;

class Peer;

// What a widget's callback needs: its window, its control and, for a radio
// button, its item.
struct Binding {
    Peer* peer;
    int control;
    int item;
};

class Peer final : public WindowPeer, private DialogKeys {
public:
    explicit Peer(WindowModel& model);
    ~Peer() override;

    // Called by the program: nothing thrown here may reach it (FltkGuard.h).
    void CaptionChanged(int control) noexcept override { Guarded([&] { ShowCaption(control); }); }
    void ItemIndexChanged(int control) noexcept override { Guarded([&] { ShowItemIndex(control); }); }
    void CueChanged(int control) noexcept override { Guarded([&] { ShowCue(control); }); }
    void EnabledChanged(int control) noexcept override { Guarded([&] { ShowEnabled(control); }); }
    void RunModal() noexcept override;
    void BringToFront() noexcept override {
        Guarded([&] {
            if (window_->shown()) ActivateWindow(*window_);
        });
    }
    void Closed() noexcept override { Guarded([&] { window_->hide(); }); }

    void RunAsMain() noexcept;

private:
    bool Enter() noexcept override;
    void Escape() noexcept override;
    void CloseBox() noexcept override;

    // A rectangle of the table (a control's, in the form's client area) on
    // the screen: below the menu bar, at the display's density.
    Rect OnScreen(Rect design) const;
    void BuildMenu(const std::vector<MenuCell>& plan, int width);
    void BuildChildren(const layout::Control* parent);
    Fl_Widget* BuildControl(int index);
    void ApplyFonts(int control);
    void ShowCaption(int control);
    void ShowItemIndex(int control);
    void ShowCue(int control);
    void ShowEnabled(int control);
    void ShowAndFocus();
    Binding* Bind(int control, int item = -1);

    static void OnClick(Fl_Widget* w, void* data) noexcept;
    static void OnEdit(Fl_Widget* w, void* data) noexcept;
    static void OnRadio(Fl_Widget* w, void* data) noexcept;
    static void OnMenu(Fl_Widget* w, void* data) noexcept;

    WindowModel& model_;
    const layout::Form& form_;
    // Declared before the window, so FLTK's pointers into them stay good
    // while the window is destroyed.
    std::deque<Binding> bindings_;
    std::vector<Fl_Menu_Item> menuItems_;
    std::unique_ptr<DialogWindow> window_;
    int menuHeight_ = 0;
    std::vector<Fl_Widget*> widgets_;                 // by control; null where none was made
    std::vector<std::vector<RadioButton*>> radios_;   // by control
    PushButton* defaultButton_ = nullptr;
    Fl_Widget* cancelButton_ = nullptr;
};

Peer::Peer(WindowModel& model) : model_(model), form_(model.Layout()) {
    const Scale& scale = DisplayScale();
    const std::vector<MenuCell> plan = MenuPlan(form_);
    menuHeight_ = plan.empty() ? 0 : kMenuBarHeight;
    const Rect client = OnScreen({0, 0, form_.clientWidth, form_.clientHeight});
    const int w = client.w, h = client.y + client.h;
    int sx = 0, sy = 0, sw = 0, sh = 0;
    Fl::screen_work_area(sx, sy, sw, sh);
    const Rect at = PlaceWindow(sx, sy, sw, sh, w, h, form_.centerOnShow, scale(form_.left), scale(form_.top));

    Fl_Group* outer = Fl_Group::current();
    Fl_Group::current(nullptr);
    window_ = std::make_unique<DialogWindow>(at.x, at.y, w, h, static_cast<DialogKeys&>(*this));
    window_->copy_label(StripCarriageReturns(form_.caption ? form_.caption : "").c_str());
    window_->color(BackColor(form_.color));
    window_->xclass("Pivora");
    widgets_.assign(form_.controls.size(), nullptr);
    radios_.assign(form_.controls.size(), {});
    if (!plan.empty()) BuildMenu(plan, w);
    BuildChildren(nullptr);
    window_->end();
    Fl_Group::current(outer);
    if (form_.border == layout::Border::Sizeable) {
        // Larger, never smaller; the controls keep their places as on Windows.
        auto* corner = new Fl_Box(w, h, 0, 0);
        window_->add(corner);
        window_->resizable(corner);
        window_->size_range(w, h);
    } else {
        window_->size_range(w, h, w, h);
    }
}

Peer::~Peer() {
    if (window_) window_->hide();
}

Rect Peer::OnScreen(Rect design) const {
    design.y += menuHeight_;
    return DisplayScale()(design);
}

Binding* Peer::Bind(int control, int item) {
    bindings_.push_back({this, control, item});
    return &bindings_.back();
}

void Peer::BuildMenu(const std::vector<MenuCell>& plan, int width) {
    menuItems_.reserve(plan.size() + 1);
    for (const MenuCell& cell : plan) {
        Fl_Menu_Item item{};
        if (cell.item >= 0) {
            const layout::MenuItem& m = form_.menu[static_cast<std::size_t>(cell.item)];
            item.text = m.caption;  // the table's strings live as long as the program
            item.labeltype_ = kPlainLabel;
            if (cell.submenu) {
                item.flags |= FL_SUBMENU;
            } else {
                item.callback_ = &Peer::OnMenu;
                item.user_data_ = Bind(-1, cell.item);
            }
            if (cell.dividerAfter) item.flags |= FL_MENU_DIVIDER;
        }
        menuItems_.push_back(item);
    }
    menuItems_.push_back(Fl_Menu_Item{});
    auto* bar = new MenuBar(0, 0, width, DisplayScale()(menuHeight_));
    // Menus are drawn in the system's font, not the form's.
    bar->textfont(UiFont());
    bar->textsize(UiFontSize());
    bar->menu(menuItems_.data());
}

void Peer::BuildChildren(const layout::Control* parent) {
    for (int index : ChildrenInTabOrder(form_, parent)) {
        Fl_Widget* w = BuildControl(index);
        widgets_[static_cast<std::size_t>(index)] = w;
        const layout::Control& c = form_.controls[static_cast<std::size_t>(index)];
        if (c.kind == Kind::Panel) {
            auto* group = static_cast<Fl_Group*>(w);
            group->begin();
            BuildChildren(&c);
            group->end();
        }
    }
}

Fl_Widget* Peer::BuildControl(int index) {
    const layout::Control& c = form_.controls[static_cast<std::size_t>(index)];
    const Rect design = FormRect(form_, c);
    const Rect r = OnScreen(design);
    const std::string caption = StripCarriageReturns(model_.Caption(index));
    const Fl_Color back = BackColor(form_.color);
    Fl_Widget* made = nullptr;
    switch (c.kind) {
        case Kind::Panel: {
            auto* g = new Fl_Group(r.x, r.y, r.w, r.h);
            g->end();
            g->box(c.bevel == layout::Bevel::Raised    ? kRaisedBox
                   : c.bevel == layout::Bevel::Lowered ? kLoweredBox
                                                       : FL_FLAT_BOX);
            g->color(back);
            g->labeltype(kPlainLabel);
            g->align(FL_ALIGN_INSIDE | FL_ALIGN_CLIP | (c.align == layout::Align::Center ? FL_ALIGN_CENTER : FL_ALIGN_LEFT));
            g->copy_label(caption.c_str());
            made = g;
            break;
        }
        case Kind::Label:
        case Kind::StaticText: {
            auto* b = new StaticLabel(r.x, r.y, r.w, r.h);
            b->color(back);
            b->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP | FL_ALIGN_CLIP |
                     (c.align == layout::Align::Center ? 0 : FL_ALIGN_LEFT));
            b->copy_label(caption.c_str());
            made = b;
            break;
        }
        case Kind::Edit: {
            auto* in = new LineInput(r.x, r.y, r.w, r.h);
            in->box(kSunkenBox);
            in->color(FL_WHITE);
            in->selection_color(FL_SELECTION_COLOR);
            in->cursor_color(FL_BLACK);
            in->Show(caption);
            in->when(FL_WHEN_CHANGED);
            in->callback(&Peer::OnEdit, Bind(index));
            made = in;
            break;
        }
        case Kind::Button: {
            auto* b = new PushButton(r.x, r.y, r.w, r.h, c.isDefault);
            b->copy_label(caption.c_str());
            b->callback(&Peer::OnClick, Bind(index));
            if (c.isDefault && !defaultButton_) defaultButton_ = b;
            if (c.isCancel && !cancelButton_) cancelButton_ = b;
            made = b;
            break;
        }
        case Kind::RadioGroup: {
            auto* g = new GroupBox(r.x, r.y, r.w, r.h);
            g->color(back);
            g->copy_label(caption.c_str());
            // The items are laid out in the table's pixels, with the font's
            // height at 96 dpi, and scaled with the group.
            const layout::Font font = layout::EffectiveFont(form_, c);
            fl_font(FontFor(font, caption), FontPixelSize(font.height));
            const int count = static_cast<int>(c.items.size());
            const std::vector<Rect> rects = RadioItemRects(design.w, design.h, fl_height(), count);
            const int selected = model_.ItemIndex(index);
            for (int k = 0; k < count; ++k) {
                const Rect& at = rects[static_cast<std::size_t>(k)];
                const Rect item = OnScreen({design.x + at.x, design.y + at.y, at.w, at.h});
                auto* b = new RadioButton(item.x, item.y, item.w, item.h);
                b->color(back);
                b->copy_label(StripCarriageReturns(c.items[static_cast<std::size_t>(k)]).c_str());
                b->value(k == selected ? 1 : 0);
                b->callback(&Peer::OnRadio, Bind(index, k));
                radios_[static_cast<std::size_t>(index)].push_back(b);
            }
            g->end();
            made = g;
            break;
        }
    }
    widgets_[static_cast<std::size_t>(index)] = made;
    ApplyFonts(index);
    ShowCue(index);
    ShowEnabled(index);
    return made;
}

// Fonts follow the text: a Latin face shows Japanese text in a Japanese one.
void Peer::ApplyFonts(int control) {
    Fl_Widget* w = widgets_[static_cast<std::size_t>(control)];
    if (!w) return;
    const layout::Control& c = form_.controls[static_cast<std::size_t>(control)];
    const layout::Font font = layout::EffectiveFont(form_, c);
    if (c.kind == Kind::Edit) {
        auto* in = static_cast<LineInput*>(w);
        in->textfont(FontFor(font, in->value()));
        in->textsize(FontSize(font));
        in->textcolor(TextColor(font.color));
        return;
    }
    ApplyLabelFont(*w, font, w->label() ? w->label() : "");
    for (std::size_t k = 0; k < radios_[static_cast<std::size_t>(control)].size(); ++k)
        ApplyLabelFont(*radios_[static_cast<std::size_t>(control)][k], font, c.items[k]);
}

void Peer::ShowCaption(int control) {
    if (control < 0 || static_cast<std::size_t>(control) >= widgets_.size()) return;
    Fl_Widget* w = widgets_[static_cast<std::size_t>(control)];
    if (!w) return;
    const layout::Control& c = form_.controls[static_cast<std::size_t>(control)];
    const std::string text = StripCarriageReturns(model_.Caption(control));
    if (c.kind == Kind::Edit) {
        auto* in = static_cast<LineInput*>(w);
        if (text != in->value()) in->Show(text);
    } else {
        w->copy_label(text.c_str());
    }
    ApplyFonts(control);
    w->redraw();
}

void Peer::ShowItemIndex(int control) {
    if (control < 0 || static_cast<std::size_t>(control) >= radios_.size()) return;
    const int selected = model_.ItemIndex(control);
    auto& buttons = radios_[static_cast<std::size_t>(control)];
    for (std::size_t k = 0; k < buttons.size(); ++k) buttons[k]->value(static_cast<int>(k) == selected ? 1 : 0);
}

void Peer::ShowCue(int control) {
    if (control < 0 || static_cast<std::size_t>(control) >= widgets_.size()) return;
    const layout::Control& c = form_.controls[static_cast<std::size_t>(control)];
    auto* in = c.kind == Kind::Edit ? static_cast<LineInput*>(widgets_[static_cast<std::size_t>(control)]) : nullptr;
    if (!in) return;
    const std::string cue = StripCarriageReturns(model_.Cue(control));
    in->SetCue(cue, FontFor(layout::EffectiveFont(form_, c), cue));
}

void Peer::ShowEnabled(int control) {
    if (control < 0 || static_cast<std::size_t>(control) >= widgets_.size()) return;
    Fl_Widget* w = widgets_[static_cast<std::size_t>(control)];
    if (!w) return;
    const bool enabled = model_.Enabled(control);
    if (enabled == (w->active() != 0)) return;
    if (enabled) w->activate();
    else w->deactivate();
    w->redraw();
}

void Peer::ShowAndFocus() {
    window_->show();
    Fl_Widget* first = nullptr;
    if (form_.activeControl)
        for (std::size_t i = 0; i < form_.controls.size(); ++i)
            if (std::string_view(form_.controls[i].name) == form_.activeControl) first = widgets_[i];
    if (first) first->take_focus();
}

void Peer::RunModal() noexcept {
    Guarded([&] {
        window_->set_modal();
        ShowAndFocus();
        while (window_->shown() && model_.ModalResult() == layout::ModalResult::None) Fl::wait();
        window_->hide();
        Fl::flush();
    });
}

void Peer::RunAsMain() noexcept {
    Guarded([&] {
        ShowAndFocus();
        while (!model_.Closed() && window_->shown()) Fl::wait();
        window_->hide();
        Fl::flush();
    });
}

bool Peer::Enter() noexcept { return PressFocusedButton(*window_, defaultButton_); }

// Esc is the cancel button's key; a window without one (the main window, the
// About box) ignores it, as a Windows form does.
void Peer::Escape() noexcept {
    if (cancelButton_ && cancelButton_->active_r()) cancelButton_->do_callback();
}

void Peer::CloseBox() noexcept { model_.UserDismissed(); }

// The model's methods throw nothing; only what this module builds itself
// (the edit's text, its fonts) needs a guard.
void Peer::OnClick(Fl_Widget*, void* data) noexcept {
    auto* b = static_cast<Binding*>(data);
    b->peer->model_.UserClicked(b->control);
}

void Peer::OnEdit(Fl_Widget* w, void* data) noexcept {
    auto* b = static_cast<Binding*>(data);
    Guarded([&] {
        auto* in = static_cast<LineInput*>(w);
        b->peer->model_.UserEdited(b->control, in->value());
        const Fl_Font before = in->textfont();
        b->peer->ApplyFonts(b->control);
        if (in->textfont() != before) w->redraw();
    });
}

void Peer::OnRadio(Fl_Widget* w, void* data) noexcept {
    auto* b = static_cast<Binding*>(data);
    if (static_cast<Fl_Button*>(w)->value()) b->peer->model_.UserSelected(b->control, b->item);
}

void Peer::OnMenu(Fl_Widget*, void* data) noexcept {
    auto* b = static_cast<Binding*>(data);
    b->peer->model_.UserChoseMenu(b->item);
}

}  // namespace

std::unique_ptr<WindowPeer> RealizeWindow(WindowModel& model) { return std::make_unique<Peer>(model); }

void RunAsMainWindow(WindowPeer& peer) noexcept {
    if (auto* p = dynamic_cast<Peer*>(&peer)) p->RunAsMain();
}

}  // namespace pivora::fltk
