// GCC 12 warns (-Wrestrict, a known false positive of its string inlining)
// about an inline function of FileSystem.h, which Application.h brings in.
#pragma GCC diagnostic ignored "-Wrestrict"

#include "platform/fltk/FltkGuard.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "platform/Application.h"

namespace pivora::fltk {

namespace {
std::optional<int> pendingAbort;
}  // namespace

void PrepareForProgramExceptions() noexcept {
    try {
        throw 0;
    } catch (int) {
    }
}

bool AbortPending() { return pendingAbort.has_value(); }

void RethrowPendingAbort() {
    if (!pendingAbort) return;
    const int status = *pendingAbort;
    pendingAbort.reset();
    throw pivora::AbortRun{status};
}

void StopFailure() noexcept {
    try {
        throw;
    } catch (const pivora::AbortRun& abort) {
        if (!pendingAbort) pendingAbort = abort.exitStatus;  // the first request wins
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pivora: a failure in a window event was stopped there: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "pivora: a failure of unknown kind in a window event was stopped there\n");
    }
}

}  // namespace pivora::fltk
