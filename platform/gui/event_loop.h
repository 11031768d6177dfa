#pragma once
// The port through which the application waits for events. Headless, the application's own
// loop waits on a condition variable; in the GUI, platform/fltk waits in the toolkit (which
// also dispatches window events to the controls' peers while it waits).
#include <cstdint>

class TEventLoopPort {
public:
    virtual ~TEventLoopPort() = default;
    // Waits until an event arrives, Wake is called, or timeoutMs passes (-1: no limit).
    // Dispatches any toolkit events that arrived.
    virtual void Wait(int64_t timeoutMs) = 0;
    // Dispatches pending toolkit events without blocking.
    virtual void Poll() = 0;
    // Ends a Wait early; callable from any thread.
    virtual void Wake() = 0;
    // The application's next timer is due in ms (-1: none). A toolkit that runs loops of its
    // own (its modal dialogs) calls TApplication::RunPending by then, so timers keep running
    // there too. The headless loop needs nothing: only the application's loop runs.
    virtual void Schedule(int64_t /*ms*/) {}
};

// Headless waiting: nothing to dispatch, Wake from any thread ends a wait.
class THeadlessLoop final : public TEventLoopPort {
public:
    THeadlessLoop();
    ~THeadlessLoop() override;
    void Wait(int64_t timeoutMs) override;
    void Poll() override {}
    void Wake() override;

private:
    struct TState;
    TState* state_;
};
