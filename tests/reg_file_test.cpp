// Wine's registry files as the discovery of installed IDEs reads them: the
// escapes Wine writes, the value forms, names without regard to case, and
// lines that are damaged or of no interest.
#include <gtest/gtest.h>

#include "platform/formats/RegFile.h"

namespace pivora {
namespace {

// A system.reg as Wine writes it, with LF line ends.
constexpr const char* kSystemReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Borland\\\\Delphi\\\\4.0] 1733616000\n"
    "#time=1db4941b1e0c2f0\n"
    "\"Delphi 4\"=\"C:\\\\Program Files (x86)\\\\Borland\\\\Delphi4\\\\Bin\\\\DELPHI32.EXE\"\n"
    "\"RootDir\"=\"C:\\\\Program Files (x86)\\\\Borland\\\\Delphi4\"\n"
    "\n"
    "[Software\\\\Borland\\\\Delphi\\\\4.0] 1733616000\n"
    "\"RootDir\"=\"D:\\\\native view\"\n";

TEST(RegFile, ReadsTheValuesOfItsKeysUnescaped) {
    const RegFile reg = RegFile::Parse(kSystemReg);
    EXPECT_EQ(reg.String("Software\\Wow6432Node\\Borland\\Delphi\\4.0", "Delphi 4"),
              "C:\\Program Files (x86)\\Borland\\Delphi4\\Bin\\DELPHI32.EXE");
    EXPECT_EQ(reg.String("Software\\Wow6432Node\\Borland\\Delphi\\4.0", "RootDir"),
              "C:\\Program Files (x86)\\Borland\\Delphi4");
    // The Wow6432Node key and the one beside it are different keys.
    EXPECT_EQ(reg.String("Software\\Borland\\Delphi\\4.0", "RootDir"), "D:\\native view");
    EXPECT_EQ(reg.String("Software\\Borland\\Delphi\\4.0", "Delphi 4"), std::nullopt);
    EXPECT_EQ(reg.String("Software\\Borland\\Delphi\\3.0", "RootDir"), std::nullopt);
}

TEST(RegFile, CrLfLinesReadAsLfLines) {
    std::string crlf;
    const std::string lf = std::string(kSystemReg) + "\"Expanded\"=hex(2):43,00,3a,00,\\\n  5c,00,00,00\n";
    for (char c : lf) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    const RegFile reg = RegFile::Parse(crlf);
    EXPECT_EQ(reg.String("Software\\Wow6432Node\\Borland\\Delphi\\4.0", "RootDir"),
              "C:\\Program Files (x86)\\Borland\\Delphi4");
    EXPECT_EQ(reg.String("Software\\Borland\\Delphi\\4.0", "RootDir"), "D:\\native view");
    EXPECT_EQ(reg.String("Software\\Borland\\Delphi\\4.0", "Expanded"), "C:\\");
}

TEST(RegFile, KeyAndValueNamesMatchWithoutRegardToCase) {
    const RegFile reg = RegFile::Parse("[SOFTWARE\\\\borland\\\\DELPHI\\\\3.0]\n\"rootdir\"=\"C:\\\\D3\"\n");
    EXPECT_EQ(reg.String("Software\\Borland\\Delphi\\3.0", "RootDir"), "C:\\D3");
    EXPECT_EQ(reg.String("software\\BORLAND\\delphi\\3.0", "ROOTDIR"), "C:\\D3");
    // Separators as the caller may write them: doubled or at either end.
    EXPECT_EQ(reg.String("\\Software\\\\Borland\\Delphi\\3.0\\", "RootDir"), "C:\\D3");
}

TEST(RegFile, TheEscapesWineWrites) {
    const RegFile reg = RegFile::Parse(
        "[Escapes]\n"
        "\"quote\"=\"say \\\"hi\\\"\"\n"
        "\"backslash\"=\"a\\\\b\"\n"
        // Four digits when a hexadecimal digit follows, else as few as needed.
        "\"japanese\"=\"C:\\\\\\x30c7\\x30eb\\x30d5\\x30a3\\x3000\\x0034\"\n"
        "\"short\"=\"caf\\xe9s\"\n"
        "\"surrogates\"=\"\\xd83d\\xde00\"\n"
        "\"lone surrogate\"=\"a\\xd83db\"\n"
        "\"controls\"=\"\\t|\\n|\\r|\\a|\\e|\\1|\\0017\"\n"
        "\"x alone\"=\"\\xz\"\n"
        "\"raw utf8\"=\"\xE3\x83\x87\"\n"
        "\"a\\\"b\"=\"quoted name\"\n");
    EXPECT_EQ(reg.String("Escapes", "quote"), "say \"hi\"");
    EXPECT_EQ(reg.String("Escapes", "backslash"), "a\\b");
    EXPECT_EQ(reg.String("Escapes", "japanese"), "C:\\デルフィ\u30004");
    EXPECT_EQ(reg.String("Escapes", "short"), "cafés");
    EXPECT_EQ(reg.String("Escapes", "surrogates"), "\U0001F600");
    EXPECT_EQ(reg.String("Escapes", "lone surrogate"), "a\uFFFDb");
    EXPECT_EQ(reg.String("Escapes", "controls"), std::string("\t|\n|\r|\a|\x1B|\x01|\x01") + "7");
    EXPECT_EQ(reg.String("Escapes", "x alone"), "xz");
    EXPECT_EQ(reg.String("Escapes", "raw utf8"), "デ");
    EXPECT_EQ(reg.String("Escapes", "a\"b"), "quoted name");
}

TEST(RegFile, KeyNamesAreEscapedToo) {
    const RegFile reg = RegFile::Parse("[Software\\\\\\x30dc\\x30fc\\\\k\\]ey] 1\n@=\"default\"\n");
    EXPECT_EQ(reg.String("Software\\ボー\\k]ey", ""), "default");
}

TEST(RegFile, StringFormsAreStringsAndOtherDataIsNot) {
    const RegFile reg = RegFile::Parse(
        "[Values]\n"
        "@=\"the default\"\n"
        "\"plain\"=str:\"C:\\\\a\"\n"
        "\"expand\"=str(2):\"%ProgramFiles%\\\\Borland\"\n"
        // REG_EXPAND_SZ and REG_SZ as bytes, UTF-16LE, over continued lines.
        "\"expand hex\"=hex(2):43,00,3a,00,5c,00,\\\n"
        "  44,00,34,00,00,00\n"
        "\"sz hex\"=hex(1):41,00,42,00\n"
        "\"multi\"=str(7):\"a\\0b\\0\"\n"
        "\"number\"=dword:00000004\n"
        "\"binary\"=hex:41,00,42,00\n"
        "\"other hex\"=hex(7):41,00,00,00\n"
        "\"after\"=\"still read\"\n");
    EXPECT_EQ(reg.String("Values", ""), "the default");
    EXPECT_EQ(reg.String("Values", "plain"), "C:\\a");
    EXPECT_EQ(reg.String("Values", "expand"), "%ProgramFiles%\\Borland");  // as stored, not expanded
    EXPECT_EQ(reg.String("Values", "expand hex"), "C:\\D4");
    EXPECT_EQ(reg.String("Values", "sz hex"), "AB");
    EXPECT_EQ(reg.String("Values", "multi"), std::nullopt);
    EXPECT_EQ(reg.String("Values", "number"), std::nullopt);
    EXPECT_EQ(reg.String("Values", "binary"), std::nullopt);
    EXPECT_EQ(reg.String("Values", "other hex"), std::nullopt);
    EXPECT_EQ(reg.String("Values", "after"), "still read");
}

TEST(RegFile, DamagedLinesArePassedOverAndTheRestIsRead) {
    const RegFile reg = RegFile::Parse(
        "\xEF\xBB\xBF"
        "\"before any key\"=\"lost\"\n"
        "[Good]\n"
        "garbage line\n"
        "\"unterminated\"=\"no end\n"
        "\"no equals\" \"x\"\n"
        "\"bad hex\"=hex(2):zz,00\n"
        "\"bad type\"=hex(:41\n"
        "; a comment\n"
        "#link\n"
        "\"kept\"=\"yes\"\n"
        "[Broken\\\\key\n"
        "\"orphan\"=\"lost too\"\n"
        "[Good]\n"
        "\"kept\"=\"replaced\"\n"
        "\"second\"=\"merged\"\n"
        "\"last line without its end\"=\"read\"");
    EXPECT_EQ(reg.String("Good", "kept"), "replaced");
    EXPECT_EQ(reg.String("Good", "second"), "merged");
    EXPECT_EQ(reg.String("Good", "last line without its end"), "read");
    EXPECT_EQ(reg.String("Good", "unterminated"), std::nullopt);
    EXPECT_EQ(reg.String("Good", "bad hex"), std::nullopt);
    EXPECT_EQ(reg.String("Good", "orphan"), std::nullopt);
    EXPECT_EQ(reg.String("Broken\\key", "orphan"), std::nullopt);
    EXPECT_EQ(reg.String("", "before any key"), std::nullopt);
}

TEST(RegFile, AnEmptyOrForeignTextHoldsNothing) {
    EXPECT_EQ(RegFile::Parse("").String("Software", "x"), std::nullopt);
    EXPECT_EQ(RegFile::Parse(std::string("\0\0[\xFF\xFE", 6)).String("Software", "x"), std::nullopt);
}

}  // namespace
}  // namespace pivora
