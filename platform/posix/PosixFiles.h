#pragma once

#include <chrono>

#include "platform/interface/FileSystem.h"

namespace pivora {

class PosixFiles final : public FileSystem {
public:
    // Long enough for any launcher's save; short enough that a lock another
    // user holds on purpose ends the launch with a report instead of a hang.
    static constexpr std::chrono::milliseconds kLockPatience{5000};
    // Temporary files of saves older than this were left by a launcher that
    // died; younger ones may be another launcher's save in progress.
    static constexpr std::chrono::seconds kStaleTemporaryAge{60};

    explicit PosixFiles(std::chrono::milliseconds lockPatience = kLockPatience) : lockPatience_(lockPatience) {}

    bool FileExists(const std::string& path) override;
    bool NonFileAt(const std::string& path) override;
    std::string ReadFile(const std::string& path) override;
    std::unique_ptr<FileBytes> ReadBytes(const std::string& path) override;
    std::string ReadPrefix(const std::string& path, std::size_t count) override;
    // The temporary file gets a name nobody can guess and is created only if
    // nothing stands at that name, so a link planted in a shared directory is
    // never followed; stale temporary files of the same file are removed.
    void WriteFileAtomic(const std::string& path, const std::string& data) override;
    std::optional<std::string> FindCaseVariant(const std::string& path) override;
    std::string Stamp(const std::string& path) override;
    // Creates and removes a file of a name nobody else uses: two system calls,
    // and the only answer that holds for access control lists and read-only
    // mounts alike.
    bool CanReplaceFilesIn(const std::string& dir) override;
    // New directories get mode 0700.
    void CreateDirectories(const std::string& dir) override;
    // Polls for the lock until lockPatience has passed.
    std::unique_ptr<FileLock> LockExclusive(const std::string& lockPath) override;

private:
    std::chrono::milliseconds lockPatience_;
};

}  // namespace pivora
