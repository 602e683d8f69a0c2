// A directory of the fuzz target's own under the system's temporary
// directory, emptied for each input and removed when the process ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "tests/fuzz/FuzzCheck.h"

namespace pivora::fuzz {

class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/pivora-fuzz-XXXXXX";
        Require(::mkdtemp(pattern.data()) != nullptr, "cannot make a temporary directory");
        path_ = pattern + "/";
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // With its trailing separator.
    const std::string& Path() const { return path_; }

    void Clear() {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(path_, error))
            std::filesystem::remove_all(entry.path(), error);
    }

    // False when the disk cannot hold it (a directory where a file is, say).
    bool Write(const std::string& relative, std::string_view bytes) {
        const std::filesystem::path file = path_ + relative;
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        if (error) return false;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out.flush());
    }

    // Whether names that differ only in letter case are different files here.
    bool CaseSensitive() {
        Clear();
        const bool sensitive = Write("case", "") && !std::filesystem::exists(path_ + "CASE");
        Clear();
        return sensitive;
    }

private:
    std::string path_;
};

}  // namespace pivora::fuzz
