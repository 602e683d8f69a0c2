// Starting the IDE on Linux, against a stand-in IDE that records how it was
// started; and the rest of the system seam: arguments, the clock, the Ctrl key.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/PosixSystem.h"

namespace pivora {
namespace {

namespace fs = std::filesystem;

// How a stand-in IDE found itself when it ran.
struct Record {
    std::string self;  // the file that ran ($0)
    std::string cwd;
    pid_t pid = 0;
    pid_t session = 0;
    std::vector<std::string> args;
};

// The session id from a /proc/PID/stat line: the fourth field after the
// command name, which is in parentheses and may itself hold blanks.
pid_t SessionOf(const std::string& statLine) {
    std::istringstream rest(statLine.substr(statLine.rfind(')') + 1));
    std::string state;
    long ppid = 0, pgrp = 0, session = 0;
    rest >> state >> ppid >> pgrp >> session;
    return static_cast<pid_t>(session);
}

class EnvironmentVariable {
public:
    explicit EnvironmentVariable(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) saved_ = v;
    }
    ~EnvironmentVariable() {
        if (saved_) ::setenv(name_, saved_->c_str(), 1);
        else ::unsetenv(name_);
    }
    const std::optional<std::string>& Saved() const { return saved_; }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

class StartIdeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pivora-start-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = fs::canonical(pattern).string();
        log_ = dir_ + "/started.log";
        struct statvfs fsInfo {};
        if (::statvfs(dir_.c_str(), &fsInfo) == 0 && (fsInfo.f_flag & ST_NOEXEC))
            GTEST_SKIP() << dir_ << " is on a file system mounted noexec: no stand-in IDE can run there";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // A shell script that writes what it was started with to the log under a
    // temporary name, then renames it: the log's appearance means it is whole.
    void WriteStandIn(const std::string& path, mode_t mode = 0755) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "#!/bin/sh\n"
                               "log='" << log_ << "'\n"
                               "read -r stat < /proc/$$/stat\n"
                               "{\n"
                               "    printf '%s\\n' \"$0\"\n"
                               "    pwd -P\n"
                               "    printf '%s\\n' \"$$\" \"$stat\" \"$#\"\n"
                               "    for a in \"$@\"; do printf '%s\\n' \"$a\"; done\n"
                               "} > \"$log.part\" && mv \"$log.part\" \"$log\"\n";
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    }

    // The stand-in runs detached: wait for its log, generously, then reap it.
    Record WaitForRecord() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        struct stat st {};
        while (::stat(log_.c_str(), &st) != 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the stand-in IDE wrote no log within 30 s";
                return {};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream in(log_);
        Record r;
        std::string pid, stat, argc;
        std::getline(in, r.self);
        std::getline(in, r.cwd);
        std::getline(in, pid);
        std::getline(in, stat);
        std::getline(in, argc);
        r.pid = static_cast<pid_t>(std::stol(pid));
        r.session = SessionOf(stat);
        for (std::string a; std::getline(in, a);) r.args.push_back(a);
        EXPECT_EQ(std::to_string(r.args.size()), argc);
        ::waitpid(r.pid, nullptr, 0);
        return r;
    }

    PosixSystem sys_{0, nullptr};
    std::string dir_;
    std::string log_;
};

TEST_F(StartIdeTest, ARegisteredFileWithBlanksIsRunAsThatFileWithTheProjectAsOneArgument) {
    const std::string ide = dir_ + "/my ides/delphi 4/bin/delphi32";
    WriteStandIn(ide);
    // A command of the same first word would run this instead.
    WriteStandIn(dir_ + "/my");
    const std::string project = "/home/me/My Projects/Project 1.dpr";
    const SpawnResult r = sys_.StartIde(ide, project, dir_ + "/");
    ASSERT_TRUE(r.started) << r.reason;
    EXPECT_EQ(r.executable, ide);
    const Record rec = WaitForRecord();
    EXPECT_EQ(rec.self, ide);
    EXPECT_EQ(rec.args, std::vector<std::string>{project});
}

TEST_F(StartIdeTest, AFileNameWithQuotesAndBackslashesIsTakenAsItIs) {
    const std::string ide = dir_ + R"(/it's "4"\delphi32)";
    WriteStandIn(ide);
    const SpawnResult r = sys_.StartIde(ide, "P.dpr", dir_);
    ASSERT_TRUE(r.started) << r.reason;
    const Record rec = WaitForRecord();
    EXPECT_EQ(rec.self, ide);
    EXPECT_EQ(rec.args, std::vector<std::string>{"P.dpr"});
}

TEST_F(StartIdeTest, ACommandIsSplitItsFirstWordLookedUpInPathAndTheFileAddedLast) {
    WriteStandIn(dir_ + "/bin/pivora-stand-in-ide");
    EnvironmentVariable path("PATH");
    ::setenv("PATH", (dir_ + "/bin:" + path.Saved().value_or("/usr/bin:/bin")).c_str(), 1);
    const std::string project = "/home/me/Proj 1/Project1.dpr";
    const SpawnResult r = sys_.StartIde(
        R"(pivora-stand-in-ide --opt "C:\Program Files\Borland\Delphi 3\Bin\delphi32.exe" 'a  b' $HOME)", project,
        dir_);
    ASSERT_TRUE(r.started) << r.reason;
    EXPECT_EQ(r.executable, "pivora-stand-in-ide");
    const Record rec = WaitForRecord();
    EXPECT_EQ(rec.self, dir_ + "/bin/pivora-stand-in-ide");
    EXPECT_EQ(rec.args, (std::vector<std::string>{"--opt", R"(C:\Program Files\Borland\Delphi 3\Bin\delphi32.exe)",
                                                  "a  b", "$HOME", project}));
}

TEST_F(StartIdeTest, ACommandMayNameItsProgramByAQuotedPath) {
    const std::string ide = dir_ + "/my ides/ide";
    WriteStandIn(ide);
    const SpawnResult r = sys_.StartIde("\"" + ide + "\" -ns", "P.dpr", dir_);
    ASSERT_TRUE(r.started) << r.reason;
    EXPECT_EQ(r.executable, ide);
    const Record rec = WaitForRecord();
    EXPECT_EQ(rec.self, ide);
    EXPECT_EQ(rec.args, (std::vector<std::string>{"-ns", "P.dpr"}));
}

TEST_F(StartIdeTest, TheIdeRunsInTheGivenDirectoryAndTheLauncherStaysInItsOwn) {
    const std::string ide = dir_ + "/ide";
    WriteStandIn(ide);
    const std::string launcherDir = dir_ + "/launcher dir/";
    fs::create_directories(launcherDir);
    const fs::path before = fs::current_path();
    ASSERT_TRUE(sys_.StartIde(ide, "P.dpr", launcherDir).started);
    EXPECT_EQ(WaitForRecord().cwd, dir_ + "/launcher dir");
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(StartIdeTest, WithoutADirectoryTheIdeRunsInTheLaunchersCurrentOne) {
    const std::string ide = dir_ + "/ide";
    WriteStandIn(ide);
    ASSERT_TRUE(sys_.StartIde(ide, "P.dpr", "").started);
    EXPECT_EQ(WaitForRecord().cwd, fs::canonical(fs::current_path()).string());
}

// The launcher may be started from anywhere; a relative registration means the
// same IDE wherever that is.
TEST_F(StartIdeTest, ARelativeRegisteredFileIsTheOneUnderTheLaunchersDirectory) {
    const std::string launcherDir = dir_ + "/launcher/";
    const std::string elsewhere = dir_ + "/elsewhere/";
    WriteStandIn(launcherDir + "my ide/delphi32");
    WriteStandIn(elsewhere + "my ide/other");
    struct InDirectory {
        fs::path saved = fs::current_path();
        explicit InDirectory(const std::string& dir) { fs::current_path(dir); }
        ~InDirectory() { fs::current_path(saved); }
    };
    SpawnResult underLauncher, underCurrent;
    {
        const InDirectory here(elsewhere);
        underLauncher = sys_.StartIde("my ide/delphi32", "P.dpr", launcherDir);
        underCurrent = sys_.StartIde("my ide/other", "P.dpr", launcherDir);
    }
    ASSERT_TRUE(underLauncher.started) << underLauncher.reason;
    const Record rec = WaitForRecord();
    EXPECT_EQ(rec.self, launcherDir + "my ide/delphi32");
    EXPECT_EQ(rec.args, std::vector<std::string>{"P.dpr"});
    EXPECT_FALSE(underCurrent.started) << "started the one under the current directory";
}

TEST_F(StartIdeTest, TheIdeRunsInASessionOfItsOwn) {
    const std::string ide = dir_ + "/ide";
    WriteStandIn(ide);
    ASSERT_TRUE(sys_.StartIde(ide, "P.dpr", dir_).started);
    const Record rec = WaitForRecord();
    ASSERT_GT(rec.pid, 0);
    EXPECT_EQ(rec.session, rec.pid) << "the IDE does not lead a session";
    EXPECT_NE(rec.session, ::getsid(0));
}

TEST_F(StartIdeTest, AProgramThatIsNotThereIsReportedAsNotStarted) {
    EnvironmentVariable path("PATH");
    ::setenv("PATH", (dir_ + ":" + path.Saved().value_or("/usr/bin:/bin")).c_str(), 1);
    const SpawnResult missing = sys_.StartIde("pivora-no-such-ide -x", "P.dpr", dir_);
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.executable, "pivora-no-such-ide");
    EXPECT_FALSE(missing.reason.empty());

    const SpawnResult missingPath = sys_.StartIde(dir_ + "/no such dir/delphi32", "P.dpr", dir_);
    EXPECT_FALSE(missingPath.started);
    EXPECT_FALSE(missingPath.reason.empty());
}

TEST_F(StartIdeTest, AFileThatCannotBeExecutedIsReportedAsNotStarted) {
    // Even root may execute only a file with an execute bit.
    const std::string notExecutable = dir_ + "/ide.sh";
    WriteStandIn(notExecutable, 0644);
    const SpawnResult r = sys_.StartIde(notExecutable, "P.dpr", dir_);
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.executable, notExecutable);
    EXPECT_FALSE(r.reason.empty());

    // Executable, but neither a program nor a script: no shell is tried instead.
    const std::string text = dir_ + "/readme";
    std::ofstream(text) << "echo started > '" << log_ << "'\n";
    ASSERT_EQ(::chmod(text.c_str(), 0755), 0);
    const SpawnResult t = sys_.StartIde(text, "P.dpr", dir_);
    EXPECT_FALSE(t.started);
    EXPECT_FALSE(t.reason.empty());

    // A directory is no program either.
    EXPECT_FALSE(sys_.StartIde(dir_, "P.dpr", dir_).started);
}

TEST_F(StartIdeTest, AWorkingDirectoryThatIsNotThereFailsTheStart) {
    const std::string ide = dir_ + "/ide";
    WriteStandIn(ide);
    const SpawnResult r = sys_.StartIde(ide, "P.dpr", dir_ + "/no such dir/");
    EXPECT_FALSE(r.started);
    EXPECT_FALSE(r.reason.empty());
}

TEST_F(StartIdeTest, ARegistrationOfBlanksOnlyNamesNothingToRun) {
    for (const std::string blank : {"", "   ", "\t"}) {
        const SpawnResult r = sys_.StartIde(blank, "P.dpr", dir_);
        EXPECT_FALSE(r.started);
        EXPECT_EQ(r.reason, "実行するファイルが指定されていません。");
    }
}

TEST(PosixSystem, ArgumentsAreThoseAfterTheProgramNameAsGiven) {
    std::string words[] = {"/opt/pivora/pivora", "/home/me/My Proj/\"P\".dpr", "", "-x"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(), nullptr};
    PosixSystem sys(4, argv);
    EXPECT_EQ(sys.Arguments(), (std::vector<std::string>{"/home/me/My Proj/\"P\".dpr", "", "-x"}));
    EXPECT_TRUE(PosixSystem(1, argv).Arguments().empty());
}

TEST(PosixSystem, NowIsTheLocalTimeOfDay) {
    PosixSystem sys(0, nullptr);
    auto local = [](std::time_t t) {
        std::tm tm {};
        ::localtime_r(&t, &tm);
        return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    };
    const LocalTime before = local(std::time(nullptr));
    const LocalTime now = sys.Now();
    const LocalTime after = local(std::time(nullptr));
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31);
}

TEST(PosixSystem, WithoutAReachableDisplayCtrlIsUp) {
    PosixSystem sys(0, nullptr);
    EnvironmentVariable display("DISPLAY");
    ::unsetenv("DISPLAY");
    EXPECT_FALSE(sys.CtrlDown());
    ::setenv("DISPLAY", ":32767", 1);  // nothing listens there
    EXPECT_FALSE(sys.CtrlDown());
}

}  // namespace
}  // namespace pivora
