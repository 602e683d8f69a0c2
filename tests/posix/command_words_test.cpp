// Splitting a registered command into words as a shell would, without one:
// what a user types after "wine" must reach the program word for word.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/CommandWords.h"

namespace pivora {
namespace {

using Words = std::vector<std::string>;

TEST(CommandWords, BlanksTabsAndLineBreaksSeparateWords) {
    EXPECT_EQ(SplitCommandWords("wine delphi32.exe"), (Words{"wine", "delphi32.exe"}));
    EXPECT_EQ(SplitCommandWords("  wine \t\t delphi32.exe\n-ns  "), (Words{"wine", "delphi32.exe", "-ns"}));
    EXPECT_EQ(SplitCommandWords(""), Words{});
    EXPECT_EQ(SplitCommandWords(" \t\n "), Words{});
}

TEST(CommandWords, ABackslashOutsideQuotesTakesTheNextCharacterLiterally) {
    EXPECT_EQ(SplitCommandWords(R"(/opt/my\ ides/delphi32 -x)"), (Words{"/opt/my ides/delphi32", "-x"}));
    EXPECT_EQ(SplitCommandWords(R"(a\"b a\'b a\\b)"), (Words{R"(a"b)", "a'b", R"(a\b)"}));
    EXPECT_EQ(SplitCommandWords(R"(\"quoted\")"), (Words{R"("quoted")"}));
    // Before an ordinary character it is simply dropped, as in the shell.
    EXPECT_EQ(SplitCommandWords(R"(C:\Delphi)"), (Words{"C:Delphi"}));
    EXPECT_EQ(SplitCommandWords("a\\\tb"), (Words{"a\tb"}));
}

TEST(CommandWords, DoubleQuotesGroupBlanksAndKeepWindowsPathsWhole) {
    EXPECT_EQ(SplitCommandWords(R"(wine "C:\Program Files\Borland\Delphi 3\Bin\delphi32.exe")"),
              (Words{"wine", R"(C:\Program Files\Borland\Delphi 3\Bin\delphi32.exe)"}));
    EXPECT_EQ(SplitCommandWords("\"a  b\tc\" d"), (Words{"a  b\tc", "d"}));
    // The other kind of quote is an ordinary character inside.
    EXPECT_EQ(SplitCommandWords(R"("it's")"), (Words{"it's"}));
}

TEST(CommandWords, InsideDoubleQuotesABackslashEscapesOnlyAQuoteOrABackslash) {
    EXPECT_EQ(SplitCommandWords(R"("say \"hi\"")"), (Words{R"(say "hi")"}));
    EXPECT_EQ(SplitCommandWords(R"("\\server\share")"), (Words{R"(\server\share)"}));
    EXPECT_EQ(SplitCommandWords(R"("a\b" "a\'b" "a\ b")"), (Words{R"(a\b)", R"(a\'b)", R"(a\ b)"}));
    // An escaped quote does not close the word.
    EXPECT_EQ(SplitCommandWords(R"("a\" b" c)"), (Words{R"(a" b)", "c"}));
}

// The shell also removes a backslash before "$" and "`" inside double quotes
// (the characters it would otherwise expand there).
// Nothing is expanded, so "$" and "`" mean nothing: a backslash before them
// stays, as a Windows path such as "C:\$Recycle.Bin" needs.
TEST(CommandWords, InsideDoubleQuotesABackslashBeforeDollarOrBacktickStays) {
    EXPECT_EQ(SplitCommandWords(R"("\$HOME")"), (Words{R"(\$HOME)"}));
    EXPECT_EQ(SplitCommandWords(R"("C:\$Recycle.Bin\`x`")"), (Words{R"(C:\$Recycle.Bin\`x`)"}));
}

TEST(CommandWords, SingleQuotesGroupAndEverythingInsideIsLiteral) {
    EXPECT_EQ(SplitCommandWords("'a  b' c"), (Words{"a  b", "c"}));
    EXPECT_EQ(SplitCommandWords(R"('C:\Program Files\x.exe')"), (Words{R"(C:\Program Files\x.exe)"}));
    EXPECT_EQ(SplitCommandWords(R"('say "hi"')"), (Words{R"(say "hi")"}));
    EXPECT_EQ(SplitCommandWords(R"('\\server\share' '\"')"), (Words{R"(\\server\share)", R"(\")"}));
    // A backslash cannot escape the closing quote: the word ends there.
    EXPECT_EQ(SplitCommandWords(R"('a\' b)"), (Words{R"(a\)", "b"}));
}

TEST(CommandWords, AdjacentQuotedAndUnquotedPartsJoinIntoOneWord) {
    EXPECT_EQ(SplitCommandWords(R"(a"b c"'d e'f g)"), (Words{"ab cd ef", "g"}));
    EXPECT_EQ(SplitCommandWords(R"(--prefix="/home/me/.wine d3")"), (Words{"--prefix=/home/me/.wine d3"}));
    EXPECT_EQ(SplitCommandWords(R"('it'\''s')"), (Words{"it's"}));
}

TEST(CommandWords, AnEmptyQuotedWordIsStillAWord) {
    EXPECT_EQ(SplitCommandWords(R"(ide "" '' last)"), (Words{"ide", "", "", "last"}));
    EXPECT_EQ(SplitCommandWords(R"("")"), Words{""});
    // Joined to other text it adds nothing.
    EXPECT_EQ(SplitCommandWords(R"(a"" ''b)"), (Words{"a", "b"}));
}

TEST(CommandWords, NothingIsExpandedAndNoOperatorIsSpecial) {
    EXPECT_EQ(SplitCommandWords("$HOME/bin/ide ${PATH} ~ ~/x *.exe ? [ab] $(id) `id`"),
              (Words{"$HOME/bin/ide", "${PATH}", "~", "~/x", "*.exe", "?", "[ab]", "$(id)", "`id`"}));
    EXPECT_EQ(SplitCommandWords("a;b a|b a>b a&&b #c"), (Words{"a;b", "a|b", "a>b", "a&&b", "#c"}));
    EXPECT_EQ(SplitCommandWords(R"("$HOME" '*')"), (Words{"$HOME", "*"}));
}

// A shell refuses these; the splitter keeps what was typed, so the command
// that fails to start is the one the user can recognise.
TEST(CommandWords, AnUnclosedQuoteRunsToTheEndAndATrailingBackslashStays) {
    EXPECT_EQ(SplitCommandWords(R"(wine "C:\Program Files\x.exe)"), (Words{"wine", R"(C:\Program Files\x.exe)"}));
    EXPECT_EQ(SplitCommandWords("ide 'a b"), (Words{"ide", "a b"}));
    EXPECT_EQ(SplitCommandWords("\""), Words{""});
    EXPECT_EQ(SplitCommandWords(R"(ide a\)"), (Words{"ide", R"(a\)"}));
    EXPECT_EQ(SplitCommandWords(R"(\)"), Words{R"(\)"});
    EXPECT_EQ(SplitCommandWords(R"("a\)"), Words{R"(a\)"});
}

}  // namespace
}  // namespace pivora
