#pragma once
// The application's event-loop port in the GUI: waiting happens in Fl::wait, which dispatches
// window events to the widgets meanwhile. Fl::awake (from any thread) and an FLTK timeout at
// the next timer's due time make whichever loop is running (ours, or a modal FLTK dialog's)
// run the application's queued calls and timers.
#include "platform/gui/event_loop.h"

class TFltkEventLoop final : public TEventLoopPort {
public:
    TFltkEventLoop();
    void Wait(int64_t timeoutMs) override;
    void Poll() override;
    void Wake() override;
    void Schedule(int64_t ms) override;
};
