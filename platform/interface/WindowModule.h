// What the Linux window module exports, so that a launcher uses only a module
// of its own build: the two were compiled against one copy of the interface,
// and a module of another build (left behind by an older install, or put in
// its place) may not match it in any detail.
#pragma once

namespace pivora {

// Raised whenever the seam of Gui.h changes in a way an older module would
// not survive.
inline constexpr int kWindowModuleInterface = 2;

// Plain C data, read before anything of C++ crosses between the two.
struct WindowModuleStamp {
    int interfaceVersion;
    const char* build;  // the build identifier, as the launcher's own
};

// The module's exports: its stamp, then the entry that makes its backend.
inline constexpr const char* kWindowModuleStampSymbol = "pivora_window_module_stamp";
inline constexpr const char* kWindowModuleEntrySymbol = "pivora_create_fltk_backend";

}  // namespace pivora
