// Every FLTK callback runs behind Guarded: FLTK is C-style code that an
// exception must never unwind through. Nothing the program does can throw
// into this module (the window seam is noexcept, and the program's handlers
// report their own failures), so what Guarded stops is a failure of the
// module's own code, such as memory running out while a window is built: it
// is said on standard error, the event is dropped and the windows go on.
#pragma once

#include <exception>
#include <utility>

namespace pivora::fltk {

// Says on standard error that a failure was stopped; `what` may be null.
void ReportStoppedFailure(const char* what) noexcept;

template <class F>
void Guarded(F&& f) noexcept {
    try {
        std::forward<F>(f)();
    } catch (const std::exception& e) {
        ReportStoppedFailure(e.what());
    } catch (...) {
        ReportStoppedFailure(nullptr);
    }
}

}  // namespace pivora::fltk
