#pragma once

#include <string>
#include <vector>

#include "platform/interface/System.h"

namespace pivora {

// The target of a symbolic link, however long; empty (errno set) when it
// cannot be read.
std::string ReadLink(const char* link);
// The current directory, however long; empty when it cannot be read (it was
// removed, say).
std::string CurrentDirectory();

class PosixSystem final : public System {
public:
    PosixSystem(int argc, char** argv);
    std::vector<std::string> Arguments() override { return arguments_; }
    bool CtrlDown() override;
    // Throws std::runtime_error when the executable's path cannot be read.
    std::string ExePath() override;
    LocalTime Now() override;
    std::optional<std::string> Environment(const std::string& name) override;
    SpawnResult StartIde(const std::string& registered, const std::string& file,
                         const std::string& workDir) override;
    bool CommandFound(const std::string& command, const std::string& workDir) override;
    // Throws FileError when the current directory cannot be read.
    std::string AbsolutePath(const std::string& path) override;
    // The Wine prefixes of the user (WineIdeSearch.h), as the environment names them now.
    std::shared_ptr<InstalledIdeSearch> IdeSearch() override;

private:
    std::vector<std::string> arguments_;
    std::string exePath_;
};

}  // namespace pivora
