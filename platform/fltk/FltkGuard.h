// Every FLTK callback runs behind Guarded: FLTK is C-style code that an
// exception must never unwind through. A request to end the run (AbortRun,
// which the model lets through on purpose) is kept instead, every event loop
// of this backend stops, and the loop that hands control back to the program
// throws it again there. Other failures are reported on standard error.
//
// The launcher links its C++ runtime and unwinder statically, and this module
// uses the shared ones FLTK needs, so an exception thrown on one side is
// unwound on the other by a second copy of the unwinder. That copy keeps a
// table it fills only when it first raises an exception itself; until then it
// aborts the process on the other side's exceptions.
#pragma once

#include <utility>

namespace pivora::fltk {

// Raises and catches one exception with the module's unwinder, so that it can
// catch the program's. Called once, when the backend is made.
void PrepareForProgramExceptions() noexcept;

bool AbortPending();
// Throws the kept AbortRun (once), if there is one. It was first raised by the
// program, so the program's unwinder is ready for it.
void RethrowPendingAbort();
// Called in a catch block: keeps an AbortRun, reports anything else.
void StopFailure() noexcept;

template <class F>
void Guarded(F&& f) noexcept {
    try {
        std::forward<F>(f)();
    } catch (...) {
        StopFailure();
    }
}

}  // namespace pivora::fltk
