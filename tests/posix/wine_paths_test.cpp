// The rules of a Windows program under Wine: its prefix, and the Windows
// name a prefix's drives give a Unix file, as Wine itself resolves it.
#include <gtest/gtest.h>

#include "platform/posix/WinePaths.h"

namespace pivora {
namespace {

TEST(WinePaths, OnlyAFileThatBeginsWithMZIsAWindowsProgram) {
    EXPECT_TRUE(IsWindowsProgramHeader("MZ\x90\x00"));
    EXPECT_TRUE(IsWindowsProgramHeader("MZ"));
    EXPECT_FALSE(IsWindowsProgramHeader("M"));
    EXPECT_FALSE(IsWindowsProgramHeader(""));
    EXPECT_FALSE(IsWindowsProgramHeader("\x7f" "ELF"));
    EXPECT_FALSE(IsWindowsProgramHeader("#!/bin/sh\n"));
    EXPECT_FALSE(IsWindowsProgramHeader("mz"));
}

TEST(WinePaths, ThePrefixIsTheFolderAboveTheInnermostDriveC) {
    EXPECT_EQ(WinePrefixHolding("/home/me/.wine/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE"),
              "/home/me/.wine");
    EXPECT_EQ(WinePrefixHolding("/home/me/my prefix/drive_c/d.exe"), "/home/me/my prefix");
    // A prefix kept inside another one's C: drive is the one that runs the program.
    EXPECT_EQ(WinePrefixHolding("/p/drive_c/users/me/inner/drive_c/d.exe"), "/p/drive_c/users/me/inner");
    EXPECT_EQ(WinePrefixHolding("/drive_c/d.exe"), "/");
}

TEST(WinePaths, APathOutsideAnyDriveCHasNoPrefixOfItsOwn) {
    EXPECT_EQ(WinePrefixHolding("/opt/delphi/bin/delphi32.exe"), std::nullopt);
    // The program's own name, and names that only begin or end like the folder, do not count.
    EXPECT_EQ(WinePrefixHolding("/opt/drive_c"), std::nullopt);
    EXPECT_EQ(WinePrefixHolding("/opt/drive_cd/d.exe"), std::nullopt);
    EXPECT_EQ(WinePrefixHolding("/opt/my_drive_c/d.exe"), std::nullopt);
    EXPECT_EQ(WinePrefixHolding("/opt/Drive_C/d.exe"), std::nullopt);
    EXPECT_EQ(WinePrefixHolding("d.exe"), std::nullopt);
}

// A fresh prefix: C: to its drive_c (a relative link), Z: to the root.
std::vector<WineDrive> FreshPrefix() {
    return DrivesFromLinks("/home/me/.wine/dosdevices", {{"c:", "../drive_c"}, {"z:", "/"}});
}

TEST(WinePaths, DriveLinksAreReadAsWineReadsThem) {
    const std::vector<WineDrive> drives = DrivesFromLinks(
        "/w/dosdevices", {{"z:", "/"}, {"c:", "../drive_c"}, {"c::", "/dev/sda1"}, {"com1", "/dev/ttyS0"},
                          {"d:", "/mnt/cd/"}, {"E:", "./../e//dir/."}, {"1:", "/x"}, {"f:", ""}});
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[0].letter, 'C');
    EXPECT_EQ(drives[0].root, "/w/drive_c");
    EXPECT_EQ(drives[1].letter, 'D');
    EXPECT_EQ(drives[1].root, "/mnt/cd");
    EXPECT_EQ(drives[2].letter, 'E');
    EXPECT_EQ(drives[2].root, "/w/e/dir");
    EXPECT_EQ(drives[3].letter, 'Z');
    EXPECT_EQ(drives[3].root, "/");
}

TEST(WinePaths, AFileIsNamedThroughTheLongestDriveThatHoldsIt) {
    const auto drives = FreshPrefix();
    EXPECT_EQ(WindowsPathIn("/home/me/Proj/Project1.dpr", drives), R"(Z:\home\me\Proj\Project1.dpr)");
    EXPECT_EQ(WindowsPathIn("/home/me/.wine/drive_c/Proj/P.dpr", drives), R"(C:\Proj\P.dpr)");
    // Blanks and other scripts pass through as they are.
    EXPECT_EQ(WindowsPathIn("/home/me/my projects/日本語/a b.dpr", drives),
              "Z:\\home\\me\\my projects\\日本語\\a b.dpr");
    // A folder that only begins like the drive's is not on it.
    EXPECT_EQ(WindowsPathIn("/home/me/.wine/drive_cx/P.dpr", drives), R"(Z:\home\me\.wine\drive_cx\P.dpr)");
}

TEST(WinePaths, ADeeperDriveWinsAndOnATieTheFirstLetter) {
    const auto drives =
        DrivesFromLinks("/w/dosdevices", {{"z:", "/"}, {"p:", "/home/me/Proj"}, {"h:", "/home/me"}, {"q:", "/home/me/Proj/"}});
    EXPECT_EQ(WindowsPathIn("/home/me/Proj/Project1.dpr", drives), R"(P:\Project1.dpr)");
    EXPECT_EQ(WindowsPathIn("/home/me/other/a.pas", drives), R"(H:\other\a.pas)");
    EXPECT_EQ(WindowsPathIn("/home/me/Proj", drives), R"(P:\)");
    EXPECT_EQ(WindowsPathIn("/srv/a.pas", drives), R"(Z:\srv\a.pas)");
}

TEST(WinePaths, EmptyAndDotComponentsOfTheFileAreDropped) {
    EXPECT_EQ(WindowsPathIn("/home//me/./Proj/P.dpr", FreshPrefix()), R"(Z:\home\me\Proj\P.dpr)");
}

TEST(WinePaths, WithoutADriveThatHoldsItOrAFullPathThereIsNoWindowsName) {
    const auto cOnly = DrivesFromLinks("/w/dosdevices", {{"c:", "../drive_c"}});
    EXPECT_EQ(WindowsPathIn("/home/me/P.dpr", cOnly), std::nullopt);
    EXPECT_EQ(WindowsPathIn("/home/me/P.dpr", {}), std::nullopt);
    EXPECT_EQ(WindowsPathIn("P.dpr", FreshPrefix()), std::nullopt);
    EXPECT_EQ(WindowsPathIn("", FreshPrefix()), std::nullopt);
}

// The other way, for an IDE the prefix's registry names: its Windows path
// back to the Unix file, through the same drive links.
TEST(WinePaths, AWindowsPathIsTheUnixFileOfItsDrive) {
    const auto drives = FreshPrefix();
    EXPECT_EQ(UnixPathIn(R"(C:\Program Files\Borland\Delphi4\Bin\DELPHI32.EXE)", drives),
              "/home/me/.wine/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE");
    // Drive letters in either case, slashes for backslashes, blanks and other scripts as they are.
    EXPECT_EQ(UnixPathIn("c:/Borland/日本語 フォルダ/d.exe", drives), "/home/me/.wine/drive_c/Borland/日本語 フォルダ/d.exe");
    EXPECT_EQ(UnixPathIn(R"(Z:\opt\d4\delphi32.exe)", drives), "/opt/d4/delphi32.exe");
    EXPECT_EQ(UnixPathIn(R"(C:\)", drives), "/home/me/.wine/drive_c");
    const auto tools = DrivesFromLinks("/w/dosdevices", {{"d:", "/mnt/tools/"}});
    EXPECT_EQ(UnixPathIn(R"(D:\Delphi 3\Bin\DELPHI32.EXE)", tools), "/mnt/tools/Delphi 3/Bin/DELPHI32.EXE");
}

TEST(WinePaths, DotsAreFoldedButNeverAboveTheDrivesRoot) {
    const auto drives = FreshPrefix();
    EXPECT_EQ(UnixPathIn(R"(C:\Borland\.\Delphi4\..\Delphi 3\\Bin\DELPHI32.EXE)", drives),
              "/home/me/.wine/drive_c/Borland/Delphi 3/Bin/DELPHI32.EXE");
    EXPECT_EQ(UnixPathIn(R"(C:\..\..\etc\passwd)", drives), "/home/me/.wine/drive_c/etc/passwd");
}

TEST(WinePaths, APathOnNoDriveOfThePrefixHasNoUnixFile) {
    const auto drives = FreshPrefix();
    EXPECT_EQ(UnixPathIn(R"(D:\Delphi4\Bin\DELPHI32.EXE)", drives), std::nullopt);  // no D:
    EXPECT_EQ(UnixPathIn(R"(Borland\Delphi4\Bin\DELPHI32.EXE)", drives), std::nullopt);
    EXPECT_EQ(UnixPathIn(R"(\\server\share\DELPHI32.EXE)", drives), std::nullopt);
    EXPECT_EQ(UnixPathIn(R"(C:DELPHI32.EXE)", drives), std::nullopt);  // relative to C:'s current folder
    EXPECT_EQ(UnixPathIn(R"(1:\x)", drives), std::nullopt);
    EXPECT_EQ(UnixPathIn("", drives), std::nullopt);
    EXPECT_EQ(UnixPathIn(R"(C:\a)", {}), std::nullopt);
}

TEST(WinePaths, BothWaysAgree) {
    const auto drives = FreshPrefix();
    for (const char* unix : {"/home/me/.wine/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE",
                             "/home/me/Proj/Project1.dpr", "/"}) {
        const auto windows = WindowsPathIn(unix, drives);
        ASSERT_TRUE(windows) << unix;
        EXPECT_EQ(UnixPathIn(*windows, drives), unix);
    }
}

}  // namespace
}  // namespace pivora
