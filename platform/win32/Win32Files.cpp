#include "platform/win32/Win32Files.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/formats/FileNames.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Text.h"

namespace pivora {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, DWORD error) {
    throw FileError("ファイル [" + Utf8FromAnsi(path) + "] " + what + "\n" + SystemErrorText(error));
}

UniqueFile OpenForReading(const std::string& path) {
    // Others may go on reading, writing or renaming it while we read.
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) Fail("を開けません。", path, ::GetLastError());
    return file;
}

std::string ReadUpTo(const UniqueFile& file, const std::string& path, std::size_t limit) {
    std::string data;
    char buffer[65536];
    while (data.size() < limit) {
        const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, limit - data.size()));
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, want, &got, nullptr)) Fail("を読み込めません。", path, ::GetLastError());
        if (got == 0) break;
        data.append(buffer, got);
    }
    return data;
}

void WriteAll(const UniqueFile& file, const std::string& data, const std::string& path) {
    std::size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), data.data() + done, chunk, &written, nullptr) || written == 0)
            Fail("に書き込めません。", path, ::GetLastError());
        done += written;
    }
}

// Why the lock file could not be opened, and whether waiting can help.
enum class OpenRefusal {
    kHeld,      // another program has it: it may let go
    kVanished,  // there is nothing there now: worth one more try at once
    kFinal,     // waiting changes nothing
};

// A sharing violation is another program holding the file open and sharing
// nothing. A denial is the same when the file was deleted while another
// program had it open: every open of it is refused, even one asking for no
// access, until that program closes it. Anything that opens for no access
// is there to stay and the denial is its own (read-only, a folder, no right
// to write); no file at all is the folder refusing a new one, unless a
// deleted file has just gone.
OpenRefusal ClassifyRefusedOpen(const std::string& path, DWORD error) {
    if (error == ERROR_SHARING_VIOLATION) return OpenRefusal::kHeld;
    if (error != ERROR_ACCESS_DENIED) return OpenRefusal::kFinal;
    const UniqueFile probe(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (probe) return OpenRefusal::kFinal;
    switch (::GetLastError()) {
        case ERROR_ACCESS_DENIED:
            return OpenRefusal::kHeld;
        case ERROR_FILE_NOT_FOUND:
            return OpenRefusal::kVanished;
        default:
            return OpenRefusal::kFinal;
    }
}

class Win32Lock final : public FileLock {
public:
    explicit Win32Lock(UniqueFile file) : file_(std::move(file)) {}
    ~Win32Lock() override {
        OVERLAPPED at{};
        ::UnlockFileEx(file_.get(), 0, 1, 0, &at);
    }  // closing the handle would release it as well

private:
    UniqueFile file_;
};

}  // namespace

bool Win32Files::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::NonFileAt(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Win32Files::ReadFile(const std::string& path) {
    const UniqueFile file = OpenForReading(path);
    return ReadUpTo(file, path, std::string::npos);
}

std::string Win32Files::ReadPrefix(const std::string& path, std::size_t count) {
    const UniqueFile file = OpenForReading(path);
    return ReadUpTo(file, path, count);
}

void Win32Files::WriteFileAtomic(const std::string& path, const std::string& data) {
    // Beside the target, so the rename stays on one volume.
    const std::string temp = path + ".tmp" + std::to_string(::GetCurrentProcessId());
    // A read-only file is one the user does not want changed. Windows refuses
    // to rename over it anyway; Wine would not, so it is asked here, before
    // anything is written.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        Fail("に書き込めません。", path, ERROR_ACCESS_DENIED);
    {
        UniqueFile file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        if (!file) Fail("に書き込めません。", path, ::GetLastError());
        try {
            WriteAll(file, data, path);
            if (!::FlushFileBuffers(file.get())) Fail("に書き込めません。", path, ::GetLastError());
        } catch (...) {
            file.reset();
            ::DeleteFileA(temp.c_str());
            throw;
        }
    }
    // Readers take no lock, and the system refuses to replace a file that
    // another launcher has open this instant: such a refusal passes as soon
    // as that reader is done, so it is tried again for a few seconds before
    // it counts as a failure.
    constexpr DWORD kPatienceMs = 5000;
    const DWORD start = ::GetTickCount();
    DWORD pause = 1;
    while (!::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        const bool transient =
            error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!transient || ::GetTickCount() - start > kPatienceMs) {
            ::DeleteFileA(temp.c_str());
            Fail("に書き込めません。", path, error);
        }
        ++refusedReplaces_;
        ::Sleep(pause);
        pause = std::min<DWORD>(pause * 2, 50);
    }
}

bool Win32Files::CanReplaceFilesIn(const std::string& dir) {
    const std::string probe = dir + ".pivora-probe-" + std::to_string(::GetCurrentProcessId()) + "-" +
                              std::to_string(::GetTickCount());
    // Asking to delete on close asks for the right to delete, which a replace needs too.
    const HANDLE file = ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

void Win32Files::CreateDirectories(const std::string& dir) {
    // Every level is tried; a drive or a server name refuses and is no
    // failure. Only the last level has to exist in the end.
    const bool doubleByte = CurrentPathRules().doubleByteCodePage;
    for (std::size_t i = 0; i < dir.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(dir[i]);
        if (doubleByte && IsAnsiLeadByte(c)) {
            ++i;  // a trail byte of 0x5C is no backslash
            continue;
        }
        if ((c == '\\' || c == '/') && i > 0) ::CreateDirectoryA(dir.substr(0, i).c_str(), nullptr);
    }
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesA(dir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw FileError("フォルダー [" + Utf8FromAnsi(dir) + "] を作成できません。\n" + SystemErrorText(error));
}

std::optional<std::string> Win32Files::FindCaseVariant(const std::string&) {
    // The file system ignores case already: FileExists found it, or there is none.
    return std::nullopt;
}

std::string Win32Files::Stamp(const std::string& path) {
    UniqueFile file(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    // A save replaces the file by a rename, so a new file index tells it apart
    // even within one tick of the clock.
    auto join = [](DWORD high, DWORD low) { return std::to_string((static_cast<unsigned long long>(high) << 32) | low); };
    return std::to_string(info.dwVolumeSerialNumber) + ":" + join(info.nFileIndexHigh, info.nFileIndexLow) + ":" +
           join(info.nFileSizeHigh, info.nFileSizeLow) + ":" +
           join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime) + ":" +
           join(info.ftCreationTime.dwHighDateTime, info.ftCreationTime.dwLowDateTime);
}

std::unique_ptr<FileLock> Win32Files::LockExclusive(const std::string& lockPath) {
    // Polled, not waited for: a wait that ends after a time takes an
    // overlapped request, cancelled against a grant that may come the same
    // instant, and Wine never completes such a request once it has to wait.
    const auto giveUp = std::chrono::steady_clock::now() + lockPatience_;
    DWORD pause = 1;
    auto waitOrGiveUp = [&] {
        if (std::chrono::steady_clock::now() >= giveUp)
            throw FileInUse("ファイル [" + Utf8FromAnsi(lockPath) + "] は他のプログラムが使用中です。");
        ++lockWaits_;
        ::Sleep(pause);
        pause = std::min<DWORD>(pause * 2, 16);
    };
    bool vanishedOnce = false;
    for (;;) {
        UniqueFile file(::CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = ::GetLastError();
            switch (ClassifyRefusedOpen(lockPath, error)) {
                case OpenRefusal::kHeld:
                    waitOrGiveUp();
                    continue;
                case OpenRefusal::kVanished:
                    if (!std::exchange(vanishedOnce, true)) continue;
                    [[fallthrough]];
                case OpenRefusal::kFinal:
                    Fail("を開けません。", lockPath, error);
            }
        }
        // One byte at the start. It belongs to this handle, so the system
        // releases it when this process ends, however it ends (some time
        // after, by its documentation: the patience covers that too).
        for (;;) {
            OVERLAPPED at{};
            if (::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
                return std::make_unique<Win32Lock>(std::move(file));
            const DWORD error = ::GetLastError();
            if (error != ERROR_LOCK_VIOLATION) Fail("をロックできません。", lockPath, error);
            waitOrGiveUp();
        }
    }
}

}  // namespace pivora
