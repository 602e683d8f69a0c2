#pragma once

#include <string>
#include <vector>

#include "platform/interface/System.h"

namespace pivora {

// The target of a symbolic link, however long; empty (errno set) when it
// cannot be read.
std::string ReadLink(const char* link);

class PosixSystem final : public System {
public:
    PosixSystem(int argc, char** argv);
    std::vector<std::string> Arguments() override { return arguments_; }
    bool CtrlDown() override;
    // Throws std::runtime_error when the executable's path cannot be read.
    std::string ExePath() override;
    LocalTime Now() override;
    SpawnResult StartIde(const std::string& registered, const std::string& file,
                         const std::string& workDir) override;

private:
    std::vector<std::string> arguments_;
    std::string exePath_;
};

}  // namespace pivora
