// The file argument: a relative name is made full from the launcher's current
// directory before anything is looked up, since the IDE starts elsewhere; a
// full path is used exactly as delivered.
#include <gtest/gtest.h>

#include "FlowHarness.h"

namespace pivora::testing {
namespace {

constexpr const char* kDat = "/opt/pivora/pivora.dat";
constexpr const char* kD4Desktop = "[Main Window]\r\nClientWidth=800\r\n";

class FlowArgument : public ::testing::Test {
protected:
    FlowHarness h;
    void SetUp() override {
        h.Register(3, "/ide/d3");
        h.Register(4, "/ide/d4");
    }
    std::string Dat() { return h.files.files[kDat]; }
};

TEST_F(FlowArgument, ARelativeFileIsDetectedRememberedAndStartedByItsFullPath) {
    h.sys.currentDir = "/home/me/work/";
    h.files.files["/home/me/work/my proj/Project1.dpr"] = "program Project1;\r\n";
    h.files.files["/home/me/work/my proj/Project1.dsk"] = kD4Desktop;
    // The same name under the launcher's directory, where the IDE runs, is another project.
    h.files.files["/opt/pivora/my proj/Project1.dpr"] = "program Project1;\r\n";
    h.files.files["/opt/pivora/my proj/Project1.dsk"] = "[MainWindow]\r\nClientWidth=800\r\n";
    h.Args({"my proj/Project1.dpr"});
    EXPECT_EQ(h.Run(), 0);
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/ide/d4");
    EXPECT_EQ(h.sys.starts[0].file, "/home/me/work/my proj/Project1.dpr");
    EXPECT_EQ(Dat(), "2026/12/07 09:05:33 - 04 /home/me/work/my proj/Project1.dpr\r\n");
}

TEST_F(FlowArgument, ARelativeFileFindsTheEntryOfItsFullPath) {
    h.sys.currentDir = "/home/me/work/";
    h.files.files["/home/me/work/P.dpr"] = "";
    h.files.files["/home/me/work/P.dsk"] = kD4Desktop;
    h.files.files[kDat] = "1998/07/01 09:05:33 - 03 /home/me/work/P.dpr\r\n";
    h.Args({"P.dpr"});
    h.Run();
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/ide/d3");  // remembered, not the 4 of the desktop file
    EXPECT_EQ(h.sys.starts[0].file, "/home/me/work/P.dpr");
    EXPECT_EQ(h.files.writes, 0);
}

// Histories written before hold paths as the shell handed them over.
TEST_F(FlowArgument, AFullPathIsUsedExactlyAsDelivered) {
    const std::string spelled = "/home/me//work/./sub/../P.dpr";
    h.files.files[kDat] = "1998/07/01 09:05:33 - 03 " + spelled + "\r\n";
    h.Args({spelled});
    h.Run();
    ASSERT_EQ(h.sys.starts.size(), 1u);
    EXPECT_EQ(h.sys.starts[0].registered, "/ide/d3");
    EXPECT_EQ(h.sys.starts[0].file, spelled);
    EXPECT_EQ(h.files.writes, 0);
}

TEST_F(FlowArgument, AFileThatCannotBeMadeFullIsReportedAndNothingHappens) {
    h.sys.currentDir = "";
    h.files.files["/opt/pivora/P.dpr"] = "";
    h.files.files["/opt/pivora/P.dsk"] = kD4Desktop;
    h.gui.ExpectMessage("no current directory for [P.dpr]");
    h.Args({"P.dpr"});
    h.Run();
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.files.files.count(kDat), 0u);
    ASSERT_EQ(h.gui.messages.size(), 1u);
    EXPECT_EQ(h.gui.messages[0].type, MsgType::Error);
    // The flow was abandoned before anything was looked up; the window stays for the menu.
    EXPECT_EQ(h.Panel(), "Delphi 4");
    EXPECT_EQ(h.gui.CountEvents("main:MainFm"), 1);
}

}  // namespace
}  // namespace pivora::testing
