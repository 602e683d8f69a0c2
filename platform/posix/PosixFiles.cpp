#include "platform/posix/PosixFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <thread>

#include "platform/formats/FileNames.h"

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
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.release();
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { int fd = fd_; fd_ = -1; return fd; }

private:
    int fd_;
};

// Opened without waiting: a FIFO put where a file belongs would otherwise block
// the open until some writer came, and a device is no file to read either.
Fd OpenForReading(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) Fail("を開けません。", path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) Fail("を開けません。", path, errno);
    if (!S_ISREG(st.st_mode)) throw NotAFile(path);
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) Fail("を開けません。", path, errno);
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

bool PosixFiles::NonFileAt(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
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

namespace {

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where a save of a path lands: the directory held open, so the checks and the
// rename all concern the same directory, and the name in it.
struct Destination {
    Fd dir{-1};
    std::string name;
    bool replacing = false;
    mode_t mode = 0;  // the replaced file's permission bits
};

// The kernel follows a link in a shared sticky directory only when the link is
// the follower's own or its directory's owner's (fs.protected_symlinks); the
// same rule here holds in every directory, sticky or not, and whatever the
// machine's setting.
bool MayFollow(const struct stat& link, const struct stat& dir) {
    return link.st_uid == ::geteuid() || link.st_uid == dir.st_uid;
}

// `path`, or the file a chain of links that may be followed leads to.
Destination Resolve(const std::string& path) {
    constexpr int kMaxLinks = 40;  // as many as the kernel follows
    std::string at = path;
    for (int links = 0;; ++links) {
        Destination d;
        d.name = NameOf(at);
        if (d.name.empty()) Fail("に書き込めません。", path, EISDIR);
        const std::string dirPath = DirectoryOf(at);
        d.dir = Fd(::open(dirPath.empty() ? "." : dirPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (d.dir.get() < 0) Fail("に書き込めません。", path, errno);
        struct stat st {};
        if (::fstatat(d.dir.get(), d.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) Fail("に書き込めません。", path, errno);
            return d;  // a new file
        }
        if (!S_ISLNK(st.st_mode)) {
            if (!S_ISREG(st.st_mode)) throw NotAFile(path);
            d.replacing = true;
            d.mode = st.st_mode & 07777;
            return d;
        }
        struct stat holder {};
        if (::fstat(d.dir.get(), &holder) != 0) Fail("に書き込めません。", path, errno);
        if (!MayFollow(st, holder))
            throw FileError("ファイル [" + at + "] は他のユーザーのシンボリックリンクです。書き込みません。");
        if (links == kMaxLinks) Fail("に書き込めません。", path, ELOOP);
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlinkat(d.dir.get(), d.name.c_str(), target.data(), target.size());
        if (n < 0) Fail("に書き込めません。", path, errno);
        if (static_cast<std::size_t>(n) == target.size()) Fail("に書き込めません。", path, ENAMETOOLONG);
        target.resize(static_cast<std::size_t>(n));
        at = !target.empty() && target[0] == '/' ? target : dirPath + target;
    }
}

// Letters and digits nobody can guess, so no name can be prepared in advance.
std::string RandomSuffix() {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[12];
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // No random source (a sandbox that forbids the call): hard to guess
        // still, and creation refuses a name that is taken anyway.
        static unsigned calls = 0;
        auto x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 (static_cast<std::uint64_t>(::getpid()) << 32) ^ (++calls * 0x9E3779B97F4A7C15u);
        for (unsigned char& b : bytes) {
            x = x * 6364136223846793005u + 1442695040888963407u;
            b = static_cast<unsigned char>(x >> 56);
        }
    }
    std::string suffix;
    for (const unsigned char b : bytes) suffix += kAlphabet[b % (sizeof kAlphabet - 1)];
    return suffix;
}

// Creates `<name>.tmp<random>` in the directory, only where nothing stands yet,
// and never through a link. A new file gets 0666 less the umask; a replacing
// one is created private and takes the replaced file's bits once open.
Fd CreateTemporary(const Destination& d, const std::string& path, std::string& tempName) {
    for (int attempt = 0;; ++attempt) {
        tempName = d.name + ".tmp" + RandomSuffix();
        Fd fd(::openat(d.dir.get(), tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       d.replacing ? 0600 : 0666));
        if (fd.get() >= 0) return fd;
        if (errno != EEXIST || attempt == 100) Fail("に書き込めません。", path, errno);
    }
}

// A launcher killed during a save leaves its temporary file behind. Removed
// are only regular files of this user, older than any save takes: a younger
// one may be another launcher's save in progress.
void RemoveStaleTemporaries(const Destination& d) {
    const std::string prefix = d.name + ".tmp";
    const int listFd = ::openat(d.dir.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) return;
    DIR* list = ::fdopendir(listFd);
    if (!list) {
        ::close(listFd);
        return;
    }
    const std::time_t staleBefore = std::time(nullptr) - PosixFiles::kStaleTemporaryAge.count();
    while (const dirent* e = ::readdir(list)) {
        if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        struct stat st {};
        if (::fstatat(d.dir.get(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_mtime >= staleBefore) continue;
        ::unlinkat(d.dir.get(), e->d_name, 0);  // at worst it stays for the next save
    }
    ::closedir(list);
}

}  // namespace

void PosixFiles::WriteFileAtomic(const std::string& path, const std::string& data) {
    const Destination d = Resolve(path);
    // Before writing: what a crash left may be what fills the disk.
    RemoveStaleTemporaries(d);
    // The temporary file stands beside the target so the rename stays on one file system.
    std::string temp;
    Fd fd = CreateTemporary(d, path, temp);
    try {
        // open() applies the umask; a replaced file keeps every bit it had.
        if (d.replacing && ::fchmod(fd.get(), d.mode) != 0) Fail("に書き込めません。", path, errno);
        WriteAll(fd.get(), data, path);
        if (::fsync(fd.get()) != 0) Fail("に書き込めません。", path, errno);
        if (::close(fd.release()) != 0) Fail("に書き込めません。", path, errno);
        if (::renameat(d.dir.get(), temp.c_str(), d.dir.get(), d.name.c_str()) != 0)
            Fail("に書き込めません。", path, errno);
    } catch (...) {
        ::unlinkat(d.dir.get(), temp.c_str(), 0);
        throw;
    }
}

bool PosixFiles::CanReplaceFilesIn(const std::string& dir) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::string probe = (dir.empty() ? std::string("./") : dir) + ".pivora-probe-" + RandomSuffix();
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        ::close(fd);
        return ::unlink(probe.c_str()) == 0;
    }
    return false;
}

void PosixFiles::CreateDirectories(const std::string& dir) {
    // Each level from the top: the ones that exist are left as they are.
    for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string level = dir.substr(0, slash);
        if (!level.empty() && ::mkdir(level.c_str(), 0700) != 0) {
            const int err = errno;
            struct stat st {};
            if (err != EEXIST || ::stat(level.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                throw FileError("フォルダー [" + level + "] を作成できません。\n" +
                                std::strerror(err == EEXIST ? ENOTDIR : err));
        }
        if (slash == std::string::npos || slash + 1 >= dir.size()) return;
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
    // Never through a link: one planted in a shared directory would have the
    // lock file created wherever it pointed.
    Fd fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.get() < 0) Fail("を開けません。", lockPath, errno);
    // Anyone who can read the lock file can hold its lock for ever; a blocking
    // flock would then hang the launcher with it.
    const auto giveUp = std::chrono::steady_clock::now() + lockPatience_;
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) Fail("をロックできません。", lockPath, errno);
        if (std::chrono::steady_clock::now() >= giveUp)
            throw FileInUse("ファイル [" + lockPath + "] は他のプログラムが使用中です。");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::make_unique<PosixLock>(fd.release());
}

}  // namespace pivora
