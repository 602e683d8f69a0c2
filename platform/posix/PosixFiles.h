#pragma once

#include "platform/FileSystem.h"

namespace pivora {

class PosixFiles final : public FileSystem {
public:
    bool FileExists(const std::string& path) override;
    std::string ReadFile(const std::string& path) override;
    std::unique_ptr<FileBytes> ReadBytes(const std::string& path) override;
    std::string ReadPrefix(const std::string& path, std::size_t count) override;
    void WriteFileAtomic(const std::string& path, const std::string& data) override;
    std::optional<std::string> FindCaseVariant(const std::string& path) override;
    std::string Stamp(const std::string& path) override;
    std::unique_ptr<FileLock> LockExclusive(const std::string& lockPath) override;
};

}  // namespace pivora
