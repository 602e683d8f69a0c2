// TVersion, the About box's view of an executable's version block: which
// string table it reads, and that anything missing reads as empty text.
#include <gtest/gtest.h>

#include <string>

#include "VersionBlockBuilder.h"
#include "dialogs/AboutDlg.h"

namespace pivora::testing {
namespace {

void ExpectAllEmpty(const TVersion& v) {
    EXPECT_EQ(v.GetProductName(), "");
    EXPECT_EQ(v.GetFileVersion(), "");
    EXPECT_EQ(v.GetLegalCopyright(), "");
}

TEST(AboutVersion, ReadsTheThreeValuesOfTheFirstTranslation) {
    const TVersion v = TVersion::FromBlock(Build(StandardRoot()));
    EXPECT_TRUE(v.Loaded());
    EXPECT_EQ(v.Lang(), 0x0411);
    EXPECT_EQ(v.CodePage(), 0x03A4);
    EXPECT_EQ(v.LangCP(), "041103A4");
    EXPECT_EQ(v.GetProductName(), "Pivora");
    EXPECT_EQ(v.GetFileVersion(), "1.0.0.2");
    EXPECT_EQ(v.GetLegalCopyright(), "Copyright (C) 2026 Pivora developers");
}

TEST(AboutVersion, TableNameIsEightUpperCaseDigitsLanguageFirst) {
    VNode root = StandardRoot();
    root.children[1] = Translations({{0xABCD, 0x0012}});
    At(root, {0, 0}).key = u"ABCD0012";
    const TVersion v = TVersion::FromBlock(Build(root));
    EXPECT_EQ(v.LangCP(), "ABCD0012");
    EXPECT_EQ(v.GetProductName(), "Pivora");
}

TEST(AboutVersion, OnlyTheFirstTranslationIsAsked) {
    // The second translation names the only table there is: still nothing.
    VNode root = StandardRoot();
    root.children[1] = Translations({{0x0409, 0x04B0}, {0x0411, 0x03A4}});
    const TVersion v = TVersion::FromBlock(Build(root));
    EXPECT_TRUE(v.Loaded());
    EXPECT_EQ(v.LangCP(), "040904B0");
    ExpectAllEmpty(v);

    // With a table for each, the first translation's is read.
    At(root, {0}).children.push_back(Group(u"040904B0", {Text(u"ProductName", u"Pivora (en)")}));
    const TVersion both = TVersion::FromBlock(Build(root));
    EXPECT_EQ(both.GetProductName(), "Pivora (en)");
    EXPECT_EQ(both.GetFileVersion(), "");
}

TEST(AboutVersion, MissingCopyrightIsEmptyAndTheRestStays) {
    VNode root = StandardRoot();
    auto& table = At(root, {0, 0}).children;
    table.erase(table.begin() + 2);
    const TVersion v = TVersion::FromBlock(Build(root));
    EXPECT_EQ(v.GetLegalCopyright(), "");
    EXPECT_EQ(v.GetProductName(), "Pivora");
    EXPECT_EQ(v.GetFileVersion(), "1.0.0.2");
}

TEST(AboutVersion, WithoutATranslationEveryValueIsEmpty) {
    VNode noTable = StandardRoot();
    noTable.children.pop_back();  // VarFileInfo gone
    VNode noEntries = StandardRoot();
    noEntries.children[1] = Translations({});
    VNode noVar = StandardRoot();
    noVar.children[1] = Group(u"VarFileInfo", {});
    for (const VNode* root : {&noTable, &noEntries, &noVar}) {
        const TVersion v = TVersion::FromBlock(Build(*root));
        EXPECT_FALSE(v.Loaded());
        EXPECT_EQ(v.LangCP(), "");
        ExpectAllEmpty(v);
    }
}

TEST(AboutVersion, NoBlockOrABrokenOneIsEmpty) {
    const std::string good = Build(StandardRoot());
    for (const std::string& bytes : {std::string(), std::string(200, '\0'), good.substr(0, good.size() - 1),
                                     std::string("garbage that is no version block")}) {
        const TVersion v = TVersion::FromBlock(bytes);
        EXPECT_FALSE(v.Loaded());
        ExpectAllEmpty(v);
    }
}

TEST(AboutVersion, AMissingFileIsEmpty) {
    ExpectAllEmpty(TVersion("/nonexistent/pivora"));
    ExpectAllEmpty(TVersion(""));
}

}  // namespace
}  // namespace pivora::testing
