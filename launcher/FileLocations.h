// Where the settings and the history live, decided once at start and the same
// way for both: beside the executable while its user may write there (a
// portable copy), else in the user's own directories, with an administrator's
// settings read until the user saves settings of their own.
#pragma once

#include <string>

namespace pivora {

class FileSystem;
class System;

struct TFileLocations {
    std::string Settings;  // the settings file read and written
    std::string History;   // the history file
    // Read instead of Settings while that file does not exist, and what the
    // first save starts from; never written. Empty when there is none.
    std::string Defaults;
    bool Portable = true;
};

// Makes the user's directories as needed. Throws FileError, naming what is
// missing, when the user's files have nowhere to go.
TFileLocations DecideFileLocations(System& sys, FileSystem& files);

}  // namespace pivora
