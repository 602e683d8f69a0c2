#include "platform/interface/Application.h"

#include <cstdio>

#include "platform/interface/Window.h"

namespace pivora {

namespace {
// What can be said of a failure that carries no text of its own: that it was
// not foreseen, and that what the user asked for did not happen.
constexpr const char* kUnforeseenFailure = "予期しないエラーが発生したため、操作を中止しました。";
}  // namespace

std::string FailureText(std::exception_ptr failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return kUnforeseenFailure;
}

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

void Application::HandleException(std::exception_ptr failure) noexcept {
    try {
        gui_.MessageBox(MsgType::Error, MsgButtons::Ok, FailureText(failure));
    } catch (...) {
        // Not even the text could be made; standard error is the last resort.
        std::fprintf(stderr, "pivora: %s\n", kUnforeseenFailure);
    }
}

void Application::EndRun(int exitStatus, const std::string& why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    exitStatus_ = exitStatus;
    if (main_) main_->Close();
}

int Application::Run() {
    main_->Fire(main_->Layout().onShow);
    if (exitStatus_) return *exitStatus_;
    if (main_->Closed()) return 0;
    if (!gui_.CanShowWindows()) {
        EndRun(1, "pivora: the main window cannot be shown: there is no display");
        return *exitStatus_;
    }
    gui_.RunMainWindow(*main_, main_->EnsurePeer());
    return exitStatus_.value_or(0);
}

}  // namespace pivora
