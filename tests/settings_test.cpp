// The settings file: defaults, the order and form of a first save, and what
// survives a save.
#include <gtest/gtest.h>

#include "FlowHarness.h"
#include "launcher/Settings.h"
#include "tests/scripted/MemoryFiles.h"

namespace pivora::testing {
namespace {

constexpr const char* kIni = "/opt/pivora/pivora.ini";

TEST(Settings, FileNameIsTheExecutableWithIni) {
    EXPECT_EQ(SettingsFileName("/opt/pivora/pivora"), "/opt/pivora/pivora.ini");
    EXPECT_EQ(SettingsFileName("/opt/pivora.d/Pivora.exe"), "/opt/pivora.d/Pivora.ini");
}

TEST(Settings, MissingFileReadsAsDefaultsAndWritesNothing) {
    MemoryFiles files;
    const TSettings s = LoadSettings(files, kIni);
    EXPECT_FALSE(s.TestMode);
    EXPECT_EQ(s.HistoryMax, 1000);
    for (int v = 2; v <= 4; ++v) EXPECT_EQ(s.RegisteredPaths[v], "");
    EXPECT_EQ(files.writes, 0);
    EXPECT_FALSE(files.FileExists(kIni));
}

TEST(Settings, FirstSaveWritesBothSectionsInOrder) {
    MemoryFiles files;
    TSettings s;
    s.RegisteredPaths.Set(3, "/ide/d3");
    SaveSettings(files, kIni, s);
    EXPECT_EQ(files.files[kIni],
              "[Pivora]\r\nTestMode=0\r\nHistoryMax=1000\r\n[DelphiReg]\r\n2=\r\n3=/ide/d3\r\n4=\r\n");
}

TEST(Settings, RoundTripKeepsPathsByteForByte) {
    MemoryFiles files;
    TSettings s;
    s.TestMode = true;
    s.HistoryMax = 0;
    s.RegisteredPaths.Set(2, "/opt/デルファイ 2/bin/delphi32 \"-ns\"");
    s.RegisteredPaths.Set(4, std::string("C:\\\x95\x5C\\Delphi32.exe"));  // Shift-JIS bytes pass through
    SaveSettings(files, kIni, s);
    const TSettings back = LoadSettings(files, kIni);
    EXPECT_EQ(back.TestMode, true);
    EXPECT_EQ(back.HistoryMax, 0);
    EXPECT_EQ(back.RegisteredPaths, s.RegisteredPaths);
}

TEST(Settings, HandSetTestModeKeepsItsMeaningNotItsText) {
    const std::pair<const char*, const char*> cases[] = {
        {"TestMode=7", "TestMode=1"}, {"TestMode=$10", "TestMode=1"}, {"TestMode=-1", "TestMode=1"},
        {"TestMode=0", "TestMode=0"}, {"TestMode=yes", "TestMode=0"}, {"TestMode=1 2", "TestMode=0"},
    };
    for (const auto& [given, written] : cases) {
        MemoryFiles files;
        files.files[kIni] = std::string("[Pivora]\r\n") + given + "\r\n";
        SaveSettings(files, kIni, LoadSettings(files, kIni));
        EXPECT_NE(files.files[kIni].find(std::string(written) + "\r\n"), std::string::npos) << given;
    }
}

TEST(Settings, HistorySizeThatCannotBeUsedReadsAsTheDefault) {
    for (const char* value : {"abc", "99999999999", "1 2", "$", "-"}) {
        MemoryFiles files;
        files.files[kIni] = std::string("[Pivora]\nHistoryMax=") + value + "\n";
        EXPECT_EQ(LoadSettings(files, kIni).HistoryMax, 1000) << value;
    }
    MemoryFiles files;
    files.files[kIni] = "[Pivora]\nHistoryMax=-5\n";
    EXPECT_EQ(LoadSettings(files, kIni).HistoryMax, 1000);
    files.files[kIni] = "[Pivora]\nHistoryMax= 2000000 \n";
    EXPECT_EQ(LoadSettings(files, kIni).HistoryMax, 2000000);
}

TEST(Settings, SaveKeepsEverythingElseInTheFile) {
    MemoryFiles files;
    files.files[kIni] = "; hand-written\n[Other]\nkey = value\n[DelphiReg]\n4=/ide/d4\n3=/ide/d3\n";
    TSettings s = LoadSettings(files, kIni);
    s.RegisteredPaths.Set(3, "/new/d3");
    SaveSettings(files, kIni, s);
    EXPECT_EQ(files.files[kIni],
              "; hand-written\n[Other]\nkey = value\n[DelphiReg]\n4=/ide/d4\n3=/new/d3\n2=\n"
              "[Pivora]\nTestMode=0\nHistoryMax=1000\n");
}

TEST(Settings, FailedWriteIsReportedAndLeavesTheOldFile) {
    MemoryFiles files;
    files.files[kIni] = "[DelphiReg]\r\n4=/ide/d4\r\n";
    files.failWrites.insert(kIni);
    TSettings s = LoadSettings(files, kIni);
    s.RegisteredPaths.Set(4, "");
    EXPECT_THROW(SaveSettings(files, kIni, s), FileError);
    EXPECT_EQ(files.files[kIni], "[DelphiReg]\r\n4=/ide/d4\r\n");
}

TEST(Settings, RegisteredPathsHaveSlotsOnlyForTwoToFour) {
    TRegisteredPaths paths;
    EXPECT_EQ(paths[1], "");
    EXPECT_EQ(paths[5], "");
    EXPECT_EQ(paths[-3], "");
    EXPECT_THROW(paths.Set(1, "x"), std::out_of_range);
    paths.Set(2, "a");
    EXPECT_EQ(paths[2], "a");
}

// A directory or FIFO named like the settings file: the defaults it would read
// as are untrue, and a save would fail or replace it. It is never opened.
TEST(Settings, SomethingThatIsNoFileIsReportedNotReadAsDefaultsNorWrittenOver) {
    MemoryFiles files;
    files.nonFiles.insert(kIni);
    const std::string notAFile = std::string("ファイル [") + kIni + "] はファイルではありません。";
    try {
        LoadSettings(files, kIni);  // a read would throw logic_error, not FileError
        FAIL() << "read as defaults";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), notAFile);
    }
    try {
        SaveSettings(files, kIni, TSettings{});
        FAIL() << "written over";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), notAFile);
    }
    EXPECT_EQ(files.writes, 0);
}

TEST(SettingsFlow, SettingsThatAreNoFileAreReportedOnceAndNothingIsStarted) {
    FlowHarness h;
    h.files.files["/p/P.dpr"] = "";
    h.files.files["/p/P.dsk"] = "[Main Window]\r\nClientWidth=1\r\n";
    h.files.nonFiles.insert(h.IniPath());
    h.Args({"/p/P.dpr"});
    h.gui.ExpectMessage("ファイル [" + h.IniPath() + "] はファイルではありません。");
    h.Run();
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.gui.CountEvents("modal:ForceOpenVerSelDlg"), 0);
    EXPECT_EQ(h.files.writes, 0);
}

}  // namespace
}  // namespace pivora::testing
