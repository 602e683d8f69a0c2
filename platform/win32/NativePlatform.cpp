#include "platform/interface/NativePlatform.h"

#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Gui.h"
#include "platform/win32/Win32System.h"

namespace pivora {

namespace {

class Win32Platform final : public NativePlatform {
public:
    System& Sys() override { return system_; }
    FileSystem& Files() override { return files_; }
    GuiBackend& Gui() override { return gui_; }

private:
    Win32System system_;  // first: it sets the path rules the others rely on
    Win32Files files_;
    Win32Gui gui_;
};

}  // namespace

// The arguments come from the command line itself (GetCommandLineA), split by
// the C runtime's rules with double-byte characters kept whole; argv is not used.
std::unique_ptr<NativePlatform> CreateNativePlatform(int, char**) { return std::make_unique<Win32Platform>(); }

}  // namespace pivora
