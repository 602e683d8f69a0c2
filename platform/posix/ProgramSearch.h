// Finding a program the way the shell's PATH search finds it, without a shell.
#pragma once

#include <string>

namespace pivora {

// The first executable file called `name` in the folders of `searchPath` (the
// form of PATH; an empty entry is the current directory); empty when there is
// none. A name holding a slash is no name to search for: empty too.
std::string FindProgram(const std::string& name, const std::string& searchPath);

// The same in the environment's PATH, or the system's default where it is unset.
std::string FindProgramOnPath(const std::string& name);

// True for an existing file (not a directory) that the user may execute.
bool IsExecutableFile(const std::string& path);

}  // namespace pivora
