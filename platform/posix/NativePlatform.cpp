#include "platform/NativePlatform.h"

#include "platform/posix/LazyGui.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixSystem.h"

namespace pivora {

namespace {

class PosixPlatform final : public NativePlatform {
public:
    PosixPlatform(int argc, char** argv) : system_(argc, argv), gui_(system_.ExePath()) {}
    System& Sys() override { return system_; }
    FileSystem& Files() override { return files_; }
    GuiBackend& Gui() override { return gui_; }

private:
    PosixSystem system_;
    PosixFiles files_;
    LazyGui gui_;
};

}  // namespace

std::unique_ptr<NativePlatform> CreateNativePlatform(int argc, char** argv) {
    return std::make_unique<PosixPlatform>(argc, argv);
}

}  // namespace pivora
