// The Windows side of the platform against the real system (under Wine in the
// build): file-name order, double-byte paths, text conversions, files, locks
// and the failures of starting a process.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/formats/FileNames.h"
#include "platform/win32/Win32FileNameCompare.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Text.h"
#include "win32/TestDirectory.h"

namespace pivora {
namespace {

constexpr UINT kShiftJis = 932;
const LCID kJapanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);
const LCID kEnglish = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

int Sjis(const std::string& a, const std::string& b) { return CompareFileNamesIn(kShiftJis, kJapanese, a, b); }
int Latin(const std::string& a, const std::string& b) { return CompareFileNamesIn(1252, kEnglish, a, b); }

TEST(FileNameOrder, LetterCaseMakesNoDifference) {
    EXPECT_EQ(Latin("C:\\Proj\\P.DPR", "c:\\proj\\p.dpr"), 0);
    EXPECT_EQ(Sjis("C:\\Proj\\P.DPR", "c:\\proj\\p.dpr"), 0);
    EXPECT_LT(Latin("a.dpr", "B.dpr"), 0);
    EXPECT_GT(Latin("b.dpr", "A.dpr"), 0);
    EXPECT_NE(Latin("a.dpr", "a.dpk"), 0);
    EXPECT_LT(Latin("a", "ab"), 0);
}

TEST(FileNameOrder, NonAsciiLettersFoldTheirCaseToo) {
    // É and é in code page 1252: one file on the system's file systems.
    EXPECT_EQ(Latin("C:\\\xC9t\xE9.dpr", "c:\\\xE9T\xC9.DPR"), 0);
}

TEST(FileNameOrder, TrailBytesThatLookLikeLettersAreNotFolded) {
    // ア = 83 41 and ヂ = 83 61: byte-wise, without regard to case, these are
    // "\x83A" and "\x83a", and would be taken for one name.
    EXPECT_NE(Sjis("C:\\\x83\x41.dpr", "C:\\\x83\x61.dpr"), 0);
    EXPECT_EQ(Sjis("C:\\\x83\x41.DPR", "c:\\\x83\x41.dpr"), 0);
    // 表 (95 5C) and ソ (83 5C) end in a backslash byte, and are still names.
    EXPECT_NE(Sjis("\x95\x5C", "\x83\x5C"), 0);
}

TEST(FileNameOrder, FullAndHalfWidthOrHiraganaAndKatakanaAreDifferentNames) {
    EXPECT_NE(Sjis("\x82\x60.dpr", "A.dpr"), 0);          // Ａ and A
    EXPECT_NE(Sjis("\x82\xA0.dpr", "\x83\x41.dpr"), 0);   // あ and ア
    EXPECT_NE(Sjis("\xB1.dpr", "\x83\x41.dpr"), 0);       // ｱ and ア
}

TEST(FileNameOrder, IsATotalOrderOnAMixOfNames) {
    std::vector<std::string> names = {"a.dpr", "A.DPR", "b.dpr", "\x95\x5C.dpr", "\x83\x5C.dpr", "\x94\x5C.dpr",
                                      "\x83\x41.dpr", "\x83\x61.dpr", "a-b.dpr", "ab.dpr", "a b.dpr", "",
                                      "\x82\x60.dpr", "A", "a_b.dpr", "C:\\x\\y.pas", "c:\\X\\Y.PAS", "z"};
    for (const auto& a : names) {
        EXPECT_EQ(Sjis(a, a), 0);
        for (const auto& b : names) {
            EXPECT_EQ(Sjis(a, b), -Sjis(b, a)) << a << " / " << b;
            for (const auto& c : names) {
                if (Sjis(a, b) <= 0 && Sjis(b, c) <= 0) {
                    EXPECT_LE(Sjis(a, c), 0) << a << " / " << b << " / " << c;
                }
            }
        }
    }
    // Sorting with it then leaves every name findable by bisection.
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return Sjis(a, b) < 0; });
    for (const auto& n : names) {
        auto it = std::lower_bound(names.begin(), names.end(), n, [](const auto& a, const auto& b) { return Sjis(a, b) < 0; });
        ASSERT_NE(it, names.end());
        EXPECT_EQ(Sjis(*it, n), 0) << n;
    }
}

TEST(FileNameOrder, TheSystemsComparisonUsesTheAnsiCodePage) {
    // What the history uses: the bytes read in the code page the A functions read them in.
    EXPECT_EQ(CompareFileNamesWindows("X.DPR", "x.dpr"), 0);
    EXPECT_EQ(CompareFileNamesWindows("x.dpr", "y.dpr"), Latin("x.dpr", "y.dpr"));
    if (::GetACP() == kShiftJis) {
        EXPECT_NE(CompareFileNamesWindows("\x83\x41", "\x83\x61"), 0);
    }
}

TEST(ShiftJisLeadBytes, ThePortableTableIsTheSystemsTableOfCodePage932) {
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(IsShiftJisLeadByte(static_cast<unsigned char>(c)),
                  ::IsDBCSLeadByteEx(kShiftJis, static_cast<BYTE>(c)) != FALSE)
            << "byte 0x" << std::hex << c;
}

// The path helpers with Windows rules in code page 932, on names whose
// characters end in the byte of a backslash.
const PathRules kJapaneseWindows{true, true};

TEST(DoubleBytePaths, DirectoryNameAndExtensionStayRight) {
    const std::string dir = "C:\\\x95\x5C\x83\x5C\x94\x5C\\";  // C:\表ソ能\  .
    const std::string path = dir + "\x95\x5C.DPR";
    EXPECT_EQ(ExtractFilePath(path, kJapaneseWindows), dir);
    EXPECT_EQ(ExtractFileName(path, kJapaneseWindows), "\x95\x5C.DPR");
    EXPECT_EQ(ExtractFileExt(path, kJapaneseWindows), ".DPR");
    EXPECT_EQ(LowerExt(path, kJapaneseWindows), ".dpr");
    EXPECT_EQ(ChangeFileExt(path, ".dsk", kJapaneseWindows), dir + "\x95\x5C.dsk");
    // A name that ends in such a character has no extension, and its trail byte separates nothing.
    EXPECT_EQ(ExtractFileExt("C:\\a.b\\\x83\x5C", kJapaneseWindows), "");
    EXPECT_EQ(ExtractFilePath("C:\\a.b\\\x83\x5C", kJapaneseWindows), "C:\\a.b\\");
    EXPECT_EQ(ChangeFileExt("C:\\a.b\\\x83\x5C", ".ini", kJapaneseWindows), "C:\\a.b\\\x83\x5C.ini");
    // Read byte-wise the same name splits after the trail byte.
    EXPECT_EQ(ExtractFileName(path, PathRules{true, false}), ".DPR");
}

TEST(DoubleBytePaths, LowerCaseLeavesTrailBytesAlone) {
    // ア = 83 41: its trail byte is an "A" and must stay one.
    EXPECT_EQ(AnsiLowerCase("\x83\x41.PAS", kJapaneseWindows), "\x83\x41.pas");
    EXPECT_EQ(LowerExt("C:\\\x95\x5C\\U.\x83\x41", kJapaneseWindows), ".\x83\x41");
}

TEST(DoubleBytePaths, TheSystemAgreesWhereTheFileNameEnds) {
    // PathFindFileName's equivalent: the system's CharPrev walk in code page 932.
    const std::string path = "C:\\\x95\x5C\x83\x5C\\\x94\x5C.dpr";
    const char* p = path.c_str() + path.size();
    while (p > path.c_str()) {
        const char* prev = ::CharPrevExA(kShiftJis, path.c_str(), p, 0);
        if (*prev == '\\' && prev + 1 == p) break;
        p = prev;
    }
    EXPECT_EQ(std::string(p), ExtractFileName(path, kJapaneseWindows));
}

TEST(TextConversion, AnsiAndUtf8RoundTripAndWideIsExact) {
    EXPECT_EQ(Utf8FromAnsi("C:\\plain\\name.dpr"), "C:\\plain\\name.dpr");
    EXPECT_EQ(AnsiFromUtf8(Utf8FromAnsi("C:\\x\\y z.dpr")), "C:\\x\\y z.dpr");
    EXPECT_EQ(WideFromUtf8("表ソ能"), std::wstring(L"\u8868\u30BD\u80FD"));
    EXPECT_EQ(Utf8FromWide(WideFrom("\x95\x5C\x83\x5C\x94\x5C", kShiftJis)), "表ソ能");
    EXPECT_EQ(BytesFrom(WideFromUtf8("表ソ能"), kShiftJis), "\x95\x5C\x83\x5C\x94\x5C");
    EXPECT_EQ(WideFromUtf8(""), L"");
    EXPECT_EQ(Utf8FromWide(L""), "");
}

TEST(TextConversion, SystemErrorTextsAreReadableAndEndWithoutALineBreak) {
    const std::string text = SystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
}

// A directory of its own under the system's temporary directory.
class Win32FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(::GetTempPathA(MAX_PATH, temp), 0u);
        dir_ = std::string(temp) + "pivora-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        ASSERT_TRUE(::CreateDirectoryA(dir_.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override { RemoveTestDirectory(dir_); }
    std::vector<std::string> Listing() {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE h = ::FindFirstFileA((dir_ + "*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") names.push_back(name);
        } while (::FindNextFileA(h, &found));
        ::FindClose(h);
        std::sort(names.begin(), names.end());
        return names;
    }
    Win32Files files_;
    std::string dir_;
};

TEST_F(Win32FilesTest, WritesReadsAndReplacesWholeFilesLeavingNoTemporaryFile) {
    const std::string path = dir_ + "Pivora.ini";
    EXPECT_FALSE(files_.FileExists(path));
    files_.WriteFileAtomic(path, std::string("a\r\nb\0c", 6));
    EXPECT_TRUE(files_.FileExists(path));
    EXPECT_EQ(files_.ReadFile(path), std::string("a\r\nb\0c", 6));
    files_.WriteFileAtomic(path, "second");
    EXPECT_EQ(files_.ReadFile(path), "second");
    EXPECT_EQ(files_.ReadPrefix(path, 3), "sec");
    EXPECT_EQ(files_.ReadPrefix(path, 100), "second");
    files_.WriteFileAtomic(path, "");
    EXPECT_EQ(files_.ReadFile(path), "");
    EXPECT_EQ(Listing(), std::vector<std::string>{"Pivora.ini"});
}

TEST_F(Win32FilesTest, ALargeFileIsReadWhole) {
    std::string big(3 * 65536 + 17, 'x');
    for (std::size_t i = 0; i < big.size(); i += 4099) big[i] = static_cast<char>('a' + i % 26);
    files_.WriteFileAtomic(dir_ + "big", big);
    EXPECT_EQ(files_.ReadFile(dir_ + "big"), big);
    EXPECT_EQ(files_.ReadBytes(dir_ + "big")->View(), big);
}

TEST_F(Win32FilesTest, ADirectoryIsNoFile) {
    ASSERT_TRUE(::CreateDirectoryA((dir_ + "sub.dpr").c_str(), nullptr));
    EXPECT_FALSE(files_.FileExists(dir_ + "sub.dpr"));
    EXPECT_THROW(files_.ReadFile(dir_ + "sub.dpr"), FileError);
    EXPECT_EQ(files_.Stamp(dir_ + "sub.dpr"), "");
}

TEST_F(Win32FilesTest, FailuresNameTheFileAndTheSystemsReasonInUtf8) {
    const std::string missing = dir_ + "missing.dsk";
    try {
        files_.ReadFile(missing);
        FAIL() << "a missing file was read";
    } catch (const FileError& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind("ファイル [" + Utf8FromAnsi(missing) + "] を開けません。\n", 0), 0u) << what;
        EXPECT_GT(what.size(), ("ファイル [" + Utf8FromAnsi(missing) + "] を開けません。\n").size()) << "no reason given";
    }
    EXPECT_THROW(files_.ReadPrefix(missing, 4), FileError);
    // Writing into a directory that does not exist fails, and leaves nothing behind.
    EXPECT_THROW(files_.WriteFileAtomic(dir_ + "no\\such\\dir\\x.ini", "x"), FileError);
    EXPECT_TRUE(Listing().empty());
}

TEST_F(Win32FilesTest, AReadOnlyTargetIsReportedAndKeptAsItWas) {
    const std::string path = dir_ + "locked.ini";
    files_.WriteFileAtomic(path, "old");
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(files_.WriteFileAtomic(path, "new"), FileError);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(files_.ReadFile(path), "old");
    EXPECT_EQ(Listing(), std::vector<std::string>{"locked.ini"}) << "the temporary file was left behind";
}

TEST_F(Win32FilesTest, TheStampChangesWhenTheFileIsReplaced) {
    const std::string path = dir_ + "Pivora.dat";
    EXPECT_EQ(files_.Stamp(path), "");
    files_.WriteFileAtomic(path, "one");
    const std::string first = files_.Stamp(path);
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(files_.Stamp(path), first);
    files_.WriteFileAtomic(path, "two");  // same size, perhaps the same tick
    EXPECT_NE(files_.Stamp(path), first);
}

TEST_F(Win32FilesTest, CaseVariantsAreLeftToTheFileSystem) {
    files_.WriteFileAtomic(dir_ + "Unit1.dcu", "x");
    EXPECT_TRUE(files_.FileExists(dir_ + "UNIT1.DCU"));
    EXPECT_EQ(files_.FindCaseVariant(dir_ + "UNIT1.DCU"), std::nullopt);
}

// Another launcher reading the history holds it open for a moment; the
// system refuses to replace it meanwhile. The writer tries again until the
// reader is done, whenever that is.
struct ReplaceJob {
    Win32Files* files;
    std::string path;
    std::string failure;
    LONG done = 0;
};

DWORD WINAPI RunReplace(void* p) {
    ReplaceJob& j = *static_cast<ReplaceJob*>(p);
    try {
        j.files->WriteFileAtomic(j.path, "new");
    } catch (const FileError& e) {
        j.failure = e.what();
    }
    ::InterlockedExchange(&j.done, 1);
    return 0;
}

TEST_F(Win32FilesTest, AReplaceRefusedWhileAnotherReadsGoesThroughOnceTheReaderIsDone) {
    ReplaceJob job{&files_, dir_ + "Pivora.dat", "", 0};
    files_.WriteFileAtomic(job.path, "old");
    HANDLE reader = ::CreateFileA(job.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE writer = ::CreateThread(nullptr, 0, &RunReplace, &job, 0, nullptr);
    ASSERT_NE(writer, nullptr);
    // Let go of the file once the writer has been refused (where the system
    // refuses at all), or once it has finished.
    const DWORD start = ::GetTickCount();
    while (files_.RefusedReplaces() == 0 && ::InterlockedCompareExchange(&job.done, 0, 0) == 0 &&
           ::GetTickCount() - start < 30000)
        ::Sleep(1);
    ::CloseHandle(reader);
    ASSERT_EQ(::WaitForSingleObject(writer, 60000), WAIT_OBJECT_0);
    ::CloseHandle(writer);
    EXPECT_EQ(job.failure, "");
    EXPECT_EQ(files_.ReadFile(job.path), "new");
    EXPECT_EQ(Listing(), std::vector<std::string>{"Pivora.dat"});
}

TEST_F(Win32FilesTest, TheLockExcludesOthersUntilReleased) {
    const std::string lockPath = dir_ + "Pivora.dat.lock";
    auto probe = [&] {
        // Another holder's view: the same byte, without waiting.
        HANDLE h = ::CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        OVERLAPPED at{};
        const bool got = ::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
        if (got) ::UnlockFileEx(h, 0, 1, 0, &at);
        ::CloseHandle(h);
        return got;
    };
    {
        auto lock = files_.LockExclusive(lockPath);
        EXPECT_TRUE(files_.FileExists(lockPath));
        EXPECT_FALSE(probe());
    }
    EXPECT_TRUE(probe());
    auto again = files_.LockExclusive(lockPath);  // taken again at once
    EXPECT_FALSE(probe());
}

// Creating the system sets the process's path rules; the other suites keep theirs.
class Win32SystemTest : public ::testing::Test {
protected:
    void TearDown() override { SetCurrentPathRules(saved_); }
    PathRules saved_ = CurrentPathRules();
};

TEST_F(Win32SystemTest, StartingSomethingThatIsNotThereIsReportedNotTakenForAStart) {
    Win32System sys;
    const SpawnResult r = sys.StartIde("C:\\no\\such\\dir\\delphi32.exe", "C:\\p\\P.dpr", "C:\\");
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.executable, "C:\\no\\such\\dir\\delphi32.exe");
    EXPECT_FALSE(r.reason.empty());
    const SpawnResult blank = sys.StartIde("  ", "C:\\p\\P.dpr", "C:\\");
    EXPECT_FALSE(blank.started);
    EXPECT_EQ(blank.reason, "実行するファイルが指定されていません。");
}

TEST_F(Win32SystemTest, AWorkingDirectoryThatDoesNotExistFailsTheStart) {
    Win32System sys;
    char self[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    // Our own executable as the IDE: it would run, but not in a missing directory.
    const SpawnResult r = sys.StartIde(self, "--gtest_list_tests", "C:\\no\\such\\dir\\");
    EXPECT_FALSE(r.started);
    EXPECT_FALSE(r.reason.empty());
}

TEST_F(Win32SystemTest, PathRulesExePathClockAndConversions) {
    Win32System sys;
    EXPECT_TRUE(CurrentPathRules().backslashIsSeparator);
    EXPECT_EQ(CurrentPathRules().doubleByteCodePage, ::GetACP() == kShiftJis);
    const std::string exe = sys.ExePath();
    EXPECT_EQ(LowerExt(exe), ".exe");
    EXPECT_TRUE(Win32Files().FileExists(exe));
    const LocalTime now = sys.Now();
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    EXPECT_GE(now.year, 2000);
    EXPECT_EQ(now.year, t.wYear);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_EQ(sys.FromUiText(sys.ToUiText("C:\\dir\\a b.dpr")), "C:\\dir\\a b.dpr");
    EXPECT_EQ(sys.CompareFileNames("A.DPR", "a.dpr"), 0);
    EXPECT_FALSE(sys.CtrlDown());
}

// The IDE runs in the launcher's directory: a relative name must be made full
// from the current one; a full path is kept as handed over.
TEST_F(Win32SystemTest, ARelativeFileIsMadeFullAndAFullPathIsKeptAsDelivered) {
    Win32System sys;
    char saved[MAX_PATH];
    ASSERT_GT(::GetCurrentDirectoryA(MAX_PATH, saved), 0u);
    char temp[MAX_PATH];
    ASSERT_GT(::GetTempPathA(MAX_PATH, temp), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryA(temp));
    char here[MAX_PATH];
    const DWORD n = ::GetCurrentDirectoryA(MAX_PATH, here);
    std::string dir(here, n);
    if (dir.back() != '\\') dir += '\\';
    EXPECT_EQ(sys.AbsolutePath("my proj\\Project1.dpr"), dir + "my proj\\Project1.dpr");
    EXPECT_EQ(sys.AbsolutePath(".\\P.dpr"), dir + "P.dpr");
    EXPECT_EQ(sys.AbsolutePath("P.dpr"), dir + "P.dpr");
    // Relative to the current drive's root or directory: made full too.
    EXPECT_EQ(sys.AbsolutePath("\\p\\P.dpr"), dir.substr(0, 2) + "\\p\\P.dpr");
    for (const std::string full : {"C:\\a\\..\\b\\.\\P.dpr", "c:/x//P.dpr", "\\\\server\\share\\P.dpr", ""})
        EXPECT_EQ(sys.AbsolutePath(full), full);
    ::SetCurrentDirectoryA(saved);
}

}  // namespace
}  // namespace pivora
