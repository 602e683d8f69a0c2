// The temporary directory a Windows test works in: emptied and removed when
// the test ends (one level of files, and empty folders a test made).
#pragma once

#include <windows.h>

#include <string>

namespace pivora {

// `dir` ends with a backslash.
inline void RemoveTestDirectory(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA((dir + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ::RemoveDirectoryA((dir + name).c_str());
            else ::DeleteFileA((dir + name).c_str());
        } while (::FindNextFileA(h, &found));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(dir.c_str());
}

}  // namespace pivora
