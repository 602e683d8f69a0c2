// One launcher window realised as FLTK widgets, built from its layout table.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Widget.H>

#include "platform/Gui.h"

namespace pivora::fltk {

class FltkPeer;

// The top-level window: Enter presses the default button, Esc the cancel
// button, and the closing box tells the model instead of hiding by itself.
class LauncherWindow final : public Fl_Double_Window {
public:
    LauncherWindow(int w, int h, const char* title, FltkPeer& peer);
    int handle(int event) override;

private:
    FltkPeer& peer_;
};

class FltkPeer final : public WindowPeer {
public:
    explicit FltkPeer(WindowModel& model);
    ~FltkPeer() override;

    void CaptionChanged(int control) override;
    void ItemIndexChanged(int control) override;
    void RunModal() override;
    void BringToFront() override;
    void Closed() override;

    void ShowMain();
    void RunUntilClosed();
    WindowModel& Model() { return model_; }
    bool PressRole(bool defaultRole);  // the default or cancel button, if the form has one

private:
    void Build();
    void Place();
    void ApplyCaption(int control);
    static void OnControl(Fl_Widget* w, void* data);
    static void OnMenu(Fl_Widget* w, void* data);
    static void OnClose(Fl_Widget* w, void* data);

    WindowModel& model_;
    std::unique_ptr<LauncherWindow> window_;
    int menuHeight_ = 0;
    std::vector<Fl_Widget*> widgets_;                  // by control index
    std::vector<std::vector<Fl_Widget*>> radioItems_;  // radio buttons by control index
    std::vector<Fl_Menu_Item> menuItems_;
    std::deque<std::pair<FltkPeer*, long>> callbackData_;  // stable addresses for FLTK's user data
};

// Labels are drawn literally: FLTK would take "@" for a symbol and "&" for a shortcut.
std::string LiteralLabel(const std::string& text);

}  // namespace pivora::fltk
