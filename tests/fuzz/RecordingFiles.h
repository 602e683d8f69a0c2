// A file system that passes every call on and remembers each path it was
// asked about, so a target can tell which files a reader looked for.
#pragma once

#include <string>
#include <vector>

#include "platform/interface/FileSystem.h"

namespace pivora::fuzz {

class RecordingFiles final : public FileSystem {
public:
    explicit RecordingFiles(FileSystem& inner) : inner_(inner) {}
    std::vector<std::string> paths;

    bool FileExists(const std::string& path) override { return paths.push_back(path), inner_.FileExists(path); }
    bool NonFileAt(const std::string& path) override { return paths.push_back(path), inner_.NonFileAt(path); }
    std::string ReadFile(const std::string& path) override { return paths.push_back(path), inner_.ReadFile(path); }
    std::unique_ptr<FileBytes> ReadBytes(const std::string& path) override {
        return paths.push_back(path), inner_.ReadBytes(path);
    }
    std::string ReadPrefix(const std::string& path, std::size_t count) override {
        return paths.push_back(path), inner_.ReadPrefix(path, count);
    }
    void WriteFileAtomic(const std::string& path, const std::string& data) override {
        paths.push_back(path);
        inner_.WriteFileAtomic(path, data);
    }
    std::optional<std::string> FindCaseVariant(const std::string& path) override {
        return paths.push_back(path), inner_.FindCaseVariant(path);
    }
    std::string Stamp(const std::string& path) override { return paths.push_back(path), inner_.Stamp(path); }
    std::unique_ptr<FileLock> LockExclusive(const std::string& lockPath) override {
        return paths.push_back(lockPath), inner_.LockExclusive(lockPath);
    }

private:
    FileSystem& inner_;
};

}  // namespace pivora::fuzz
