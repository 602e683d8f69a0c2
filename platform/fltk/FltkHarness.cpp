// Shows the launcher's windows through the real window module, for
// tests/e2e/fltk_smoke.sh: the module is loaded as the launcher loads it, and
// what the user did is printed, one line at a time, on standard output.
//
//   pivora_fltk_harness MODULE SCENARIO [PATH]
//
// PATH is what the registration dialog's Delphi 3 field starts with.
// Scenarios: main, select, reg, about, yesno, input, abort, abort-modal, throw.
// GCC 12 warns (-Wrestrict, a known false positive of its string inlining)
// about an inline function of FileSystem.h.
#pragma GCC diagnostic ignored "-Wrestrict"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "dialogs/DelphiReg.h"
#include "launcher/ForceOpen.h"
#include "launcher/Main.h"
#include "platform/Application.h"
#include "platform/Window.h"
#include "platform/scripted/FakeSystem.h"
#include "platform/scripted/MemoryFiles.h"

namespace {

using namespace pivora;
using namespace pivora::layout;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// A box like the About box: a lowered panel holding labels, one of them large,
// purple, bold and italic, and texts with the characters FLTK treats specially.
constexpr Control kAboutControls[] = {
    {.name = "Panel1", .kind = Kind::Panel, .left = 8, .top = 8, .width = 281, .height = 161,
     .tabOrder = 0, .bevel = Bevel::Lowered},
    {.name = "ProductName", .kind = Kind::Label, .parent = "Panel1", .left = 8, .top = 8, .width = 200,
     .height = 64, .caption = "Pivora",
     .font = {"ＭＳ Ｐ明朝", -64, true, true, Color::Purple, Charset::ShiftJis}},
    {.name = "Version", .kind = Kind::Label, .parent = "Panel1", .left = 8, .top = 80, .width = 200,
     .height = 16, .caption = "Version 1.0.0.2"},
    {.name = "Lines", .kind = Kind::Label, .parent = "Panel1", .left = 8, .top = 104, .width = 260,
     .height = 40, .caption = "user@host:/a&b\r\n二行目 @2x"},
    {.name = "OKButton", .kind = Kind::Button, .left = 111, .top = 178, .width = 75, .height = 25,
     .caption = "OK", .tabOrder = 1, .isDefault = true, .modalResult = ModalResult::Ok, .onClick = "OKButtonClick"},
};

const Form kAboutLayout{
    .name = "AboutBox",
    .caption = "バージョン情報",
    .left = 200, .top = 108, .clientWidth = 298, .clientHeight = 212,
    .border = Border::Dialog,
    .centerOnShow = true,
    .font = {"ＭＳ Ｐゴシック", -12, false, false, Color::WindowText, Charset::ShiftJis},
    .controls = kAboutControls,
};

const char* ResultName(ModalResult r) {
    switch (r) {
        case ModalResult::Ok: return "ok";
        case ModalResult::Cancel: return "cancel";
        case ModalResult::None: break;
    }
    return "none";
}

int Run(GuiBackend& gui, const std::string& scenario, const std::string& path) {
    FakeSystem system;
    MemoryFiles files;
    Application app(system, files, gui);
    Window main(app, kMainFmLayout);
    app.SetMainWindow(main);
    Window select(app, kForceOpenVerSelDlgLayout);
    Window reg(app, kDelphiRegDlgLayout);
    Window about(app, kAboutLayout);

    main.Bind("FormShow", [&] { main.SetText("DelphiVPnl", "Delphi 4"); });
    main.Bind("Exit1Click", [&] { main.Close(); });
    main.Bind("FormCloseQuery", [&] { Say("main closing"); });
    main.Bind("About1Click", [&] { Say(std::string("about ") + ResultName(about.ShowModal())); });
    main.Bind("Delphi1Click", [&] { Say(std::string("reg ") + ResultName(reg.ShowModal())); });
    main.Bind("H1Click", [&] {
        std::string value = "1000";
        Say(app.InputQuery("起動履歴登録数", "起動履歴を保存する最大値を入力して下さい。", value) ? "typed " + value
                                                                                             : "input cancelled");
    });
    reg.Bind("ReferenceBtnClick", [&] {
        const int tag = reg.Sender() ? reg.Sender()->tag : 0;
        const std::string edit = "Delphi" + std::to_string(tag) + "Ed";
        auto chosen = gui.OpenFile(kDelphiRegOpenDialogFilter, reg.Text(edit));
        Say(chosen ? "chose " + *chosen : "chose nothing");
        if (chosen) reg.SetText(edit, *chosen);
    });
    reg.Bind("OKBtnClick", [&] {
        for (const char* e : {"Delphi2Ed", "Delphi3Ed", "Delphi4Ed"}) Say(std::string(e) + "=" + reg.Text(e));
    });
    select.Bind("OKBtnClick", [&] { Say("item " + std::to_string(select.ItemIndex("VersionSelRg"))); });

    if (!gui.CanShowWindows()) {
        Say("no display");
        return 3;
    }
    if (scenario == "select") {
        Say(std::string("select ") + ResultName(select.ShowModal()));
        return 0;
    }
    if (scenario == "reg") {
        reg.SetText("Delphi3Ed", path);
        Say(std::string("reg ") + ResultName(reg.ShowModal()));
        return 0;
    }
    if (scenario == "about") {
        about.BringToFront();  // not shown yet: nothing to do
        Say(std::string("about ") + ResultName(about.ShowModal()));
        return 0;
    }
    if (scenario == "yesno") {
        const MsgResult r = app.MessageDlg("Delphi 3 の登録を削除しますか？\r\n元に戻せません。", MsgType::Warning,
                                           MsgButtons::YesNo);
        Say(r == MsgResult::Yes ? "answer yes" : r == MsgResult::No ? "answer no" : "answer ok");
        return 0;
    }
    if (scenario == "input") {
        std::string value = "1000";
        Say(app.InputQuery("起動履歴登録数", "起動履歴を保存する最大値を入力して下さい。", value) ? "typed " + value
                                                                                             : "input cancelled");
        return 0;
    }
    if (scenario == "abort") {
        // The run ends from inside a menu command, through the module's event loop.
        main.Bind("About1Click", [&] { app.AbortRun(7, "pivora: ended from a window event"); });
    } else if (scenario == "abort-modal") {
        // The same from a dialog shown by a menu command: two event loops to leave.
        about.Bind("OKButtonClick", [&] { app.AbortRun(9, "pivora: ended from a dialog"); });
    } else if (scenario == "throw") {
        // Not a std::exception, so the model lets it through to the module.
        main.Bind("About1Click", [&] { throw 42; });
    } else if (scenario != "main") {
        Say("unknown scenario " + scenario);
        return 2;
    }
    const int status = app.Run();
    Say("main closed");
    return status;
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
    try {
        return Run(*gui, argv[2], argc == 4 ? argv[3] : "");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "harness: %s\n", e.what());
        return 4;
    }
}
