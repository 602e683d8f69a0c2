#include "platform/win32/Win32System.h"

#include "platform/formats/FileNames.h"
#include "platform/interface/FileSystem.h"
#include "platform/win32/Win32FileNameCompare.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32IdeSearch.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/WindowsArgs.h"

namespace pivora {

namespace {

LeadBytePredicate AnsiLeadBytes() { return CurrentPathRules().doubleByteCodePage ? &IsAnsiLeadByte : nullptr; }

bool IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "C:\..." and "\\server\..." (and "\\?\..."): a name that depends on no
// current directory or drive.
bool IsFullPath(const std::string& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return true;
    const char c = path.empty() ? '\0' : path[0];
    return path.size() >= 3 && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':' &&
           IsSeparator(path[2]);
}

}  // namespace

Win32System::Win32System() {
    SetCurrentPathRules({/*backslashIsSeparator=*/true, /*doubleByteCodePage=*/::GetACP() == 932});
    const char* commandLine = ::GetCommandLineA();
    arguments_ = SplitWindowsCommandLine(commandLine ? commandLine : "", AnsiLeadBytes());
    if (!arguments_.empty()) arguments_.erase(arguments_.begin());  // the program's own name
}

bool Win32System::CtrlDown() {
    // The key state as of the message that started us; a fresh thread may not
    // have one yet, so the state of the keyboard itself counts too.
    return ::GetKeyState(VK_CONTROL) < 0 || (::GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
}

std::string Win32System::ExePath() {
    if (exePath_.empty()) {
        // Paths beyond MAX_PATH exist; grow until the name fits with room to spare.
        std::string buffer(MAX_PATH, '\0');
        for (;;) {
            const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0) break;
            if (n < buffer.size()) {
                buffer.resize(n);
                exePath_ = buffer;
                break;
            }
            if (buffer.size() >= 32768) break;
            buffer.resize(buffer.size() * 2);
        }
        if (exePath_.empty()) exePath_ = "Pivora.exe";
    }
    return exePath_;
}

std::optional<std::string> Win32System::Environment(const std::string& name) {
    std::string value(256, '\0');
    for (;;) {
        const DWORD n = ::GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        if (n < value.size()) {
            value.resize(n);
            return value;
        }
        value.resize(n);  // n counts the terminating null when the buffer was short
    }
}

LocalTime Win32System::Now() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

SpawnResult Win32System::StartIde(const std::string& registered, const std::string& file,
                                  const std::string& workDir) {
    // A relative file is the one under the launcher's directory, where the
    // IDE starts: never one that happens to lie under the current directory.
    const std::string path = PathFrom(workDir, registered);
    const bool isFile = IsFile(path);
    const IdeCommand command = BuildIdeCommand(isFile ? path : registered, isFile, file, AnsiLeadBytes());
    SpawnResult result;
    result.executable = command.executable;
    if (command.empty) {
        result.reason = "実行するファイルが指定されていません。";
        return result;
    }

    // The IDE starts as the launcher was asked to show itself (a shortcut's
    // "minimised", say), but inherits nothing else: the runtime's handle table
    // and standard handles in the startup information name handles of ours,
    // which it does not get.
    STARTUPINFOA startup{};
    ::GetStartupInfoA(&startup);
    startup.cb = sizeof startup;
    startup.lpReserved = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    startup.dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nullptr;

    std::string commandLine = command.commandLine;  // CreateProcessA may write into it
    PROCESS_INFORMATION process{};
    const BOOL ok = ::CreateProcessA(command.useApplicationName ? command.applicationName.c_str() : nullptr,
                                     commandLine.data(), nullptr, nullptr, /*bInheritHandles=*/FALSE,
                                     CREATE_DEFAULT_ERROR_MODE, /*environment: ours*/ nullptr,
                                     workDir.empty() ? nullptr : workDir.c_str(), &startup, &process);
    if (!ok) {
        result.reason = SystemErrorText(::GetLastError());
        return result;
    }
    // Not waited for: the launcher ends while the IDE runs on.
    UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    result.started = true;
    return result;
}

std::string Win32System::AbsolutePath(const std::string& path) {
    if (path.empty() || IsFullPath(path)) return path;
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0)
            throw FileError("ファイル [" + Utf8FromAnsi(path) + "] の場所が分かりません。\n" +
                            SystemErrorText(::GetLastError()));
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);  // n counts the terminating null when the buffer was short
    }
}

std::string Win32System::ToUiText(const std::string& native) { return Utf8FromAnsi(native); }

std::string Win32System::FromUiText(const std::string& ui) { return AnsiFromUtf8(ui); }

int Win32System::CompareFileNames(std::string_view a, std::string_view b) { return CompareFileNamesWindows(a, b); }

std::shared_ptr<InstalledIdeSearch> Win32System::IdeSearch() { return std::make_shared<RegistryIdeSearch>(); }

}  // namespace pivora
