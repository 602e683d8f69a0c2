// Detection against real files, where a name goes through the system calls:
// what a project file says must not reach a file other than the one it names.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "launcher/Detection.h"
#include "platform/posix/PosixFiles.h"

namespace pivora {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// The real files, counting the bytes every read hands back.
class CountingFiles final : public FileSystem {
public:
    bool FileExists(const std::string& path) override { return real_.FileExists(path); }
    std::string ReadFile(const std::string& path) override { return Count(real_.ReadFile(path)); }
    std::unique_ptr<FileBytes> ReadBytes(const std::string& path) override {
        auto bytes = real_.ReadBytes(path);
        read += bytes->View().size();
        return bytes;
    }
    std::string ReadPrefix(const std::string& path, std::size_t count) override {
        return Count(real_.ReadPrefix(path, count));
    }
    void WriteFileAtomic(const std::string& path, const std::string& data) override {
        real_.WriteFileAtomic(path, data);
    }
    std::optional<std::string> FindCaseVariant(const std::string& path) override {
        return real_.FindCaseVariant(path);
    }
    std::string Stamp(const std::string& path) override { return real_.Stamp(path); }
    std::unique_ptr<FileLock> LockExclusive(const std::string& lockPath) override {
        return real_.LockExclusive(lockPath);
    }
    std::uintmax_t read = 0;

private:
    std::string Count(std::string bytes) {
        read += bytes.size();
        return bytes;
    }
    PosixFiles real_;
};

class DetectOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pivora-detect-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ + name, std::ios::binary) << bytes;
    }
    std::string dir_;
    CountingFiles files_;
};

TEST_F(DetectOnDisk, AUnitNameWithANulNeverReachesTheFileBeforeIt) {
    Write("A.dcu", "\x41\x86\x51\x44rest");  // version 3
    Write("B.dcu", "\xD8\xA6\x68\x47rest");  // version 4
    // Cut at its NUL by the system, "A.dcu\0.dcu" would open A.dcu.
    Write("P.dpr", "  A in 'A.dcu\0.pas';\r\n  B in 'B.pas';\r\n"s);
    EXPECT_EQ(DetectFromDpr(files_, dir_ + "P.dpr"), 4);
}

TEST_F(DetectOnDisk, AHugeSparseProjectIsReadOnlyAtItsHead) {
    Write("B.dcu", "\xD8\xA6\x68\x47rest");
    Write("P.dpr", "program P;\r\nuses\r\n  B in 'B.pas';\r\n");
    // Gigabytes of nothing after the unit list: read whole, they would cost
    // seconds and as much memory, or end the run for want of memory.
    fs::resize_file(dir_ + "P.dpr", std::uintmax_t{3} << 30);
    EXPECT_EQ(DetectFromDpr(files_, dir_ + "P.dpr"), 4);
    EXPECT_LE(files_.read, std::uintmax_t{5} << 20);
}

}  // namespace
}  // namespace pivora
