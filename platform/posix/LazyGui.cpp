#include "platform/posix/LazyGui.h"

#include <PivoraBuildId.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/formats/FileNames.h"
#include "platform/interface/WindowModule.h"

namespace pivora {

namespace {

constexpr const char* kModuleName = "pivora-fltk.so";
using CreateBackend = GuiBackend* (*)();
using ReadStamp = const WindowModuleStamp* (*)();

// Where the module of this launcher is: beside it (a portable copy, or the
// build tree), or in lib/pivora/ of the prefix it is installed in. The
// executable's path is the resolved one, so a link in a bin/ directory leads
// to the install it belongs to.
std::vector<std::string> ModuleDirectories(const std::string& exePath) {
    std::vector<std::string> dirs;
    std::string dir = ExtractFilePath(exePath);
    if (dir.empty()) return dirs;
    dirs.push_back(dir);
    dir.pop_back();
    const std::string prefix = ExtractFilePath(dir);
    if (!prefix.empty()) dirs.push_back(prefix + "lib/pivora/");
    return dirs;
}

// Empty when the module is of this launcher's build; else why it is refused.
std::string Refusal(void* module) {
    const auto stamp = reinterpret_cast<ReadStamp>(::dlsym(module, kWindowModuleStampSymbol));
    const WindowModuleStamp* s = stamp ? stamp() : nullptr;
    if (!s || !s->build) return "it does not say which build it belongs to";
    if (s->interfaceVersion != kWindowModuleInterface)
        return "it speaks interface " + std::to_string(s->interfaceVersion) + ", this launcher " +
               std::to_string(kWindowModuleInterface);
    if (std::string_view(s->build) != PIVORA_BUILD_ID)
        return std::string("it belongs to another build (") + s->build + ", this launcher " PIVORA_BUILD_ID ")";
    return {};
}

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
        if (display && *display) Load();
    }
    if (fltk_) return *fltk_;
    return headless_;
}

void LazyGui::Load() noexcept {
    std::string path, error;
    for (const std::string& dir : ModuleDirectories(exePath_)) {
        path = dir + kModuleName;
        module_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module_) break;
        error += (error.empty() ? "" : "; ") + std::string(::dlerror());
    }
    if (!module_) {
        std::fprintf(stderr, "pivora: the window module %s cannot be loaded: %s\n", kModuleName,
                     error.empty() ? "no place to look for it" : error.c_str());
        return;
    }
    // A module of another build is never called: it is left loaded but unused.
    if (const std::string refusal = Refusal(module_); !refusal.empty()) {
        std::fprintf(stderr, "pivora: the window module %s is not used: %s; messages go to standard error\n",
                     path.c_str(), refusal.c_str());
        return;
    }
    auto create = reinterpret_cast<CreateBackend>(::dlsym(module_, kWindowModuleEntrySymbol));
    if (create) fltk_.reset(create());
    if (!fltk_)
        std::fprintf(stderr, "pivora: the window module %s cannot be loaded: %s not found\n", path.c_str(),
                     kWindowModuleEntrySymbol);
    else if (!fltk_->CanShowWindows())
        fltk_.reset();
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
