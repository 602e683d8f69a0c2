#include "platform/win32/Win32Files.h"

#include <algorithm>

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
    UniqueFile file(::CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail("を開けません。", lockPath, ::GetLastError());
    // One byte at the start, waited for; the system releases it when this
    // process ends, however it ends.
    OVERLAPPED at{};
    if (!::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at))
        Fail("をロックできません。", lockPath, ::GetLastError());
    return std::make_unique<Win32Lock>(std::move(file));
}

}  // namespace pivora
