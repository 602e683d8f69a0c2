#include "platform/posix/PosixFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/FileNames.h"

namespace pivora {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int err) {
    throw FileError(std::string("ファイル [") + path + "] " + what + "\n" + std::strerror(err));
}

// Closes a descriptor on every way out.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { if (fd_ >= 0) ::close(fd_); }
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { int fd = fd_; fd_ = -1; return fd; }

private:
    int fd_;
};

Fd OpenForReading(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) Fail("を開けません。", path, errno);
    return fd;
}

std::string ReadUpTo(const Fd& fd, const std::string& path, std::size_t limit) {
    std::string data;
    char buffer[65536];
    while (data.size() < limit) {
        const std::size_t want = std::min(sizeof buffer, limit - data.size());
        const ssize_t n = ::read(fd.get(), buffer, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("を読み込めません。", path, errno);
        }
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

void WriteAll(int fd, const std::string& data, const std::string& path) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("に書き込めません。", path, errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

class PosixLock final : public FileLock {
public:
    explicit PosixLock(int fd) : fd_(fd) {}
    ~PosixLock() override { ::close(fd_); }  // closing releases the flock

private:
    int fd_;
};

}  // namespace

bool PosixFiles::FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string PosixFiles::ReadFile(const std::string& path) {
    const Fd fd = OpenForReading(path);
    // Read into a string of the file's size: growing it as the bytes come
    // would copy a large history several times over.
    struct stat st {};
    std::string data;
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        data.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::read(fd.get(), data.data() + done, data.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                Fail("を読み込めません。", path, errno);
            }
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        data.resize(done);
    }
    data.append(ReadUpTo(fd, path, std::string::npos));  // whatever grew meanwhile
    return data;
}

namespace {

// Pages of the page cache mapped as they are: no copy, and no memory of our own
// to fault in. Files are replaced by a rename, never rewritten in place, so the
// mapped file stays whole while it is mapped.
class MappedBytes final : public FileBytes {
public:
    MappedBytes(void* data, std::size_t size) : data_(data), size_(size) {}
    ~MappedBytes() override { ::munmap(data_, size_); }
    std::string_view View() const override { return {static_cast<const char*>(data_), size_}; }

private:
    void* data_;
    std::size_t size_;
};

constexpr off_t kMapAtLeast = 1 << 20;  // smaller files are read: a mapping costs more than it saves

}  // namespace

std::unique_ptr<FileBytes> PosixFiles::ReadBytes(const std::string& path) {
    {
        const Fd fd = OpenForReading(path);
        struct stat st {};
        if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= kMapAtLeast) {
            const auto size = static_cast<std::size_t>(st.st_size);
            void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
            if (data != MAP_FAILED) return std::make_unique<MappedBytes>(data, size);
        }
    }
    return FileSystem::ReadBytes(path);
}

std::string PosixFiles::Stamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    // A save replaces the file by a rename, so a new inode tells it apart even
    // within one tick of the clock.
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + ":" +
           std::to_string(st.st_ctim.tv_sec) + "." + std::to_string(st.st_ctim.tv_nsec);
}

std::string PosixFiles::ReadPrefix(const std::string& path, std::size_t count) {
    const Fd fd = OpenForReading(path);
    return ReadUpTo(fd, path, count);
}

void PosixFiles::WriteFileAtomic(const std::string& path, const std::string& data) {
    // The temporary file stands beside the target so the rename stays on one file system.
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    const mode_t mode = replacing ? (old.st_mode & 07777) : 0644;
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    if (fd.get() < 0) Fail("に書き込めません。", path, errno);
    try {
        // open() applies the umask; a replaced file keeps every bit it had.
        if (replacing && ::fchmod(fd.get(), mode) != 0) Fail("に書き込めません。", path, errno);
        WriteAll(fd.get(), data, path);
        if (::fsync(fd.get()) != 0) Fail("に書き込めません。", path, errno);
        if (::close(fd.release()) != 0) Fail("に書き込めません。", path, errno);
        if (::rename(temp.c_str(), path.c_str()) != 0) Fail("に書き込めません。", path, errno);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
}

std::optional<std::string> PosixFiles::FindCaseVariant(const std::string& path) {
    const std::string dir = ExtractFilePath(path);
    const std::string name = ExtractFileName(path);
    if (name.empty()) return std::nullopt;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return std::nullopt;
    std::optional<std::string> found;
    int matches = 0;
    while (const dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, name.c_str()) != 0) continue;
        const std::string candidate = dir + e->d_name;
        if (!FileExists(candidate)) continue;
        ++matches;
        found = candidate;
    }
    ::closedir(d);
    // Two names that differ only in case leave no way to tell which is meant.
    if (matches != 1) return std::nullopt;
    return found;
}

std::unique_ptr<FileLock> PosixFiles::LockExclusive(const std::string& lockPath) {
    Fd fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0) Fail("を開けません。", lockPath, errno);
    while (::flock(fd.get(), LOCK_EX) != 0)
        if (errno != EINTR) Fail("をロックできません。", lockPath, errno);
    return std::make_unique<PosixLock>(fd.release());
}

}  // namespace pivora
