#include "platform/fltk/FltkGuard.h"

#include <cstdio>

namespace pivora::fltk {

void ReportStoppedFailure(const char* what) noexcept {
    if (what)
        std::fprintf(stderr, "pivora: a failure in the window module was stopped there: %s\n", what);
    else
        std::fprintf(stderr, "pivora: a failure of unknown kind in the window module was stopped there\n");
}

}  // namespace pivora::fltk
