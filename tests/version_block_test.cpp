// The version-block reader: what it finds in well-formed blocks, and that a
// block cut short, bent or looped reads as nothing instead of as garbage or a
// crash.
#include <gtest/gtest.h>

#include <string>

#include "VersionBlockBuilder.h"
#include "platform/formats/VersionBlock.h"

namespace pivora::testing {
namespace {

constexpr const char* kTable = "041103A4";

std::optional<std::string> Product(const std::string& bytes) {
    const auto block = VersionBlock::Parse(bytes);
    if (!block) return std::nullopt;
    return block->StringValue(kTable, "ProductName");
}

// --- Well-formed blocks --------------------------------------------------

TEST(VersionBlockRead, FindsStringsTranslationAndFixedInfo) {
    const auto block = VersionBlock::Parse(Build(StandardRoot()));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->StringValue(kTable, "ProductName"), "Pivora");
    EXPECT_EQ(block->StringValue(kTable, "FileVersion"), "1.0.0.2");
    EXPECT_EQ(block->StringValue(kTable, "LegalCopyright"), "Copyright (C) 2026 Pivora developers");
    EXPECT_EQ(block->StringValue(kTable, "Comments"), std::nullopt);
    EXPECT_EQ(block->FirstTranslation(), (VersionTranslation{0x0411, 0x03A4}));
    const auto fixed = block->Fixed();
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->fileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->fileVersionLS, 0x00000002u);
    EXPECT_EQ(fixed->fileOS, 4u);
}

TEST(VersionBlockRead, QueryPathsAsVerQueryValueTakesThem) {
    const auto block = VersionBlock::Parse(Build(StandardRoot()));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->QueryText("\\StringFileInfo\\041103A4\\ProductName"), "Pivora");
    EXPECT_EQ(block->QueryText("StringFileInfo\\041103A4\\ProductName"), "Pivora");
    EXPECT_EQ(block->QueryText("\\\\StringFileInfo\\\\041103A4\\ProductName\\"), "Pivora");
    EXPECT_EQ(block->QueryBinary("\\VarFileInfo\\Translation"), std::string_view("\x11\x04\xA4\x03", 4));
    ASSERT_TRUE(block->QueryBinary("\\"));
    EXPECT_EQ(block->QueryBinary("\\")->size(), 52u);
    EXPECT_EQ(block->QueryText("\\StringFileInfo\\041103A4\\ProductName\\More"), std::nullopt);
    EXPECT_EQ(block->QueryText("\\VarFileInfo\\Nothing"), std::nullopt);
}

TEST(VersionBlockRead, NamesMatchWithoutAsciiCase) {
    const auto block = VersionBlock::Parse(Build(StandardRoot()));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->StringValue("041103a4", "productname"), "Pivora");
    EXPECT_EQ(block->QueryText("\\stringfileinfo\\041103A4\\PRODUCTNAME"), "Pivora");
    EXPECT_EQ(block->StringValue(kTable, "ProductNam"), std::nullopt);
    EXPECT_EQ(block->StringValue(kTable, "ProductNames"), std::nullopt);
}

TEST(VersionBlockRead, NamesHoldingASeparatorNameNothing) {
    VNode root = StandardRoot();
    At(root, {0, 0, 3}).children.push_back(Text(u"Inner", u"deep"));
    const auto block = VersionBlock::Parse(Build(root));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->QueryText("\\StringFileInfo\\041103A4\\ProductName\\Inner"), "deep");
    EXPECT_EQ(block->StringValue(kTable, "ProductName\\Inner"), std::nullopt);
    EXPECT_EQ(block->StringValue("041103A4\\ProductName", "Inner"), std::nullopt);
    EXPECT_EQ(block->StringValue("", "ProductName"), std::nullopt);
    EXPECT_EQ(block->StringValue(kTable, ""), std::nullopt);
}

TEST(VersionBlockRead, EachTableKeepsItsOwnStrings) {
    VNode root = StandardRoot();
    At(root, {0}).children.insert(At(root, {0}).children.begin(),
                                  Group(u"040904B0", {Text(u"ProductName", u"Pivora (English)")}));
    const auto block = VersionBlock::Parse(Build(root));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->StringValue("040904B0", "ProductName"), "Pivora (English)");
    EXPECT_EQ(block->StringValue(kTable, "ProductName"), "Pivora");
    EXPECT_EQ(block->StringValue("040904B0", "FileVersion"), std::nullopt);
}

TEST(VersionBlockRead, TranslationsInTheirOrder) {
    VNode root = StandardRoot();
    root.children[1] = Translations({{0x0409, 0x04B0}, {0x0411, 0x03A4}, {0x0000, 0x0000}});
    const auto block = VersionBlock::Parse(Build(root));
    ASSERT_TRUE(block);
    const std::vector<VersionTranslation> want{{0x0409, 0x04B0}, {0x0411, 0x03A4}, {0, 0}};
    EXPECT_EQ(block->Translations(), want);
    EXPECT_EQ(block->FirstTranslation(), (VersionTranslation{0x0409, 0x04B0}));
}

TEST(VersionBlockRead, TranslationTableShorterThanOneEntryHasNone) {
    for (std::uint16_t length : {0, 1, 2, 3}) {
        VNode root = StandardRoot();
        At(root, {1, 0}).valueLength = length;
        const auto block = VersionBlock::Parse(Build(root));
        ASSERT_TRUE(block);
        EXPECT_TRUE(block->Translations().empty()) << length;
        EXPECT_EQ(block->FirstTranslation(), std::nullopt) << length;
    }
    VNode root = StandardRoot();
    root.children[1] = Translations({{0x0411, 0x03A4}, {0x0409, 0x04B0}});
    At(root, {1, 0}).valueLength = 6;  // one whole entry and half of another
    const std::vector<VersionTranslation> want{{0x0411, 0x03A4}};
    EXPECT_EQ(VersionBlock::Parse(Build(root))->Translations(), want);
}

TEST(VersionBlockRead, TranslationLongerThanItsNodeIsNothing) {
    VNode root = StandardRoot();
    At(root, {1, 0}).valueLength = 8;  // claims two entries, holds one
    const auto block = VersionBlock::Parse(Build(root));
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->Translations().empty());
}

TEST(VersionBlockRead, TextIsUtf16AndComesBackAsUtf8) {
    VNode root = StandardRoot();
    auto& table = At(root, {0, 0}).children;
    table.push_back(Text(u"FileDescription", u"ｄｓｋから適当なバージョンのＤｅｌｐｈｉを起動"));
    table.push_back(Text(u"Astral", u"\U0001D11E clef"));
    table.push_back(VNode{u"Lone", 1, Utf16(std::u16string(u"a") + char16_t(0xD800) + u"b"), {}, {}, true, {}});
    table.push_back(VNode{u"LoneLow", 1, Utf16(std::u16string(1, char16_t(0xDC00))), {}, {}, true, {}});
    const auto block = VersionBlock::Parse(Build(root));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->StringValue(kTable, "FileDescription"), "ｄｓｋから適当なバージョンのＤｅｌｐｈｉを起動");
    EXPECT_EQ(block->StringValue(kTable, "Astral"), "\xF0\x9D\x84\x9E clef");
    EXPECT_EQ(block->StringValue(kTable, "Lone"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(block->StringValue(kTable, "LoneLow"), "\xEF\xBF\xBD");
}

TEST(VersionBlockRead, KeysWithNonAsciiMatchExactly) {
    VNode root = StandardRoot();
    At(root, {0, 0}).children.push_back(Text(u"Überschrift", u"ja"));
    const auto block = VersionBlock::Parse(Build(root));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->StringValue(kTable, "Überschrift"), "ja");
    EXPECT_EQ(block->StringValue(kTable, "überschrift"), std::nullopt);
    EXPECT_EQ(block->StringValue(kTable, "\xC3"), std::nullopt);  // broken UTF-8 matches nothing
}

TEST(VersionBlockRead, EmptyValueByLengthZero) {
    VNode root = StandardRoot();
    auto& table = At(root, {0, 0}).children;
    table.push_back(VNode{u"Comments", 1, {}, 0, {}, true, {}});
    // A zero length means empty even with text after it, as the length is
    // what VerQueryValue reports.
    table.push_back(VNode{u"Trademarks", 1, Utf16(u"left over"), 0, {}, true, {}});
    const auto block = VersionBlock::Parse(Build(root));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->StringValue(kTable, "Comments"), "");
    EXPECT_EQ(block->StringValue(kTable, "Trademarks"), "");
    EXPECT_EQ(block->StringValue(kTable, "ProductName"), "Pivora");
}

TEST(VersionBlockRead, TextLengthCountedInBytesStillReadsToTheTerminator) {
    VNode root = StandardRoot();
    auto& name = At(root, {0, 0, 3});
    name.valueLength = static_cast<std::uint16_t>(name.value.size());  // twice the units
    EXPECT_EQ(Product(Build(root)), "Pivora");
}

TEST(VersionBlockRead, TrailingBytesPastTheRootAreIgnored) {
    // GetFileVersionInfo's buffer is larger than the block it holds.
    std::string bytes = Build(StandardRoot());
    const std::size_t blockSize = bytes.size();
    bytes += std::string(blockSize * 2, '\xCC');
    const auto block = VersionBlock::Parse(bytes);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->Bytes().size(), blockSize);
    EXPECT_EQ(block->StringValue(kTable, "ProductName"), "Pivora");
}

TEST(VersionBlockRead, InputsPastSixtyFourKibAreTakenWhole) {
    // Had the size been cut to 16 bits, 64 KiB + 16 would read as 16 bytes,
    // too few for the root.
    std::string bytes = Build(StandardRoot());
    ASSERT_GT(bytes.size(), 16u);
    bytes.resize(0x10000 + 16, '\0');
    EXPECT_EQ(Product(bytes), "Pivora");
    bytes.resize(0x30000 + 3, '\x7F');
    EXPECT_EQ(Product(bytes), "Pivora");
}

TEST(VersionBlockRead, ReadsFromAnOddAddress) {
    const std::string block = Build(StandardRoot());
    const std::string shifted = "x" + block;
    EXPECT_EQ(Product(std::string(std::string_view(shifted).substr(1))), "Pivora");
    const auto parsed = VersionBlock::Parse(std::string_view(shifted).substr(1));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->StringValue(kTable, "ProductName"), "Pivora");
}

TEST(VersionBlockRead, OddNodeLengthsStillAlignTheNextSibling) {
    VNode root = StandardRoot();
    auto& company = At(root, {0, 0, 0});
    company.length = static_cast<std::uint16_t>(Build(company).size() - 1);  // one short, odd
    ASSERT_EQ(*company.length % 2, 1);
    EXPECT_EQ(Product(Build(root)), "Pivora");
}

TEST(VersionBlockRead, DeepNestingIsWalkedWithoutRecursion) {
    VNode inner = Text(u"a", u"bottom");
    std::string path;
    for (int i = 0; i < 4000; ++i) {
        VNode outer = Group(u"a", {});
        outer.children.push_back(std::move(inner));
        inner = std::move(outer);
        path += "\\a";
    }
    VNode root = Root({std::move(inner)});
    const std::string bytes = Build(root);
    ASSERT_LT(bytes.size(), 0x10000u);  // every length still fits its 16 bits
    const auto block = VersionBlock::Parse(bytes);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->QueryText(path + "\\a"), "bottom");
    EXPECT_EQ(block->QueryText(path + "\\a\\a"), std::nullopt);
}

// --- Blocks that do not hold together ------------------------------------

TEST(VersionBlockBroken, TooShortOrNotAVersionBlock) {
    EXPECT_FALSE(VersionBlock::Parse(""));
    EXPECT_FALSE(VersionBlock::Parse(std::string("\x08\x00\x00", 3)));
    EXPECT_FALSE(VersionBlock::Parse(std::string(64, '\0')));
    EXPECT_FALSE(VersionBlock::Parse(std::string(64, '\xFF')));
    VNode root = StandardRoot();
    root.key = u"VS_VERSION_INF";
    EXPECT_FALSE(VersionBlock::Parse(Build(root)));
    root.key = u"vs_version_info";  // keys match as on Windows
    EXPECT_TRUE(VersionBlock::Parse(Build(root)));
}

TEST(VersionBlockBroken, EveryCutOfTheBlockIsRejected) {
    const std::string bytes = Build(StandardRoot());
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(VersionBlock::Parse(bytes.substr(0, n))) << n;
}

TEST(VersionBlockBroken, ARootLengthCutAnywhereGivesTheTruthOrNothing) {
    const std::string bytes = Build(StandardRoot());
    const std::size_t full = bytes.size();
    bool sawNothing = false;
    for (std::size_t n = 0; n <= full; ++n) {
        std::string cut = bytes;
        cut[0] = static_cast<char>(n & 0xFF);
        cut[1] = static_cast<char>(n >> 8);
        const auto block = VersionBlock::Parse(cut);
        if (!block) continue;
        EXPECT_LE(block->Bytes().size(), n);
        const auto name = block->StringValue(kTable, "ProductName");
        if (name) {
            EXPECT_EQ(*name, "Pivora") << n;
        }
        const auto copyright = block->StringValue(kTable, "LegalCopyright");
        if (copyright) {
            EXPECT_EQ(*copyright, "Copyright (C) 2026 Pivora developers") << n;
        }
        sawNothing = sawNothing || !name;
        if (n < full) {
            EXPECT_TRUE(block->Translations().empty()) << n;  // the table is last
        }
    }
    EXPECT_TRUE(sawNothing);
    EXPECT_EQ(Product(bytes), "Pivora");
}

TEST(VersionBlockBroken, AChildReachingPastItsParentIsNothing) {
    VNode root = StandardRoot();
    auto& table = At(root, {0, 0});
    table.children[3].length = 0x0FFF;
    EXPECT_EQ(Product(Build(root)), std::nullopt);
    // Siblings before the broken one are still found: they are placed already.
    EXPECT_EQ(VersionBlock::Parse(Build(root))->StringValue(kTable, "CompanyName"), "Pivora developers");
}

TEST(VersionBlockBroken, AChildIsBoundByItsParentNotByTheBlock) {
    // The last string runs 8 bytes into VarFileInfo: inside the block, but
    // outside its table.
    VNode root = StandardRoot();
    auto& name = At(root, {0, 0, 3});
    name.length = static_cast<std::uint16_t>(Build(name).size() + 8);
    const auto block = VersionBlock::Parse(Build(root));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->StringValue(kTable, "ProductName"), std::nullopt);
    EXPECT_EQ(block->FirstTranslation(), (VersionTranslation{0x0411, 0x03A4}));
    // Likewise a table cut short around its last string.
    VNode cut = StandardRoot();
    auto& table = At(cut, {0, 0});
    table.length = static_cast<std::uint16_t>(Build(table).size() - 4);
    EXPECT_EQ(Product(Build(cut)), std::nullopt);
}

TEST(VersionBlockBroken, ZeroAndTinyLengthsEndTheWalkInsteadOfLooping) {
    for (std::uint16_t length : {0, 1, 2, 5, 6, 7}) {
        VNode root = StandardRoot();
        At(root, {0, 0, 1}).length = length;
        const auto block = VersionBlock::Parse(Build(root));
        ASSERT_TRUE(block) << length;
        EXPECT_EQ(block->StringValue(kTable, "CompanyName"), "Pivora developers") << length;
        EXPECT_EQ(block->StringValue(kTable, "ProductName"), std::nullopt) << length;
        EXPECT_EQ(block->StringValue(kTable, "Missing"), std::nullopt) << length;
    }
}

TEST(VersionBlockBroken, RootWithZeroLengthIsRejected) {
    std::string bytes = Build(StandardRoot());
    bytes[0] = bytes[1] = '\0';
    EXPECT_FALSE(VersionBlock::Parse(bytes));
}

TEST(VersionBlockBroken, KeyWithoutTerminatorIsNothing) {
    VNode root = StandardRoot();
    auto& name = At(root, {0, 0, 3});
    name.terminateKey = false;
    name.value.clear();
    name.valueLength = 0;
    // The node now ends right after its key's last character.
    EXPECT_EQ(Product(Build(root)), std::nullopt);

    VNode rootKey = StandardRoot();
    rootKey.terminateKey = false;
    rootKey.value.clear();
    rootKey.children.clear();
    EXPECT_FALSE(VersionBlock::Parse(Build(rootKey)));
}

TEST(VersionBlockBroken, TextWithoutTerminatorIsNothing) {
    VNode root = StandardRoot();
    auto& name = At(root, {0, 0, 3});
    name.value = Utf16(u"Pivora", false);
    // Last in its table and in its group: nothing after it could end the text.
    EXPECT_EQ(Product(Build(root)), std::nullopt);
}

TEST(VersionBlockBroken, FixedInfoMustBeWholeAndSigned) {
    VNode root = StandardRoot();
    root.value = FixedInfo(1, 2, 0xFEEF04BC);
    EXPECT_FALSE(VersionBlock::Parse(Build(root))->Fixed());
    root.value = FixedInfo(1, 2).substr(0, 48);
    EXPECT_FALSE(VersionBlock::Parse(Build(root))->Fixed());
    root = StandardRoot();
    root.valueLength = 40;  // says less than a whole VS_FIXEDFILEINFO
    const auto block = VersionBlock::Parse(Build(root));
    ASSERT_TRUE(block);
    EXPECT_FALSE(block->Fixed());
    root = StandardRoot();
    root.valueLength = 0xFFF0;  // says more than the block holds
    EXPECT_FALSE(VersionBlock::Parse(Build(root))->Fixed());
}

// Every byte set to a few telling values: each result must come from inside
// the block, and a string that the byte is no part of reads as before.
TEST(VersionBlockBroken, EveryByteBentReadsInsideTheBlock) {
    const VNode root = StandardRoot();
    const std::string bytes = Build(root);
    const std::size_t companyText = bytes.find(Utf16(u"Pivora developers"));
    ASSERT_NE(companyText, std::string::npos);
    const std::size_t companyEnd = companyText + Utf16(u"Pivora developers", false).size();
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        for (unsigned char v : {0x00, 0x01, 0x03, 0x7F, 0x80, 0xFF}) {
            std::string bent = bytes;
            bent[at] = static_cast<char>(v);
            const auto block = VersionBlock::Parse(bent);
            if (!block) continue;
            ASSERT_LE(block->Bytes().size(), bent.size());
            for (const char* name : {"CompanyName", "FileVersion", "LegalCopyright", "ProductName"}) {
                const auto value = block->StringValue(kTable, name);
                if (value) {
                    EXPECT_LE(value->size(), bent.size() * 3 / 2) << at;
                }
            }
            for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo"}) {
                const auto value = block->QueryBinary(path);
                if (value) {
                    EXPECT_GE(value->data(), block->Bytes().data());
                    EXPECT_LE(value->data() + value->size(), block->Bytes().data() + block->Bytes().size());
                }
            }
            (void)block->Fixed();
            // A character of CompanyName's text bent, even to a terminator:
            // ProductName, three nodes later, is untouched.
            if (at >= companyText && at < companyEnd) {
                EXPECT_EQ(block->StringValue(kTable, "ProductName"), "Pivora") << at;
            }
        }
    }
}

}  // namespace
}  // namespace pivora::testing
