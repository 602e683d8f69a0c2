// The Linux file system seam against a real directory: names that differ only
// in case, whole-file replacement, reading, stamps and the history lock, and
// what another user, a crash or a FIFO can do to each.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/Detection.h"
#include "launcher/History.h"
#include "launcher/Settings.h"
#include "platform/posix/PosixFiles.h"

namespace pivora {
namespace {

namespace fs = std::filesystem;

class PosixFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pivora-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = fs::canonical(pattern).string() + "/";
        savedUmask_ = ::umask(022);
    }
    void TearDown() override {
        ::umask(savedUmask_);
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir_, ignored);
    }

    // Made and read with the standard library, not with the code under test.
    void Put(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ + name, std::ios::binary) << bytes;
    }
    std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<std::string> Listing(const std::string& sub = "") {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_ + sub)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static mode_t Mode(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }

    PosixFiles files_;
    std::string dir_;
    mode_t savedUmask_ = 022;
};

using Names = std::vector<std::string>;

// Large contents compared without printing them: on a mismatch, where it is.
::testing::AssertionResult SameBytes(std::string_view got, std::string_view want) {
    if (got == want) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    return ::testing::AssertionFailure() << got.size() << " bytes where " << want.size()
                                         << " were expected; the first difference at byte " << at;
}

// --- Names that differ only in letter case

TEST_F(PosixFilesTest, TheOneNameThatDiffersOnlyInCaseIsFound) {
    Put("Project1.DSK", "");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "project1.dsk"), dir_ + "Project1.DSK");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "PROJECT1.dsk"), dir_ + "Project1.DSK");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "project2.dsk"), std::nullopt);
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "project1.ds"), std::nullopt);
}

TEST_F(PosixFilesTest, TwoNamesThatDifferOnlyInCaseAreAmbiguousAndYieldNothing) {
    Put("unit1.dcu", "");
    Put("UNIT1.DCU", "");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "Unit1.dcu"), std::nullopt);
    EXPECT_EQ(FindExistingFile(files_, dir_ + "Unit1.Dcu"), std::nullopt);
    // Asked for one of the two, it may answer with that one or with nothing, never the other.
    EXPECT_NE(files_.FindCaseVariant(dir_ + "unit1.dcu"), dir_ + "UNIT1.DCU");
    EXPECT_NE(files_.FindCaseVariant(dir_ + "UNIT1.DCU"), dir_ + "unit1.dcu");
}

TEST_F(PosixFilesTest, AnExactMatchWinsOverItsCaseVariants) {
    Put("unit1.dcu", "");
    Put("UNIT1.DCU", "");
    EXPECT_EQ(FindExistingFile(files_, dir_ + "unit1.dcu"), dir_ + "unit1.dcu");
    EXPECT_EQ(FindExistingFile(files_, dir_ + "UNIT1.DCU"), dir_ + "UNIT1.DCU");
    Put("Unit2.DCU", "");
    EXPECT_EQ(FindExistingFile(files_, dir_ + "unit2.dcu"), dir_ + "Unit2.DCU");
}

TEST_F(PosixFilesTest, DirectoriesAndDanglingLinksAreNotCaseVariants) {
    fs::create_directory(dir_ + "Proj.DSK");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "proj.dsk"), std::nullopt);
    // ...nor do they make a file beside them ambiguous.
    Put("PROJ.dsk", "");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "proj.dsk"), dir_ + "PROJ.dsk");
    fs::create_symlink(dir_ + "nowhere", dir_ + "Gone.PAS");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "gone.pas"), std::nullopt);
    // A link to a file is that file.
    fs::create_symlink(dir_ + "PROJ.dsk", dir_ + "Link.PAS");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "link.pas"), dir_ + "Link.PAS");
}

TEST_F(PosixFilesTest, ADirectoryThatIsNotThereOrAPathWithoutANameYieldsNothing) {
    Put("file.txt", "");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "no such dir/x.dsk"), std::nullopt);
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "file.txt/x.dsk"), std::nullopt);
    EXPECT_EQ(files_.FindCaseVariant(dir_), std::nullopt);
    EXPECT_EQ(files_.FindCaseVariant(""), std::nullopt);
}

TEST_F(PosixFilesTest, ARelativeNameIsLookedForInTheCurrentDirectory) {
    fs::create_directory(dir_ + "sub");
    Put("PROJ.DSK", "");
    Put("sub/Unit.PAS", "");
    struct InDirectory {
        fs::path saved = fs::current_path();
        explicit InDirectory(const std::string& dir) { fs::current_path(dir); }
        ~InDirectory() { fs::current_path(saved); }
    };
    std::optional<std::string> bare, nested;
    {
        const InDirectory here(dir_);
        bare = files_.FindCaseVariant("proj.dsk");
        nested = files_.FindCaseVariant("sub/unit.pas");
    }
    EXPECT_EQ(bare, "PROJ.DSK");
    EXPECT_EQ(nested, "sub/Unit.PAS");
}

TEST_F(PosixFilesTest, NonAsciiNamesMatchByteForByteAroundTheirAsciiLetters) {
    Put("表示Unit.PAS", "");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "表示unit.pas"), dir_ + "表示Unit.PAS");
    Put("\xC4rger.PAS", "");  // Latin-1, not UTF-8: names are bytes
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "\xC4RGER.pas"), dir_ + "\xC4rger.PAS");
    // ぁ (E3 81 81) and ち (E3 81 A1) differ in one bit of a trail byte, the bit
    // that tells an ASCII capital from its small letter; they are not one name.
    Put("\xE3\x81\x81.pas", "");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "\xE3\x81\xA1.pas"), std::nullopt);
    Put("漢.pas", "");
    Put("漢.PAS", "");
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "漢.Pas"), std::nullopt);
}

// --- Replacing whole files

TEST_F(PosixFilesTest, WritesTheBytesAndReplacesThemLeavingNoTemporaryFile) {
    const std::string path = dir_ + "pivora.ini";
    const std::string binary("a\r\nb\0c\xFF", 7);
    files_.WriteFileAtomic(path, binary);
    EXPECT_EQ(Get(path), binary);
    std::string big(3 * 65536 + 17, 'x');
    for (std::size_t i = 0; i < big.size(); i += 4099) big[i] = static_cast<char>('a' + i % 26);
    files_.WriteFileAtomic(path, big);
    EXPECT_TRUE(SameBytes(Get(path), big));
    files_.WriteFileAtomic(path, "");
    EXPECT_EQ(Get(path), "");
    EXPECT_EQ(Listing(), Names{"pivora.ini"});
}

TEST_F(PosixFilesTest, AReaderOfTheOldFileKeepsSeeingItWhole) {
    const std::string path = dir_ + "pivora.dat";
    Put("pivora.dat", "2026/12/07 09:05:33 - 04 /home/me/P.dpr\n");
    const int reader = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    files_.WriteFileAtomic(path, "new");
    char buffer[128];
    const ssize_t n = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0),
              "2026/12/07 09:05:33 - 04 /home/me/P.dpr\n");
    EXPECT_EQ(Get(path), "new");
}

TEST_F(PosixFilesTest, AReplacedFileKeepsItsPermissionBits) {
    const std::string path = dir_ + "pivora.ini";
    for (const mode_t mode : {0600, 0640, 0755, 0400}) {
        Put("pivora.ini", "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        files_.WriteFileAtomic(path, "new");
        EXPECT_EQ(Mode(path), mode) << std::oct << "was 0" << mode << ", now 0" << Mode(path);
        EXPECT_EQ(Get(path), "new");
    }
}

TEST_F(PosixFilesTest, AReplacedFileKeepsEvenTheBitsTheUmaskWouldClear) {
    // A settings file shared by a group, rewritten by a user whose umask is 022.
    const std::string path = dir_ + "pivora.ini";
    for (const mode_t mode : {0664, 0666}) {
        Put("pivora.ini", "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        files_.WriteFileAtomic(path, "new");
        EXPECT_EQ(Mode(path), mode) << std::oct << "was 0" << mode << ", now 0" << Mode(path);
    }
}

TEST_F(PosixFilesTest, ANewFileGetsWhatTheUmaskAllows) {
    ::umask(077);
    files_.WriteFileAtomic(dir_ + "private.ini", "x");
    EXPECT_EQ(Mode(dir_ + "private.ini"), 0600u);
    ::umask(022);
    files_.WriteFileAtomic(dir_ + "shared.ini", "x");
    EXPECT_EQ(Mode(dir_ + "shared.ini"), 0644u);
    // A group that shares its files: 0666 less the umask, not a fixed 0644.
    ::umask(002);
    files_.WriteFileAtomic(dir_ + "group.ini", "x");
    EXPECT_EQ(Mode(dir_ + "group.ini"), 0664u);
}

// Permission bits stop no write of root's: these fail for everyone.
TEST_F(PosixFilesTest, AFileThatCannotBeCreatedIsReportedWithItsNameAndReason) {
    Put("file.txt", "keep");
    for (const std::string& path : {dir_ + "file.txt/pivora.ini", dir_ + "no such dir/pivora.ini"}) {
        try {
            files_.WriteFileAtomic(path, "x");
            ADD_FAILURE() << "wrote " << path;
        } catch (const FileError& e) {
            const std::string head = "ファイル [" + path + "] に書き込めません。\n";
            const std::string what = e.what();
            EXPECT_EQ(what.rfind(head, 0), 0u) << what;
            EXPECT_GT(what.size(), head.size()) << "no reason given";
        }
    }
    EXPECT_EQ(Listing(), Names{"file.txt"});
    EXPECT_EQ(Get(dir_ + "file.txt"), "keep");
}

TEST_F(PosixFilesTest, ADirectoryInPlaceOfTheFileIsRefusedAndLeavesNothingBehind) {
    fs::create_directory(dir_ + "pivora.ini");
    Put("pivora.ini/inside", "keep");
    try {
        files_.WriteFileAtomic(dir_ + "pivora.ini", "x");
        ADD_FAILURE() << "wrote over a directory";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル [" + dir_ + "pivora.ini] はファイルではありません。");
    }
    EXPECT_EQ(Listing(), Names{"pivora.ini"});
    EXPECT_EQ(Get(dir_ + "pivora.ini/inside"), "keep");
}

TEST_F(PosixFilesTest, AWriteThatFailsHalfWayKeepsTheOldFileAndRemovesTheTemporaryOne) {
    const std::string path = dir_ + "pivora.dat";
    Put("pivora.dat", "old history\n");
    // A file size limit makes the write fail part way, whoever runs the test.
    // The limit would bind the whole test program: write from a child.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
        try {
            files_.WriteFileAtomic(path, std::string(100000, 'n'));
        } catch (const FileError&) {
            ::_exit(0);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the write succeeded, 2: it threw something else, 3: no limit";
    EXPECT_EQ(Get(path), "old history\n");
    EXPECT_EQ(Listing(), Names{"pivora.dat"});
}

// --- Reading

TEST_F(PosixFilesTest, ReadsWholeFilesPrefixesAndLargeFilesMapped) {
    Put("small", "0123456789");
    EXPECT_EQ(files_.ReadFile(dir_ + "small"), "0123456789");
    EXPECT_EQ(files_.ReadPrefix(dir_ + "small", 4), "0123");
    EXPECT_EQ(files_.ReadPrefix(dir_ + "small", 100), "0123456789");
    EXPECT_EQ(files_.ReadPrefix(dir_ + "small", 0), "");
    EXPECT_EQ(files_.ReadBytes(dir_ + "small")->View(), "0123456789");
    Put("empty", "");
    EXPECT_EQ(files_.ReadFile(dir_ + "empty"), "");
    EXPECT_EQ(files_.ReadBytes(dir_ + "empty")->View(), "");
    // A history of a few megabytes, read at every start.
    std::string big((3 << 20) + 7, '\n');
    for (std::size_t i = 0; i < big.size(); i += 61) big[i] = static_cast<char>('0' + i % 10);
    Put("big", big);
    EXPECT_TRUE(SameBytes(files_.ReadFile(dir_ + "big"), big));
    EXPECT_TRUE(SameBytes(files_.ReadBytes(dir_ + "big")->View(), big));
    EXPECT_TRUE(SameBytes(files_.ReadPrefix(dir_ + "big", 70000), std::string_view(big).substr(0, 70000)));
}

TEST_F(PosixFilesTest, AFileThatTellsNoSizeIsReadToItsEnd) {
    const std::string status = files_.ReadFile("/proc/self/status");
    EXPECT_EQ(status.rfind("Name:", 0), 0u);
    EXPECT_NE(status.find("nonvoluntary_ctxt_switches:"), std::string::npos) << "read only part of it";
    EXPECT_EQ(files_.ReadPrefix("/proc/self/status", 5), "Name:");
}

TEST_F(PosixFilesTest, OnlyARegularFileOrALinkToOneIsAFile) {
    fs::create_directory(dir_ + "sub.dpr");
    Put("real.dpr", "x");
    fs::create_symlink(dir_ + "real.dpr", dir_ + "link.dpr");
    fs::create_symlink(dir_ + "gone.dpr", dir_ + "dangling.dpr");
    EXPECT_FALSE(files_.FileExists(dir_ + "sub.dpr"));
    EXPECT_TRUE(files_.FileExists(dir_ + "real.dpr"));
    EXPECT_TRUE(files_.FileExists(dir_ + "link.dpr"));
    EXPECT_FALSE(files_.FileExists(dir_ + "dangling.dpr"));
    EXPECT_FALSE(files_.FileExists(dir_ + "missing.dpr"));
    EXPECT_THROW(files_.ReadFile(dir_ + "sub.dpr"), FileError);
    EXPECT_THROW(files_.ReadBytes(dir_ + "sub.dpr"), FileError);
    EXPECT_EQ(files_.Stamp(dir_ + "sub.dpr"), "");
}

TEST_F(PosixFilesTest, AFileThatCannotBeReadIsReportedWithItsNameAndReason) {
    const std::string missing = dir_ + "missing.dsk";
    try {
        files_.ReadFile(missing);
        ADD_FAILURE() << "a missing file was read";
    } catch (const FileError& e) {
        const std::string head = "ファイル [" + missing + "] を開けません。\n";
        const std::string what = e.what();
        EXPECT_EQ(what.rfind(head, 0), 0u) << what;
        EXPECT_GT(what.size(), head.size()) << "no reason given";
    }
    EXPECT_THROW(files_.ReadPrefix(missing, 4), FileError);
    EXPECT_THROW(files_.ReadBytes(missing), FileError);
}

// --- Stamps

TEST_F(PosixFilesTest, TheStampChangesWhenTheFileIsReplacedOrTouchedAndOnlyThen) {
    const std::string path = dir_ + "pivora.dat";
    EXPECT_EQ(files_.Stamp(path), "");
    files_.WriteFileAtomic(path, "one");
    const std::string first = files_.Stamp(path);
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(files_.Stamp(path), first);
    (void)files_.ReadFile(path);
    EXPECT_EQ(files_.Stamp(path), first) << "reading changed the stamp";
    files_.WriteFileAtomic(path, "two");  // the same size, perhaps within one tick
    const std::string second = files_.Stamp(path);
    EXPECT_NE(second, first);
    // The same inode and size, another modification time: rewritten in place.
    const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_NE(files_.Stamp(path), second);
    ::unlink(path.c_str());
    EXPECT_EQ(files_.Stamp(path), "");
}

// --- The history lock

bool SomeoneElseCouldLock(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    const bool got = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return got;
}

TEST_F(PosixFilesTest, TheLockExcludesOthersUntilReleased) {
    const std::string lockPath = dir_ + "pivora.dat.lock";
    {
        const auto lock = files_.LockExclusive(lockPath);
        ASSERT_NE(lock, nullptr);
        EXPECT_TRUE(files_.FileExists(lockPath));
        EXPECT_FALSE(SomeoneElseCouldLock(lockPath));
    }
    ASSERT_TRUE(SomeoneElseCouldLock(lockPath)) << "the lock outlived its holder";
    const auto again = files_.LockExclusive(lockPath);  // taken again at once
    EXPECT_FALSE(SomeoneElseCouldLock(lockPath));
}

// An IDE started while the lock is held must not inherit it, or every later
// launch would wait for the IDE to close.
TEST_F(PosixFilesTest, TheLockIsNotPassedOnToStartedPrograms) {
    const std::string lockPath = dir_ + "pivora.dat.lock";
    const auto lock = files_.LockExclusive(lockPath);
    int found = 0;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (fs::read_symlink(e.path(), ec) != lockPath) continue;
        ++found;
        const int flags = ::fcntl(std::stoi(e.path().filename().string()), F_GETFD);
        EXPECT_TRUE(flags >= 0 && (flags & FD_CLOEXEC)) << "descriptor " << e.path().filename();
    }
    EXPECT_EQ(found, 1);
}

TEST_F(PosixFilesTest, ALockInADirectoryThatIsNotThereIsReported) {
    const std::string lockPath = dir_ + "no such dir/pivora.dat.lock";
    try {
        files_.LockExclusive(lockPath);
        ADD_FAILURE() << "locked " << lockPath;
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("ファイル [" + lockPath + "] を開けません。\n", 0), 0u) << e.what();
    }
}

// --- Another user, a crash, a FIFO

bool IsLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Sets the modification time `seconds` back from now; a link itself, not its target.
void Age(const std::string& path, int seconds) {
    const timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

bool Root() { return ::geteuid() == 0; }
constexpr uid_t kOtherUser = 54321;  // no account needed: only the number is compared

// Runs `body` in a child process that an alarm ends, so a call that blocks (a
// FIFO opened for reading) fails the test instead of hanging it. The answer
// is the text `body` returns, or what it threw.
std::string InChild(const std::function<std::string()>& body) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child < 0) return "no fork";
    if (child == 0) {
        ::alarm(60);
        std::string answer;
        try {
            answer = body();
        } catch (const std::exception& e) {
            answer = std::string("threw: ") + e.what();
        }
        for (std::size_t done = 0; done < answer.size();) {
            const ssize_t n = ::write(out[1], answer.data() + done, answer.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(out[1]);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) != 0;)
        if (n > 0) answer.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR) break;
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return "ended by signal " + std::to_string(WTERMSIG(status)) + ": it blocked";
    return answer;
}

std::string WhatItThrows(const std::function<void()>& call) {
    try {
        call();
    } catch (const FileError& e) {
        return e.what();
    }
    return "no FileError";
}

// Temporary files at names that could be guessed: the old `<name>.tmp<PID>`,
// and the bare suffix. Links planted there by another user must never be
// written through.
TEST_F(PosixFilesTest, ASaveNeverWritesThroughALinkPlantedAtATemporaryName) {
    Put("victim", "precious");
    fs::create_directory(dir_ + "elsewhere");
    const std::string pid = std::to_string(::getpid());
    const Names planted{"pivora.dat.tmp" + pid, "pivora.dat.tmp", "pivora.dat.tmp0"};
    for (const std::string& name : planted) fs::create_symlink(dir_ + "victim", dir_ + name);
    fs::create_symlink(dir_ + "elsewhere/created", dir_ + "pivora.ini.tmp" + pid);  // leads nowhere yet
    files_.WriteFileAtomic(dir_ + "pivora.dat", "history");
    files_.WriteFileAtomic(dir_ + "pivora.dat", "history, again");
    files_.WriteFileAtomic(dir_ + "pivora.ini", "settings");
    EXPECT_EQ(Get(dir_ + "pivora.dat"), "history, again");
    EXPECT_EQ(Get(dir_ + "pivora.ini"), "settings");
    EXPECT_EQ(Get(dir_ + "victim"), "precious");
    EXPECT_TRUE(Listing("elsewhere").empty()) << "a file was created through a dangling link";
    for (const std::string& name : planted) EXPECT_TRUE(IsLink(dir_ + name)) << name;
    EXPECT_EQ(Listing().size(), 8u) << "a temporary file was left";
}

// A user who keeps the settings elsewhere links them into the launcher's
// directory: the file the link leads to is replaced whole, the link stays.
TEST_F(PosixFilesTest, ALinkOfTheUsersOwnIsWrittenThroughToItsTarget) {
    fs::create_directory(dir_ + "real");
    fs::create_directory(dir_ + "launcher");
    Put("real/pivora.ini", "old settings");
    ASSERT_EQ(::chmod((dir_ + "real/pivora.ini").c_str(), 0640), 0);
    fs::create_symlink("../real/pivora.ini", dir_ + "launcher/pivora.ini");  // relative
    // A link to a link: the chain is followed to its end.
    fs::create_symlink(dir_ + "launcher/pivora.ini", dir_ + "launcher/pivora.dat");
    const int reader = ::open((dir_ + "real/pivora.ini").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    files_.WriteFileAtomic(dir_ + "launcher/pivora.ini", "new settings");
    // Replaced by a rename beside the target, not rewritten in place.
    char buffer[64];
    const ssize_t n = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0), "old settings");
    EXPECT_EQ(Get(dir_ + "real/pivora.ini"), "new settings");
    EXPECT_EQ(Mode(dir_ + "real/pivora.ini"), 0640u);
    EXPECT_TRUE(IsLink(dir_ + "launcher/pivora.ini"));
    files_.WriteFileAtomic(dir_ + "launcher/pivora.dat", "through two links");
    EXPECT_EQ(Get(dir_ + "real/pivora.ini"), "through two links");
    EXPECT_TRUE(IsLink(dir_ + "launcher/pivora.dat"));
    // A link to a file not made yet makes it.
    fs::create_symlink(dir_ + "real/new.dat", dir_ + "launcher/new.dat");
    files_.WriteFileAtomic(dir_ + "launcher/new.dat", "first");
    EXPECT_EQ(Get(dir_ + "real/new.dat"), "first");
    EXPECT_EQ(Listing("real"), (Names{"new.dat", "pivora.ini"}));
    EXPECT_EQ(Listing("launcher"), (Names{"new.dat", "pivora.dat", "pivora.ini"}));
}

TEST_F(PosixFilesTest, ALinkOfAnotherUserIsRefusedAndNothingIsWritten) {
    if (!Root()) GTEST_SKIP() << "only root can give a link another owner";
    fs::create_directory(dir_ + "shared");
    fs::create_directory(dir_ + "home");
    Put("home/notes", "precious");
    const std::string link = dir_ + "shared/pivora.dat";
    fs::create_symlink(dir_ + "home/notes", link);
    ASSERT_EQ(::lchown(link.c_str(), kOtherUser, kOtherUser), 0);
    const std::string refused = "ファイル [" + link + "] は他のユーザーのシンボリックリンクです。書き込みません。";
    EXPECT_EQ(WhatItThrows([&] { files_.WriteFileAtomic(link, "history"); }), refused);
    EXPECT_EQ(Get(dir_ + "home/notes"), "precious");
    EXPECT_TRUE(IsLink(link));
    EXPECT_EQ(Listing("shared"), Names{"pivora.dat"});
    EXPECT_EQ(Listing("home"), Names{"notes"});
    // A link to nothing yet is refused the same, and nothing is made.
    const std::string dangling = dir_ + "shared/pivora.ini";
    fs::create_symlink(dir_ + "home/made", dangling);
    ASSERT_EQ(::lchown(dangling.c_str(), kOtherUser, kOtherUser), 0);
    EXPECT_NE(WhatItThrows([&] { files_.WriteFileAtomic(dangling, "x"); }).find("他のユーザーのシンボリックリンク"),
              std::string::npos);
    EXPECT_EQ(Listing("home"), Names{"notes"});
    // The user's own link to that other user's link: the chain stops there, and it is named.
    const std::string mine = dir_ + "mine.dat";
    fs::create_symlink(link, mine);
    EXPECT_EQ(WhatItThrows([&] { files_.WriteFileAtomic(mine, "x"); }), refused);
    EXPECT_EQ(Get(dir_ + "home/notes"), "precious");
}

// As the kernel's protected_symlinks has it: the owner of a directory may
// link within it, whoever follows.
TEST_F(PosixFilesTest, ALinkOfTheDirectorysOwnerIsWrittenThrough) {
    if (!Root()) GTEST_SKIP() << "only root can give a link and a directory another owner";
    fs::create_directory(dir_ + "theirs");
    Put("target", "old");
    const std::string link = dir_ + "theirs/pivora.dat";
    fs::create_symlink(dir_ + "target", link);
    ASSERT_EQ(::chown((dir_ + "theirs").c_str(), kOtherUser, kOtherUser), 0);
    ASSERT_EQ(::lchown(link.c_str(), kOtherUser, kOtherUser), 0);
    files_.WriteFileAtomic(link, "new");
    EXPECT_EQ(Get(dir_ + "target"), "new");
    EXPECT_TRUE(IsLink(link));
}

TEST_F(PosixFilesTest, StaleTemporaryFilesOfTheSavedFileAreRemovedAndLiveOnesKept) {
    // Left by killed saves: the old naming and the new one, a minute and more ago.
    for (const char* name : {"pivora.dat.tmp4242", "pivora.dat.tmpq7X0aZ91bQcD", "pivora.dat.tmp"}) {
        Put(name, std::string(4096, 'h'));
        Age(dir_ + name, 120);
    }
    // Another launcher's save in progress, a temporary file of another file,
    // and things of that name that are no file of a save.
    Put("pivora.dat.tmp5151", "being written");
    Put("pivora.ini.tmp4242", "settings save");
    Age(dir_ + "pivora.ini.tmp4242", 120);
    Put("victim", "precious");
    fs::create_symlink(dir_ + "victim", dir_ + "pivora.dat.tmpLink");
    Age(dir_ + "pivora.dat.tmpLink", 120);
    fs::create_directory(dir_ + "pivora.dat.tmpDir");
    Put("pivora.dat.tmpDir/inside", "kept");
    Age(dir_ + "pivora.dat.tmpDir", 120);
    Names kept{"pivora.dat",       "pivora.dat.tmp5151", "pivora.dat.tmpDir",
               "pivora.dat.tmpLink", "pivora.ini.tmp4242", "victim"};
    if (Root()) {
        // Another user's, in a directory they share.
        Put("pivora.dat.tmp777", "theirs");
        ASSERT_EQ(::chown((dir_ + "pivora.dat.tmp777").c_str(), kOtherUser, kOtherUser), 0);
        Age(dir_ + "pivora.dat.tmp777", 120);
        kept.push_back("pivora.dat.tmp777");
        std::sort(kept.begin(), kept.end());
    }
    files_.WriteFileAtomic(dir_ + "pivora.dat", "history");
    EXPECT_EQ(Listing(), kept);
    EXPECT_EQ(Get(dir_ + "victim"), "precious");
    EXPECT_EQ(Get(dir_ + "pivora.dat"), "history");
}

// A directory, a FIFO or a device where the settings or the history belong is
// reported by name, and a FIFO is never opened for reading: that would wait
// for a writer for ever.
TEST_F(PosixFilesTest, SomethingThatIsNoFileIsToldApartFromAFileAndFromNothing) {
    fs::create_directory(dir_ + "dir");
    ASSERT_EQ(::mkfifo((dir_ + "fifo").c_str(), 0644), 0);
    Put("file", "x");
    fs::create_symlink(dir_ + "dir", dir_ + "link-to-dir");
    fs::create_symlink(dir_ + "file", dir_ + "link-to-file");
    fs::create_symlink(dir_ + "gone", dir_ + "dangling");
    for (const std::string name : {"dir", "fifo", "link-to-dir"}) EXPECT_TRUE(files_.NonFileAt(dir_ + name)) << name;
    EXPECT_TRUE(files_.NonFileAt("/dev/null"));
    for (const std::string name : {"file", "link-to-file", "dangling", "missing"})
        EXPECT_FALSE(files_.NonFileAt(dir_ + name)) << name;
}

TEST_F(PosixFilesTest, AFifoIsNeverOpenedForReadingNorReplaced) {
    const std::string fifo = dir_ + "pivora.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string notAFile = "ファイル [" + fifo + "] はファイルではありません。";
    EXPECT_EQ(InChild([&] { return WhatItThrows([&] { files_.ReadFile(fifo); }); }), notAFile);
    EXPECT_EQ(InChild([&] { return WhatItThrows([&] { files_.ReadPrefix(fifo, 4); }); }), notAFile);
    EXPECT_EQ(InChild([&] { return WhatItThrows([&] { files_.ReadBytes(fifo); }); }), notAFile);
    EXPECT_EQ(WhatItThrows([&] { files_.WriteFileAtomic(fifo, "x"); }), notAFile);
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO was replaced";
    EXPECT_EQ(Listing(), Names{"pivora.ini"});
}

TEST_F(PosixFilesTest, SettingsOrAHistoryThatIsNoFileIsReportedNotReadAsDefaults) {
    for (const bool fifo : {true, false}) {
        SCOPED_TRACE(fifo ? "a FIFO" : "a directory");
        const std::string ini = dir_ + "pivora.ini", dat = dir_ + "pivora.dat";
        for (const std::string& path : {ini, dat}) {
            fs::remove_all(path);
            ASSERT_EQ(fifo ? ::mkfifo(path.c_str(), 0644) : ::mkdir(path.c_str(), 0755), 0);
        }
        EXPECT_EQ(InChild([&] { return WhatItThrows([&] { LoadSettings(files_, ini); }); }),
                  "ファイル [" + ini + "] はファイルではありません。");
        EXPECT_EQ(InChild([&] {
                      THistoryList history(files_, dat, [](std::string_view a, std::string_view b) { return a.compare(b); }, 10);
                      return WhatItThrows([&] { history.LoadHistory(); });
                  }),
                  "ファイル [" + dat + "] はファイルではありません。");
    }
}

// Another process that holds a lock until it is told to let go (or this one ends).
class LockHolder {
public:
    explicit LockHolder(const std::string& path) {
        int ready[2], release[2];
        if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(release[1]);
            const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
            if (::write(ready[1], "l", 1) != 1) ::_exit(1);
            char c;
            while (::read(release[0], &c, 1) < 0 && errno == EINTR) {
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char c;
        held_ = pid_ > 0 && ::read(ready[0], &c, 1) == 1;
        ::close(ready[0]);
    }
    ~LockHolder() {
        LetGo();
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    bool Held() const { return held_; }
    void LetGo() {
        if (release_ >= 0) ::close(release_);
        release_ = -1;
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

// The attempts run in a child that an alarm ends: a wait without an end
// fails the test instead of hanging it.
TEST_F(PosixFilesTest, ALockHeldElsewhereEndsTheWaitWithAReportNotAHang) {
    const std::string lockPath = dir_ + "pivora.dat.lock";
    LockHolder other(lockPath);
    ASSERT_TRUE(other.Held());
    PosixFiles impatient(std::chrono::milliseconds(50));
    EXPECT_EQ(InChild([&] {
                  try {
                      impatient.LockExclusive(lockPath);
                  } catch (const FileInUse& e) {
                      return std::string(e.what());
                  }
                  return std::string("locked what another process holds");
              }),
              "ファイル [" + lockPath + "] は他のプログラムが使用中です。");
    // Through the history: the file the user knows is named, and nothing is lost.
    const std::string dat = dir_ + "pivora.dat";
    Put("pivora.dat", "2026/01/02 03:04:01 - 04 /p/a\r\n");
    EXPECT_EQ(InChild([&] {
                  THistoryList history(impatient, dat, [](std::string_view a, std::string_view b) { return a.compare(b); }, 10);
                  history.LoadHistory();
                  return WhatItThrows([&] { history.AddHistory("/p/b", 3, {2026, 1, 2, 3, 4, 5}); });
              }),
              "履歴ファイル [" + dat + "] は他のプログラムが使用中です。\nしばらくしてからやり直して下さい。");
    EXPECT_EQ(Get(dat), "2026/01/02 03:04:01 - 04 /p/a\r\n");
    EXPECT_EQ(Listing(), (Names{"pivora.dat", "pivora.dat.lock"}));
    // Let go, the lock is taken: at once or after some waiting, either is right.
    other.LetGo();
    PosixFiles patient(std::chrono::seconds(30));
    EXPECT_EQ(InChild([&] { return std::string(patient.LockExclusive(lockPath) ? "locked" : "no lock"); }), "locked");
}

TEST_F(PosixFilesTest, TheLockIsNeverTakenThroughALink) {
    fs::create_directory(dir_ + "elsewhere");
    Put("victim", "precious");
    fs::create_symlink(dir_ + "elsewhere/made", dir_ + "pivora.dat.lock");
    fs::create_symlink(dir_ + "victim", dir_ + "pivora.ini.lock");
    for (const std::string name : {"pivora.dat.lock", "pivora.ini.lock"}) {
        const std::string what = WhatItThrows([&] { files_.LockExclusive(dir_ + name); });
        EXPECT_EQ(what.rfind("ファイル [" + dir_ + name + "] を開けません。\n", 0), 0u) << what;
    }
    EXPECT_TRUE(Listing("elsewhere").empty());
    EXPECT_EQ(Get(dir_ + "victim"), "precious");
}

// The lock file is the launcher's own device: a failure to take it names the
// history file, the one the user knows.
TEST_F(PosixFilesTest, ALockThatCannotBeTakenIsReportedAsTheHistoryFile) {
    const std::string dat = dir_ + "pivora.dat";
    fs::create_directory(dir_ + "pivora.dat.lock");
    THistoryList history(files_, dat, [](std::string_view a, std::string_view b) { return a.compare(b); }, 10);
    history.LoadHistory();
    const std::string what = WhatItThrows([&] { history.AddHistory("/p/b", 3, {2026, 1, 2, 3, 4, 5}); });
    EXPECT_EQ(what.rfind("ファイル [" + dat + "] に書き込めません。\n", 0), 0u) << what;
    EXPECT_EQ(what.find(".lock"), std::string::npos) << what;
    EXPECT_NE(what.find(std::strerror(EISDIR)), std::string::npos) << "the reason is lost: " << what;
    EXPECT_FALSE(fs::exists(dat));
}

}  // namespace
}  // namespace pivora
