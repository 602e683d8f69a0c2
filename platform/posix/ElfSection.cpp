#include "platform/posix/ElfSection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace pivora {
namespace {

constexpr std::uint32_t kShtNobits = 8;
constexpr std::uint16_t kShnXindex = 0xFFFF;

// Where the bytes come from: memory or a file. Read fails, rather than
// shortens, when [at, at + n) is not wholly inside.
class Source {
public:
    virtual ~Source() = default;
    virtual std::uint64_t Size() const = 0;
    virtual bool Read(std::uint64_t at, std::uint64_t n, std::string& out) = 0;

protected:
    bool Inside(std::uint64_t at, std::uint64_t n) const { return at <= Size() && n <= Size() - at; }
};

class MemorySource final : public Source {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t at, std::uint64_t n, std::string& out) override {
        if (!Inside(at, n)) return false;
        out.assign(bytes_.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(n)));
        return true;
    }

private:
    std::string_view bytes_;
};

// Read with pread at the offsets asked: the About box reads a few hundred
// bytes of headers and its section at every start, and a stream would read
// and buffer kilobytes for each seek.
class FileSource final : public Source {
public:
    explicit FileSource(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st {};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<std::uint64_t>(st.st_size);
    }
    ~FileSource() override {
        if (fd_ >= 0) ::close(fd_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t at, std::uint64_t n, std::string& out) override {
        if (!Inside(at, n)) return false;
        out.assign(static_cast<std::size_t>(n), '\0');
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t got = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(at + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;  // an error, or the file shrank under us
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int fd_;
    std::uint64_t size_ = 0;
};

// Fixed-width fields in the file's own byte order.
class Fields {
public:
    Fields(const std::string& bytes, bool bigEndian) : b_(bytes), big_(bigEndian) {}
    std::uint64_t Get(std::size_t at, std::size_t width) const {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t k = big_ ? i : width - 1 - i;
            v = (v << 8) | static_cast<unsigned char>(b_[at + k]);
        }
        return v;
    }

private:
    const std::string& b_;
    bool big_;
};

// Where the fields of the file header and of a section header lie, by class.
struct Layout {
    std::size_t headerSize, shoff, shoffWidth, shentsize, shnum, shstrndx;
    std::size_t sectionSize, name, type, offset, size, link, wordWidth;
};

constexpr Layout kElf32{52, 0x20, 4, 0x2E, 0x30, 0x32, 40, 0, 4, 16, 20, 24, 4};
constexpr Layout kElf64{64, 0x28, 8, 0x3A, 0x3C, 0x3E, 64, 0, 4, 24, 32, 40, 8};

struct Section {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t link = 0;
};

Section SectionAt(const Fields& f, const Layout& l, std::size_t at) {
    Section s;
    s.name = static_cast<std::uint32_t>(f.Get(at + l.name, 4));
    s.type = static_cast<std::uint32_t>(f.Get(at + l.type, 4));
    s.offset = f.Get(at + l.offset, l.wordWidth);
    s.size = f.Get(at + l.size, l.wordWidth);
    s.link = static_cast<std::uint32_t>(f.Get(at + l.link, 4));
    return s;
}

std::optional<std::string> SectionBytes(Source& src, const Section& s) {
    std::string out;
    if (s.type == kShtNobits || !src.Read(s.offset, s.size, out)) return std::nullopt;
    return out;
}

std::optional<std::string> FindSection(Source& src, std::string_view wanted) {
    // The null section has the empty name, and is no section to hand out.
    if (wanted.empty()) return std::nullopt;
    std::string ident;
    if (!src.Read(0, 16, ident) || ident.compare(0, 4, "\x7F" "ELF") != 0 || ident[6] != 1)
        return std::nullopt;
    const Layout* layout = ident[4] == 1 ? &kElf32 : ident[4] == 2 ? &kElf64 : nullptr;
    if (!layout || (ident[5] != 1 && ident[5] != 2)) return std::nullopt;
    const Layout& l = *layout;
    const bool big = ident[5] == 2;

    std::string header;
    if (!src.Read(0, l.headerSize, header)) return std::nullopt;
    const Fields h(header, big);
    const std::uint64_t shoff = h.Get(l.shoff, l.shoffWidth);
    const std::uint64_t entsize = h.Get(l.shentsize, 2);
    std::uint64_t count = h.Get(l.shnum, 2);
    std::uint64_t strndx = h.Get(l.shstrndx, 2);
    if (shoff == 0 || entsize < l.sectionSize) return std::nullopt;

    // Past 0xFF00 sections the real count and name-table index move into the
    // first section header.
    std::string first;
    if (!src.Read(shoff, l.sectionSize, first)) return std::nullopt;
    const Section zero = SectionAt(Fields(first, big), l, 0);
    if (count == 0) count = zero.size;
    if (strndx == kShnXindex) strndx = zero.link;
    if (count == 0 || strndx >= count || count > (src.Size() - shoff) / entsize) return std::nullopt;

    std::string table;
    if (!src.Read(shoff, count * entsize, table)) return std::nullopt;
    const Fields t(table, big);
    const auto names = SectionBytes(src, SectionAt(t, l, static_cast<std::size_t>(strndx * entsize)));
    if (!names) return std::nullopt;

    for (std::uint64_t i = 0; i < count; ++i) {
        const Section s = SectionAt(t, l, static_cast<std::size_t>(i * entsize));
        // The name must be whole and terminated inside the name table.
        if (s.name >= names->size() || names->size() - s.name <= wanted.size()) continue;
        if (names->compare(s.name, wanted.size(), wanted) != 0 || (*names)[s.name + wanted.size()] != '\0')
            continue;
        return SectionBytes(src, s);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ElfSectionFromBytes(std::string_view image, std::string_view name) {
    MemorySource src(image);
    return FindSection(src, name);
}

std::optional<std::string> ElfSectionFromFile(const std::string& path, std::string_view name) {
    FileSource src(path);
    return FindSection(src, name);
}

}  // namespace pivora
