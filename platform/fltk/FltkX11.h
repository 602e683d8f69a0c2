// The few things done with Xlib directly. Xlib's headers define macros such
// as None and Status that clash with the project's names, so they are only
// included by FltkX11.cpp, which includes no project header.
#pragma once

#include <string>

class Fl_Window;

namespace pivora::fltk {

// Opens the X display and hands it to FLTK, once. False when there is none:
// FLTK itself would end the process on failing to open it.
bool OpenDisplay();

// The text of the Xft.dpi resource of the open display (as the desktop set
// it in the root window's RESOURCE_MANAGER, which Xlib read on connecting),
// or empty when there is none.
std::string XftDpiResource();

// Raises a shown window and asks the window manager to activate it.
void ActivateWindow(Fl_Window& window);

}  // namespace pivora::fltk
