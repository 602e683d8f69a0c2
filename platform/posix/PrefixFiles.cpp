#include "platform/posix/PrefixFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/posix/PosixSystem.h"

namespace pivora {

namespace {

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::vector<std::string> PosixPrefixFiles::List(const std::string& dir) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(dir.c_str()), &::closedir);
    if (!listing) return names;
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    return names;
}

std::optional<std::string> PosixPrefixFiles::Read(const std::string& path, std::size_t limit) {
    // Non-blocking, so a FIFO planted where a registry file belongs is not waited on.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    const int fd = file.fd;
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > limit)
        return std::nullopt;
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > limit) return std::nullopt;  // grew while read
    }
    return data;
}

std::string PosixPrefixFiles::LinkTarget(const std::string& path) { return ReadLink(path.c_str()); }

EntryKind PosixPrefixFiles::Kind(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return EntryKind::Missing;
    if (S_ISREG(st.st_mode)) return EntryKind::File;
    if (S_ISDIR(st.st_mode)) return EntryKind::Directory;
    return EntryKind::Other;
}

}  // namespace pivora
