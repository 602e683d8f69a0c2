// The built Pivora.exe as Explorer's Properties sheet reads it: through the
// system's own version functions, not the launcher's reader, so that a block
// our reader accepts but Windows would not cannot pass.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/Win32Text.h"
#include "resources/tools/IconDrawing.h"

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

// The icon group as the exe carries it: each image's entry, and the image a
// shell gets for each size when it asks the system.
class ExeIcon : public ::testing::Test {
protected:
    void SetUp() override {
        exe_ = ::LoadLibraryExW(WideFromUtf8(PIVORA_LAUNCHER_FILE).c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(exe_, nullptr);
    }
    void TearDown() override {
        if (exe_) ::FreeLibrary(exe_);
    }

    std::string Resource(LPCWSTR name, LPCWSTR type) {
        const HRSRC found = ::FindResourceW(exe_, name, type);
        if (!found) return {};
        const HGLOBAL loaded = ::LoadResource(exe_, found);
        const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
        return bytes ? std::string(static_cast<const char*>(bytes), ::SizeofResource(exe_, found)) : std::string();
    }

    HMODULE exe_ = nullptr;
};

std::uint32_t Le(const std::string& b, std::size_t at, int width) {
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + static_cast<std::size_t>(i)));
    return v;
}

TEST_F(ExeIcon, TheGroupHoldsTheFourSizesTheSystemPicksFrom) {
    const std::string group = Resource(L"MAINICON", reinterpret_cast<LPCWSTR>(RT_GROUP_ICON));
    ASSERT_GE(group.size(), 6u);
    ASSERT_EQ(Le(group, 4, 2), 4u);
    ASSERT_EQ(group.size(), 6u + 4 * 14);
    // Size (256 as 0), bits a pixel, and how the image starts.
    const struct {
        std::uint32_t size, bits;
        std::string head;
    } want[] = {{32, 4, std::string("\x28\0\0\0", 4)},
                {16, 4, std::string("\x28\0\0\0", 4)},
                {48, 32, std::string("\x28\0\0\0", 4)},
                {0, 32, "\x89PNG"}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const std::size_t e = 6 + 14 * i;
        EXPECT_EQ(Le(group, e, 1), want[i].size);
        EXPECT_EQ(Le(group, e + 1, 1), want[i].size);
        EXPECT_EQ(Le(group, e + 6, 2), want[i].bits);
        const std::string image =
            Resource(MAKEINTRESOURCEW(Le(group, e + 12, 2)), reinterpret_cast<LPCWSTR>(RT_ICON));
        EXPECT_EQ(image.size(), Le(group, e + 8, 4));
        EXPECT_EQ(image.substr(0, 4), want[i].head);
    }
}

TEST_F(ExeIcon, EverySizeLoadsAndThePngDecodesToTheDrawing) {
    for (int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(size);
        const HANDLE icon = ::LoadImageW(exe_, L"MAINICON", IMAGE_ICON, size, size, 0);
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP bitmap{};
        EXPECT_TRUE(::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap));
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        if (size == 256) {
            // The PNG, decoded by the system, shows the drawing.
            BITMAPINFO header{};
            header.bmiHeader.biSize = sizeof header.bmiHeader;
            header.bmiHeader.biWidth = size;
            header.bmiHeader.biHeight = -size;  // top row first
            header.bmiHeader.biPlanes = 1;
            header.bmiHeader.biBitCount = 32;
            header.bmiHeader.biCompression = BI_RGB;
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size * size));
            const HDC dc = ::CreateCompatibleDC(nullptr);
            EXPECT_EQ(::GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(size), pixels.data(), &header, DIB_RGB_COLORS),
                      size);
            ::DeleteDC(dc);
            const resources::RgbaImage drawn = resources::DrawIcon(size);
            int differ = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const auto& p = drawn.At(x, y);
                    if (p.a != 255) continue;  // a system may premultiply the rest
                    const std::uint32_t want = 0xFF000000u | (std::uint32_t{p.r} << 16) | (std::uint32_t{p.g} << 8) | p.b;
                    differ += pixels[static_cast<std::size_t>(y * size + x)] != want;
                }
            EXPECT_EQ(differ, 0);
        }
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
        ::DestroyIcon(static_cast<HICON>(icon));
    }
}

}  // namespace
}  // namespace pivora
