// Stands in for a registered IDE in the end-to-end tests: writes how it was
// started and exits. The record goes to the file named by PIVORA_IDE_LOG, else
// to "<its own path>.log", written whole and renamed into place so a reader
// never sees half of it. One "key=value" a line, LF-ended:
//   cmdlineA / cmdlineW   the raw command line (ANSI bytes / UTF-8 of the wide one)
//   cwdA / cwdW           the current directory
//   argc, argW            the arguments as CommandLineToArgvW splits them (UTF-8)
//   argA                  the arguments as the C runtime split them (ANSI bytes)
// argument 0 (the program) is left out of argc, argW and argA.
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
