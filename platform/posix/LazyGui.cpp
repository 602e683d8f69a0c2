#include "platform/posix/LazyGui.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "platform/formats/FileNames.h"

#ifndef PIVORA_MODULE_DIR
#define PIVORA_MODULE_DIR ""
#endif

namespace pivora {

namespace {
constexpr const char* kModuleName = "pivora-fltk.so";
using CreateBackend = GuiBackend* (*)();
}  // namespace

LazyGui::LazyGui(std::string exePath) : exePath_(std::move(exePath)) {}

LazyGui::~LazyGui() {
    // The module's code must outlive its objects; it is never unloaded, since
    // FLTK registers exit-time handlers of its own.
    fltk_.reset();
}

GuiBackend& LazyGui::Backend() noexcept {
    if (!tried_) {
        tried_ = true;
        const char* display = std::getenv("DISPLAY");
        if (display && *display) {
            // Beside the executable first (an installed or copied launcher), then
            // where the build put it.
            std::string error;
            for (const std::string& dir : {ExtractFilePath(exePath_), std::string(PIVORA_MODULE_DIR)}) {
                if (dir.empty()) continue;
                module_ = ::dlopen((dir + kModuleName).c_str(), RTLD_NOW | RTLD_LOCAL);
                if (module_) break;
                if (error.empty()) error = ::dlerror();
            }
            auto create = module_ ? reinterpret_cast<CreateBackend>(::dlsym(module_, "pivora_create_fltk_backend"))
                                  : nullptr;
            if (create) fltk_.reset(create());
            if (!fltk_)
                std::fprintf(stderr, "pivora: the window module %s cannot be loaded: %s\n", kModuleName,
                             error.empty() ? "pivora_create_fltk_backend not found" : error.c_str());
            else if (!fltk_->CanShowWindows())
                fltk_.reset();
        }
    }
    if (fltk_) return *fltk_;
    return headless_;
}

bool LazyGui::CanShowWindows() noexcept { return Backend().CanShowWindows(); }

std::unique_ptr<WindowPeer> LazyGui::Realize(WindowModel& window) noexcept { return Backend().Realize(window); }

MsgResult LazyGui::MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept {
    return Backend().MessageBox(type, buttons, text);
}

std::optional<std::string> LazyGui::InputQuery(const std::string& caption, const std::string& prompt,
                                               const std::string& initial) noexcept {
    return Backend().InputQuery(caption, prompt, initial);
}

std::optional<std::string> LazyGui::OpenFile(const std::string& filter,
                                             const std::string& initialFile) noexcept {
    return Backend().OpenFile(filter, initialFile);
}

void LazyGui::RunMainWindow(WindowModel& main, WindowPeer& peer) noexcept { Backend().RunMainWindow(main, peer); }

}  // namespace pivora
