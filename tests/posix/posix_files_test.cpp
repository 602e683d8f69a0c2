// The Linux file system seam against a real directory: names that differ only
// in case, whole-file replacement, reading, stamps and the history lock.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/Detection.h"
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

TEST_F(PosixFilesTest, AFailedRenameRemovesTheTemporaryFile) {
    // The temporary file is written; only the rename onto a directory fails.
    fs::create_directory(dir_ + "pivora.ini");
    Put("pivora.ini/inside", "keep");
    EXPECT_THROW(files_.WriteFileAtomic(dir_ + "pivora.ini", "x"), FileError);
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

}  // namespace
}  // namespace pivora
