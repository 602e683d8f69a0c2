// The built Pivora.exe as Explorer's Properties sheet reads it: through the
// system's own version functions, not the launcher's reader, so that a block
// our reader accepts but Windows would not cannot pass.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/Win32Text.h"

namespace pivora {
namespace {

class ExeProperties : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring exe = WideFromUtf8(PIVORA_LAUNCHER_FILE);
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource in " << PIVORA_LAUNCHER_FILE;
        block_.resize(size);
        ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, block_.data()));
    }

    // The string of that name in the exe's string table "041103A4"; null when absent.
    const wchar_t* String(const wchar_t* name) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\041103A4\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(block_.data(), query.c_str(), &value, &length)) return nullptr;
        return static_cast<const wchar_t*>(value);
    }

    std::vector<char> block_;
};

TEST_F(ExeProperties, FixedInformation) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block_.data(), L"\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000002u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000002u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
}

TEST_F(ExeProperties, OneJapaneseShiftJisTranslation) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* pair = static_cast<const WORD*>(value);
    EXPECT_EQ(pair[0], 0x0411);
    EXPECT_EQ(pair[1], 0x03A4);
}

TEST_F(ExeProperties, StringTable) {
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } expected[] = {
        {L"CompanyName", L"Pivora developers"},
        {L"FileDescription", L"ｄｓｋから適当なバージョンのＤｅｌｐｈｉを起動"},
        {L"FileVersion", L"1.0.0.2"},
        {L"InternalName", L"Pivora"},
        {L"LegalCopyright", L"Copyright (C) 2026 Pivora developers"},
        {L"OriginalFilename", L"Pivora.exe"},
        {L"ProductName", L"Pivora"},
        {L"ProductVersion", L"1.0.0.0"},
    };
    for (const auto& e : expected) {
        const wchar_t* found = String(e.name);
        ASSERT_NE(found, nullptr) << Utf8FromWide(e.name);
        EXPECT_EQ(std::wstring(found), e.value) << Utf8FromWide(e.name);
    }
}

TEST_F(ExeProperties, TheIconGroupIsThere) {
    const HMODULE exe = ::LoadLibraryExW(WideFromUtf8(PIVORA_LAUNCHER_FILE).c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    EXPECT_NE(::FindResourceW(exe, L"MAINICON", reinterpret_cast<LPCWSTR>(RT_GROUP_ICON)), nullptr);
    for (int size : {16, 32}) {
        const HANDLE icon = ::LoadImageW(exe, L"MAINICON", IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        if (icon) ::DestroyIcon(static_cast<HICON>(icon));
    }
    ::FreeLibrary(exe);
}

}  // namespace
}  // namespace pivora
