// The services of the platform the program was built for, created once by the
// program entry.
#pragma once

#include <memory>

#include "platform/interface/FileSystem.h"
#include "platform/interface/Gui.h"
#include "platform/interface/System.h"

namespace pivora {

class NativePlatform {
public:
    virtual ~NativePlatform() = default;
    virtual System& Sys() = 0;
    virtual FileSystem& Files() = 0;
    virtual GuiBackend& Gui() = 0;
};

std::unique_ptr<NativePlatform> CreateNativePlatform(int argc, char** argv);

}  // namespace pivora
