// The little of the file system that a look through Wine prefixes reads. Any
// call may block (a prefix on a dead network mount); the search runs on
// threads of its own for that reason, and tests put a file system here that
// blocks when they say.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pivora {

enum class EntryKind { Missing, File, Directory, Other };

class PrefixFiles {
public:
    virtual ~PrefixFiles() = default;
    // The names in a directory ("." and ".." left out); empty when it cannot be read.
    virtual std::vector<std::string> List(const std::string& dir) = 0;
    // The whole file when it is a file of at most `limit` bytes; else nothing.
    virtual std::optional<std::string> Read(const std::string& path, std::size_t limit) = 0;
    // What a symbolic link points to; empty when `path` is none.
    virtual std::string LinkTarget(const std::string& path) = 0;
    // What stands at `path`, links followed.
    virtual EntryKind Kind(const std::string& path) = 0;
};

// The real file system. Holds nothing, so any number of threads may use it.
class PosixPrefixFiles final : public PrefixFiles {
public:
    std::vector<std::string> List(const std::string& dir) override;
    std::optional<std::string> Read(const std::string& path, std::size_t limit) override;
    std::string LinkTarget(const std::string& path) override;
    EntryKind Kind(const std::string& path) override;
};

}  // namespace pivora
