// Shows the launcher's own windows through the real window module, for
// tests/e2e/fltk_smoke.sh: the module is loaded as the launcher loads it, the
// program's windows are created as the launcher creates them and run their
// own handlers, and what the user did is printed, one line at a time, on
// standard output, as the backend saw it (boxes, typed text, chosen files,
// the main window's closing) or as the windows hold it after a showing.
//
//   pivora_fltk_harness MODULE SCENARIO [PATH]
//
// The launcher's settings and history live in a directory of the harness's
// own, removed at the end, beside a link to the built launcher (whose version
// block the About box shows). PATH is the registered Delphi 3 executable.
// Scenarios: main, select, reg, found, about, yesno, input, throw. In
// "found", PATH is the Delphi 4 the search for installed IDEs finds.
// GCC 12 warns (-Wrestrict, a known false positive of its string inlining)
// about an inline function of FileSystem.h.
#pragma GCC diagnostic ignored "-Wrestrict"

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "Pivora.h"
#include "platform/interface/InstalledIdes.h"
#include "platform/posix/PosixFiles.h"

#ifndef PIVORA_LAUNCHER_FILE
#error "PIVORA_LAUNCHER_FILE names the built launcher"
#endif

namespace {

using namespace pivora;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

const char* ResultName(std::optional<layout::ModalResult> r) {
    if (!r) return "unshown";
    switch (*r) {
        case layout::ModalResult::Ok: return "ok";
        case layout::ModalResult::Cancel: return "cancel";
        case layout::ModalResult::None: break;
    }
    return "none";
}

// Thrown by the system when armed: a failure from outside the standard
// library's hierarchy, as a foreign library might raise it.
struct ForeignFailure {};

// The launcher's view of the system, with nothing to launch: no arguments, no
// Ctrl, and the executable in the harness's directory. Armed, the next
// conversion of a registered path for a window fails.
class HarnessSystem final : public System {
public:
    explicit HarnessSystem(std::string exePath) : exePath_(std::move(exePath)) {}
    bool failNextUiText = false;
    std::shared_ptr<InstalledIdeSearch> search;
    std::shared_ptr<InstalledIdeSearch> IdeSearch() override { return search; }

    std::vector<std::string> Arguments() override { return {}; }
    bool CtrlDown() override { return false; }
    std::string ExePath() override { return exePath_; }
    LocalTime Now() override { return {2026, 12, 7, 9, 5, 33}; }
    SpawnResult StartIde(const std::string& registered, const std::string&, const std::string&) override {
        return {false, registered, "the harness starts nothing"};
    }
    // Never asked: there is no argument to resolve.
    std::string AbsolutePath(const std::string& path) override { return path; }
    std::string ToUiText(const std::string& native) override {
        if (failNextUiText) {
            failNextUiText = false;
            throw ForeignFailure{};
        }
        return native;
    }

private:
    std::string exePath_;
};

// Finds one IDE at once, in one place.
class OneIdeSearch final : public InstalledIdeSearch {
public:
    explicit OneIdeSearch(InstalledIde ide) : ide_(std::move(ide)) {}
    std::vector<std::string> Places() override { return {"harness"}; }
    std::vector<InstalledIde> LookIn(const std::string&) override { return {ide_}; }

private:
    InstalledIde ide_;
};

// Waits for the whole search, however slow the machine: what the window
// shows is then known. A generous time only bounds a failure.
class SettledPatience final : public TSearchPatience {
public:
    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
              const TSearchProgress& progress) override {
        changed.wait_for(lock, std::chrono::seconds(60), [&] { return progress.settled; });
    }
};

// Passes everything to the module's peer; says when the main window closes.
class RecordingPeer final : public WindowPeer {
public:
    RecordingPeer(const WindowModel& model, std::unique_ptr<WindowPeer> inner)
        : model_(model), inner_(std::move(inner)) {}
    WindowPeer& Inner() { return *inner_; }

    void CaptionChanged(int control) noexcept override { inner_->CaptionChanged(control); }
    void ItemIndexChanged(int control) noexcept override { inner_->ItemIndexChanged(control); }
    void CueChanged(int control) noexcept override { inner_->CueChanged(control); }
    void EnabledChanged(int control) noexcept override { inner_->EnabledChanged(control); }
    void RunModal() noexcept override { inner_->RunModal(); }
    void BringToFront() noexcept override { inner_->BringToFront(); }
    void Closed() noexcept override {
        if (std::string_view(model_.Layout().name) == kMainFmLayout.name) Say("main closing");
        inner_->Closed();
    }

private:
    const WindowModel& model_;
    std::unique_ptr<WindowPeer> inner_;
};

// The module's backend, with what comes back from the user printed.
class RecordingGui final : public GuiBackend {
public:
    explicit RecordingGui(GuiBackend& module) : module_(module) {}

    bool CanShowWindows() noexcept override { return module_.CanShowWindows(); }
    std::unique_ptr<WindowPeer> Realize(WindowModel& window) noexcept override {
        return std::make_unique<RecordingPeer>(window, module_.Realize(window));
    }
    MsgResult MessageBox(MsgType type, MsgButtons buttons, const std::string& text) noexcept override {
        Say("message " + text);
        return module_.MessageBox(type, buttons, text);
    }
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) noexcept override {
        auto typed = module_.InputQuery(caption, prompt, initial);
        Say(typed ? "typed " + *typed : "input cancelled");
        return typed;
    }
    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initialFile) noexcept override {
        auto chosen = module_.OpenFile(filter, initialFile);
        Say(chosen ? "chose " + *chosen : "chose nothing");
        return chosen;
    }
    void RunMainWindow(WindowModel& main, WindowPeer& peer) noexcept override {
        module_.RunMainWindow(main, static_cast<RecordingPeer&>(peer).Inner());
    }

private:
    GuiBackend& module_;
};

int Run(GuiBackend& module, const std::string& home, const std::string& scenario, const std::string& path) {
    RecordingGui gui(module);
    if (!gui.CanShowWindows()) {
        Say("no display");
        return 3;
    }
    HarnessSystem system(home + "/pivora");
    PosixFiles files;
    TProgram program(system, files, gui);

    if (scenario == "main") {
        const int status = program.Run();
        Say("main closed");
        return status;
    }
    if (scenario == "select") {
        Window& dialog = program.ForceOpenVerSelDlg.Form();
        Say(std::string("select ") + ResultName(dialog.ShowModal()));
        Say("item " + std::to_string(dialog.ItemIndex("VersionSelRg")));
        return 0;
    }
    if (scenario == "reg") {
        program.MainFm.Settings.RegisteredPaths.Set(3, path);
        Window& dialog = program.DelphiRegDlg.Form();
        const auto result = dialog.ShowModal();
        for (const char* e : {"Delphi2Ed", "Delphi3Ed", "Delphi4Ed"}) Say(std::string(e) + "=" + dialog.Text(e));
        Say(std::string("reg ") + ResultName(result));
        return 0;
    }
    if (scenario == "found") {
        system.search = std::make_shared<OneIdeSearch>(InstalledIde{4, path});
        program.DelphiRegDlg.Discovery().SetPatience(std::make_unique<SettledPatience>());
        Window& dialog = program.DelphiRegDlg.Form();
        const auto result = dialog.ShowModal();
        for (const char* e : {"Delphi2Ed", "Delphi3Ed", "Delphi4Ed"}) Say(std::string(e) + "=" + dialog.Text(e));
        Say(std::string("reg ") + ResultName(result));
        return 0;
    }
    if (scenario == "about") {
        Window& box = program.AboutBox.Form();
        box.BringToFront();  // not shown yet: nothing to do
        Say(std::string("about ") + ResultName(box.ShowModal()));
        return 0;
    }
    if (scenario == "yesno") {
        const MsgResult r = program.App.MessageDlg("Delphi 3 の登録を削除しますか？\r\n元に戻せません。",
                                                   MsgType::Warning, MsgButtons::YesNo);
        Say(r == MsgResult::Yes ? "answer yes" : r == MsgResult::No ? "answer no" : "answer ok");
        return 0;
    }
    if (scenario == "input") {
        // The menu command of the main window, which need not be shown for it.
        program.MainFm.Form().ChooseMenu("H1");
        return 0;
    }
    if (scenario == "throw") {
        // The registration dialog's show event fails, from ファイル › Delphi登録.
        system.failNextUiText = true;
        const int status = program.Run();
        Say("main closed");
        return status;
    }
    Say("unknown scenario " + scenario);
    return 2;
}

// A directory for the launcher's files, with the launcher linked into it.
std::optional<std::string> MakeHome() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return std::nullopt;
    std::string pattern = (base / "pivora-harness-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return std::nullopt;
    std::filesystem::create_symlink(PIVORA_LAUNCHER_FILE, pattern + "/pivora", error);
    if (error) {
        std::filesystem::remove_all(pattern, error);
        return std::nullopt;
    }
    return pattern;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s MODULE SCENARIO [PATH]\n", argv[0]);
        return 2;
    }
    void* module = ::dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "%s\n", ::dlerror());
        return 2;
    }
    using Create = pivora::GuiBackend* (*)();
    auto create = reinterpret_cast<Create>(::dlsym(module, "pivora_create_fltk_backend"));
    if (!create) {
        std::fprintf(stderr, "pivora_create_fltk_backend is not exported\n");
        return 2;
    }
    std::unique_ptr<pivora::GuiBackend> gui(create());
    if (!gui) return 2;
    const std::optional<std::string> home = MakeHome();
    if (!home) {
        std::fprintf(stderr, "harness: no directory for the launcher's files\n");
        return 2;
    }
    const int status = Run(*gui, *home, argv[2], argc == 4 ? argv[3] : "");
    std::error_code ignored;
    std::filesystem::remove_all(*home, ignored);
    return status;
}
