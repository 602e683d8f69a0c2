#include "platform/posix/X11Keyboard.h"

#include <dlfcn.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace pivora {

namespace {

// The few entry points used, resolved at run time so a launch without a
// display never loads the library.
struct Xcb {
    decltype(&xcb_connect) connect;
    decltype(&xcb_connection_has_error) hasError;
    decltype(&xcb_get_setup) getSetup;
    decltype(&xcb_setup_roots_iterator) rootsIterator;
    decltype(&xcb_screen_next) screenNext;
    decltype(&xcb_query_pointer) queryPointer;
    decltype(&xcb_query_pointer_reply) queryPointerReply;
    decltype(&xcb_disconnect) disconnect;
};

template <class T>
bool Resolve(void* lib, const char* name, T& fn) {
    fn = reinterpret_cast<T>(::dlsym(lib, name));
    return fn != nullptr;
}

bool Load(Xcb& x) {
    void* lib = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return false;
    return Resolve(lib, "xcb_connect", x.connect) && Resolve(lib, "xcb_connection_has_error", x.hasError) &&
           Resolve(lib, "xcb_get_setup", x.getSetup) && Resolve(lib, "xcb_setup_roots_iterator", x.rootsIterator) &&
           Resolve(lib, "xcb_screen_next", x.screenNext) &&
           Resolve(lib, "xcb_query_pointer", x.queryPointer) &&
           Resolve(lib, "xcb_query_pointer_reply", x.queryPointerReply) &&
           Resolve(lib, "xcb_disconnect", x.disconnect);
}

}  // namespace

bool X11CtrlDown() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    Xcb x{};
    if (!Load(x)) return false;
    int screenNumber = 0;
    xcb_connection_t* c = x.connect(nullptr, &screenNumber);
    bool down = false;
    if (c && !x.hasError(c)) {
        xcb_screen_iterator_t it = x.rootsIterator(x.getSetup(c));
        for (int i = 0; i < screenNumber && it.rem; ++i) x.screenNext(&it);
        if (it.rem) {
            // The pointer query reports the modifier state with the pointer's
            // position: one round trip, and no keymap to interpret.
            xcb_query_pointer_reply_t* reply = x.queryPointerReply(c, x.queryPointer(c, it.data->root), nullptr);
            if (reply) {
                down = (reply->mask & XCB_MOD_MASK_CONTROL) != 0;
                std::free(reply);
            }
        }
    }
    if (c) x.disconnect(c);
    return down;
}

}  // namespace pivora
