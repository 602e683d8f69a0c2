#include "platform/win32/Win32IdeSearch.h"

#include <algorithm>
#include <set>

#include "platform/formats/DelphiInstalls.h"
#include "platform/win32/Win32Text.h"

namespace pivora {

namespace {

using RegOpenKeyExWFn = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
using RegQueryValueExWFn = LONG(WINAPI*)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using RegCloseKeyFn = LONG(WINAPI*)(HKEY);

// The registry functions, loaded when first looked for, so that a launch
// that shows no dialog loads no more than it imports (kernel32, user32,
// gdi32, msvcrt, version). The library stays loaded: other threads may use it.
struct RegistryApi {
    RegOpenKeyExWFn open = nullptr;
    RegQueryValueExWFn query = nullptr;
    RegCloseKeyFn close = nullptr;

    RegistryApi() {
        HMODULE advapi = ::LoadLibraryW(L"advapi32.dll");
        if (!advapi) return;
        open = Function<RegOpenKeyExWFn>(advapi, "RegOpenKeyExW");
        query = Function<RegQueryValueExWFn>(advapi, "RegQueryValueExW");
        close = Function<RegCloseKeyFn>(advapi, "RegCloseKey");
    }
    bool Usable() const { return open && query && close; }

    template <class F>
    static F Function(HMODULE module, const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
};

// A longer value names no executable.
constexpr DWORD kValueLimit = 64 * 1024;

std::optional<std::string> ReadString(const RegistryApi& api, RegistryRoot root, const std::string& key,
                                      const std::string& name) {
    HKEY hkey = nullptr;
    // The 32-bit view, where a 32-bit installer wrote, whatever this build is.
    if (api.open(root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                 WideFromUtf8(key).c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &hkey) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring valueName = WideFromUtf8(name);
    DWORD type = 0, size = 0;
    std::wstring data;
    LONG status = api.query(hkey, valueName.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && size <= kValueLimit) {
        data.assign(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        status = api.query(hkey, valueName.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &got);
        if (status == ERROR_SUCCESS) data.resize(std::min<std::size_t>(data.size(), got / sizeof(wchar_t)));
    } else {
        status = ERROR_FILE_NOT_FOUND;
    }
    api.close(hkey);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    if (const std::size_t nul = data.find(L'\0'); nul != std::wstring::npos) data.resize(nul);
    if (type == REG_EXPAND_SZ) {
        const DWORD needed = ::ExpandEnvironmentStringsW(data.c_str(), nullptr, 0);
        if (needed == 0) return std::nullopt;
        std::wstring expanded(needed, L'\0');
        if (::ExpandEnvironmentStringsW(data.c_str(), expanded.data(), needed) == 0) return std::nullopt;
        if (const std::size_t nul = expanded.find(L'\0'); nul != std::wstring::npos) expanded.resize(nul);
        data = std::move(expanded);
    }
    return Utf8FromWide(data);
}

bool IsFile(const std::string& utf8Path) {
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(utf8Path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::vector<InstalledIde> RegistryIdeSearch::LookIn(const std::string&) {
    std::vector<InstalledIde> found;
    const RegistryApi api;
    if (!api.Usable()) return found;
    std::set<std::int32_t> versions;
    const std::vector<IdeCandidate> named = DelphiExecutablesInRegistry(
        [&api](RegistryRoot root, const std::string& key, const std::string& name) {
            return ReadString(api, root, key, name);
        });
    for (const IdeCandidate& candidate : named) {
        if (versions.count(candidate.version) || !IsFile(candidate.windowsPath)) continue;
        // Registered paths are kept in the ANSI code page: a path it cannot
        // spell could be offered but never started.
        std::string ansi = AnsiFromUtf8(candidate.windowsPath);
        if (Utf8FromAnsi(ansi) != candidate.windowsPath) continue;
        found.push_back({candidate.version, std::move(ansi)});
        versions.insert(candidate.version);
    }
    return found;
}

}  // namespace pivora
