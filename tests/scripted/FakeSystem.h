// A system for tests: arguments, Ctrl and the clock are set by the test, and
// started processes are recorded instead of run.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "platform/interface/FileSystem.h"
#include "platform/interface/InstalledIdes.h"
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
    // Registered texts taken for commands whose program is found.
    std::set<std::string> foundCommands;
    // Where a relative argument is taken from, with its trailing slash; empty:
    // the current directory cannot be read.
    std::string currentDir = "/home/me/work/";
    std::map<std::string, std::string> environment;
    UserFileConvention userFiles = UserFileConvention::Xdg;
    // The search for installed IDEs; none: nothing is found.
    std::shared_ptr<InstalledIdeSearch> ideSearch;
    int ideSearches = 0;  // how often one was asked for

    std::vector<std::string> Arguments() override { return arguments; }
    bool CtrlDown() override { return ctrlDown; }
    std::string ExePath() override { return exePath; }
    LocalTime Now() override { return now; }
    std::optional<std::string> Environment(const std::string& name) override {
        const auto it = environment.find(name);
        if (it == environment.end()) return std::nullopt;
        return it->second;
    }
    UserFileConvention UserFiles() override { return userFiles; }
    SpawnResult StartIde(const std::string& registered, const std::string& file,
                         const std::string& workDir) override {
        starts.push_back({registered, file, workDir});
        SpawnResult r = nextResult;
        if (r.executable.empty()) r.executable = registered;
        return r;
    }
    bool CommandFound(const std::string& command, const std::string&) override {
        return foundCommands.count(command) != 0;
    }
    std::shared_ptr<InstalledIdeSearch> IdeSearch() override {
        ++ideSearches;
        return ideSearch;
    }
    std::string AbsolutePath(const std::string& path) override {
        if (path.empty() || path.front() == '/') return path;
        if (currentDir.empty()) throw FileError("no current directory for [" + path + "]");
        return currentDir + path;
    }
};

}  // namespace pivora
