#pragma once

#include <vector>

#include "platform/System.h"

namespace pivora {

class PosixSystem final : public System {
public:
    PosixSystem(int argc, char** argv);
    std::vector<std::string> Arguments() override { return arguments_; }
    bool CtrlDown() override;
    std::string ExePath() override;
    LocalTime Now() override;
    SpawnResult StartIde(const std::string& registered, const std::string& file,
                         const std::string& workDir) override;

private:
    std::vector<std::string> arguments_;
    std::string exePath_;
};

}  // namespace pivora
