// The launch history: its line format, its order, trimming, and saving that
// never loses what another run or an earlier start wrote.
#include <gtest/gtest.h>

#include <cstring>

#include "FlowHarness.h"
#include "launcher/History.h"
#include "platform/interface/FileSystem.h"
#include "tests/scripted/MemoryFiles.h"

namespace pivora::testing {
namespace {

constexpr const char* kDat = "/opt/pivora/pivora.dat";

int ByteWise(std::string_view a, std::string_view b) { return a.compare(b); }
int IgnoringCase(std::string_view a, std::string_view b) {
    std::string x(a), y(b);
    for (char& c : x) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : y) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return x.compare(y);
}

LocalTime At(int second) { return {2026, 1, 2, 3, 4, second}; }

TEST(HistoryLine, FormatAndParseRoundTrip) {
    const THistory e{{1998, 7, 1, 9, 5, 33}, 4, "C:\\Proj\\Project1.dpr"};
    EXPECT_EQ(FormatHistoryLine(e), "1998/07/01 09:05:33 - 04 C:\\Proj\\Project1.dpr\r\n");
    const auto back = ParseHistoryLine("1998/07/01 09:05:33 - 04 C:\\Proj\\Project1.dpr");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Date, e.Date);
    EXPECT_EQ(back->Version, 4);
    EXPECT_EQ(back->FileName, e.FileName);
}

TEST(HistoryLine, OddButValidLines) {
    // Only the first " - " separates: a file name may hold one.
    auto e = ParseHistoryLine("2026/01/02 03:04:05 - 03 /p/a - b.dpr");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->FileName, "/p/a - b.dpr");
    // A line that ends after the version gives an empty name, written back as it was.
    e = ParseHistoryLine("2026/01/02 03:04:05 - 03");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->FileName, "");
    EXPECT_EQ(FormatHistoryLine(*e), "2026/01/02 03:04:05 - 03 \r\n");
    // Other separator characters, as another locale wrote them, still read in written order.
    e = ParseHistoryLine("2026-01-02 03.04.05 - 02 x");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Date, (LocalTime{2026, 1, 2, 3, 4, 5}));
    // Version 00 and hexadecimal are whole-text conversions like the settings'.
    EXPECT_EQ(ParseHistoryLine("2026/01/02 03:04:05 - 00 x")->Version, 0);
    EXPECT_EQ(ParseHistoryLine("2026/01/02 03:04:05 - $A x")->Version, 10);
}

TEST(HistoryLine, NegativeVersionsReadBackUnchanged) {
    const THistory e{At(1), -5, "/p/x.dpr"};
    const std::string line = FormatHistoryLine(e);
    EXPECT_EQ(line, "2026/01/02 03:04:01 - -05 /p/x.dpr\r\n");
    const auto back = ParseHistoryLine(line.substr(0, line.size() - 2));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Version, -5);
    EXPECT_EQ(back->FileName, "/p/x.dpr");
}

TEST(HistoryLine, MalformedLinesDoNotConvert) {
    for (const char* line : {
             "no separator at all",
             "2026/01/02 03:04:05 - 4 C:\\one-digit-version.dpr",
             "2026/13/02 03:04:05 - 04 x",   // month 13
             "2026/02/30 03:04:05 - 04 x",   // no such day
             "2026/01/02 24:00:00 - 04 x",
             "garbage - 04 x",
             " - 04 x",
             "2026/01/02 03:04:05 - 0",
             "2026/01/02 03:04:05 - xy file",
         })
        EXPECT_FALSE(ParseHistoryLine(line)) << line;
}

class History : public ::testing::Test {
protected:
    MemoryFiles files;
    THistoryList List(std::int32_t max = 1000, FileNameCompare cmp = ByteWise) {
        return THistoryList(files, kDat, cmp, max);
    }
    std::string Dat() { return files.files[kDat]; }
};

TEST_F(History, MissingFileIsAnEmptyHistoryAndNothingIsWritten) {
    auto h = List();
    h.LoadHistory();
    EXPECT_TRUE(h.Count() == 0);
    EXPECT_EQ(h.FindHistory("/p/a.dpr"), -1);
    EXPECT_EQ(files.writes, 0);
}

TEST_F(History, AddingKeepsFileNameOrderAndRewritesTheFile) {
    auto h = List();
    h.LoadHistory();
    h.AddHistory("/p/b.dpr", 3, At(1));
    h.AddHistory("/p/a.dpr", 4, At(2));
    h.AddHistory("/p/c.dpr", 2, At(3));
    EXPECT_EQ(Dat(),
              "2026/01/02 03:04:02 - 04 /p/a.dpr\r\n"
              "2026/01/02 03:04:01 - 03 /p/b.dpr\r\n"
              "2026/01/02 03:04:03 - 02 /p/c.dpr\r\n");
    EXPECT_EQ(h.FindHistory("/p/b.dpr"), 1);
    EXPECT_EQ(h.FindHistory("/p/B.dpr"), -1);  // byte-wise: another file on Linux
}

TEST_F(History, LimitZeroDropsEveryNewEntryAndRewritesTheFileEmpty) {
    auto h = List(0);
    h.LoadHistory();
    EXPECT_FALSE(h.AddHistory("/p/a.dpr", 4, At(1)));
    EXPECT_TRUE(h.Count() == 0);
    ASSERT_TRUE(files.FileExists(kDat));
    EXPECT_EQ(Dat(), "");
}

TEST_F(History, LimitTwoDropsTheOldestAndKeepsNameOrder) {
    auto h = List(2);
    h.LoadHistory();
    h.AddHistory("/p/z.dpr", 4, At(1));
    h.AddHistory("/p/y.dpr", 3, At(2));
    h.AddHistory("/p/x.dpr", 2, At(3));
    EXPECT_EQ(Dat(), "2026/01/02 03:04:03 - 02 /p/x.dpr\r\n2026/01/02 03:04:02 - 03 /p/y.dpr\r\n");
}

TEST_F(History, EqualDatesAreTrimmedInFileNameOrder) {
    files.files[kDat] =
        "2026/01/02 03:04:05 - 04 /p/a\r\n2026/01/02 03:04:05 - 04 /p/b\r\n2026/01/02 03:04:05 - 04 /p/c\r\n";
    auto h = List(1);
    h.LoadHistory();
    ASSERT_EQ(h.Count(), 1u);
    EXPECT_EQ(h.Entry(0).FileName, "/p/c");
}

TEST_F(History, AnOverfullFileIsTrimmedAtLoad) {
    files.files[kDat] = "2026/01/02 03:04:01 - 04 /p/old\r\n2026/01/02 03:04:09 - 04 /p/new\r\n";
    auto h = List(1);
    h.LoadHistory();
    EXPECT_EQ(Dat(), "2026/01/02 03:04:09 - 04 /p/new\r\n");
}

TEST_F(History, HandEditedUnsortedFileIsSortedSoLookupsNeverMiss) {
    files.files[kDat] =
        "2026/01/02 03:04:01 - 04 /p/m\r\n2026/01/02 03:04:02 - 03 /p/a\r\n2026/01/02 03:04:03 - 02 /p/z\r\n"
        "2026/01/02 03:04:04 - 02 /p/b\r\n";
    auto h = List();
    h.LoadHistory();
    for (const char* name : {"/p/a", "/p/b", "/p/m", "/p/z"}) EXPECT_GE(h.FindHistory(name), 0) << name;
}

TEST_F(History, MalformedLinesAreDroppedAtTheNextSave) {
    files.files[kDat] = "junk\r\n2026/01/02 03:04:01 - 4 /p/one-digit\r\n2026/01/02 03:04:01 - 04 /p/good\r\n";
    auto h = List();
    h.LoadHistory();
    EXPECT_EQ(h.Count(), 1u);
    h.AddHistory("/p/new", 3, At(2));
    EXPECT_EQ(Dat(), "2026/01/02 03:04:01 - 04 /p/good\r\n2026/01/02 03:04:02 - 03 /p/new\r\n");
}

TEST_F(History, RoundTripIsByteForByte) {
    const std::string text =
        "2026/01/02 03:04:02 - 00 \r\n2026/01/02 03:04:01 - 04 /p/a - b.dpr\r\n"
        "2026/01/02 03:04:03 - -03 /p/neg\r\n2026/01/02 03:04:04 - 02 /p/\x95\x5C.dpr\r\n";
    files.files[kDat] = text;
    auto h = List();
    h.LoadHistory();
    h.SaveHistory();
    EXPECT_EQ(Dat(), text);
}

TEST_F(History, AFileRememberedTwiceKeepsTheNewestEntryAndIsMendedAtTheNextSave) {
    files.files[kDat] =
        "2026/01/02 03:04:01 - 04 /p/a\r\n2026/01/02 03:04:09 - 03 /p/a\r\n2026/01/02 03:04:05 - 02 /p/a\r\n"
        "2026/01/02 03:04:07 - 02 /p/b\r\n2026/01/02 03:04:07 - 04 /p/b\r\n";
    auto h = List();
    h.LoadHistory();
    ASSERT_EQ(h.Count(), 2u);
    EXPECT_EQ(h.Entry(static_cast<std::size_t>(h.FindHistory("/p/a"))).Version, 3);
    EXPECT_EQ(h.Entry(static_cast<std::size_t>(h.FindHistory("/p/b"))).Version, 4);  // equal dates: the later line
    EXPECT_EQ(files.writes, 0);  // loading alone writes nothing
    // A Ctrl start forgets the file: no older entry comes back in its place.
    h.DeleteHistory(h.FindHistory("/p/a"));
    EXPECT_EQ(h.FindHistory("/p/a"), -1);
    h.AddHistory("/p/c", 2, At(10));
    EXPECT_EQ(Dat(), "2026/01/02 03:04:07 - 04 /p/b\r\n2026/01/02 03:04:10 - 02 /p/c\r\n");
}

TEST_F(History, TwoRunsAddingTheSameNewFileLeaveOneEntry) {
    auto first = List();
    first.LoadHistory();
    auto second = List();
    second.LoadHistory();
    first.AddHistory("/p/new", 3, At(1));
    second.AddHistory("/p/new", 4, At(2));  // merges with what the first wrote
    EXPECT_EQ(Dat(), "2026/01/02 03:04:02 - 04 /p/new\r\n");
    EXPECT_EQ(second.Count(), 1u);
}

TEST_F(History, ACtrlChoiceMergedWithAnotherRunsWriteLeavesOneEntry) {
    files.files[kDat] = "2026/01/02 03:04:01 - 03 /p/a\r\n";
    auto ctrl = List();
    ctrl.LoadHistory();
    auto other = List();
    other.LoadHistory();
    other.AddHistory("/p/b", 2, At(2));
    ctrl.DeleteHistory(ctrl.FindHistory("/p/a"));
    ctrl.AddHistory("/p/a", 4, At(3));
    EXPECT_EQ(Dat(), "2026/01/02 03:04:03 - 04 /p/a\r\n2026/01/02 03:04:02 - 02 /p/b\r\n");
}

TEST_F(History, NamesThatALineCannotHoldAreNeverStored) {
    files.files[kDat] = "2026/01/02 03:04:01 - 04 /p/a\r\n";
    auto h = List();
    h.LoadHistory();
    using namespace std::string_literals;
    for (const std::string& name : {"x\n9999/12/31 23:59:59 - 02 /home/u/Proj/Real.dpr"s,
                                    "x\r9999/12/31 23:59:59 - 02 /p/a"s, "/p/nul\0.dpr"s, ""s}) {
        EXPECT_FALSE(THistoryList::CanHold(name));
        EXPECT_TRUE(h.AddHistory(name, 3, At(2)));  // nothing dropped, nothing remembered
        EXPECT_EQ(h.FindHistory(name), -1);
    }
    EXPECT_EQ(h.Count(), 1u);
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(Dat(), "2026/01/02 03:04:01 - 04 /p/a\r\n");
}

TEST_F(History, AFileRemovedBetweenLoadAndSaveIsAnEmptyHistory) {
    files.files[kDat] = "2026/01/02 03:04:01 - 04 /p/a\r\n";
    auto h = List();
    h.LoadHistory();
    files.files.erase(kDat);
    h.AddHistory("/p/b", 3, At(2));
    EXPECT_EQ(Dat(), "2026/01/02 03:04:02 - 03 /p/b\r\n");
}

TEST_F(History, CaseInsensitiveComparisonFindsOneEntry) {
    auto h = List(1000, IgnoringCase);
    h.LoadHistory();
    h.AddHistory("C:\\Proj\\P.dpr", 4, At(1));
    EXPECT_EQ(h.FindHistory("c:\\proj\\p.dpr"), 0);
    EXPECT_EQ(h.FindHistory("P.dpr"), -1);  // without its directory it is another entry
}

TEST_F(History, AFailedWriteLeavesTheOldFileAndIsReported) {
    files.files[kDat] = "2026/01/02 03:04:01 - 04 /p/a\r\n";
    auto h = List();
    h.LoadHistory();
    files.failWrites.insert(kDat);
    EXPECT_THROW(h.AddHistory("/p/b", 3, At(2)), FileError);
    EXPECT_EQ(Dat(), "2026/01/02 03:04:01 - 04 /p/a\r\n");
}

TEST_F(History, AHistoryThatCouldNotBeReadIsNeverSavedOver) {
    files.files[kDat] = "2026/01/02 03:04:01 - 04 /p/a\r\n";
    files.failReads.insert(kDat);
    auto h = List();
    EXPECT_THROW(h.LoadHistory(), FileError);
    files.failReads.clear();
    try {
        h.AddHistory("/p/b", 3, At(2));
        FAIL() << "the addition must be refused";
    } catch (const FileError& e) {
        EXPECT_NE(std::strstr(e.what(), kDat), nullptr);
    }
    EXPECT_EQ(Dat(), "2026/01/02 03:04:01 - 04 /p/a\r\n");
}

TEST_F(History, ASaveMergesWhatAnotherRunWroteMeanwhile) {
    files.files[kDat] = "2026/01/02 03:04:01 - 04 /p/a\r\n2026/01/02 03:04:02 - 04 /p/gone\r\n";
    auto mine = List();
    mine.LoadHistory();
    mine.DeleteHistory(mine.FindHistory("/p/gone"));
    // Another launcher adds its file after this one loaded.
    auto other = List();
    other.LoadHistory();
    other.AddHistory("/p/other", 3, At(3));
    mine.AddHistory("/p/mine", 2, At(4));
    EXPECT_EQ(Dat(),
              "2026/01/02 03:04:01 - 04 /p/a\r\n2026/01/02 03:04:04 - 02 /p/mine\r\n"
              "2026/01/02 03:04:03 - 03 /p/other\r\n");
    EXPECT_EQ(files.locks, 2);
}

TEST_F(History, NegativeLimitFromAHandEditedFileNeverRemovesMoreThanItHolds) {
    files.files[kDat] = "2026/01/02 03:04:01 - 04 /p/a\r\n";
    auto h = List(-7);
    h.LoadHistory();
    EXPECT_TRUE(h.Count() == 0);
    EXPECT_EQ(Dat(), "");
}

// The lock file is the launcher's own device: whatever keeps it from being
// taken is reported as the history file, the one the user knows.
TEST_F(History, ALockHeldByAnotherProgramIsReportedAsTheHistoryInUseAndNothingIsLost) {
    files.files[kDat] = "2026/01/02 03:04:01 - 04 /p/a\r\n";
    files.heldLocks.insert(std::string(kDat) + ".lock");
    auto h = List();
    h.LoadHistory();
    try {
        h.AddHistory("/p/b", 3, At(2));
        FAIL() << "saved without the lock";
    } catch (const FileInUse& e) {
        EXPECT_EQ(std::string(e.what()), std::string("履歴ファイル [") + kDat +
                                             "] は他のプログラムが使用中です。\nしばらくしてからやり直して下さい。");
    }
    EXPECT_EQ(Dat(), "2026/01/02 03:04:01 - 04 /p/a\r\n");
    EXPECT_EQ(files.writes, 0);
    // Once the other program is done, a save goes through and keeps what was there.
    files.heldLocks.clear();
    h.AddHistory("/p/c", 2, At(3));
    EXPECT_NE(Dat().find("2026/01/02 03:04:01 - 04 /p/a\r\n"), std::string::npos) << Dat();
    EXPECT_NE(Dat().find("2026/01/02 03:04:03 - 02 /p/c\r\n"), std::string::npos) << Dat();
}

// Messages are shown in the windows' text, which the path in the system's
// bytes is not on Windows: the list names the file as it was told to.
TEST_F(History, MessagesNameTheFileAsShownNotInTheSystemsBytes) {
    files.files[kDat] = "2026/01/02 03:04:01 - 04 /p/a\r\n";
    files.heldLocks.insert(std::string(kDat) + ".lock");
    THistoryList h(files, kDat, ByteWise, 1000, "表示される名前");
    h.LoadHistory();
    try {
        h.AddHistory("/p/b", 3, At(2));
        FAIL() << "saved without the lock";
    } catch (const FileInUse& e) {
        EXPECT_EQ(std::string(e.what()),
                  "履歴ファイル [表示される名前] は他のプログラムが使用中です。\nしばらくしてからやり直して下さい。");
    }
    files.heldLocks.clear();
    files.failLocks.insert(std::string(kDat) + ".lock");
    try {
        h.AddHistory("/p/c", 3, At(3));
        FAIL() << "saved without the lock";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル [表示される名前] に書き込めません。\nPermission denied");
    }

    files.failLocks.clear();
    files.files.erase(kDat);
    files.nonFiles.insert(kDat);
    THistoryList unreadable(files, kDat, ByteWise, 1000, "表示される名前");
    EXPECT_THROW(unreadable.LoadHistory(), FileError);
    try {
        unreadable.AddHistory("/p/d", 3, At(4));
        FAIL() << "saved over a history it could not read";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "履歴ファイル [表示される名前] を読み込めなかったため、上書きしません。");
    }
}

TEST_F(History, ALockThatCannotBeTakenNamesTheHistoryFileWithTheSystemsReason) {
    files.failLocks.insert(std::string(kDat) + ".lock");
    auto h = List();
    h.LoadHistory();
    try {
        h.AddHistory("/p/b", 3, At(2));
        FAIL() << "saved without the lock";
    } catch (const FileInUse&) {
        FAIL() << "reported as in use";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), std::string("ファイル [") + kDat + "] に書き込めません。\nPermission denied");
    }
    EXPECT_FALSE(files.FileExists(kDat));
}

TEST_F(History, SomethingThatIsNoFileInPlaceOfTheHistoryIsReportedNeverReadNorReplaced) {
    files.nonFiles.insert(kDat);
    auto h = List();
    try {
        h.LoadHistory();  // a read would throw logic_error, not FileError
        FAIL() << "taken for an empty history";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), std::string("ファイル [") + kDat + "] はファイルではありません。");
    }
    EXPECT_THROW(h.AddHistory("/p/b", 3, At(2)), FileError);
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(files.files.count(kDat), 0u);
}

// A launch whose history cannot be saved starts nothing: the user is told,
// and opening the file again once the other program is done remembers it.
TEST(HistoryFlow, AHistoryInUseEndsTheLaunchWithItsReportAndStartsNothing) {
    FlowHarness h;
    h.files.files["/p/P.dpr"] = "";
    h.files.files["/p/P.dsk"] = "[Main Window]\r\nClientWidth=1\r\n";
    h.files.files[kDat] = "1998/07/01 09:05:33 - 03 /p/Other.dpr\r\n";
    h.files.heldLocks.insert(std::string(kDat) + ".lock");
    h.Register(4, "/ide/d4");
    h.Args({"/p/P.dpr"});
    h.gui.ExpectMessage(std::string("履歴ファイル [") + kDat +
                        "] は他のプログラムが使用中です。\nしばらくしてからやり直して下さい。");
    h.Run();
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.files.files[kDat], "1998/07/01 09:05:33 - 03 /p/Other.dpr\r\n");
}

TEST(HistoryFlow, AHistoryThatIsNoFileIsReportedAndStartsNothing) {
    FlowHarness h;
    h.files.files["/p/P.dpr"] = "";
    h.files.files["/p/P.dsk"] = "[Main Window]\r\nClientWidth=1\r\n";
    h.files.nonFiles.insert(kDat);
    h.Register(4, "/ide/d4");
    h.Args({"/p/P.dpr"});
    // At creation, then when the addition refuses to save over what it could not read.
    h.gui.ExpectMessage(std::string("ファイル [") + kDat + "] はファイルではありません。");
    h.gui.ExpectMessage(std::string("履歴ファイル [") + kDat + "] を読み込めなかったため、上書きしません。");
    h.Run();
    EXPECT_TRUE(h.sys.starts.empty());
    EXPECT_EQ(h.files.writes, 0);
}

}  // namespace
}  // namespace pivora::testing
