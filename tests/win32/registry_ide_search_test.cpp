// The IDEs the Windows registry knows of, as Pivora.exe reads it: keys
// written here as a 32-bit Delphi installer writes them, each leading to a
// file that exists, read back through the 32-bit view whatever this build is.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "platform/win32/Win32IdeSearch.h"
#include "platform/win32/Win32Text.h"

namespace pivora {
namespace {

namespace fs = std::filesystem;

constexpr const wchar_t* kKeys[] = {L"Software\\Borland\\Delphi\\2.0", L"Software\\Borland\\Delphi\\3.0",
                                    L"Software\\Borland\\Delphi\\4.0"};

bool KeyExists(HKEY root, const wchar_t* key, REGSAM view) {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | view, &h) != ERROR_SUCCESS) return false;
    ::RegCloseKey(h);
    return true;
}

bool SeesTwoViews() {
    if (sizeof(void*) == 8) return true;
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

class RegistryIdeSearchTest : public ::testing::Test {
protected:
    fs::path dir;
    std::vector<std::pair<HKEY, REGSAM>> written;  // roots and views whose Borland keys this test made

    void SetUp() override {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
                for (const wchar_t* key : kKeys)
                    if (KeyExists(root, key, view)) GTEST_SKIP() << "a Delphi is registered here already";
        dir = fs::temp_directory_path() / ("pivora-registry-" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        for (const auto& [root, view] : written) {
            for (const wchar_t* key : kKeys) ::RegDeleteKeyExW(root, key, view, 0);
            ::RegDeleteKeyExW(root, L"Software\\Borland\\Delphi", view, 0);
            ::RegDeleteKeyExW(root, L"Software\\Borland", view, 0);
        }
        std::error_code ignored;
        if (!dir.empty()) fs::remove_all(dir, ignored);
    }

    // False where this user may not write there (HKEY_LOCAL_MACHINE, unelevated).
    bool Set(HKEY root, REGSAM view, const wchar_t* key, const wchar_t* name, DWORD type, const std::wstring& data) {
        HKEY h = nullptr;
        if (::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &h, nullptr) != ERROR_SUCCESS)
            return false;
        written.emplace_back(root, view);
        const LONG status = ::RegSetValueExW(h, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(h);
        return status == ERROR_SUCCESS;
    }
    fs::path Exe(const fs::path& relative) {
        const fs::path file = dir / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "MZ";
        return file;
    }
};

TEST_F(RegistryIdeSearchTest, TheKeysOfA32BitInstallerLeadToTheFilesThatExist) {
    const fs::path d4 = Exe(L"Delphi4\\Bin\\DELPHI32.EXE");
    const fs::path d3 = Exe(L"Delphi 3\\Bin\\DELPHI32.EXE");
    const fs::path japanese = Exe(L"\u30c7\u30eb\u30d5\u30a3 2\\Bin\\DELPHI32.EXE");
    if (!Set(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kKeys[2], L"Delphi 4", REG_SZ, L"\"" + d4.wstring() + L"\""))
        GTEST_SKIP() << "HKEY_LOCAL_MACHINE cannot be written here";
    ::SetEnvironmentVariableW(L"PIVORA_TEST_IDES", dir.wstring().c_str());
    ASSERT_TRUE(Set(HKEY_CURRENT_USER, KEY_WOW64_32KEY, kKeys[1], L"RootDir", REG_EXPAND_SZ,
                    L"%PIVORA_TEST_IDES%\\Delphi 3\\"));
    ASSERT_TRUE(Set(HKEY_CURRENT_USER, KEY_WOW64_32KEY, kKeys[0], L"Delphi 2.0", REG_SZ, japanese.wstring()));
    // A stale entry of the machine's is passed over for the user's.
    ASSERT_TRUE(Set(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kKeys[1], L"Delphi 3", REG_SZ,
                    (dir / L"gone\\DELPHI32.EXE").wstring()));
    // What a 64-bit program wrote is not where a 32-bit installer writes.
    if (SeesTwoViews()) {
        ASSERT_TRUE(Set(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, L"Software\\Borland\\Delphi\\2.0", L"RootDir", REG_SZ,
                        (dir / L"Delphi4").wstring()));
    }

    std::map<std::int32_t, std::string> found;
    for (const InstalledIde& ide : RegistryIdeSearch().LookIn("registry")) {
        EXPECT_FALSE(found.count(ide.version)) << ide.version;
        found.emplace(ide.version, ide.executable);
    }
    std::map<std::int32_t, std::string> expected{{3, AnsiFromUtf8(Utf8FromWide(d3.wstring()))},
                                                 {4, AnsiFromUtf8(Utf8FromWide(d4.wstring()))}};
    // Registered paths are kept in the ANSI code page: a path it cannot spell is not offered.
    if (::GetACP() == 932) expected.emplace(2, AnsiFromUtf8(Utf8FromWide(japanese.wstring())));
    EXPECT_EQ(found, expected);
}

TEST_F(RegistryIdeSearchTest, NoKeysNoIdes) { EXPECT_TRUE(RegistryIdeSearch().LookIn("registry").empty()); }

}  // namespace
}  // namespace pivora
