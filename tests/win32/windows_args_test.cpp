// The command-line rules of the C runtime, both ways, and the command line the
// IDE is started with. Checked against the system's own splitters as well,
// where they agree with the runtime.
#include <gtest/gtest.h>

#include "platform/win32/Win32Api.h"

#include <shellapi.h>

#include <random>
#include <string>
#include <vector>

#include "platform/formats/FileNames.h"
#include "platform/win32/WindowsArgs.h"

namespace pivora {
namespace {

using Args = std::vector<std::string>;

Args Split(const std::string& line, LeadBytePredicate lead = nullptr) { return SplitWindowsCommandLine(line, lead); }

TEST(SplitCommandLine, BlanksAndTabsSeparateAndRunsOfThemCountOnce) {
    EXPECT_EQ(Split("prog a b\tc  \t d"), (Args{"prog", "a", "b", "c", "d"}));
    EXPECT_EQ(Split("prog   "), (Args{"prog"}));
    EXPECT_EQ(Split("prog"), (Args{"prog"}));
    EXPECT_EQ(Split(""), (Args{""}));
}

TEST(SplitCommandLine, QuotesGroupAndMayStartOrStopInsideAWord) {
    EXPECT_EQ(Split("p \"a b\" c"), (Args{"p", "a b", "c"}));
    EXPECT_EQ(Split("p a\"b c\"d e"), (Args{"p", "ab cd", "e"}));
    EXPECT_EQ(Split("p \"\""), (Args{"p", ""}));
    EXPECT_EQ(Split("p \"\" \"\""), (Args{"p", "", ""}));
    // An unclosed quote runs to the end, blanks and all.
    EXPECT_EQ(Split("p \"a b  "), (Args{"p", "a b  "}));
}

TEST(SplitCommandLine, BackslashesAreLiteralExceptBeforeAQuote) {
    EXPECT_EQ(Split(R"(p C:\dir\file.dpr)"), (Args{"p", R"(C:\dir\file.dpr)"}));
    EXPECT_EQ(Split(R"(p a\\b)"), (Args{"p", R"(a\\b)"}));
    // 2n backslashes and a quote: n backslashes, and the quote groups.
    EXPECT_EQ(Split(R"(p "a\\" b)"), (Args{"p", R"(a\)", "b"}));
    EXPECT_EQ(Split(R"(p "C:\dir\\")"), (Args{"p", R"(C:\dir\)"}));
    // 2n+1: n backslashes and a literal quote.
    EXPECT_EQ(Split(R"(p a\"b)"), (Args{"p", R"(a"b)"}));
    EXPECT_EQ(Split(R"(p a\\\"b)"), (Args{"p", R"(a\"b)"}));
    EXPECT_EQ(Split(R"(p "a\"b c")"), (Args{"p", R"(a"b c)"}));
    // A trailing backslash before the end of the line stays.
    EXPECT_EQ(Split(R"(p a\)"), (Args{"p", R"(a\)"}));
}

TEST(SplitCommandLine, TwoQuotesInsideQuotesGiveOneLiteralQuote) {
    EXPECT_EQ(Split(R"(p "a""b")"), (Args{"p", R"(a"b)"}));
    EXPECT_EQ(Split(R"(p "a""" b)"), (Args{"p", R"(a")", "b"}));
    // Outside quotes the first opens and the second closes.
    EXPECT_EQ(Split(R"(p a""b)"), (Args{"p", "ab"}));
}

TEST(SplitCommandLine, TheProgramNameRunsToTheClosingQuoteWithoutEscapes) {
    EXPECT_EQ(Split(R"("C:\Program Files\dir\" x)"), (Args{R"(C:\Program Files\dir\)", "x"}));
    EXPECT_EQ(Split(R"(C:\a\b.exe "x")"), (Args{R"(C:\a\b.exe)", "x"}));
    EXPECT_EQ(Split(R"("C:\a b"c d)"), (Args{R"(C:\a bc)", "d"}));
}

TEST(SplitCommandLine, DoubleByteCharactersWhoseTrailByteIsABackslashStayWhole) {
    // 表 = 95 5C. Read byte-wise, 5C before the closing quote would escape it.
    const std::string dir = "C:\\\x95\x5C";
    EXPECT_EQ(Split("p \"" + dir + "\" x", &IsShiftJisLeadByte), (Args{"p", dir, "x"}));
    EXPECT_EQ(Split("p \"" + dir + "\" x"), (Args{"p", "C:\\\x95\" x"}))
        << "without the code page the same bytes escape the quote, and the blank is quoted";
    // In the program name as well.
    EXPECT_EQ(Split("\"C:\\\x83\x5C\\a.exe\" y", &IsShiftJisLeadByte), (Args{"C:\\\x83\x5C\\a.exe", "y"}));
}

TEST(QuoteArgument, PlainWordsStayAsTheyAre) {
    EXPECT_EQ(QuoteWindowsArgument(R"(C:\dir\file.dpr)"), R"(C:\dir\file.dpr)");
    EXPECT_EQ(QuoteWindowsArgument(R"(a\\b\)"), R"(a\\b\)");
}

TEST(QuoteArgument, BlanksTabsQuotesAndEmptyAreQuoted) {
    EXPECT_EQ(QuoteWindowsArgument(""), "\"\"");
    EXPECT_EQ(QuoteWindowsArgument("a b"), "\"a b\"");
    EXPECT_EQ(QuoteWindowsArgument("a\tb"), "\"a\tb\"");
    EXPECT_EQ(QuoteWindowsArgument(R"(a"b)"), R"("a\"b")");
    EXPECT_EQ(QuoteWindowsArgument(R"(C:\My Dir\)"), R"("C:\My Dir\\")");
    EXPECT_EQ(QuoteWindowsArgument(R"(a\"b c)"), R"("a\\\"b c")");
}

TEST(QuoteArgument, ATrailByteBackslashAtTheEndIsNotDoubled) {
    const std::string name = "C:\\My Dir\\\x95\x5C";
    EXPECT_EQ(QuoteWindowsArgument(name, &IsShiftJisLeadByte), "\"" + name + "\"");
    EXPECT_EQ(Split("p " + QuoteWindowsArgument(name, &IsShiftJisLeadByte), &IsShiftJisLeadByte), (Args{"p", name}));
}

// Round trips: whatever the argument, quoting it and splitting the result gives it back.
std::vector<std::string> NastyArguments() {
    return {"", " ", "\t", "\"", "\"\"", "\\", "\\\\", "\\\"", "a b", "a\\", "a\\\\", "a\\ b\\", "\"a b\"",
            "a\"b\"c", "\\\\server\\share\\", "C:\\Program Files\\Borland\\Delphi 4\\Bin\\",
            "x\\\\\\\"y", "  lead and trail  ", "tab\tinside", "end with quote\"", "\"start", "a\\\"\\\"b"};
}

TEST(QuoteArgument, RoundTripsThroughTheSplitter) {
    for (const std::string& arg : NastyArguments()) {
        const std::string line = "prog " + QuoteWindowsArgument(arg) + " next";
        EXPECT_EQ(Split(line), (Args{"prog", arg, "next"})) << "[" << arg << "] as " << line;
    }
}

TEST(QuoteArgument, RoundTripsOfRandomArgumentsFromAnAlphabetOfTroubleMakers) {
    const std::string alphabet = "ab \t\"\\";
    std::mt19937 random(1234);
    for (int n = 0; n < 3000; ++n) {
        std::string a, b;
        for (int i = static_cast<int>(random() % 9); i > 0; --i) a += alphabet[random() % alphabet.size()];
        for (int i = static_cast<int>(random() % 9); i > 0; --i) b += alphabet[random() % alphabet.size()];
        const std::string line = "\"C:\\p q\\prog.exe\" " + QuoteWindowsArgument(a) + " " + QuoteWindowsArgument(b);
        ASSERT_EQ(Split(line), (Args{"C:\\p q\\prog.exe", a, b})) << line;
    }
}

TEST(QuoteArgument, RoundTripsOfDoubleByteNamesWithBackslashTrailBytes) {
    const std::vector<std::string> pieces = {"\x95\x5C", "\x83\x5C", "\x94\x5C", "\\", "\"", " ", "a"};
    std::mt19937 random(99);
    for (int n = 0; n < 2000; ++n) {
        std::string arg;
        for (int i = static_cast<int>(random() % 7); i > 0; --i) arg += pieces[random() % pieces.size()];
        const std::string line = "p " + QuoteWindowsArgument(arg, &IsShiftJisLeadByte) + " z";
        ASSERT_EQ(Split(line, &IsShiftJisLeadByte), (Args{"p", arg, "z"})) << line;
    }
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

TEST(QuoteArgument, TheSystemsSplitterReadsItTheSameWay) {
    // CommandLineToArgvW differs from the runtime only on runs of quotes, which
    // the quoting never writes; so it must give every argument back too.
    for (const std::string& arg : NastyArguments()) {
        const std::wstring line = Wide("prog.exe " + QuoteWindowsArgument(arg) + " next");
        int argc = 0;
        wchar_t** argv = ::CommandLineToArgvW(line.c_str(), &argc);
        ASSERT_NE(argv, nullptr);
        ASSERT_EQ(argc, 3) << "[" << arg << "]";
        EXPECT_EQ(std::wstring(argv[1]), Wide(arg)) << "[" << arg << "]";
        ::LocalFree(argv);
    }
}

TEST(SplitCommandLine, AgreesWithTheSystemsSplitterWhereTheRulesAreTheSame) {
    const std::vector<std::string> lines = {
        R"(p a b)", R"(p "a b" c)", R"(p a\"b)", R"(p "a\\" b)", R"(p a\\\"b)", R"(p C:\x\ y)",
        R"(p "C:\x y\\")", "p\ta\t\"b\tc\"", R"("C:\Program Files\x.exe" "z")", R"(p "")"};
    for (const std::string& line : lines) {
        int argc = 0;
        wchar_t** argv = ::CommandLineToArgvW(Wide(line).c_str(), &argc);
        ASSERT_NE(argv, nullptr);
        std::vector<std::string> system;
        for (int i = 0; i < argc; ++i) {
            std::wstring w = argv[i];
            system.emplace_back(w.begin(), w.end());
        }
        ::LocalFree(argv);
        EXPECT_EQ(Split(line), system) << line;
    }
}

TEST(IdeCommand, AnExistingRegisteredFileIsNamedAndQuotedAtTheHead) {
    const IdeCommand c = BuildIdeCommand(R"(C:\Program Files\Borland\Delphi 4\Bin\delphi32.exe)", true,
                                         R"(C:\My Projects\P.dpr)");
    EXPECT_TRUE(c.useApplicationName);
    EXPECT_EQ(c.applicationName, R"(C:\Program Files\Borland\Delphi 4\Bin\delphi32.exe)");
    EXPECT_EQ(c.commandLine, R"("C:\Program Files\Borland\Delphi 4\Bin\delphi32.exe" "C:\My Projects\P.dpr")");
    EXPECT_EQ(c.executable, c.applicationName);
    EXPECT_FALSE(c.empty);
    // The program name rule does not escape, so a backslash before the quote stays single.
    EXPECT_EQ(Split(c.commandLine), (Args{c.applicationName, R"(C:\My Projects\P.dpr)"}));
}

TEST(IdeCommand, AFileWithoutBlanksIsWrittenBare) {
    const IdeCommand c = BuildIdeCommand(R"(C:\D4\delphi32.exe)", true, R"(C:\p\P.dpr)");
    EXPECT_EQ(c.commandLine, R"("C:\D4\delphi32.exe" C:\p\P.dpr)");
}

TEST(IdeCommand, AnythingElseIsTheUsersCommandWrittenAsTyped) {
    const IdeCommand c = BuildIdeCommand(R"("C:\D 4\delphi32.exe" -np)", false, R"(C:\a b\P.dpr)");
    EXPECT_FALSE(c.useApplicationName);
    EXPECT_EQ(c.commandLine, R"("C:\D 4\delphi32.exe" -np "C:\a b\P.dpr")");
    EXPECT_EQ(Split(c.commandLine), (Args{R"(C:\D 4\delphi32.exe)", "-np", R"(C:\a b\P.dpr)"}));
    EXPECT_EQ(c.executable, R"("C:\D 4\delphi32.exe" -np)");
}

TEST(IdeCommand, ABlankCommandRunsNothing) {
    EXPECT_TRUE(BuildIdeCommand("", false, "x.dpr").empty);
    EXPECT_TRUE(BuildIdeCommand(" \t ", false, "x.dpr").empty);
    EXPECT_FALSE(BuildIdeCommand("ide", false, "x.dpr").empty);
}

TEST(IdeCommand, TheFileArrivesAsExactlyOneArgumentWhateverItHolds) {
    for (const std::string& file : NastyArguments()) {
        for (bool isFile : {true, false}) {
            const IdeCommand c = BuildIdeCommand(isFile ? R"(C:\D 4\ide.exe)" : "ide.exe -x", isFile, file);
            const Args args = Split(c.commandLine);
            ASSERT_FALSE(args.empty());
            EXPECT_EQ(args.back(), file) << c.commandLine;
            EXPECT_EQ(args.size(), isFile ? 2u : 3u) << c.commandLine;
        }
    }
}

TEST(IdeCommand, ADoubleByteFileNameEndingInABackslashTrailByteKeepsItsQuote) {
    const std::string file = "C:\\\x95\x5C\x83\x5C\x94\x5C dir\\\x95\x5C";
    const IdeCommand c = BuildIdeCommand("C:\\ide.exe", true, file, &IsShiftJisLeadByte);
    EXPECT_EQ(Split(c.commandLine, &IsShiftJisLeadByte), (Args{"C:\\ide.exe", file}));
}

}  // namespace
}  // namespace pivora
