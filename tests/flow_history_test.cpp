// The history's part in the launch flow, and the history size command.
#include <gtest/gtest.h>

#include "FlowHarness.h"

namespace pivora::testing {
namespace {

constexpr const char* kDat = "/opt/pivora/pivora.dat";

class FlowHistory : public ::testing::Test {
protected:
    FlowHarness h;
    void SetUp() override {
        h.files.files["/p/P.dpr"] = "";
        h.files.files["/p/P.dsk"] = "[Main Window]\r\nClientWidth=1\r\n";
    }
    std::string Dat() { return h.files.files[kDat]; }
};

TEST_F(FlowHistory, ARememberedFileOpensWithoutDetectionAndKeepsItsDate) {
    h.Register(3, "/ide/d3");
    h.files.files[kDat] = "1998/07/01 09:05:33 - 03 /p/P.dpr\r\n";
    h.Args({"/p/P.dpr"});
    h.Run();
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/ide/d3");  // not the 4 of the desktop file
    EXPECT_EQ(Dat(), "1998/07/01 09:05:33 - 03 /p/P.dpr\r\n");
    EXPECT_EQ(h.files.writes, 0);
}

TEST_F(FlowHistory, ADetectedFileIsRememberedEvenWhenItsVersionIsUnregistered) {
    h.Args({"/p/P.dpr"});
    h.gui.ExpectMessage("Delphi 4 は登録されていません。");
    h.Run();
    EXPECT_EQ(Dat(), "2026/12/07 09:05:33 - 04 /p/P.dpr\r\n");

    // The next start takes the version from the history and fails the same way.
    FlowHarness again;
    again.files = h.files;
    again.files.files.erase("/p/P.dsk");
    again.Args({"/p/P.dpr"});
    again.gui.ExpectMessage("Delphi 4 は登録されていません。");
    again.Run();
    EXPECT_EQ(again.gui.CountEvents("modal:ForceOpenVerSelDlg"), 0);
}

TEST_F(FlowHistory, TestModeRemembersToo) {
    h.Settings("[Pivora]\r\nTestMode=1\r\n");
    h.Register(4, "/ide/d4");
    h.Args({"/p/P.dpr"});
    h.gui.ExpectMessage("Test Mode\r\nDelphi 4");
    h.Run();
    EXPECT_EQ(Dat(), "2026/12/07 09:05:33 - 04 /p/P.dpr\r\n");
}

TEST_F(FlowHistory, CtrlOnARememberedFileReplacesItsEntryWithTheChoice) {
    h.Register(2, "/ide/d2");
    h.files.files[kDat] = "1998/07/01 09:05:33 - 03 /p/P.dpr\r\n";
    h.Args({"/p/P.dpr"});
    h.sys.ctrlDown = true;
    h.AnswerSelection(0);  // Delphi 2
    h.Run();
    EXPECT_EQ(Dat(), "2026/12/07 09:05:33 - 02 /p/P.dpr\r\n");
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/ide/d2");
}

TEST_F(FlowHistory, CtrlAndCancelLeaveTheHistoryFileAsItWas) {
    h.files.files[kDat] = "1998/07/01 09:05:33 - 03 /p/P.dpr\r\n";
    h.Args({"/p/P.dpr"});
    h.sys.ctrlDown = true;
    h.AnswerSelection(-1, /*ok=*/false);
    h.Run();
    EXPECT_EQ(Dat(), "1998/07/01 09:05:33 - 03 /p/P.dpr\r\n");
    EXPECT_EQ(h.files.writes, 0);
}

TEST_F(FlowHistory, ARememberedVersionZeroEndsTheFlowWithoutAsking) {
    h.files.files[kDat] = "1998/07/01 09:05:33 - 00 /p/P.dpr\r\n";
    h.Args({"/p/P.dpr"});
    h.Run();
    EXPECT_EQ(h.gui.CountEvents("modal:ForceOpenVerSelDlg"), 0);
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.Panel(), "Delphi ?");
}

TEST_F(FlowHistory, AFailedHistoryWriteStartsNothingAndLeavesTheVersionShown) {
    h.Register(4, "/ide/d4");
    h.files.failWrites.insert(kDat);
    h.Args({"/p/P.dpr"});
    h.gui.AnswerMessage();
    h.Run();
    EXPECT_TRUE(h.sys.starts.empty());
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Error);
    EXPECT_NE(h.gui.messages[0].text.find(kDat), std::string::npos);
    EXPECT_EQ(h.Panel(), "Delphi 4");
    EXPECT_EQ(h.gui.CountEvents("main:MainFm"), 1);
}

TEST_F(FlowHistory, ARememberedFileStartsEvenWhenTheHistoryCannotBeWritten) {
    h.Register(4, "/ide/d4");
    h.files.files[kDat] = "1998/07/01 09:05:33 - 04 /p/P.dpr\r\n";
    h.files.failWrites.insert(kDat);
    h.Args({"/p/P.dpr"});
    h.Run();
    EXPECT_EQ(h.sys.starts.size(), 1u);
}

TEST_F(FlowHistory, AnOverfullHistoryIsTrimmedAtStartWithoutAnArgument) {
    h.Settings("[Pivora]\r\nHistoryMax=1\r\n");
    h.files.files[kDat] = "1998/07/01 09:05:33 - 04 /p/A.dpr\r\n1999/07/01 09:05:33 - 04 /p/B.dpr\r\n";
    h.Run();
    EXPECT_EQ(Dat(), "1999/07/01 09:05:33 - 04 /p/B.dpr\r\n");
}

TEST_F(FlowHistory, AnUnreadableHistoryIsReportedAndNeverOverwritten) {
    h.Register(4, "/ide/d4");
    h.files.files[kDat] = "1998/07/01 09:05:33 - 03 /p/Other.dpr\r\n";
    h.files.failReads.insert(kDat);
    h.Args({"/p/P.dpr"});
    h.gui.AnswerMessage();
    h.gui.AnswerMessage();
    h.Run();
    // One report at creation, one when the addition refuses to save over it.
    ASSERT_EQ(h.gui.messages.size(), 2u);
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.files.files[kDat], "1998/07/01 09:05:33 - 03 /p/Other.dpr\r\n");
}

class SizeCommand : public ::testing::Test {
protected:
    FlowHarness h;
    void Choose() {
        h.gui.OnMainWindow([](Window& w) { w.ChooseMenu("H1"); });
        h.Run();
    }
};

TEST_F(SizeCommand, RefusedTextsAskAgainWithTheCurrentSize) {
    for (const char* refused : {"-1", "abc", "5 "}) {
        h.gui.AnswerInput(refused);
        h.gui.ExpectMessage("０以上の数値を入力して下さい。");
    }
    h.gui.AnswerInput(std::nullopt);
    Choose();
    for (const auto& m : h.gui.messages) EXPECT_EQ(m.type, MsgType::Error);
    EXPECT_EQ(h.gui.CountEvents("input:起動履歴登録数|起動履歴を保存する最大値を入力して下さい。|1000"), 4);
    EXPECT_FALSE(h.files.FileExists(h.IniPath()));
}

TEST_F(SizeCommand, AnAcceptedSizeIsSavedWithTheOtherSettings) {
    h.Register(3, "/ide/d3");
    h.gui.AnswerInput("0");
    Choose();
    EXPECT_EQ(h.Main().Settings.HistoryMax, 0);
    EXPECT_EQ(h.files.files[h.IniPath()],
              "[DelphiReg]\r\n3=/ide/d3\r\n2=\r\n4=\r\n[Pivora]\r\nTestMode=0\r\nHistoryMax=0\r\n");
}

}  // namespace
}  // namespace pivora::testing
