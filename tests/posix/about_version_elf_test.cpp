// TVersion on Linux executables, whose version block is the ".pivora_version"
// section that the build adds with objcopy.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

TEST(AboutVersionElf, AnExecutableWithoutTheSectionIsEmpty) {
    // The test program carries no version block.
    ExpectAllEmpty(TVersion("/proc/self/exe"));
}

TEST(AboutVersionElf, ReadsTheBlockObjcopyAdded) {
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
