// Starting a registered Windows program through Wine: the command and the
// prefix, read from the disk (the rules themselves are in WinePaths).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pivora {

// True when `path` is a file that begins as a Windows executable does.
bool IsWindowsProgramFile(const std::string& path);

struct WineCommand {
    std::vector<std::string> words;     // wine, the program, the file's Windows name
    std::optional<std::string> prefix;  // WINEPREFIX for the program; none: the environment's
    std::string error;                  // why it cannot be started; then `words` is empty
};

// How the Windows program `program` (an absolute path) is started with the
// Unix file `file`: through the `wine` found in PATH, in the prefix that holds
// the program, with the file named as that prefix's drives name it (the file
// as it is where none does).
WineCommand BuildWineCommand(const std::string& program, const std::string& file);

}  // namespace pivora
