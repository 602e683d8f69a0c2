#pragma once

#include <vector>

#include "platform/interface/System.h"

namespace pivora {

class Win32System final : public System {
public:
    // Reads the command line (GetCommandLineA) and sets the path rules of the
    // running system: backslashes separate, and in code page 932 double-byte
    // characters are kept whole.
    Win32System();
    std::vector<std::string> Arguments() override { return arguments_; }
    bool CtrlDown() override;
    std::string ExePath() override;
    LocalTime Now() override;
    std::optional<std::string> Environment(const std::string& name) override;
    SpawnResult StartIde(const std::string& registered, const std::string& file,
                         const std::string& workDir) override;
    // GetFullPathNameA for a relative name (also "\\dir\\f" and "C:f", which
    // depend on the current drive or its directory). Throws FileError when it fails.
    std::string AbsolutePath(const std::string& path) override;
    std::string ToUiText(const std::string& native) override;
    std::string FromUiText(const std::string& ui) override;
    int CompareFileNames(std::string_view a, std::string_view b) override;
    // The registry (Win32IdeSearch.h).
    std::shared_ptr<InstalledIdeSearch> IdeSearch() override;

private:
    std::vector<std::string> arguments_;
    std::string exePath_;
};

}  // namespace pivora
