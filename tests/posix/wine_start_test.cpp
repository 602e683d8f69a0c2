// A registered Windows program starts through the wine found in PATH, in the
// prefix that holds it, with the file named as that prefix names it; and the
// other system answers the launcher needs for it: whether a registered
// command's program is found, and a relative file made full.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/interface/FileSystem.h"
#include "platform/posix/PosixSystem.h"

namespace pivora {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* v = std::getenv(name)) saved_ = v;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (saved_) ::setenv(name_, saved_->c_str(), 1);
        else ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// How the stand-in wine was started.
struct WineRun {
    std::string self, cwd, prefix;
    std::vector<std::string> args;
};

class WineStart : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pivora-wine-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = fs::canonical(pattern).string();
        struct statvfs fsInfo {};
        if (::statvfs(dir_.c_str(), &fsInfo) == 0 && (fsInfo.f_flag & ST_NOEXEC))
            GTEST_SKIP() << dir_ << " is on a file system mounted noexec: no stand-in can run there";
        log_ = dir_ + "/wine.log";
        fs::create_directories(dir_ + "/launcher");
        WriteProgram(dir_ + "/bin/wine",
                     "#!/bin/sh\n"
                     "log='" + log_ + "'\n"
                     "{\n"
                     "    printf '%s\\n' \"$0\"\n"
                     "    pwd -P\n"
                     "    printf '%s\\n' \"${WINEPREFIX-(unset)}\"\n"
                     "    for a in \"$@\"; do printf '%s\\n' \"$a\"; done\n"
                     "} > \"$log.part\" && mv \"$log.part\" \"$log\"\n");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    static void WriteProgram(const std::string& path, const std::string& text, mode_t mode = 0755) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    }
    // A Windows program need not be executable by Linux: Wine reads it.
    static void WriteWindowsProgram(const std::string& path) { WriteProgram(path, std::string("MZ\x90\0\3\0", 6), 0644); }
    // A prefix as Wine makes it: C: to its drive_c, Z: to the root, and a device entry.
    static void MakePrefix(const std::string& prefix) {
        fs::create_directories(prefix + "/drive_c");
        fs::create_directories(prefix + "/dosdevices");
        fs::create_symlink("../drive_c", prefix + "/dosdevices/c:");
        fs::create_symlink("/", prefix + "/dosdevices/z:");
        fs::create_symlink("/dev/null", prefix + "/dosdevices/c::");
    }

    WineRun WaitForRun() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fs::exists(log_)) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the stand-in wine wrote no log within 30 s";
                return {};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream in(log_);
        WineRun run;
        std::getline(in, run.self);
        std::getline(in, run.cwd);
        std::getline(in, run.prefix);
        for (std::string a; std::getline(in, a);) run.args.push_back(a);
        return run;
    }

    PosixSystem sys_{0, nullptr};
    std::string dir_, log_;
    ScopedEnv path_{"PATH", std::nullopt};  // set by each test
};

TEST_F(WineStart, AProgramInAPrefixRunsThroughWineThereWithTheFileByItsWindowsName) {
    const ScopedEnv path("PATH", dir_ + "/bin:/usr/bin:/bin");
    const ScopedEnv prefix("WINEPREFIX", dir_ + "/some other prefix");
    const std::string pfx = dir_ + "/my prefix";
    MakePrefix(pfx);
    const std::string ide = pfx + "/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE";
    WriteWindowsProgram(ide);
    const SpawnResult r = sys_.StartIde(ide, "/home/me/My Proj/Project1.dpr", dir_ + "/launcher/");
    ASSERT_TRUE(r.started) << r.reason;
    EXPECT_EQ(r.executable, ide);
    const WineRun run = WaitForRun();
    EXPECT_EQ(run.self, dir_ + "/bin/wine");
    EXPECT_EQ(run.cwd, dir_ + "/launcher");
    EXPECT_EQ(run.prefix, pfx);
    EXPECT_EQ(run.args, (std::vector<std::string>{ide, R"(Z:\home\me\My Proj\Project1.dpr)"}));
}

TEST_F(WineStart, AFileOnTheCDriveIsNamedOnIt) {
    const ScopedEnv path("PATH", dir_ + "/bin:/usr/bin:/bin");
    const std::string pfx = dir_ + "/pfx";
    MakePrefix(pfx);
    const std::string ide = pfx + "/drive_c/d4/DELPHI32.EXE";
    WriteWindowsProgram(ide);
    ASSERT_TRUE(sys_.StartIde(ide, pfx + "/drive_c/Proj/日本語/P.dpr", dir_ + "/launcher/").started);
    EXPECT_EQ(WaitForRun().args.back(), "C:\\Proj\\日本語\\P.dpr");
}

// Relative to the launcher, like any registered file.
TEST_F(WineStart, ARelativeRegistrationIsFoundUnderTheLauncherAndItsPrefixIsAFullPath) {
    const ScopedEnv path("PATH", dir_ + "/bin:/usr/bin:/bin");
    const std::string pfx = dir_ + "/launcher/pfx";
    MakePrefix(pfx);
    WriteWindowsProgram(pfx + "/drive_c/DELPHI32.EXE");
    ASSERT_TRUE(sys_.StartIde("pfx/drive_c/DELPHI32.EXE", "/P.dpr", dir_ + "/launcher/").started);
    const WineRun run = WaitForRun();
    EXPECT_EQ(run.prefix, pfx);
    EXPECT_EQ(run.args, (std::vector<std::string>{pfx + "/drive_c/DELPHI32.EXE", R"(Z:\P.dpr)"}));
}

// Without Z:, the file is still found where a drive reaches it through a link.
TEST_F(WineStart, WithoutARootDriveALinkedFolderIsNamedThroughTheDriveItLeadsTo) {
    const ScopedEnv path("PATH", dir_ + "/bin:/usr/bin:/bin");
    const std::string pfx = dir_ + "/pfx";
    fs::create_directories(pfx + "/dosdevices");
    fs::create_directories(dir_ + "/projects/p");
    fs::create_symlink(dir_ + "/projects", pfx + "/dosdevices/p:");
    fs::create_symlink(dir_ + "/projects", dir_ + "/linked");
    const std::string ide = pfx + "/drive_c/DELPHI32.EXE";
    WriteWindowsProgram(ide);
    std::ofstream(dir_ + "/projects/p/P.dpr") << "program P;";
    ASSERT_TRUE(sys_.StartIde(ide, dir_ + "/linked/p/P.dpr", dir_ + "/launcher/").started);
    EXPECT_EQ(WaitForRun().args.back(), R"(P:\p\P.dpr)");
}

TEST_F(WineStart, AProgramInNoPrefixRunsInTheEnvironmentsPrefix) {
    const ScopedEnv path("PATH", dir_ + "/bin:/usr/bin:/bin");
    const std::string envPrefix = dir_ + "/env prefix";
    fs::create_directories(envPrefix + "/dosdevices");
    fs::create_symlink(dir_ + "/proj", envPrefix + "/dosdevices/q:");
    const std::string ide = dir_ + "/opt/DELPHI32.EXE";
    WriteWindowsProgram(ide);
    {
        const ScopedEnv prefix("WINEPREFIX", envPrefix);
        ASSERT_TRUE(sys_.StartIde(ide, dir_ + "/proj/P.dpr", dir_ + "/launcher/").started);
        const WineRun run = WaitForRun();
        EXPECT_EQ(run.prefix, envPrefix);
        EXPECT_EQ(run.args, (std::vector<std::string>{ide, R"(Q:\P.dpr)"}));
    }
    fs::remove(log_);
    // Unset, it stays unset: Wine's own default, the home folder's .wine.
    const ScopedEnv prefix("WINEPREFIX", std::nullopt);
    const ScopedEnv home("HOME", dir_ + "/home");
    fs::create_directories(dir_ + "/home/.wine/dosdevices");
    fs::create_symlink(dir_ + "/proj", dir_ + "/home/.wine/dosdevices/h:");
    ASSERT_TRUE(sys_.StartIde(ide, dir_ + "/proj/P.dpr", dir_ + "/launcher/").started);
    const WineRun run = WaitForRun();
    EXPECT_EQ(run.prefix, "(unset)");
    EXPECT_EQ(run.args.back(), R"(H:\P.dpr)");
}

TEST_F(WineStart, AFileNoDriveHoldsIsHandedOverAsItIs) {
    const ScopedEnv path("PATH", dir_ + "/bin:/usr/bin:/bin");
    const std::string pfx = dir_ + "/pfx";
    fs::create_directories(pfx + "/dosdevices");  // every drive removed
    const std::string ide = pfx + "/drive_c/DELPHI32.EXE";
    WriteWindowsProgram(ide);
    ASSERT_TRUE(sys_.StartIde(ide, "/home/me/P.dpr", dir_ + "/launcher/").started);
    EXPECT_EQ(WaitForRun().args.back(), "/home/me/P.dpr");
}

TEST_F(WineStart, WithoutWineInPathTheStartFailsWithAClearReason) {
    const ScopedEnv path("PATH", dir_ + "/empty:" + dir_ + "/launcher");
    const std::string ide = dir_ + "/pfx/drive_c/DELPHI32.EXE";
    WriteWindowsProgram(ide);
    const SpawnResult r = sys_.StartIde(ide, "/P.dpr", dir_ + "/launcher/");
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.executable, ide);
    EXPECT_NE(r.reason.find("Wine"), std::string::npos) << r.reason;
    EXPECT_FALSE(fs::exists(log_));
}

TEST_F(WineStart, ARegisteredCommandIsTheUsersOwnAndLeftAlone) {
    const ScopedEnv path("PATH", dir_ + "/bin:/usr/bin:/bin");
    const ScopedEnv prefix("WINEPREFIX", std::nullopt);
    const std::string pfx = dir_ + "/pfx";
    MakePrefix(pfx);
    const std::string ide = pfx + "/drive_c/DELPHI32.EXE";
    WriteWindowsProgram(ide);
    ASSERT_TRUE(sys_.StartIde("wine \"" + ide + "\"", "/home/me/P.dpr", dir_ + "/launcher/").started);
    const WineRun run = WaitForRun();
    EXPECT_EQ(run.prefix, "(unset)");
    EXPECT_EQ(run.args, (std::vector<std::string>{ide, "/home/me/P.dpr"}));
}

TEST_F(WineStart, AFileThatIsNoWindowsProgramRunsItselfNotThroughWine) {
    const ScopedEnv path("PATH", dir_ + "/bin:/usr/bin:/bin");
    const std::string ide = dir_ + "/pfx/drive_c/delphi32";
    WriteProgram(ide, "#!/bin/sh\necho \"$@\" > '" + dir_ + "/direct.log.part' && mv '" + dir_ + "/direct.log.part' '" +
                          dir_ + "/direct.log'\n");
    ASSERT_TRUE(sys_.StartIde(ide, "/P.dpr", dir_ + "/launcher/").started);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(dir_ + "/direct.log") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(dir_ + "/direct.log"));
    EXPECT_FALSE(fs::exists(log_));
}

TEST_F(WineStart, ACommandIsFoundWhenItsFirstWordIsAProgramInPath) {
    const ScopedEnv path("PATH", dir_ + "/nothing here:" + dir_ + "/bin");
    const std::string launcher = dir_ + "/launcher/";
    EXPECT_TRUE(sys_.CommandFound(R"(wine "C:\Program Files\Borland\Delphi4\Bin\DELPHI32.EXE")", launcher));
    EXPECT_TRUE(sys_.CommandFound("  wine", launcher));
    EXPECT_FALSE(sys_.CommandFound("pivora-no-such-program --x", launcher));
    EXPECT_FALSE(sys_.CommandFound("", launcher));
    EXPECT_FALSE(sys_.CommandFound("   ", launcher));
    // Found only as a program: a file that cannot be executed, or a folder, is none.
    WriteProgram(dir_ + "/bin/notes", "text", 0644);
    fs::create_directories(dir_ + "/bin/folder");
    EXPECT_FALSE(sys_.CommandFound("notes", launcher));
    EXPECT_FALSE(sys_.CommandFound("folder", launcher));
    // Quotes group the first word as they do when it is started.
    WriteProgram(dir_ + "/bin/my ide", "#!/bin/sh\n");
    EXPECT_TRUE(sys_.CommandFound("\"my ide\" -ns", launcher));
    EXPECT_FALSE(sys_.CommandFound("my ide -ns", launcher));
}

TEST_F(WineStart, ACommandNamingItsProgramByAPathIsLookedForFromTheLaunchersDirectory) {
    const ScopedEnv path("PATH", dir_ + "/bin:/usr/bin:/bin");
    WriteProgram(dir_ + "/launcher/tools/run ide", "#!/bin/sh\n");
    EXPECT_TRUE(sys_.CommandFound("'tools/run ide' -x", dir_ + "/launcher/"));
    EXPECT_TRUE(sys_.CommandFound("'" + dir_ + "/launcher/tools/run ide'", dir_ + "/"));
    EXPECT_FALSE(sys_.CommandFound("'tools/run ide' -x", dir_ + "/"));
}

class InDirectory {
public:
    explicit InDirectory(const std::string& dir) { fs::current_path(dir); }
    ~InDirectory() { fs::current_path(saved_); }

private:
    fs::path saved_ = fs::current_path();
};

TEST_F(WineStart, ARelativeFileIsMadeFullFromTheCurrentDirectory) {
    fs::create_directories(dir_ + "/my proj");
    const InDirectory here(dir_ + "/my proj");
    EXPECT_EQ(sys_.AbsolutePath("Project1.dpr"), dir_ + "/my proj/Project1.dpr");
    EXPECT_EQ(sys_.AbsolutePath("./Project1.dpr"), dir_ + "/my proj/Project1.dpr");
    EXPECT_EQ(sys_.AbsolutePath(".//./sub/P.dpr"), dir_ + "/my proj/sub/P.dpr");
    EXPECT_EQ(sys_.AbsolutePath("../other/P.dpr"), dir_ + "/my proj/../other/P.dpr");
    EXPECT_EQ(sys_.AbsolutePath(".hidden.dpr"), dir_ + "/my proj/.hidden.dpr");
}

TEST_F(WineStart, AFullPathIsKeptByteForByte) {
    const InDirectory here(dir_);
    for (const std::string full : {"/home/me//Proj/./P.dpr", "/home/me/Proj/../Proj/P.dpr", "/", ""})
        EXPECT_EQ(sys_.AbsolutePath(full), full);
}

TEST_F(WineStart, ARelativeFileWithoutACurrentDirectoryIsAFailure) {
    fs::create_directories(dir_ + "/gone");
    const InDirectory here(dir_ + "/gone");
    fs::remove(dir_ + "/gone");
    EXPECT_THROW(sys_.AbsolutePath("P.dpr"), FileError);
    EXPECT_EQ(sys_.AbsolutePath("/P.dpr"), "/P.dpr");
}

}  // namespace
}  // namespace pivora
