// TVersion, the About box's view of an executable's version block: which
// string table it reads, and that anything missing reads as empty text.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "VersionBlockBuilder.h"
#include "dialogs/AboutDlg.h"
#include "resources/tools/VersionData.h"
#include "resources/tools/VersionWriter.h"

namespace pivora::testing {
namespace {

namespace fs = std::filesystem;

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

TEST(AboutVersion, AFileWithoutTheSectionIsEmpty) {
    // The test program carries no version block, and a missing file none either.
    ExpectAllEmpty(TVersion("/proc/self/exe"));
    ExpectAllEmpty(TVersion("/nonexistent/pivora"));
    ExpectAllEmpty(TVersion(""));
}

TEST(AboutVersion, ReadsTheLauncherBlockFromAnExecutable) {
    if (std::system("objcopy --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "objcopy is not installed";
    // The build's own block, added the way the build adds it.
    std::ifstream in(std::string(PIVORA_GOLDEN_DIR) + "/../../resources/pivora-version.txt", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto data = resources::ParseVersionData(text, nullptr);
    ASSERT_TRUE(data);
    const fs::path dir = fs::temp_directory_path() / ("pivora-about-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string exe = (dir / "pivora").string();
    const std::string block = (dir / "block.bin").string();
    fs::copy_file("/proc/self/exe", exe);
    std::ofstream(block, std::ios::binary) << resources::WriteVersionBlock(*data);
    ASSERT_EQ(std::system(("objcopy --add-section .pivora_version=" + block + " " + exe).c_str()), 0);

    const TVersion v(exe);
    EXPECT_TRUE(v.Loaded());
    EXPECT_EQ(v.LangCP(), "041103A4");
    EXPECT_EQ(v.GetProductName(), "Pivora");
    EXPECT_EQ(v.GetFileVersion(), "1.0.0.2");
    EXPECT_EQ(v.GetLegalCopyright(), "Copyright (C) 2026 Pivora developers");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace pivora::testing
