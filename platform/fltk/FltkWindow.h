// A launcher window realised in FLTK from its layout table.
#pragma once

#include <memory>

#include "platform/interface/Gui.h"

namespace pivora::fltk {

std::unique_ptr<WindowPeer> RealizeWindow(WindowModel& model);
// Shows `peer`'s window as the main window and runs events until it closes.
// A peer of another backend is left alone.
void RunAsMainWindow(WindowPeer& peer) noexcept;

}  // namespace pivora::fltk
