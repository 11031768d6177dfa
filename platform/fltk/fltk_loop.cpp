#include "platform/fltk/fltk_loop.h"

#include <FL/Fl.H>

#include "platform/gui/application.h"

static void RunPending(void*) {
    Application().RunPending();
}

TFltkEventLoop::TFltkEventLoop() {
    // Makes Fl::awake usable from other threads (queued calls may come from any thread).
    Fl::lock();
}

void TFltkEventLoop::Wait(int64_t timeoutMs) {
    Fl::wait(timeoutMs < 0 ? 1e20 : static_cast<double>(timeoutMs) / 1000.0);
}

void TFltkEventLoop::Poll() {
    Fl::check();
}

void TFltkEventLoop::Wake() {
    Fl::awake(&RunPending, nullptr);
}

void TFltkEventLoop::Schedule(int64_t ms) {
    Fl::remove_timeout(&RunPending);
    if (ms >= 0)
        Fl::add_timeout(static_cast<double>(ms) / 1000.0, &RunPending);
}
