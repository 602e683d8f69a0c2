#include "platform/Application.h"

#include <cstdio>

#include "platform/Window.h"

namespace pivora {

Application::Application(System& system, FileSystem& files, GuiBackend& gui)
    : system_(system), files_(files), gui_(gui) {}

void Application::ShowMessage(const std::string& text) {
    gui_.MessageBox(MsgType::Plain, MsgButtons::Ok, text);
}

MsgResult Application::MessageDlg(const std::string& text, MsgType type, MsgButtons buttons) {
    return gui_.MessageBox(type, buttons, text);
}

bool Application::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    auto typed = gui_.InputQuery(caption, prompt, value);
    if (!typed) return false;
    value = std::move(*typed);
    return true;
}

void Application::HandleException(const std::exception& e) {
    try {
        gui_.MessageBox(MsgType::Error, MsgButtons::Ok, e.what());
    } catch (...) {
        // The failure path itself must never fail; standard error is the last resort.
        std::fprintf(stderr, "pivora: %s\n", e.what());
    }
}

void Application::AbortRun(int exitStatus, const std::string& why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    throw pivora::AbortRun{exitStatus};
}

int Application::Run() {
    try {
        main_->Fire(main_->Layout().onShow);
        if (main_->Closed()) return 0;
        if (!gui_.CanShowWindows())
            AbortRun(1, "pivora: the main window cannot be shown: there is no display");
        gui_.RunMainWindow(*main_, main_->EnsurePeer());
        return 0;
    } catch (const pivora::AbortRun& abort) {
        return abort.exitStatus;
    }
}

}  // namespace pivora
