// A whole program run on the test doubles: arguments, Ctrl and files are set
// up first, then Run() creates the windows and runs the launch flow.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "Pivora.h"
#include "tests/scripted/FakeSystem.h"
#include "tests/scripted/MemoryFiles.h"
#include "tests/scripted/ScriptedGui.h"

namespace pivora::testing {

struct FlowHarness {
    FakeSystem sys;
    MemoryFiles files;
    ScriptedGui gui;
    std::unique_ptr<TProgram> program;
    int exitStatus = -1;
    // Run on the program once its windows exist, before the main window shows.
    std::function<void(TProgram&)> beforeRun;

    FlowHarness() { sys.exePath = "/opt/pivora/pivora"; }
    // Whatever the script did not foresee fails the test that ran it.
    ~FlowHarness() {
        gui.NoteUnusedScript();
        for (const std::string& what : gui.unscripted) ADD_FAILURE() << "test script: " << what;
    }
    FlowHarness(const FlowHarness&) = delete;
    FlowHarness& operator=(const FlowHarness&) = delete;

    // The executable's own name with ".ini", wherever a test puts it.
    std::string IniPath() const {
        const std::size_t name = sys.exePath.find_last_of("/\\") + 1;
        const std::size_t dot = sys.exePath.rfind('.');
        return sys.exePath.substr(0, dot != std::string::npos && dot > name ? dot : std::string::npos) + ".ini";
    }
    void Settings(const std::string& text) { files.files[IniPath()] = text; }
    void Register(int version, const std::string& path) {
        std::string& ini = files.files[IniPath()];
        if (ini.find("[DelphiReg]") == std::string::npos) ini += "[DelphiReg]\r\n";
        ini += std::to_string(version) + "=" + path + "\r\n";
    }
    void Args(std::initializer_list<std::string> args) { sys.arguments = args; }
    // The selection dialog's answer: an item (-1 for none), then OK or Cancel.
    void AnswerSelection(int item, bool ok = true) {
        gui.OnModal("ForceOpenVerSelDlg", [item, ok](Window& dlg) {
            if (item >= 0) dlg.Select("VersionSelRg", item);
            dlg.Click(ok ? "OKBtn" : "CancelBtn");
        });
    }

    // Creates the windows (reading the settings), then runs the main window.
    int Run() {
        program = std::make_unique<TProgram>(sys, files, gui);
        if (beforeRun) beforeRun(*program);
        exitStatus = program->Run();
        return exitStatus;
    }
    TMainFm& Main() { return program->MainFm; }
    std::string Panel() { return Main().Form().Text("DelphiVPnl"); }
};

}  // namespace pivora::testing
