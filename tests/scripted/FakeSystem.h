// A system for tests: arguments, Ctrl and the clock are set by the test, and
// started processes are recorded instead of run.
#pragma once

#include <vector>

#include "platform/interface/System.h"

namespace pivora {

class FakeSystem final : public System {
public:
    struct Start {
        std::string registered, file, workDir;
    };

    std::vector<std::string> arguments;
    bool ctrlDown = false;
    std::string exePath = "/opt/pivora/pivora";
    LocalTime now{2026, 12, 7, 9, 5, 33};
    SpawnResult nextResult{true, "", ""};
    std::vector<Start> starts;

    std::vector<std::string> Arguments() override { return arguments; }
    bool CtrlDown() override { return ctrlDown; }
    std::string ExePath() override { return exePath; }
    LocalTime Now() override { return now; }
    SpawnResult StartIde(const std::string& registered, const std::string& file,
                         const std::string& workDir) override {
        starts.push_back({registered, file, workDir});
        SpawnResult r = nextResult;
        if (r.executable.empty()) r.executable = registered;
        return r;
    }
};

}  // namespace pivora
