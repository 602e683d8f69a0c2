#include "platform/posix/ProgramSearch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/PosixSystem.h"

namespace pivora {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string FindProgram(const std::string& name, const std::string& searchPath) {
    if (name.empty() || name.find('/') != std::string::npos) return {};
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = searchPath.find(':', start);
        std::string dir = searchPath.substr(start, end == std::string::npos ? std::string::npos : end - start);
        // The program may be started from another directory: an empty entry
        // is named by the directory it means.
        if (dir.empty()) dir = CurrentDirectory();
        const std::string candidate = dir + (!dir.empty() && dir.back() == '/' ? "" : "/") + name;
        if (!dir.empty() && IsExecutableFile(candidate)) return candidate;
        if (end == std::string::npos) return {};
        start = end + 1;
    }
}

std::string FindProgramOnPath(const std::string& name) {
    // What posix_spawnp and execvp search where PATH is unset.
    const char* path = std::getenv("PATH");
    return FindProgram(name, path ? path : "/bin:/usr/bin");
}

}  // namespace pivora
