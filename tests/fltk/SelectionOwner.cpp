// Holds the X clipboard with a text, as a program does after a copy, for
// tests/e2e/fltk_smoke.sh:
//
//   pivora_selection_owner TEXT
//
// It hands the text to whoever pastes (as UTF8_STRING, STRING or TEXT, and
// lists those under TARGETS), says "owned" once the clipboard is its own and
// "served" each time the server has received a text it handed over, so that a
// script waiting for that line knows the paste is in the pasting program's
// queue ahead of anything the script sends next. It ends when another
// program takes the clipboard, or when it is killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

namespace {

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TEXT\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "%s: no display\n", argv[0]);
        return 3;
    }
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom targets = XInternAtom(display, "TARGETS", False);
    const Atom text = XInternAtom(display, "TEXT", False);

    // Taking a selection needs the server's time, which a property change tells.
    XSelectInput(display, window, PropertyChangeMask);
    XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>("clipboard"), 9);
    XEvent event;
    do XNextEvent(display, &event);
    while (event.type != PropertyNotify);
    XSetSelectionOwner(display, clipboard, window, event.xproperty.time);
    if (XGetSelectionOwner(display, clipboard) != window) {
        std::fprintf(stderr, "%s: the clipboard was not given\n", argv[0]);
        return 1;
    }
    Say("owned");

    const auto* bytes = reinterpret_cast<const unsigned char*>(argv[1]);
    const int length = static_cast<int>(std::strlen(argv[1]));
    for (;;) {
        XNextEvent(display, &event);
        if (event.type == SelectionClear) return 0;
        if (event.type != SelectionRequest) continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = display;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        // A requestor of the oldest kind names no property: the target is used.
        const Atom property = request.property != None ? request.property : request.target;
        bool served = false;
        if (request.target == targets) {
            const Atom list[] = {targets, utf8, XA_STRING, text};
            XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(list), 4);
            reply.property = property;
        } else if (request.target == utf8 || request.target == XA_STRING || request.target == text) {
            XChangeProperty(display, request.requestor, property, request.target == utf8 ? utf8 : XA_STRING, 8,
                            PropModeReplace, bytes, length);
            reply.property = property;
            served = true;
        } else {
            reply.property = None;
        }
        XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XSync(display, False);
        if (served) Say("served");
    }
}
