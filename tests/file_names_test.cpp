// Relative registered paths are taken from the launcher's directory, with each
// system's idea of what is absolute.
#include <gtest/gtest.h>

#include "platform/formats/FileNames.h"

namespace pivora::testing {
namespace {

const PathRules kLinux{false, false};
const PathRules kWindows{true, false};

TEST(PathFrom, AbsolutePathsStandAloneRelativeOnesJoinTheDirectory) {
    EXPECT_EQ(PathFrom("/opt/pivora/", "/usr/bin/ide", kLinux), "/usr/bin/ide");
    EXPECT_EQ(PathFrom("/opt/pivora/", "ide/bin/delphi32", kLinux), "/opt/pivora/ide/bin/delphi32");
    EXPECT_EQ(PathFrom("/opt/pivora/", "../ide", kLinux), "/opt/pivora/../ide");
    // On Linux a backslash or a drive letter is part of a name.
    EXPECT_EQ(PathFrom("/opt/pivora/", "C:\\ide.exe", kLinux), "/opt/pivora/C:\\ide.exe");
    EXPECT_EQ(PathFrom("/opt/pivora/", "\\ide", kLinux), "/opt/pivora/\\ide");

    for (const char* absolute : {"C:\\D4\\Bin\\DELPHI32.EXE", "c:/d4/delphi32.exe", "\\\\server\\d4\\delphi32.exe",
                                 "\\D4\\delphi32.exe", "/D4/delphi32.exe", "D:relative-to-drive.exe"})
        EXPECT_EQ(PathFrom("C:\\Pivora\\", absolute, kWindows), absolute);
    EXPECT_EQ(PathFrom("C:\\Pivora\\", "Bin\\DELPHI32.EXE", kWindows), "C:\\Pivora\\Bin\\DELPHI32.EXE");
    EXPECT_EQ(PathFrom("C:\\Pivora\\", "1:x", kWindows), "C:\\Pivora\\1:x");
    // Without a directory there is nothing to take it from.
    EXPECT_EQ(PathFrom("", "ide", kLinux), "ide");
}

}  // namespace
}  // namespace pivora::testing
