// The probe that decides between a portable and an installed launcher, and the
// making of the user's directories, on the real file system.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/PosixFiles.h"

namespace pivora {
namespace {

namespace fs = std::filesystem;

class ReplaceProbe : public ::testing::Test {
protected:
    fs::path root;
    PosixFiles files;
    void SetUp() override {
        char pattern[] = "/tmp/pivora-probe-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override {
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
    }
    std::string Dir() const { return root.string() + "/"; }
};

TEST_F(ReplaceProbe, AWritableDirectoryAnswersYesAndKeepsNothingOfTheTry) {
    EXPECT_TRUE(files.CanReplaceFilesIn(Dir()));
    EXPECT_TRUE(fs::is_empty(root));
}

TEST_F(ReplaceProbe, DirectoriesNobodyMayWriteInAnswerNo) {
    EXPECT_FALSE(files.CanReplaceFilesIn(Dir() + "missing/"));
    // Not even root may create files in /proc: the answer of a real refusal.
    EXPECT_FALSE(files.CanReplaceFilesIn("/proc/"));
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not bind root (tests/e2e/install.sh covers a user)";
    ::chmod(root.c_str(), 0555);
    EXPECT_FALSE(files.CanReplaceFilesIn(Dir()));
}

TEST_F(ReplaceProbe, MissingDirectoriesAreMadePrivateAndExistingOnesLeftAsTheyAre) {
    ::chmod(root.c_str(), 0755);
    const std::string deep = Dir() + "a/b/pivora/";
    files.CreateDirectories(deep);
    files.CreateDirectories(deep);  // a second time is no failure
    EXPECT_TRUE(fs::is_directory(deep));
    struct stat st {};
    ASSERT_EQ(::stat((Dir() + "a").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    ASSERT_EQ(::stat(root.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
}

TEST_F(ReplaceProbe, AFileWhereADirectoryBelongsIsReported) {
    fs::create_directories(root / "a");
    { std::FILE* f = std::fopen((root / "a/b").c_str(), "w"); std::fclose(f); }
    try {
        files.CreateDirectories(Dir() + "a/b/pivora/");
        ADD_FAILURE() << "made a directory through a file";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("フォルダー [" + Dir() + "a/b] を作成できません。"), std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace pivora
