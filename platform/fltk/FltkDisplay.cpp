// Asked before FLTK opens the display, because FLTK ends the process when it cannot.
#include <X11/Xlib.h>

namespace pivora::fltk {

bool CanOpenDisplay() {
    Display* probe = XOpenDisplay(nullptr);
    if (!probe) return false;
    XCloseDisplay(probe);
    return true;
}

}  // namespace pivora::fltk
