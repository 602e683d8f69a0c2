// The launch flow from the command line to a started IDE, on the test doubles.
#include <gtest/gtest.h>

#include "FlowHarness.h"

namespace pivora::testing {
namespace {

constexpr const char* kD4Desktop = "[Main Window]\r\nClientWidth=800\r\n";
constexpr const char* kD3Desktop = "[MainWindow]\r\nClientWidth=800\r\n";

class Flow : public ::testing::Test {
protected:
    FlowHarness h;
    void Project(const std::string& dsk) {
        h.files.files["/p/Project1.dpr"] = "program Project1;\r\n";
        h.files.files["/p/Project1.dsk"] = dsk;
    }
};

TEST_F(Flow, DetectedProjectStartsItsRegisteredIdeInTheLauncherDirectoryAndEnds) {
    Project(kD4Desktop);
    h.Register(4, "/ide/d4/delphi32");
    h.Args({"/p/Project1.dpr"});
    EXPECT_EQ(h.Run(), 0);
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/ide/d4/delphi32");
    EXPECT_EQ(h.sys.starts[0].file, "/p/Project1.dpr");
    EXPECT_EQ(h.sys.starts[0].workDir, "/opt/pivora/");
    EXPECT_TRUE(h.Main().Form().Closed());
    // After the close the panel is reset and raised once more; nothing is shown.
    EXPECT_EQ(h.Panel(), "Delphi ?");
    EXPECT_EQ(h.gui.CountEvents("main:MainFm"), 0);
    EXPECT_TRUE(h.gui.messages.empty());
}

TEST_F(Flow, WithoutExactlyOneArgumentNothingIsDetectedAndTheMainWindowStaysOpen) {
    for (auto args : {std::vector<std::string>{}, std::vector<std::string>{"/p/Project1.dpr", "/p/Other.dpr"}}) {
        FlowHarness run;
        run.files.files["/p/Project1.dpr"] = "";
        run.files.files["/p/Project1.dsk"] = kD4Desktop;
        run.Register(4, "/ide/d4");
        run.sys.arguments = args;
        run.sys.ctrlDown = true;  // Ctrl without a file changes nothing
        run.gui.OnMainWindow([](Window& w) { EXPECT_EQ(w.Text("DelphiVPnl"), "Delphi ?"); });
        EXPECT_EQ(run.Run(), 0);
        EXPECT_TRUE(run.sys.starts.empty());
        EXPECT_EQ(run.gui.CountEvents("modal:ForceOpenVerSelDlg"), 0);
        EXPECT_EQ(run.gui.CountEvents("main:MainFm"), 1);
    }
}

TEST_F(Flow, UndeterminedFileAndCancelledDialogStartNothing) {
    h.files.files["/p/Unit1.pas"] = "unit Unit1;";
    h.Register(4, "/ide/d4");
    h.Args({"/p/Unit1.pas"});
    h.AnswerSelection(2, /*ok=*/false);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_EQ(h.gui.CountEvents("modal:ForceOpenVerSelDlg"), 1);
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.Panel(), "Delphi ?");
}

TEST_F(Flow, SelectionDialogAnswerStartsThatVersion) {
    h.files.files["/p/Unit1.pas"] = "unit Unit1;";
    h.Register(3, "/ide/d3");
    h.Args({"/p/Unit1.pas"});
    h.AnswerSelection(1);  // "Delphi 3"
    h.Run();
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/ide/d3");
    // The dialog brought itself to the front when shown.
    EXPECT_EQ(h.gui.CountEvents("front:ForceOpenVerSelDlg"), 1);
}

TEST_F(Flow, OkWithoutAChoiceIsUndetermined) {
    h.files.files["/p/Unit1.pas"] = "";
    h.Register(2, "/ide/d2");
    h.Args({"/p/Unit1.pas"});
    h.AnswerSelection(-1);
    h.Run();
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_TRUE(h.gui.messages.empty());
    EXPECT_EQ(h.Panel(), "Delphi ?");
}

TEST_F(Flow, CtrlHeldSkipsDetectionEvenWithAClearDesktopFile) {
    Project(kD4Desktop);
    h.Register(3, "/ide/d3");
    h.Register(4, "/ide/d4");
    h.Args({"/p/Project1.dpr"});
    h.sys.ctrlDown = true;
    h.AnswerSelection(1);
    h.Run();
    EXPECT_TRUE(h.Main().ForceSelect);
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/ide/d3");
}

TEST_F(Flow, TestModeReportsTheVersionStartsNothingAndEndsWithoutResettingThePanel) {
    Project(kD3Desktop);
    h.Settings("[Pivora]\r\nTestMode=1\r\n");
    h.Register(3, "/ide/d3");
    h.Args({"/p/Project1.dpr"});
    h.gui.ExpectMessage("Test Mode\r\nDelphi 3");
    EXPECT_EQ(h.Run(), 0);
    EXPECT_TRUE(h.sys.starts.empty());
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Plain);
    EXPECT_TRUE(h.Main().Form().Closed());
    EXPECT_EQ(h.Panel(), "Delphi 3");
}

TEST_F(Flow, UnregisteredVersionIsAnErrorEvenInTestModeAndTheWindowStaysOpen) {
    for (const char* settings : {"", "[Pivora]\r\nTestMode=1\r\n"}) {
        FlowHarness run;
        run.files.files["/p/Project1.dpr"] = "";
        run.files.files["/p/Project1.dsk"] = "[MainWindow]\r\nWidth=640\r\n";  // version 2
        run.Settings(settings);
        run.Register(3, "/ide/d3");
        run.Register(4, "/ide/d4");
        run.sys.arguments = {"/p/Project1.dpr"};
        run.gui.ExpectMessage("Delphi 2 は登録されていません。");
        run.Run();
        ASSERT_EQ(run.gui.messages.size(), 1u) << settings;
        EXPECT_EQ(run.gui.messages[0].type, MsgType::Error);
        EXPECT_TRUE(run.sys.starts.empty());
        EXPECT_EQ(run.gui.CountEvents("main:MainFm"), 1);
        EXPECT_EQ(run.Panel(), "Delphi ?");
    }
}

TEST_F(Flow, VersionOneFromASixteenBitUnitIsReportedAsUnregistered) {
    h.files.files["/p/Unit1.dcu"] = "DCU1....";
    h.Register(2, "/ide/d2");
    h.Args({"/p/Unit1.dcu"});
    h.gui.ExpectMessage("Delphi 1 は登録されていません。");
    h.Run();
    EXPECT_TRUE(h.sys.starts.empty());
}

TEST_F(Flow, AFailedStartIsReportedNeverTakenForSuccess) {
    Project(kD4Desktop);
    h.Register(4, "/ide/missing");
    h.Args({"/p/Project1.dpr"});
    h.sys.nextResult = {false, "/ide/missing", "No such file or directory"};
    h.gui.AnswerMessage();
    h.Run();
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Error);
    EXPECT_NE(h.gui.messages[0].text.find("/ide/missing"), std::string::npos);
    EXPECT_NE(h.gui.messages[0].text.find("No such file or directory"), std::string::npos);
    EXPECT_EQ(h.gui.CountEvents("main:MainFm"), 1);
    EXPECT_EQ(h.Panel(), "Delphi ?");
}

TEST_F(Flow, TheArgumentReachesTheIdeExactlyAsDelivered) {
    h.files.files["/my projects/a b/Project1.dpr"] = "";
    h.files.files["/my projects/a b/Project1.dsk"] = kD4Desktop;
    h.Register(4, "/opt/my ide/bin/delphi 4");
    h.Args({"/my projects/a b/Project1.dpr"});
    h.Run();
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/opt/my ide/bin/delphi 4");
    EXPECT_EQ(h.sys.starts[0].file, "/my projects/a b/Project1.dpr");
}

TEST_F(Flow, AnUnreadableProjectEndsTheFlowThroughTheDefaultHandler) {
    h.files.files["/p/Project1.dpr"] = "";
    h.files.failReads.insert("/p/Project1.dpr");
    h.Register(4, "/ide/d4");
    h.Args({"/p/Project1.dpr"});
    h.gui.AnswerMessage();
    h.Run();
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Error);
    EXPECT_NE(h.gui.messages[0].text.find("/p/Project1.dpr"), std::string::npos);
    // The flow was abandoned before the panel was touched.
    EXPECT_EQ(h.Panel(), "Delphi 4");
    EXPECT_EQ(h.gui.CountEvents("main:MainFm"), 1);
    EXPECT_TRUE(h.sys.starts.empty());
}

TEST_F(Flow, UnreadableSettingsAreReportedOnceAndNothingIsClaimedOrStarted) {
    Project(kD4Desktop);
    h.Register(4, "/ide/d4");
    h.files.failReads.insert(h.IniPath());
    h.Args({"/p/Project1.dpr"});
    h.gui.AnswerMessage();
    h.Run();
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Error);
    EXPECT_NE(h.gui.messages[0].text.find(h.IniPath()), std::string::npos);
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.gui.CountEvents("modal:ForceOpenVerSelDlg"), 0);
    EXPECT_EQ(h.gui.CountEvents("main:MainFm"), 1);
    EXPECT_EQ(h.Panel(), "Delphi ?");
    EXPECT_EQ(h.files.writes, 0);  // neither the history nor the settings are written over
}

TEST_F(Flow, WithoutADisplayTheSelectionDialogEndsTheRunWithStatus2) {
    h.files.files["/p/Unit1.pas"] = "";
    h.Args({"/p/Unit1.pas"});
    h.gui.canShowWindows = false;
    // Its own status, not the main window's 1: the run ends before the main
    // window would be needed.
    EXPECT_EQ(h.Run(), 2);
    EXPECT_EQ(h.gui.CountEvents("modal:ForceOpenVerSelDlg"), 0);
    EXPECT_EQ(h.gui.CountEvents("main:MainFm"), 0);
    EXPECT_TRUE(h.Main().Form().Closed());
    EXPECT_TRUE(h.sys.starts.empty());
}

TEST_F(Flow, WithoutADisplayARunThatNeedsTheMainWindowEndsWithStatus1) {
    h.gui.canShowWindows = false;
    EXPECT_EQ(h.Run(), 1);
    EXPECT_EQ(h.Panel(), "Delphi ?");  // its show event ran, as it does before any showing
    EXPECT_EQ(h.gui.CountEvents("main:MainFm"), 0);
}

TEST_F(Flow, WithoutADisplayAStartedLaunchStillSucceeds) {
    Project(kD4Desktop);
    h.Register(4, "/ide/d4");
    h.Args({"/p/Project1.dpr"});
    h.gui.canShowWindows = false;
    EXPECT_EQ(h.Run(), 0);
    EXPECT_EQ(h.sys.starts.size(), 1u);
}

TEST_F(Flow, ExitMenuItemClosesTheMainWindow) {
    h.gui.OnMainWindow([](Window& w) {
        w.ChooseMenu("Exit1");
        EXPECT_TRUE(w.Closed());
    });
    EXPECT_EQ(h.Run(), 0);
    EXPECT_EQ(h.gui.CountEvents("closed:MainFm"), 1);
}

TEST_F(Flow, ARunThatOnlyLaunchesWritesTheHistoryButNotTheSettings) {
    Project(kD4Desktop);
    h.Register(4, "/ide/d4");
    const std::string before = h.files.files[h.IniPath()];
    h.Args({"/p/Project1.dpr"});
    h.Run();
    EXPECT_EQ(h.files.files[h.IniPath()], before);
    EXPECT_EQ(h.files.writes, 1);
    EXPECT_TRUE(h.files.FileExists("/opt/pivora/pivora.dat"));
}

}  // namespace
}  // namespace pivora::testing
