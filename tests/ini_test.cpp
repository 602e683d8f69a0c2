// Profile (INI) files: byte-for-byte round trips of odd and real files, reads
// under the Windows rules, writes compared with expected files, and input that
// is not a profile at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "CorpusFiles.h"
#include "platform/interface/FileSystem.h"
#include "platform/formats/IniFile.h"

namespace pivora::testing {
namespace {

const std::string kMissing = "<missing>";  // a default no fixture holds as a value

std::string GoldenPath(const std::string& name) { return std::string(PIVORA_GOLDEN_DIR) + "/ini/" + name; }
std::string Golden(const std::string& name) { return ReadBytes(GoldenPath(name)); }
IniDocument GoldenDoc(const std::string& name) { return IniDocument::Parse(Golden(name)); }

// ---------------------------------------------------------------------------
// Round trips

TEST(IniRoundTrip, EveryGoldenFileComesBackByteForByte) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(GoldenPath("")))
        if (entry.is_regular_file() && entry.path().filename() != ".gitattributes")
            names.push_back(entry.path().filename().string());
    // The bad-input fixtures must be there, or this test proves nothing about them.
    for (const char* needed : {"bom.ini", "lf_only.ini", "empty_section.ini", "duplicate_keys.ini",
                               "no_final_newline.ini", "lone_cr.ini", "garbage.bin", "empty.ini"})
        EXPECT_NE(std::find(names.begin(), names.end(), needed), names.end()) << needed;
    for (const std::string& name : names) {
        const std::string bytes = Golden(name);
        EXPECT_EQ(IniDocument::Parse(bytes).Serialize(), bytes) << name;
    }
}

TEST(IniRoundTrip, LineEndsOnlyAndEmptyInput) {
    for (const std::string& bytes : {std::string(), std::string("\r"), std::string("\n"), std::string("\r\n"),
                                    std::string("\n\r"), std::string("\r\r\n\n\r"), std::string(" \t"),
                                    std::string("\xEF\xBB\xBF"), std::string("\xEF\xBB")})
        EXPECT_EQ(IniDocument::Parse(bytes).Serialize(), bytes);
}

TEST(IniRoundTrip, ReadingDoesNotChangeTheDocument) {
    const std::string bytes = Golden("crlf.ini");
    const IniDocument doc = IniDocument::Parse(bytes);
    doc.ReadString("Main Window", "Width", "");
    doc.ReadInteger("Main Window", "Left", 0);
    doc.ReadBool("Nowhere", "Nothing", true);
    EXPECT_EQ(doc.Serialize(), bytes);
}

// ---------------------------------------------------------------------------
// Reads

struct ReadCase {
    const char* file;
    std::string section, key, expected;  // kMissing: the default comes back
};

void ExpectReads(const std::vector<ReadCase>& cases) {
    std::map<std::string, IniDocument> docs;
    for (const ReadCase& c : cases) {
        if (!docs.count(c.file)) docs[c.file] = GoldenDoc(c.file);
        EXPECT_EQ(docs[c.file].ReadString(c.section, c.key, kMissing), c.expected)
            << c.file << " [" << c.section << "] " << c.key;
    }
}

TEST(IniRead, KeysValuesCommentsAndStrayLines) {
    ExpectReads({
        {"crlf.ini", "Main Window", "Left", "10"},
        {"crlf.ini", "Main Window", "Width", "640"},      // blanks round name and value
        {"crlf.ini", "Main Window", "Height", "480"},     // tabs count as blanks
        {"crlf.ini", "Main Window", "ClientWidth", ""},   // present but empty is not missing
        {"crlf.ini", "Main Window", "Caption", "Main=Window"},
        {"crlf.ini", "Main Window", "this line has no equals sign", kMissing},
        {"crlf.ini", "Main Window", "; Width", kMissing},
        {"crlf.ini", "Main Window", "Orphan", kMissing},   // before any header: in no section
        {"crlf.ini", "", "Orphan", kMissing},
        {"crlf.ini", "Unknown Section", "Anything", "goes"},
        {"crlf.ini", "Closed Files", "File_0", "C:\\Projects\\a.pas,1,1"},
        {"crlf.ini", "Closed Files", "Anything", kMissing},
        {"crlf.ini", "No Such Section", "Left", kMissing},
        {"lf_only.ini", "Alpha", "b", "2"},
        {"lf_only.ini", "Beta", "c", "3"},
        {"no_final_newline.ini", "Section", "key", "old"},
        {"lone_cr.ini", "Mac", "A", "1"},
        {"lone_cr.ini", "Mac", "B", "2"},
        {"lone_cr.ini", "Unix", "C", "3"},
        {"lone_cr.ini", "Dos", "D", "4"},
        {"lone_cr.ini", "Mac", "C", kMissing},
    });
}

TEST(IniRead, ByteOrderMarkIsSkippedForTheFirstHeader) {
    ExpectReads({
        {"bom.ini", "Modules", "Count", "1"},
        {"bom.ini", "\xEF\xBB\xBF[Modules", "Count", kMissing},
        {"bom.ini", "Other", "X", "1"},
    });
    // Only at the very start is it a mark; anywhere else it is text, and a line
    // that starts with it is no header.
    const IniDocument doc = IniDocument::Parse("[A]\r\n\xEF\xBB\xBF[B]\r\nk=v\r\n");
    EXPECT_EQ(doc.ReadString("B", "k", kMissing), kMissing);
    EXPECT_EQ(doc.ReadString("A", "k", kMissing), "v");
}

TEST(IniRead, EmptySectionNameIsASectionOfItsOwn) {
    ExpectReads({
        {"empty_section.ini", "", "ModuleType", "TURLModule"},  // "[]" first, "[  ]" is its duplicate
        {"empty_section.ini", "Modules", "Module0", ""},
        {"empty_section.ini", "Modules", "ModuleType", kMissing},
        {"empty_section.ini", "", "ViewCount", kMissing},
        {"empty_section.ini", "EditWindow0", "ViewCount", "1"},
    });
}

TEST(IniRead, FirstOfDuplicateSectionsAndKeysWins) {
    ExpectReads({
        {"duplicate_keys.ini", "Dup", "Key", "first"},
        {"duplicate_keys.ini", "DUP", "kEY", "first"},
        {"duplicate_keys.ini", "dup", "Only", kMissing},  // the later [dup] is never looked at
        {"duplicate_keys.ini", "Other", "Key", "other"},
    });
}

TEST(IniRead, CaseFoldsForAsciiLettersOnly) {
    ExpectReads({
        {"case_and_bytes.ini", "main window", "CLIENTWIDTH", "100"},
        {"case_and_bytes.ini", "\xC3\x9Cnicode", "wert", "\xC3\xA4"},
        {"case_and_bytes.ini", "\xC3\xBCnicode", "WERT", "lower"},  // U+00FC is not U+00DC here
        {"case_and_bytes.ini", "\xC1REA", "key", "latin-1 upper"},
        {"case_and_bytes.ini", "\xE1rea", "KEY", "latin-1 lower"},
    });
}

TEST(IniRead, HeaderShapes) {
    ExpectReads({
        {"odd_headers.ini", "Indented", "a", "1"},
        {"odd_headers.ini", "Spaced Name", "b", "2"},
        {"odd_headers.ini", " Spaced Name ", "b", kMissing},
        {"odd_headers.ini", "First", "c", "3"},
        {"odd_headers.ini", "First]Second", "c", kMissing},
        {"odd_headers.ini", "Trailing", "d", "4"},
        {"odd_headers.ini", "Unclosed", "e", "5"},
        {"odd_headers.ini", "Trailing", "e", kMissing},  // an unclosed header still ends the section before
        {"odd_headers.ini", "Has=Equals", "f", "6"},
    });
}

TEST(IniRead, OnePairOfEnclosingQuotesIsDropped) {
    ExpectReads({
        {"quotes.ini", "Q", "Double", "C:\\Program Files\\Delphi"},
        {"quotes.ini", "Q", "Single", "single quoted"},
        {"quotes.ini", "Q", "Spaced", "  inner blanks kept  "},
        {"quotes.ini", "Q", "Empty", ""},
        {"quotes.ini", "Q", "Lone", "\""},
        {"quotes.ini", "Q", "Unmatched", "\"abc'"},
        {"quotes.ini", "Q", "Inner", "a \"b\" c"},
        {"quotes.ini", "Q", "Mixed", "'abc\""},
        {"quotes.ini", "Q", "OnlyOneSide", "abc\""},
        {"quotes.ini", "Q", "Nested", "\"x\""},
        {"quotes.ini", "Q", "SingleChar", "'"},
        {"quotes.ini", "Q", "TwoSingles", ""},
    });
}

TEST(IniRead, DefaultIsReturnedAsGiven) {
    const IniDocument doc = GoldenDoc("crlf.ini");
    EXPECT_EQ(doc.ReadString("Main Window", "Nope", "  \"spaced\"  "), "  \"spaced\"  ");
    EXPECT_EQ(doc.ReadString("Main Window", "Nope", ""), "");
    EXPECT_EQ(IniDocument().ReadString("A", "b", "def"), "def");
}

TEST(IniRead, IntegersConvertWholeTextOnly) {
    const IniDocument doc = GoldenDoc("numbers.ini");
    const std::pair<const char*, std::int32_t> converts[] = {
        {"Dec", 42},        {"Neg", -17},
        {"Plus", 5},        {"Hex", 31},
        {"HexLower", 255},  {"HexAll", -1},
        {"Max", std::numeric_limits<std::int32_t>::max()},
        {"Min", std::numeric_limits<std::int32_t>::min()},
        {"Spaced", 12},     {"Quoted", 7},  // quotes go before the conversion, as on Windows
        {"Zero", 0},
    };
    for (const auto& [key, value] : converts) {
        EXPECT_EQ(doc.ReadInteger("N", key, -99), value) << key;
        EXPECT_EQ(doc.ReadInteger("n", key, 99), value) << key;
    }
    for (const char* key : {"Over", "Under", "Trailing", "Inner", "Empty", "Word", "Float", "Dollar", "Missing"}) {
        EXPECT_EQ(doc.ReadInteger("N", key, -99), -99) << key;
        EXPECT_EQ(doc.ReadInteger("N", key, 1234), 1234) << key;
    }
}

TEST(IniRead, BoolsAreNonZeroIntegers) {
    const IniDocument doc = GoldenDoc("numbers.ini");
    for (const char* key : {"Dec", "Neg", "Hex", "HexAll", "Min"}) EXPECT_TRUE(doc.ReadBool("N", key, false)) << key;
    EXPECT_FALSE(doc.ReadBool("N", "Zero", true));
    for (const char* key : {"Word", "Empty", "Float", "Over", "Missing"}) {
        EXPECT_TRUE(doc.ReadBool("N", key, true)) << key;
        EXPECT_FALSE(doc.ReadBool("N", key, false)) << key;
    }
}

// ---------------------------------------------------------------------------
// Writes compared with expected files

struct WriteCase {
    const char* input;  // nullptr: a new, empty document
    std::function<void(IniDocument&)> writes;
    const char* expected;
};

void WriteSettingsLikeAFirstSave(IniDocument& d) {
    d.WriteBool("Pivora", "TestMode", false);
    d.WriteInteger("Pivora", "HistoryMax", 1000);
    for (const char* n : {"2", "3", "4"}) d.WriteString("DelphiReg", n, "");
}

TEST(IniWrite, ResultsMatchExpectedFiles) {
    const WriteCase cases[] = {
        {"crlf.ini",
         [](IniDocument& d) {
             d.WriteString("MAIN WINDOW", "width", "800");  // the file's spelling of the key stays
             d.WriteInteger("Main Window", "height", -5);
             d.WriteString("Main Window", "ClientWidth", "9930");
             d.WriteString("closed files", "FILE_0", "");  // last line of the file, ending kept
             d.WriteString("Unknown Section", "Added", "yes");  // before the blank-only line
             d.WriteString("Main Window", "Orphan", "inside");  // after the comment ending the section
         },
         "crlf.replace.expected.ini"},
        {"lf_only.ini",
         [](IniDocument& d) {
             d.WriteString("alpha", "New", "x");
             d.WriteString("Gamma", "g", "7");
             d.WriteString("Beta", "d", "4");
         },
         "lf_only.append.expected.ini"},
        {"no_final_newline.ini", [](IniDocument& d) { d.WriteString("Section", "key", "new"); },
         "no_final_newline.replace.expected.ini"},
        {"no_final_newline.ini", [](IniDocument& d) { d.WriteInteger("Section", "other", 1); },
         "no_final_newline.append_key.expected.ini"},
        {"no_final_newline.ini", [](IniDocument& d) { d.WriteString("Next", "k", "v"); },
         "no_final_newline.new_section.expected.ini"},
        {"bom.ini",
         [](IniDocument& d) {
             d.WriteInteger("Modules", "Count", 2);
             d.WriteString("Modules", "Module0", "a.pas");
         },
         "bom.write.expected.ini"},
        {"duplicate_keys.ini",
         [](IniDocument& d) {
             d.WriteString("dup", "KEY", "changed");
             d.WriteString("Dup", "Only", "new");
         },
         "duplicate_keys.write.expected.ini"},
        {"empty_section.ini", [](IniDocument& d) { d.WriteBool("", "Extra", true); },
         "empty_section.write.expected.ini"},
        {"lone_cr.ini", [](IniDocument& d) { d.WriteInteger("Mac", "Z", 9); }, "lone_cr.write.expected.ini"},
        {nullptr, WriteSettingsLikeAFirstSave, "new_file.expected.ini"},
        {"empty.ini", WriteSettingsLikeAFirstSave, "new_file.expected.ini"},
    };
    for (const WriteCase& c : cases) {
        IniDocument doc = c.input ? GoldenDoc(c.input) : IniDocument();
        c.writes(doc);
        EXPECT_EQ(doc.Serialize(), Golden(c.expected)) << (c.input ? c.input : "(new)") << " -> " << c.expected;
    }
}

TEST(IniWrite, NewLinesFollowTheFilesOwnLineEnds) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "[S]\r\nk=v\r\n"},
        {"[A]\nx=1\n", "[A]\nx=1\n[S]\nk=v\n"},
        {"[A]\nx=1", "[A]\nx=1\n[S]\nk=v\n"},
        {"[A]\nx=1\r\n", "[A]\nx=1\r\n[S]\r\nk=v\r\n"},  // mixed: CR LF
        {"[A]\rx=1\r", "[A]\rx=1\r[S]\r\nk=v\r\n"},
        {"x", "x\r\n[S]\r\nk=v\r\n"},
        {"[A]\n\n\n", "[A]\n\n\n[S]\nk=v\n"},
    };
    for (const auto& [before, after] : cases) {
        IniDocument doc = IniDocument::Parse(before);
        doc.WriteString("S", "k", "v");
        EXPECT_EQ(doc.Serialize(), after) << before;
    }
}

TEST(IniWrite, KeyGoesRightAfterTheSectionsLastLineThatIsNotBlank) {
    const std::pair<std::string, std::string> cases[] = {
        {"[S]", "[S]\r\nk=v\r\n"},
        {"[T]\n[S]", "[T]\n[S]\nk=v\n"},
        {"[S]\r\n\r\n \t\r\n[T]\r\n", "[S]\r\nk=v\r\n\r\n \t\r\n[T]\r\n"},
        {"[S]\na=1\n; note\n\n", "[S]\na=1\n; note\nk=v\n\n"},
        {"k=pre\n[S]\nj=1\n", "k=pre\n[S]\nj=1\nk=v\n"},
        {"[S]\na=1\n[S]\nb=2\n", "[S]\na=1\nk=v\n[S]\nb=2\n"},
    };
    for (const auto& [before, after] : cases) {
        IniDocument doc = IniDocument::Parse(before);
        doc.WriteString("s", "k", "v");
        EXPECT_EQ(doc.Serialize(), after) << before;
    }
}

TEST(IniWrite, ReplacingKeepsTheLinesOwnEnd) {
    IniDocument doc = IniDocument::Parse("[S]\nk=1\r\nj=2\n");
    doc.WriteString("S", "K", "3");
    EXPECT_EQ(doc.Serialize(), "[S]\nk=3\r\nj=2\n");
    doc.WriteString("S", "j", "");
    EXPECT_EQ(doc.Serialize(), "[S]\nk=3\r\nj=\n");
}

TEST(IniWrite, NumbersAndSwitchesAreWrittenInDecimal) {
    IniDocument doc;
    doc.WriteInteger("S", "min", std::numeric_limits<std::int32_t>::min());
    doc.WriteInteger("S", "max", std::numeric_limits<std::int32_t>::max());
    doc.WriteInteger("S", "zero", 0);
    doc.WriteBool("S", "on", true);
    doc.WriteBool("S", "off", false);
    EXPECT_EQ(doc.Serialize(), "[S]\r\nmin=-2147483648\r\nmax=2147483647\r\nzero=0\r\non=1\r\noff=0\r\n");
}

TEST(IniWrite, ALineBreakInAValueCannotSplitTheEntry) {
    IniDocument doc = IniDocument::Parse("[S]\r\nk=old\r\n[T]\r\n");
    doc.WriteString("S", "k", "a\r\n[T]\nb");
    doc.WriteString("S", "new", "x\ry");
    EXPECT_EQ(doc.Serialize(), "[S]\r\nk=a  [T] b\r\nnew=x y\r\n[T]\r\n");
    const IniDocument back = IniDocument::Parse(doc.Serialize());
    EXPECT_EQ(back.ReadString("S", "k", kMissing), "a  [T] b");
    EXPECT_EQ(back.ReadString("S", "new", kMissing), "x y");
}

TEST(IniWrite, EveryValueReadsBackAsWrittenQuotesAndBlanksIncluded) {
    const std::pair<const char*, const char*> cases[] = {
        // value, as it stands in the file
        {"\"/opt/my ide/ide\" -ns \"x y\"", "\"\"/opt/my ide/ide\" -ns \"x y\"\""},
        {"'single'", "\"'single'\""},
        {"\"\"", "\"\"\"\""},
        {" leading", "\" leading\""},
        {"trailing\t", "\"trailing\t\""},
        {" ", "\" \""},
        {"\"", "\""},                    // a lone quote encloses nothing
        {"\"open", "\"open"},
        {"close'", "close'"},
        {"'mixed\"", "'mixed\""},
        {"wine \"C:\\x y\\d.exe\"", "wine \"C:\\x y\\d.exe\""},
        {"", ""},
    };
    for (const auto& [value, stored] : cases) {
        IniDocument doc = IniDocument::Parse("[DelphiReg]\r\n4=old\r\n");
        doc.WriteString("DelphiReg", "4", value);
        doc.WriteString("DelphiReg", "3", value);  // a new key takes the same form
        EXPECT_EQ(doc.Serialize(), std::string("[DelphiReg]\r\n4=") + stored + "\r\n3=" + stored + "\r\n") << value;
        const IniDocument back = IniDocument::Parse(doc.Serialize());
        EXPECT_EQ(back.ReadString("DelphiReg", "4", kMissing), value);
        EXPECT_EQ(back.ReadString("DelphiReg", "3", kMissing), value);
    }
}

TEST(IniWrite, WrittenValuesReadBackBeforeAndAfterSaving) {
    for (const char* file : {"crlf.ini", "lf_only.ini", "bom.ini", "empty_section.ini", "duplicate_keys.ini",
                             "no_final_newline.ini", "lone_cr.ini", "odd_headers.ini", "garbage.bin", "empty.ini"}) {
        IniDocument doc = GoldenDoc(file);
        const std::pair<std::string, std::string> targets[] = {
            {"Main Window", "Width"}, {"Alpha", "a"}, {"Modules", "Count"}, {"", "ModuleType"},
            {"Dup", "Key"},           {"Section", "key"}, {"Mac", "B"},   {"Unclosed", "e"},
            {"Found", "key"},         {"Brand New", "k"},
        };
        int n = 0;
        for (const auto& [section, key] : targets) doc.WriteInteger(section, key, ++n);
        const IniDocument saved = IniDocument::Parse(doc.Serialize());
        n = 0;
        for (const auto& [section, key] : targets) {
            ++n;
            EXPECT_EQ(doc.ReadInteger(section, key, -1), n) << file << " [" << section << "] " << key;
            EXPECT_EQ(saved.ReadInteger(section, key, -1), n) << file << " [" << section << "] " << key;
        }
    }
}

// ---------------------------------------------------------------------------
// Real desktop files

std::vector<std::filesystem::path> CorpusDesktopFiles() {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(CorpusPath("dsk"))) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (entry.is_regular_file() && ext == ".dsk") found.push_back(entry.path());
    }
    return found;
}

class IniCorpus : public CorpusTest {};

TEST_F(IniCorpus, EveryDesktopFileComesBackByteForByte) {
    const std::vector<std::filesystem::path> files = CorpusDesktopFiles();
    ASSERT_FALSE(files.empty()) << "no desktop files under " << CorpusPath("dsk");
    for (const auto& path : files) {
        const std::string bytes = ReadBytes(path.string());
        EXPECT_EQ(IniDocument::Parse(bytes).Serialize(), bytes) << path;
    }
}

TEST_F(IniCorpus, KeysOfARealDesktopFile) {
    const IniDocument doc = IniDocument::Parse(Corpus("dsk/corecoding__kIRC__Project1.dsk"));
    EXPECT_NE(doc.ReadString("Main Window", "ClientWidth", ""), "");
    EXPECT_EQ(doc.ReadInteger("Main Window", "ClientWidth", -1), 1024);
    EXPECT_EQ(doc.ReadInteger("main window", "width", -1), 1024);
    EXPECT_EQ(doc.ReadString("MainWindow", "ClientWidth", kMissing), kMissing);
}

TEST_F(IniCorpus, DesktopFileWithMarkAndEmptySection) {
    const std::string bytes = Corpus("dsk/C-Tec-Research__ZFP-Delphi__v1-1-0-0_ProjectGroupSigFile7.dsk");
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const IniDocument doc = IniDocument::Parse(bytes);
    EXPECT_EQ(doc.ReadInteger("Modules", "Count", -1), 1);  // the header right after the mark
    EXPECT_EQ(doc.ReadString("Modules", "Module0", kMissing), "");
    EXPECT_EQ(doc.ReadString("", "ModuleType", kMissing), "TURLModule");
    EXPECT_EQ(doc.ReadInteger("EditWindow0", "ViewCount", -1), 1);
}

TEST_F(IniCorpus, EmptyDesktopFileReadsAsNothing) {
    const std::string bytes = Corpus("dsk/C-Tec-Research__ZFP-Delphi__v1-0-9-0_ProjectGroupSigFile7.dsk");
    ASSERT_EQ(bytes, "");
    EXPECT_EQ(IniDocument::Parse(bytes).ReadString("Main Window", "ClientWidth", kMissing), kMissing);
}

TEST_F(IniCorpus, ReplacingAValueChangesOnlyThatLine) {
    const std::string bytes = Corpus("dsk/corecoding__kIRC__Project1.dsk");
    const std::string before = "\r\nClientWidth=1024\r\n";
    const std::size_t at = bytes.find(before);  // the first one is in [Main Window], the first section
    ASSERT_NE(at, std::string::npos);
    ASSERT_LT(at, bytes.find("\r\n[", 1));
    std::string expected = bytes;
    expected.replace(at, before.size(), "\r\nClientWidth=800\r\n");

    IniDocument doc = IniDocument::Parse(bytes);
    doc.WriteInteger("Main Window", "ClientWidth", 800);
    EXPECT_EQ(doc.Serialize(), expected);
}

// ---------------------------------------------------------------------------
// Input that is not a profile

TEST(IniRobust, BytesThatAreNotTextStillParse) {
    const std::string bytes = Golden("garbage.bin");
    ASSERT_NE(bytes.find('\0'), std::string::npos);
    const IniDocument doc = IniDocument::Parse(bytes);
    EXPECT_EQ(doc.Serialize(), bytes);
    // Text after NUL bytes and random bytes is still found.
    EXPECT_EQ(doc.ReadString("Found", "key", kMissing), "ok");
    EXPECT_EQ(doc.ReadString("Found", std::string("nul\0key", 7), kMissing), std::string("v\0al", 4));
    EXPECT_EQ(doc.ReadInteger("Found", "key", 5), 5);
}

TEST(IniRobust, LongLinesAndValuesReadBackWhole) {
    const std::string big(100000, 'x');
    IniDocument doc;
    doc.WriteString("S", "big", big);
    EXPECT_EQ(doc.ReadString("S", "big", ""), big);
    EXPECT_EQ(IniDocument::Parse(doc.Serialize()).ReadString("S", "big", ""), big);

    std::string megabyte(1 << 20, 'v');
    megabyte[12345] = '\0';
    const std::string file = "[S]\r\nk=" + megabyte + "\r\n" + std::string(1 << 20, '[') + "\n" +
                             std::string(1 << 20, '=') + "\n[T]\nk=after";
    const IniDocument parsed = IniDocument::Parse(file);
    EXPECT_EQ(parsed.Serialize(), file);
    EXPECT_EQ(parsed.ReadString("S", "k", ""), megabyte);
    EXPECT_EQ(parsed.ReadString("T", "k", ""), "after");
}

// Text made mostly of the bytes that mean something in a profile, so random
// input hits headers, keys, comments, marks and every kind of line end.
std::string RandomProfileText(std::mt19937& rng) {
    static const std::string pieces[] = {
        "[", "]", "=", ";", "\r", "\n", "\r\n", " ", "\t", "\"", "'", std::string(1, '\0'), "\xEF\xBB\xBF",
        "s", "S", "k", "K", "v", "1", "$", "-", "\xC3\x9C", "\xFF", "[s]", "k=", "\n[", "\r\nk",
    };
    std::uniform_int_distribution<std::size_t> length(0, 60), pick(0, std::size(pieces) - 1);
    std::string text;
    for (std::size_t n = length(rng); n > 0; --n) text += pieces[pick(rng)];
    return text;
}

TEST(IniRobust, RandomInputRoundTripsAndWritesReadBack) {
    std::mt19937 rng(20261207);  // fixed, so a failure can be reproduced
    const std::string names[] = {"s", "S", "k", "", "[s]", "v"};
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomProfileText(rng);
        IniDocument doc = IniDocument::Parse(text);
        ASSERT_EQ(doc.Serialize(), text) << round;
        for (const std::string& section : names)
            for (const std::string& key : names) {
                doc.ReadString(section, key, "");
                doc.ReadInteger(section, key, 0);
                doc.ReadBool(section, key, false);
            }
        // Whatever was there, a written key reads back, before and after saving,
        // and another section still reads as it did.
        doc.WriteInteger("s", "k", round);
        ASSERT_EQ(doc.ReadInteger("S", "K", -1), round) << round << ": " << ::testing::PrintToString(text);
        const IniDocument saved = IniDocument::Parse(doc.Serialize());
        ASSERT_EQ(saved.ReadInteger("s", "k", -1), round) << round << ": " << ::testing::PrintToString(text);
        ASSERT_EQ(saved.ReadString("v", "k", kMissing), IniDocument::Parse(text).ReadString("v", "k", kMissing))
            << round << ": " << ::testing::PrintToString(text);
    }
}

// ---------------------------------------------------------------------------
// Files on disk

class RecordingFiles final : public FileSystem {
public:
    std::map<std::string, std::string> files;
    bool failRead = false, failWrite = false;
    int reads = 0;
    std::vector<std::pair<std::string, std::string>> written;

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    std::string ReadFile(const std::string& path) override {
        ++reads;
        if (failRead) throw FileError("cannot read " + path);
        return files.at(path);
    }
    std::string ReadPrefix(const std::string& path, std::size_t count) override {
        return ReadFile(path).substr(0, count);
    }
    void WriteFileAtomic(const std::string& path, const std::string& data) override {
        if (failWrite) throw FileError("cannot write " + path);
        written.emplace_back(path, data);
        files[path] = data;
    }
    std::optional<std::string> FindCaseVariant(const std::string&) override { return std::nullopt; }
    std::unique_ptr<FileLock> LockExclusive(const std::string&) override { return nullptr; }
};

TEST(IniFileOnDisk, MissingFileIsAnEmptyDocumentAndIsNotRead) {
    RecordingFiles files;
    TIniFile ini(files, "/cfg/p.ini");
    EXPECT_EQ(files.reads, 0);
    EXPECT_EQ(ini.ReadString("A", "b", "def"), "def");
    EXPECT_EQ(ini.Document().Serialize(), "");
    EXPECT_TRUE(files.written.empty());
}

TEST(IniFileOnDisk, ExistingFileIsLoadedAndWrittenBackWhole) {
    RecordingFiles files;
    files.files["/cfg/p.ini"] = "[A]\nb=1\n; keep me\n";
    TIniFile ini(files, "/cfg/p.ini");
    EXPECT_EQ(ini.ReadInteger("a", "B", 0), 1);
    ini.WriteBool("A", "b", false);
    ini.WriteString("A", "c", "x");
    EXPECT_TRUE(files.written.empty());  // nothing reaches the disk before UpdateFile
    ini.UpdateFile();
    ASSERT_EQ(files.written.size(), 1u);
    EXPECT_EQ(files.written[0].first, "/cfg/p.ini");
    EXPECT_EQ(files.written[0].second, "[A]\nb=0\n; keep me\nc=x\n");
}

TEST(IniFileOnDisk, UnchangedFileIsWrittenBackAsItWas) {
    RecordingFiles files;
    files.files["/cfg/p.ini"] = Golden("crlf.ini");
    TIniFile ini(files, "/cfg/p.ini");
    ini.UpdateFile();
    ASSERT_EQ(files.written.size(), 1u);
    EXPECT_EQ(files.written[0].second, Golden("crlf.ini"));
}

TEST(IniFileOnDisk, ReadAndWriteFailuresReachTheCaller) {
    RecordingFiles files;
    files.files["/cfg/p.ini"] = "[A]\nb=1\n";
    files.failRead = true;
    EXPECT_THROW(TIniFile(files, "/cfg/p.ini"), FileError);

    files.failRead = false;
    TIniFile ini(files, "/cfg/p.ini");
    ini.WriteInteger("A", "b", 2);
    files.failWrite = true;
    EXPECT_THROW(ini.UpdateFile(), FileError);
    EXPECT_EQ(files.files["/cfg/p.ini"], "[A]\nb=1\n");
    EXPECT_EQ(ini.ReadInteger("A", "b", 0), 2);  // the document keeps the change for a retry
}

}  // namespace
}  // namespace pivora::testing
