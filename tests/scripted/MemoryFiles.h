// An in-memory file system for tests, with faults to order: a read or a write
// of a named file fails with the error text a real one would carry.
#pragma once

#include <map>
#include <set>

#include "platform/interface/FileSystem.h"

namespace pivora {

class MemoryFiles final : public FileSystem {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> failReads;   // paths whose reads throw
    std::set<std::string> failWrites;  // paths whose writes throw (the old content stays)
    // Paths where a directory or FIFO stands: no file, and never to be opened
    // (a real FIFO would block the read; here a read throws std::logic_error,
    // not the FileError a test expects).
    std::set<std::string> nonFiles;
    std::set<std::string> heldLocks;   // lock paths another program holds past the wait
    std::set<std::string> failLocks;   // lock paths that cannot be opened
    // Directories where this user may not create or replace files: the probe
    // says so, and writes and locks there fail as a real system's would.
    std::set<std::string> readOnlyDirs;
    std::set<std::string> createdDirs;  // what CreateDirectories was asked for
    int writes = 0;                    // successful writes, all files
    int locks = 0;                     // locks taken

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    bool NonFileAt(const std::string& path) override { return nonFiles.count(path) != 0; }
    std::string ReadFile(const std::string& path) override;
    std::string ReadPrefix(const std::string& path, std::size_t count) override;
    void WriteFileAtomic(const std::string& path, const std::string& data) override;
    std::optional<std::string> FindCaseVariant(const std::string& path) override;
    std::unique_ptr<FileLock> LockExclusive(const std::string& lockPath) override;
    bool CanReplaceFilesIn(const std::string& dir) override { return readOnlyDirs.count(dir) == 0; }
    void CreateDirectories(const std::string& dir) override;
};

}  // namespace pivora
