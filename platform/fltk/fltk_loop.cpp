#include "platform/fltk/fltk_loop.h"

#include <FL/Fl.H>

TFltkEventLoop::TFltkEventLoop() {
    // Makes Fl::awake usable from other threads (queued calls may come from any thread).
    Fl::lock();
}

void TFltkEventLoop::Wait(int64_t timeoutMs) {
    // FLTK's own timeout ends the wait when the application's next timer is due.
    Fl::wait(timeoutMs < 0 ? 1e20 : static_cast<double>(timeoutMs) / 1000.0);
}

void TFltkEventLoop::Poll() {
    Fl::check();
}

void TFltkEventLoop::Wake() {
    Fl::awake();
}
