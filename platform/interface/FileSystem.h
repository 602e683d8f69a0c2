// The launcher's only way to the disk. Real implementations live in posix/ and
// win32/; tests wrap them to inject faults.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pivora {

// A file operation that failed. what() is the text the user is shown by the
// default failure handler (Japanese, naming the file and the system's reason).
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A lock that another program held for longer than a launch may wait.
class FileInUse : public FileError {
public:
    using FileError::FileError;
};

// What a reader reports when NonFileAt holds for a path it was to read.
inline FileError NotAFile(const std::string& path) {
    return FileError("ファイル [" + path + "] はファイルではありません。");
}

// Held while a process has exclusive use of a shared file; released when destroyed.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// The bytes of a file, valid for as long as the object lives.
class FileBytes {
public:
    virtual ~FileBytes() = default;
    virtual std::string_view View() const = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True only for an existing file; a directory of that name does not count.
    virtual bool FileExists(const std::string& path) = 0;
    // True when something that is not a file stands at `path` (a directory, a
    // FIFO, a device): a reader must report it, neither take it for a missing
    // file nor open it (a FIFO would block the read). A file system of files
    // alone, as the default has it, never holds such a thing.
    virtual bool NonFileAt(const std::string& /*path*/) { return false; }
    // The whole file. Throws FileError when it cannot be opened or read.
    virtual std::string ReadFile(const std::string& path) = 0;
    // The whole file, perhaps mapped rather than copied (a large history is
    // read at every start). Throws FileError like ReadFile.
    virtual std::unique_ptr<FileBytes> ReadBytes(const std::string& path);
    // Up to `count` bytes from the start of the file (fewer when it is shorter).
    // Throws FileError like ReadFile.
    virtual std::string ReadPrefix(const std::string& path, std::size_t count) = 0;
    // Replaces the file with `data` through a temporary file beside it and a
    // rename, so readers see the old file or the new one, never a torn one.
    // On Linux a symbolic link at `path` is written through only when it is
    // the user's own or its directory's owner's; any other is refused.
    virtual void WriteFileAtomic(const std::string& path, const std::string& data) = 0;
    // The existing file whose name differs from `path`'s last component only in
    // letter case, when there is exactly one such file; else nothing. Only needed
    // where the file system tells case apart (Windows answers with nothing).
    virtual std::optional<std::string> FindCaseVariant(const std::string& path) = 0;
    // Something that changes whenever the file is replaced or rewritten, so a
    // reader can tell cheaply whether the file is still the one it read; empty
    // when there is no such file. By default the content itself, which is exact
    // but slow: real file systems answer with the file's identity and times.
    virtual std::string Stamp(const std::string& path) {
        std::string stamp;
        if (FileExists(path)) stamp = ReadFile(path).insert(0, 1, '=');
        return stamp;
    }
    // True when this user can create and replace files in the directory `dir`
    // (ended by a separator). Tried for real where it matters: permissions,
    // access control lists and read-only mounts all answer alike. A file
    // system that cannot say, as the default, is taken to allow it.
    virtual bool CanReplaceFilesIn(const std::string& /*dir*/) { return true; }
    // Makes the directory `dir` and every missing one above it, new ones
    // private to the user. Throws FileError when one cannot be made.
    virtual void CreateDirectories(const std::string& /*dir*/) {}
    // Waits for and takes an exclusive lock tied to `lockPath` (created if
    // needed). Throws FileInUse when another program holds it for longer than
    // the file system is willing to wait, FileError when it cannot be taken.
    virtual std::unique_ptr<FileLock> LockExclusive(const std::string& lockPath) = 0;
};

inline std::unique_ptr<FileBytes> FileSystem::ReadBytes(const std::string& path) {
    class Copy final : public FileBytes {
    public:
        explicit Copy(std::string bytes) : bytes_(std::move(bytes)) {}
        std::string_view View() const override { return bytes_; }

    private:
        std::string bytes_;
    };
    return std::make_unique<Copy>(ReadFile(path));
}

}  // namespace pivora
