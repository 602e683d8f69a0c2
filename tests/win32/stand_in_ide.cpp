// Stands in for a registered IDE in the end-to-end tests: writes how it was
// started and exits. The record goes to the file named by PIVORA_IDE_LOG, else
// to "<its own path>.log", written whole and renamed into place so a reader
// never sees half of it. One "key=value" a line, LF-ended:
//   cmdlineA / cmdlineW   the raw command line (ANSI bytes / UTF-8 of the wide one)
//   cwdA / cwdW           the current directory
//   argc, argW            the arguments as CommandLineToArgvW splits them (UTF-8)
//   argA                  the arguments as the C runtime split them (ANSI bytes)
//   openA                 per argument, in order: "ok" when CreateFileA opens it
//                         for reading, else "error N" (GetLastError)
//   selfW                 its own path as Windows names it (the drive shows the prefix)
//   WINEPREFIX            that variable of its environment, when there is one
// argument 0 (the program) is left out of argc, argW, argA and openA.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    if (!text || !*text) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

std::wstring LogPath() {
    wchar_t buffer[32768];
    const DWORD n = ::GetEnvironmentVariableW(L"PIVORA_IDE_LOG", buffer, 32768);
    if (n > 0 && n < 32768) return buffer;
    const DWORD m = ::GetModuleFileNameW(nullptr, buffer, 32768);
    return std::wstring(buffer, m) + L".log";
}

}  // namespace

int main(int argc, char** argv) {
    std::string record;
    record += "cmdlineA=" + std::string(::GetCommandLineA()) + "\n";
    record += "cmdlineW=" + Utf8(::GetCommandLineW()) + "\n";
    char cwdA[32768] = "";
    ::GetCurrentDirectoryA(sizeof cwdA, cwdA);
    wchar_t cwdW[32768] = L"";
    ::GetCurrentDirectoryW(32768, cwdW);
    record += "cwdA=" + std::string(cwdA) + "\n";
    record += "cwdW=" + Utf8(cwdW) + "\n";
    int wargc = 0;
    wchar_t** wargv = ::CommandLineToArgvW(::GetCommandLineW(), &wargc);
    record += "argc=" + std::to_string(wargc > 0 ? wargc - 1 : 0) + "\n";
    for (int i = 1; wargv && i < wargc; ++i) record += "argW=" + Utf8(wargv[i]) + "\n";
    if (wargv) ::LocalFree(wargv);
    for (int i = 1; i < argc; ++i) record += "argA=" + std::string(argv[i]) + "\n";
    for (int i = 1; i < argc; ++i) {
        const HANDLE opened = ::CreateFileA(argv[i], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (opened == INVALID_HANDLE_VALUE) {
            record += "openA=error " + std::to_string(::GetLastError()) + "\n";
        } else {
            ::CloseHandle(opened);
            record += "openA=ok\n";
        }
    }
    wchar_t self[32768] = L"";
    ::GetModuleFileNameW(nullptr, self, 32768);
    record += "selfW=" + Utf8(self) + "\n";
    wchar_t prefix[32768] = L"";
    const DWORD prefixLength = ::GetEnvironmentVariableW(L"WINEPREFIX", prefix, 32768);
    if (prefixLength > 0 && prefixLength < 32768) record += "WINEPREFIX=" + Utf8(prefix) + "\n";

    const std::wstring path = LogPath();
    const std::wstring temp = path + L".part";
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || !::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return 3;
    return 0;
}
