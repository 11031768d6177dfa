#pragma once
// The application's event-loop port in the GUI: waiting happens in Fl::wait, which dispatches
// window events to the widgets meanwhile; Fl::awake ends a wait from any thread.
#include "platform/gui/event_loop.h"

class TFltkEventLoop final : public TEventLoopPort {
public:
    TFltkEventLoop();
    void Wait(int64_t timeoutMs) override;
    void Poll() override;
    void Wake() override;
};
