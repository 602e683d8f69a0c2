// Where the settings and the history are kept: beside a launcher its user may
// write beside, else in the user's own directories, with an administrator's
// settings to start from.
#include <gtest/gtest.h>

#include "FlowHarness.h"
#include "launcher/FileLocations.h"
#include "platform/formats/FileNames.h"
#include "platform/interface/FileSystem.h"

namespace pivora {
namespace {

using testing::FlowHarness;

constexpr const char* kExeDir = "/opt/pivora/";
constexpr const char* kUserIni = "/home/u/.config/pivora/pivora.ini";
constexpr const char* kUserDat = "/home/u/.local/state/pivora/pivora.dat";

class Locations : public ::testing::Test {
protected:
    FakeSystem sys;
    MemoryFiles files;
    Locations() {
        sys.exePath = "/opt/pivora/pivora";
        sys.environment["HOME"] = "/home/u";
    }
    void Installed() { files.readOnlyDirs.insert(kExeDir); }
    TFileLocations Decide() { return DecideFileLocations(sys, files); }
};

TEST_F(Locations, AWritableLauncherDirectoryKeepsBothFilesBesideTheExecutable) {
    sys.environment.clear();  // a portable copy needs no home
    const TFileLocations where = Decide();
    EXPECT_TRUE(where.Portable);
    EXPECT_EQ(where.Settings, "/opt/pivora/pivora.ini");
    EXPECT_EQ(where.History, "/opt/pivora/pivora.dat");
    EXPECT_EQ(where.Defaults, "");
    EXPECT_TRUE(files.createdDirs.empty());
}

TEST_F(Locations, AReadOnlyLauncherDirectoryPutsBothFilesInTheUsersXdgDirectories) {
    Installed();
    const TFileLocations where = Decide();
    EXPECT_FALSE(where.Portable);
    EXPECT_EQ(where.Settings, kUserIni);
    EXPECT_EQ(where.History, kUserDat);
    EXPECT_EQ(files.createdDirs,
              (std::set<std::string>{"/home/u/.config/pivora/", "/home/u/.local/state/pivora/"}));
}

TEST_F(Locations, XdgVariablesAreHonouredAndEmptyOrRelativeOnesIgnored) {
    Installed();
    sys.environment["XDG_CONFIG_HOME"] = "/cfg//";
    sys.environment["XDG_STATE_HOME"] = "/state";
    TFileLocations where = Decide();
    EXPECT_EQ(where.Settings, "/cfg/pivora/pivora.ini");
    EXPECT_EQ(where.History, "/state/pivora/pivora.dat");

    sys.environment["XDG_CONFIG_HOME"] = "relative/cfg";
    sys.environment["XDG_STATE_HOME"] = "";
    where = Decide();
    EXPECT_EQ(where.Settings, kUserIni);
    EXPECT_EQ(where.History, kUserDat);
}

TEST_F(Locations, WithoutAHomeTheUserIsToldWhatIsMissing) {
    Installed();
    for (const char* home : std::initializer_list<const char*>{"", "relative", nullptr}) {
        if (home) sys.environment["HOME"] = home;
        else sys.environment.erase("HOME");
        try {
            Decide();
            ADD_FAILURE() << "no failure without a home";
        } catch (const FileError& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find("[/opt/pivora/] には書き込めず"), std::string::npos) << text;
            EXPECT_NE(text.find("HOME"), std::string::npos) << text;
            EXPECT_NE(text.find("XDG_CONFIG_HOME"), std::string::npos) << text;
        }
    }
    // Both XDG homes set: no home is needed.
    sys.environment["XDG_CONFIG_HOME"] = "/cfg";
    sys.environment["XDG_STATE_HOME"] = "/state";
    EXPECT_EQ(Decide().Settings, "/cfg/pivora/pivora.ini");
}

TEST_F(Locations, AUsersDirectoryThatCannotBeMadeIsReported) {
    Installed();
    files.readOnlyDirs.insert("/home/u/");
    EXPECT_THROW(Decide(), FileError);
}

TEST_F(Locations, AdministratorsSettingsComeFromTheXdgConfigDirsInOrderThenBesideTheExecutable) {
    Installed();
    files.files["/opt/pivora/pivora.ini"] = "[Pivora]\r\n";
    EXPECT_EQ(Decide().Defaults, "/opt/pivora/pivora.ini");

    files.files["/etc/xdg/pivora/pivora.ini"] = "";
    EXPECT_EQ(Decide().Defaults, "/etc/xdg/pivora/pivora.ini");

    sys.environment["XDG_CONFIG_DIRS"] = "relative:/site/a/:/site/b";
    files.files["/site/b/pivora/pivora.ini"] = "";
    EXPECT_EQ(Decide().Defaults, "/site/b/pivora/pivora.ini");
    files.files["/site/a/pivora/pivora.ini"] = "";
    EXPECT_EQ(Decide().Defaults, "/site/a/pivora/pivora.ini");

    // The user's own settings, once saved, are all that is read.
    files.files[kUserIni] = "";
    EXPECT_EQ(Decide().Defaults, "");
}

TEST_F(Locations, APortableCopyHasNoAdministratorsSettings) {
    files.files["/etc/xdg/pivora/pivora.ini"] = "";
    EXPECT_EQ(Decide().Defaults, "");
}

TEST_F(Locations, OnWindowsTheUsersFilesAreInTheRoamingApplicationData) {
    const PathRules before = CurrentPathRules();
    SetCurrentPathRules({/*backslashIsSeparator=*/true, /*doubleByteCodePage=*/false});
    struct Restore {
        PathRules rules;
        ~Restore() { SetCurrentPathRules(rules); }
    } restore{before};
    sys.userFiles = UserFileConvention::AppData;
    sys.exePath = "C:\\Program Files\\Pivora\\Pivora.exe";
    files.readOnlyDirs.insert(ExtractFilePath(sys.exePath));
    files.files["C:\\Program Files\\Pivora\\Pivora.ini"] = "";
    try {
        Decide();
        ADD_FAILURE() << "no failure without APPDATA";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("APPDATA"), std::string::npos) << e.what();
    }
    sys.environment["APPDATA"] = "C:\\Users\\u\\AppData\\Roaming";
    const TFileLocations where = Decide();
    EXPECT_EQ(where.Settings, "C:\\Users\\u\\AppData\\Roaming\\Pivora\\Pivora.ini");
    EXPECT_EQ(where.History, "C:\\Users\\u\\AppData\\Roaming\\Pivora\\Pivora.dat");
    EXPECT_EQ(where.Defaults, "C:\\Program Files\\Pivora\\Pivora.ini");
    EXPECT_EQ(files.createdDirs, (std::set<std::string>{"C:\\Users\\u\\AppData\\Roaming\\Pivora\\"}));
}

// Whole runs of an installed launcher.
class InstalledFlow : public ::testing::Test {
protected:
    FlowHarness h;
    static constexpr const char* kAdmin = "/etc/xdg/pivora/pivora.ini";
    InstalledFlow() {
        h.sys.environment["HOME"] = "/home/u";
        h.files.readOnlyDirs.insert(kExeDir);
        h.files.files["/p/Project1.dpr"] = "";
        h.files.files["/p/Project1.dsk"] = "[Main Window]\r\nClientWidth=640\r\n";  // version 4
    }
};

TEST_F(InstalledFlow, AnAdministratorsRegistrationStartsTheIdeAndOnlyTheUsersHistoryIsWritten) {
    h.files.files[kAdmin] = "[DelphiReg]\r\n4=/ide/d4\r\n";
    h.Args({"/p/Project1.dpr"});
    EXPECT_EQ(h.Run(), 0);
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/ide/d4");
    EXPECT_EQ(h.sys.starts[0].workDir, kExeDir);
    EXPECT_EQ(h.files.files[kUserDat], "2026/12/07 09:05:33 - 04 /p/Project1.dpr\r\n");
    EXPECT_EQ(h.files.files.count(kUserIni), 0u);
    EXPECT_EQ(h.files.files.count("/opt/pivora/pivora.dat"), 0u);
    EXPECT_EQ(h.files.files[kAdmin], "[DelphiReg]\r\n4=/ide/d4\r\n");
}

TEST_F(InstalledFlow, TheFirstSaveStartsFromTheAdministratorsFileAndLeavesItAsItWas) {
    const std::string admin = "; site settings\r\n[DelphiReg]\r\n4=/ide/d4\r\n[Site]\r\nProxy=none\r\n";
    h.files.files["/opt/pivora/pivora.ini"] = admin;
    h.gui.AnswerInput("50");
    h.gui.OnMainWindow([](Window& w) { w.ChooseMenu("H1"); });
    h.Run();
    EXPECT_EQ(h.files.files["/opt/pivora/pivora.ini"], admin);
    EXPECT_EQ(h.files.files[kUserIni],
              "; site settings\r\n[DelphiReg]\r\n4=/ide/d4\r\n2=\r\n3=\r\n[Site]\r\nProxy=none\r\n"
              "[Pivora]\r\nTestMode=0\r\nHistoryMax=50\r\n");
}

TEST_F(InstalledFlow, WithoutAHomeTheMessageSaysWhyAndNothingIsStarted) {
    h.sys.environment.clear();
    h.files.files["/opt/pivora/pivora.ini"] = "[DelphiReg]\r\n4=/ide/d4\r\n";
    h.Args({"/p/Project1.dpr"});
    h.gui.AnswerMessage();
    h.Run();
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Error);
    EXPECT_NE(h.gui.messages[0].text.find("環境変数 HOME も XDG_CONFIG_HOME も設定されていません。"),
              std::string::npos)
        << h.gui.messages[0].text;
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.files.writes, 0);
}

}  // namespace
}  // namespace pivora
