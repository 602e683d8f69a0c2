// The launcher's own path, which places its settings and history: read whole
// however long, never guessed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/posix/PosixSystem.h"

namespace pivora {
namespace {

namespace fs = std::filesystem;

TEST(ExePath, IsTheRunningExecutableItself) {
    PosixSystem sys(0, nullptr);
    EXPECT_EQ(fs::path(sys.ExePath()), fs::canonical("/proc/self/exe"));
}

TEST(ExePath, ALinkIsReadWholeHoweverLongItsTarget) {
    std::string dir = (fs::temp_directory_path() / "pivora-link-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    // Longer than any fixed buffer of the first tries, shorter than the
    // system's limit on a link's target.
    std::string target = "/";
    while (target.size() < 3000) target += "a-rather-long-directory-name/";
    target += "pivora";
    const std::string link = dir + "/link";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_EQ(ReadLink(link.c_str()), target);
    EXPECT_EQ(ReadLink((dir + "/missing").c_str()), "");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace pivora
