#pragma once

#include <atomic>
#include <chrono>

#include "platform/interface/FileSystem.h"

namespace pivora {

// The file system through the ANSI functions, so a path is the bytes the
// launcher was given. The messages of FileError are UTF-8.
class Win32Files final : public FileSystem {
public:
    // Long enough for any launcher's save; short enough that a lock another
    // program holds for ever ends the launch with a report instead of a hang.
    static constexpr std::chrono::milliseconds kLockPatience{5000};

    explicit Win32Files(std::chrono::milliseconds lockPatience = kLockPatience) : lockPatience_(lockPatience) {}

    bool FileExists(const std::string& path) override;
    // A directory of that name: what the attributes tell apart from a file.
    bool NonFileAt(const std::string& path) override;
    std::string ReadFile(const std::string& path) override;
    std::string ReadPrefix(const std::string& path, std::size_t count) override;
    void WriteFileAtomic(const std::string& path, const std::string& data) override;
    std::optional<std::string> FindCaseVariant(const std::string& path) override;
    std::string Stamp(const std::string& path) override;
    // A file created new and deleted on close: the answer of the access
    // control lists and of a read-only medium alike.
    bool CanReplaceFilesIn(const std::string& dir) override;
    void CreateDirectories(const std::string& dir) override;
    // ReadBytes stays the copying default: a mapped view would keep every
    // launcher, this one included, from replacing the file while it is open.

    // Tries again until lockPatience has passed, both the lock and the opening
    // of its file (which another program may have open, sharing nothing).
    std::unique_ptr<FileLock> LockExclusive(const std::string& lockPath) override;

    // How many times a replace was refused and tried again (another launcher
    // had the file open), so tests can tell the retry from a lucky moment.
    int RefusedReplaces() const { return refusedReplaces_.load(); }
    // How many times the lock, or its file, was found held by another and
    // waited for, so tests can let go once a wait has begun.
    int LockWaits() const { return lockWaits_.load(); }

private:
    std::chrono::milliseconds lockPatience_;
    std::atomic<int> refusedReplaces_{0};
    std::atomic<int> lockWaits_{0};
};

}  // namespace pivora
