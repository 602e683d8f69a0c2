// The launcher's own version resource: the data file it is made from, the
// block the Linux build writes from it, and that block read back.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/formats/VersionBlock.h"
#include "resources/tools/VersionData.h"
#include "resources/tools/VersionWriter.h"

namespace pivora::testing {
namespace {

using resources::ParseVersionData;
using resources::VersionData;
using resources::WriteVersionBlock;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kResources = std::string(PIVORA_GOLDEN_DIR) + "/../../resources/";
const std::string kGolden = std::string(PIVORA_GOLDEN_DIR) + "/version/";

VersionData ProductData() {
    std::string error;
    const auto data = ParseVersionData(ReadFile(kResources + "pivora-version.txt"), &error);
    EXPECT_TRUE(data) << error;
    return data.value_or(VersionData{});
}

// --- The launcher's block --------------------------------------------------

TEST(VersionResource, LauncherBlockReadsWhatTheAboutBoxShows) {
    const auto block = VersionBlock::Parse(WriteVersionBlock(ProductData()));
    ASSERT_TRUE(block);
    const auto t = block->FirstTranslation();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->language, 0x0411);
    EXPECT_EQ(t->codePage, 0x03A4);
    EXPECT_EQ(block->Translations().size(), 1u);
    EXPECT_EQ(block->StringValue("041103A4", "ProductName"), "Pivora");
    EXPECT_EQ(block->StringValue("041103A4", "FileVersion"), "1.0.0.2");
    EXPECT_EQ(block->StringValue("041103A4", "ProductVersion"), "1.0.0.0");
    EXPECT_EQ(block->StringValue("041103A4", "LegalCopyright"), "Copyright (C) 2026 Pivora developers");
    EXPECT_EQ(block->StringValue("041103A4", "FileDescription"),
              "ｄｓｋから適当なバージョンのＤｅｌｐｈｉを起動");
    EXPECT_EQ(block->StringValue("041103A4", "OriginalFilename"), "Pivora.exe");
    EXPECT_EQ(block->StringValue("041103A4", "LegalTrademarks"), "");
    EXPECT_EQ(block->StringValue("041103A4", "Comments"), "");
}

TEST(VersionResource, LauncherFixedInfo) {
    const auto block = VersionBlock::Parse(WriteVersionBlock(ProductData()));
    ASSERT_TRUE(block);
    const auto f = block->Fixed();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->strucVersion, 0x00010000u);
    EXPECT_EQ(f->fileVersionMS, 0x00010000u);
    EXPECT_EQ(f->fileVersionLS, 0x00000002u);
    EXPECT_EQ(f->productVersionMS, 0x00010000u);
    EXPECT_EQ(f->productVersionLS, 0x00000002u);
    EXPECT_EQ(f->fileFlagsMask, 0x3Fu);
    EXPECT_EQ(f->fileFlags, 0u);
    EXPECT_EQ(f->fileOS, 0x00000004u);  // VOS__WINDOWS32
    EXPECT_EQ(f->fileType, 1u);         // VFT_APP
    EXPECT_EQ(f->fileSubtype, 0u);
    EXPECT_EQ(f->fileDateMS, 0u);
    EXPECT_EQ(f->fileDateLS, 0u);
}

TEST(VersionResource, EveryStringOfTheDataIsInTheBlockInItsOrder) {
    const VersionData data = ProductData();
    const std::string bytes = WriteVersionBlock(data);
    const auto block = VersionBlock::Parse(bytes);
    ASSERT_TRUE(block);
    ASSERT_EQ(data.strings.size(), 10u);
    std::size_t last = 0;
    for (const auto& [name, value] : data.strings) {
        EXPECT_EQ(block->StringValue(resources::StringTableName(data), name), value) << name;
        std::string key;
        for (char c : name) key += {c, '\0'};
        const std::size_t at = bytes.find(key + std::string(2, '\0'));
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(at, last) << name;
        last = at;
    }
}

TEST(VersionResource, BlockFitsItsSixteenBitLength) {
    const std::string bytes = WriteVersionBlock(ProductData());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_LE(bytes.size(), 0xFFFFu);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]) | (static_cast<unsigned char>(bytes[1]) << 8), bytes.size());
}

// --- The writer against a resource compiler ----------------------------------

TEST(VersionResource, WriterMakesTheBytesWindresMakes) {
    std::string error;
    const auto data = ParseVersionData(ReadFile(kGolden + "sample-version.txt"), &error);
    ASSERT_TRUE(data) << error;
    const std::string windres = ReadFile(kGolden + "sample-windres.bin");
    ASSERT_FALSE(windres.empty());
    EXPECT_EQ(WriteVersionBlock(*data), windres);

    // And the reader reads windres's block as the data says.
    const auto block = VersionBlock::Parse(windres);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->FirstTranslation(), (VersionTranslation{0x0409, 0x04B0}));
    for (const auto& [name, value] : data->strings)
        EXPECT_EQ(block->StringValue("040904B0", name), value) << name;
    const auto f = block->Fixed();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->fileVersionMS, 0xFFFF0001u);
    EXPECT_EQ(f->fileVersionLS, (22u << 16) | 333u);
    EXPECT_EQ(f->fileOS, 0x40004u);
    EXPECT_EQ(f->fileSubtype, 7u);
}

// --- The data file's rules ---------------------------------------------------

std::string MinimalData() {
    return "FILEVERSION=1.2.3.4\nPRODUCTVERSION=1.2.3.4\nFILEFLAGSMASK=0x3F\nFILEFLAGS=0\n"
           "FILEOS=4\nFILETYPE=1\nFILESUBTYPE=0\nLANGUAGE=0x0411\nCODEPAGE=932\n";
}

TEST(VersionDataFile, ReadsNumbersVersionsAndStrings) {
    std::string error;
    const auto data = ParseVersionData("# comment\r\n\r\n" + MinimalData() +
                                           "String.A=x=y\r\nString.B=\n",
                                       &error);
    ASSERT_TRUE(data) << error;
    EXPECT_EQ(data->fileVersion, (std::array<std::uint16_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(data->codePage, 932);
    EXPECT_EQ(data->language, 0x0411);
    ASSERT_EQ(data->strings.size(), 2u);
    EXPECT_EQ(data->strings[0], (std::pair<std::string, std::string>{"A", "x=y"}));
    EXPECT_EQ(data->strings[1], (std::pair<std::string, std::string>{"B", ""}));
    EXPECT_EQ(resources::StringTableName(*data), "041103A4");
}

TEST(VersionDataFile, RefusesWhatItCannotWriteFaithfully) {
    const std::pair<std::string, const char*> cases[] = {
        {MinimalData().substr(MinimalData().find('\n') + 1), "FILEVERSION missing"},
        {MinimalData() + "FILEOS=4\n", "given twice"},
        {MinimalData() + "String.A=1\nString.A=2\n", "given twice"},
        {MinimalData() + "Colour=blue\n", "unknown name"},
        {MinimalData() + "no equals sign\n", "expected Name=Value"},
        {MinimalData() + "String.=x\n", "empty string name"},
        {MinimalData() + "String.A=one; two\n", "semicolon"},
        {MinimalData() + "String.A=[C]\n", "square bracket"},
        {MinimalData() + "String.A=\xFF\n", "not UTF-8"},
        {MinimalData() + "String.A=\xC0\xAF\n", "not UTF-8"},
        {MinimalData() + "String.A=\xED\xA0\x80\n", "not UTF-8"},  // a surrogate
        {"FILEVERSION=1.2.3\n", "expected a version"},
        {"FILEVERSION=1.2.3.4.5\n", "expected a version"},
        {"FILEVERSION=1.2.3.65536\n", "expected a version"},
        {"FILEVERSION=1..3.4\n", "expected a version"},
        {"FILEFLAGS=0x\n", "expected a number"},
        {"FILEFLAGS=0x100000000\n", "expected a number"},
        {"FILEFLAGS=-1\n", "expected a number"},
        {"LANGUAGE=0x10000\n", "16 bits"},
    };
    for (const auto& [text, why] : cases) {
        std::string error;
        EXPECT_FALSE(ParseVersionData(text, &error)) << text;
        EXPECT_NE(error.find(why), std::string::npos) << text << " -> " << error;
    }
}

}  // namespace
}  // namespace pivora::testing
