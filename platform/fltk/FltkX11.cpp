#include "platform/fltk/FltkX11.h"

#include <string.h>

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xresource.h>

namespace pivora::fltk {

bool OpenDisplay() {
    static int state = 0;  // 0: not tried, 1: open, -1: none
    if (state == 0) {
        Display* display = XOpenDisplay(nullptr);
        if (!display) {
            state = -1;
        } else {
            fl_open_display(display);
            state = 1;
        }
    }
    return state > 0;
}

std::string XftDpiResource() {
    const char* resources = fl_display ? XResourceManagerString(fl_display) : nullptr;
    if (!resources) return {};
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (!database) return {};
    std::string text;
    char* type = nullptr;
    XrmValue value{};
    // Matched as Xft itself matches it, wildcards ("*dpi") included.
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
        text.assign(value.addr, ::strnlen(value.addr, value.size));  // the size counts the final NUL
    XrmDestroyDatabase(database);
    return text;
}

void ActivateWindow(Fl_Window& window) {
    if (!window.shown()) return;
    window.show();  // maps and raises
    const ::Window xid = fl_xid(&window);
    if (!xid) return;
    XRaiseWindow(fl_display, xid);
    // A window manager may refuse a raise; _NET_ACTIVE_WINDOW is the polite request.
    const Atom active = XInternAtom(fl_display, "_NET_ACTIVE_WINDOW", False);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = active;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // from an application
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(fl_display, RootWindow(fl_display, fl_screen), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(fl_display);
}

}  // namespace pivora::fltk
