// The ELF section reader: on images built here in every class and byte order,
// on images whose headers lie, and on real executables changed by objcopy.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/formats/VersionBlock.h"
#include "platform/posix/ElfSection.h"

namespace pivora::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kProgbits = 1;
constexpr std::uint32_t kStrtab = 3;
constexpr std::uint32_t kNobits = 8;

struct Kind {
    bool is64;
    bool big;
};

std::string KindName(const ::testing::TestParamInfo<Kind>& info) {
    return std::string(info.param.is64 ? "Elf64" : "Elf32") + (info.param.big ? "Big" : "Little");
}

// Field positions, so that the tests can bend single fields.
struct Offsets {
    std::size_t shoff, shoffWidth, shentsize, shnum, shstrndx;
    std::size_t entry, name, type, offset, size, link, word;
};
const Offsets kOff32{0x20, 4, 0x2E, 0x30, 0x32, 40, 0, 4, 16, 20, 24, 4};
const Offsets kOff64{0x28, 8, 0x3A, 0x3C, 0x3E, 64, 0, 4, 24, 32, 40, 8};

struct Sec {
    std::string name;
    std::uint32_t type = kProgbits;
    std::string data;
};

class Image {
public:
    // An ELF file with a null section, the given ones, then the name table;
    // the section headers come last, `entsize` bytes apart.
    Image(Kind kind, std::vector<Sec> sections, std::size_t entsize = 0)
        : kind_(kind), off_(kind.is64 ? kOff64 : kOff32) {
        entsize_ = entsize ? entsize : off_.entry;
        sections.insert(sections.begin(), Sec{"", 0, ""});
        std::string names(1, '\0');
        std::vector<std::uint32_t> nameAt;
        for (const Sec& s : sections) {
            nameAt.push_back(s.name.empty() ? 0 : static_cast<std::uint32_t>(names.size()));
            if (!s.name.empty()) names += s.name + '\0';
        }
        nameAt.push_back(static_cast<std::uint32_t>(names.size()));
        names += std::string(".shstrtab") + '\0';
        sections.push_back(Sec{".shstrtab", kStrtab, names});

        bytes_.assign(kind.is64 ? 64 : 52, '\0');
        bytes_.replace(0, 7, std::string("\x7F" "ELF", 4) + char(kind.is64 ? 2 : 1) + char(kind.big ? 2 : 1) + '\x01');
        std::vector<std::uint64_t> at;
        for (const Sec& s : sections) {
            at.push_back(s.type == kNobits ? 0 : bytes_.size());
            if (s.type != kNobits) bytes_ += s.data;
        }
        shoff_ = bytes_.size();
        bytes_.resize(shoff_ + sections.size() * entsize_, '\0');
        Put(off_.shoff, off_.shoffWidth, shoff_);
        Put(off_.shentsize, 2, entsize_);
        Put(off_.shnum, 2, sections.size());
        Put(off_.shstrndx, 2, sections.size() - 1);
        for (std::size_t i = 0; i < sections.size(); ++i) {
            SetSection(i, off_.name, 4, nameAt[i]);
            SetSection(i, off_.type, 4, sections[i].type);
            SetSection(i, off_.offset, off_.word, at[i]);
            SetSection(i, off_.size, off_.word, sections[i].data.size());
        }
    }

    void Put(std::size_t at, std::size_t width, std::uint64_t v) {
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t k = kind_.big ? width - 1 - i : i;
            bytes_[at + k] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    }
    void SetSection(std::size_t index, std::size_t field, std::size_t width, std::uint64_t v) {
        Put(shoff_ + index * entsize_ + field, width, v);
    }

    std::string bytes_;
    Kind kind_;
    Offsets off_;
    std::size_t entsize_;
    std::size_t shoff_ = 0;
};

const std::string kBlock = std::string("\x34\x03\x34\x00\x00\x00V\0S\0", 10) + std::string(40, '\x5A');

std::vector<Sec> Usual() {
    return {{".text", kProgbits, std::string(100, '\x90')},
            {".pivora_version2", kProgbits, "wrong one"},
            {".pivora_version", kProgbits, kBlock},
            {".bss", kNobits, std::string(64, '\0')}};
}

class ElfImage : public ::testing::TestWithParam<Kind> {};

INSTANTIATE_TEST_SUITE_P(AllKinds, ElfImage,
                         ::testing::Values(Kind{false, false}, Kind{false, true}, Kind{true, false}, Kind{true, true}),
                         KindName);

// --- Images as a linker writes them ---------------------------------------

TEST_P(ElfImage, FindsTheSectionByItsWholeName) {
    const Image img(GetParam(), Usual());
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), kBlock);
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version2"), "wrong one");
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".text"), std::string(100, '\x90'));
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_versio"), std::nullopt);
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version22"), std::nullopt);
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ""), std::nullopt);
}

TEST_P(ElfImage, SectionWithoutBytesInTheFileIsNothing) {
    const Image img(GetParam(), Usual());
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".bss"), std::nullopt);
}

TEST_P(ElfImage, FirstOfTwoSameNamedSectionsWins) {
    const Image img(GetParam(), {{".pivora_version", kProgbits, "first"}, {".pivora_version", kProgbits, "second"}});
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), "first");
}

TEST_P(ElfImage, EmptySectionIsEmptyNotNothing) {
    const Image img(GetParam(), {{".pivora_version", kProgbits, ""}});
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), "");
}

TEST_P(ElfImage, WiderSectionHeadersAreSteppedOver) {
    const Image img(GetParam(), Usual(), GetParam().is64 ? 96 : 48);
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), kBlock);
}

TEST_P(ElfImage, ExtendedSectionNumbering) {
    // Files with very many sections keep the count in section 0's size and the
    // name table's index in its link.
    Image img(GetParam(), Usual());
    const std::size_t count = 6;
    img.Put(img.off_.shnum, 2, 0);
    img.Put(img.off_.shstrndx, 2, 0xFFFF);
    img.SetSection(0, img.off_.size, img.off_.word, count);
    img.SetSection(0, img.off_.link, 4, count - 1);
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), kBlock);
}

TEST_P(ElfImage, FileAndMemoryAgree) {
    const Image img(GetParam(), Usual());
    const fs::path path = fs::temp_directory_path() / ("pivora-elf-" + std::to_string(::getpid()));
    std::ofstream(path, std::ios::binary) << img.bytes_;
    EXPECT_EQ(ElfSectionFromFile(path.string(), ".pivora_version"), kBlock);
    EXPECT_EQ(ElfSectionFromFile(path.string(), ".bss"), std::nullopt);
    fs::remove(path);
}

// --- Headers that lie ------------------------------------------------------

TEST_P(ElfImage, EveryCutOfTheFileIsNothing) {
    const Image img(GetParam(), Usual());
    for (std::size_t n = 0; n < img.bytes_.size(); ++n)
        EXPECT_EQ(ElfSectionFromBytes(std::string_view(img.bytes_).substr(0, n), ".pivora_version"), std::nullopt)
            << n;
}

TEST_P(ElfImage, IdentificationMustBeOneWeRead) {
    const Image good(GetParam(), Usual());
    for (auto [at, value] : {std::pair<std::size_t, char>{0, '\x7E'}, {3, 'f'}, {4, 0}, {4, 3}, {5, 0}, {5, 3}, {6, 0}}) {
        std::string bad = good.bytes_;
        bad[at] = value;
        EXPECT_EQ(ElfSectionFromBytes(bad, ".pivora_version"), std::nullopt) << at << "=" << int(value);
    }
}

TEST_P(ElfImage, SectionTableOutsideTheFileIsNothing) {
    const Image good(GetParam(), Usual());
    const std::uint64_t huge = GetParam().is64 ? 0xFFFFFFFFFFFFFFF0ull : 0xFFFFFFF0u;
    for (std::uint64_t shoff : {std::uint64_t{0}, std::uint64_t{good.bytes_.size()}, huge,
                                std::uint64_t{good.shoff_ + 1}}) {
        Image img = good;
        img.Put(img.off_.shoff, img.off_.shoffWidth, shoff);
        EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), std::nullopt) << shoff;
    }
}

TEST_P(ElfImage, CountsAndSizesThatDoNotFitAreNothing) {
    const Image good(GetParam(), Usual());
    const std::size_t sections = 6;
    struct Bend {
        std::size_t field, width;
        std::uint64_t value;
    };
    for (const Bend& b : {Bend{good.off_.shnum, 2, sections + 1}, Bend{good.off_.shnum, 2, 0xFFFF},
                          Bend{good.off_.shentsize, 2, good.off_.entry - 1}, Bend{good.off_.shentsize, 2, 0},
                          Bend{good.off_.shstrndx, 2, sections}, Bend{good.off_.shstrndx, 2, 0xFFFF}}) {
        Image img = good;
        img.Put(b.field, b.width, b.value);
        EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), std::nullopt) << b.field << "=" << b.value;
    }
    // Extended numbering that names no section at all.
    Image img = good;
    img.Put(img.off_.shnum, 2, 0);
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), std::nullopt);
}

TEST_P(ElfImage, SectionReachingPastTheFileIsNothing) {
    const Image good(GetParam(), Usual());
    const std::uint64_t top = GetParam().is64 ? ~std::uint64_t{0} : 0xFFFFFFFFu;
    const std::size_t target = 3;  // .pivora_version, after the null section
    for (auto [offset, size] : {std::pair<std::uint64_t, std::uint64_t>{top - 4, 0x20}, {0, top},
                                {good.bytes_.size() - 8, 16}, {good.bytes_.size() + 1, 0}}) {
        Image img = good;
        img.SetSection(target, img.off_.offset, img.off_.word, offset);
        img.SetSection(target, img.off_.size, img.off_.word, size);
        EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), std::nullopt) << offset << "+" << size;
    }
    // Ending exactly at the end of the file is still inside.
    Image img = good;
    img.SetSection(target, img.off_.offset, img.off_.word, img.bytes_.size() - 8);
    img.SetSection(target, img.off_.size, img.off_.word, 8);
    EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), img.bytes_.substr(img.bytes_.size() - 8));
}

TEST_P(ElfImage, NamesOutsideOrUnterminatedInTheNameTableMatchNothing) {
    const Image good(GetParam(), Usual());
    const std::size_t target = 3;
    const std::size_t names = 5;  // .shstrtab, last
    {
        Image img = good;
        img.SetSection(target, img.off_.name, 4, 0xFFFFFFF0u);
        EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), std::nullopt);
    }
    {
        // The name table cut just before the terminator of ".shstrtab", whose
        // name is the last: that name is no longer whole.
        Image img = good;
        const std::string table = *ElfSectionFromBytes(good.bytes_, ".shstrtab");
        img.SetSection(names, img.off_.size, img.off_.word, table.size() - 1);
        EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".shstrtab"), std::nullopt);
        EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), kBlock);
    }
    {
        // A name table without bytes in the file names nothing.
        Image img = good;
        img.SetSection(names, img.off_.type, 4, kNobits);
        EXPECT_EQ(ElfSectionFromBytes(img.bytes_, ".pivora_version"), std::nullopt);
    }
}

// --- Real executables -------------------------------------------------------

bool HaveObjcopy() { return std::system("objcopy --version >/dev/null 2>&1") == 0; }

class OwnExecutable : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("pivora-elf-real-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(OwnExecutable, HasTheSectionsEveryLinkedProgramHas) {
    const auto text = ElfSectionFromFile("/proc/self/exe", ".text");
    ASSERT_TRUE(text);
    EXPECT_GT(text->size(), 1000u);
    EXPECT_TRUE(ElfSectionFromFile("/proc/self/exe", ".shstrtab"));
    EXPECT_EQ(ElfSectionFromFile("/proc/self/exe", ".no_such_section"), std::nullopt);
}

TEST_F(OwnExecutable, SectionAddedByObjcopyReadsBackAndRemovedIsGone) {
    if (!HaveObjcopy()) GTEST_SKIP() << "objcopy is not installed";
    const std::string exe = Path("exe");
    const std::string block = Path("block.bin");
    fs::copy_file("/proc/self/exe", exe);
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += static_cast<char>(i * 7 + i / 256);
    std::ofstream(block, std::ios::binary) << bytes;

    ASSERT_EQ(std::system(("objcopy --add-section .pivora_version=" + block + " " + exe).c_str()), 0);
    EXPECT_EQ(ElfSectionFromFile(exe, ".pivora_version"), bytes);
    EXPECT_EQ(LoadVersionInfoBlock(exe), bytes);

    ASSERT_EQ(std::system(("objcopy --remove-section .pivora_version " + exe).c_str()), 0);
    EXPECT_EQ(ElfSectionFromFile(exe, ".pivora_version"), std::nullopt);
    EXPECT_EQ(LoadVersionInfoBlock(exe), std::nullopt);
    EXPECT_TRUE(ElfSectionFromFile(exe, ".text"));
}

TEST_F(OwnExecutable, FilesThatAreNoExecutableGiveNothing) {
    std::ofstream(Path("empty"));
    std::ofstream(Path("text")) << "#!/bin/sh\necho not an ELF file\n";
    std::ofstream(Path("magic-only"), std::ios::binary) << "\x7F" "ELF";
    for (const char* name : {"empty", "text", "magic-only", "missing"})
        EXPECT_EQ(ElfSectionFromFile(Path(name), ".text"), std::nullopt) << name;
    EXPECT_EQ(ElfSectionFromFile(dir_.string(), ".text"), std::nullopt);
    EXPECT_EQ(LoadVersionInfoBlock(Path("missing")), std::nullopt);
}

}  // namespace
}  // namespace pivora::testing
