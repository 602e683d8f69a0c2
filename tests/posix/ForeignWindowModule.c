/* A window module that is not the launcher's own: it exports the same symbols
   with the stamp named by FOREIGN_INTERFACE and FOREIGN_BUILD. Its entry says
   on standard error that it was called, which a launcher must never do. */
#include <stdio.h>

#ifdef FOREIGN_OWN_BUILD
#include <PivoraBuildId.h>
#define FOREIGN_BUILD PIVORA_BUILD_ID
#endif

struct Stamp {
    int interfaceVersion;
    const char* build;
};

__attribute__((visibility("default"))) const struct Stamp* pivora_window_module_stamp(void) {
    static const struct Stamp stamp = {FOREIGN_INTERFACE, FOREIGN_BUILD};
    return &stamp;
}

__attribute__((visibility("default"))) void* pivora_create_fltk_backend(void) {
    fputs("foreign window module entered\n", stderr);
    return NULL;
}
