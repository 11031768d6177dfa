#pragma once
// The application object: its title, the message loop, queued calls (the posted messages that
// defer work until the current event has been handled), timers, and the default error handler.
//
// The loop runs queued calls and due timers itself and waits through an event-loop port:
// headless it waits on a condition variable, in the GUI the toolkit waits and dispatches window
// events meanwhile (platform/fltk installs that port). Timers run on a TClock that tests may
// replace with a TManualClock and advance by hand.
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gui/clock.h"
#include "platform/gui/control.h"
#include "platform/gui/event_loop.h"

class TTimer;
class TWindow;

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // The caption of message boxes (8-bit text).
    std::string Title;
    // The window whose closing ends Run; the first window shown (not modally) becomes it when
    // none is set.
    TWindow* MainForm = nullptr;
    // Replaces the default error handler when set.
    std::function<void(TApplication& sender, const std::exception& e)> OnException;

    // Runs the loop until Terminate is called (or the main window closes).
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Lets the loop run again after Terminate (tests run several loops in one process).
    void ClearTerminated() { terminated_ = false; }
    // Lets pending events, queued calls and due timers run, then returns without waiting.
    void ProcessMessages();
    // Handles what is pending, waiting for something to arrive first when nothing is (the step
    // of modal loops).
    void HandleMessage();

    // Queues a call to run from the loop after the current event, in the order queued.
    // Callable from any thread.
    void QueueCall(std::function<void()> call);
    std::size_t QueuedCalls() const;

    // The default error handler: OnException when set, else an error message box with the
    // exception's text through the dialog provider.
    void HandleException(const std::exception& e);
    // Runs f, sending any exception it throws to HandleException (toolkit callbacks must not
    // let exceptions through).
    template <class F> void Protect(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            HandleException(e);
        }
    }

    // Not owned; nullptr restores the defaults. Timers keep their due times relative to the
    // clock they were started on, so set the clock before starting timers.
    void SetClock(TClock* clock);
    const TClock& Clock() const { return *clock_; }
    void SetEventLoop(TEventLoopPort* loop);

    // The cursor shown over every window (the hourglass while a page loads); crDefault lets
    // each control show its own. The GUI layer applies it through OnScreenCursorChange.
    TCursor ScreenCursor() const { return screenCursor_; }
    void SetScreenCursor(TCursor cursor);
    std::function<void(TCursor cursor)> OnScreenCursorChange;

    // The part of the screen windows may take (without the desktop's panels), so a window can
    // open at a size that fits. The GUI layer answers through OnScreenWorkArea; without it a
    // common desktop of 1280x1024 stands in.
    TRect ScreenWorkArea() const;
    std::function<TRect()> OnScreenWorkArea;

    // Runs the queued calls and the due timers, nothing else (the toolkit's own loops call it).
    void RunPending();

    // ---- modal loops ----
    // A modal dialog or window runs a loop of its own while the event that opened it is still
    // on the stack. Work that would free objects that event is using (replacing a document,
    // releasing retired viewers) must not run inside that loop: it asks ModalBlocks and, when
    // blocked, hands itself to AfterModal.
    //
    // Dialogs and modal windows enter a TModalScope while they run; window is the modal window
    // itself (nullptr for the toolkit's own dialog boxes).
    void EnterModal(const TWindow* window);
    void LeaveModal();
    int ModalLevel() const { return static_cast<int>(modal_.size()); }
    // True while a modal loop runs that belongs to another window than control's (work in the
    // modal window itself goes on as usual).
    bool ModalBlocks(const TControl* control) const;
    // Runs call from the loop once the last modal loop has ended (at once, queued, when none
    // runs). Calls run in the order given.
    void AfterModal(std::function<void()> call);
    // Shows an error once the current event has been handled (queued, and after any modal
    // loop): an error raised inside a document's event handler must not open a dialog while
    // that handler's objects are still on the stack.
    void PostException(const std::exception& e);

    // Milliseconds until the next enabled timer is due (0 when one is overdue), -1 when none.
    int64_t MsToNextTimer() const;

    // Used by TTimer.
    void AddTimer(TTimer* timer);
    void RemoveTimer(TTimer* timer);

private:
    bool RunQueuedCalls();
    bool RunDueTimers();

    bool terminated_ = false;
    uint64_t pendingWork_ = 0; // batches of calls and timers RunPending has run
    TCursor screenCursor_ = TCursor::crDefault;
    TSteadyClock steadyClock_;
    THeadlessLoop headlessLoop_;
    TClock* clock_;
    TEventLoopPort* loop_;
    mutable std::mutex queueMutex_;
    std::deque<std::function<void()>> queue_;
    std::vector<TTimer*> timers_;
    std::vector<const TWindow*> modal_;
    std::vector<std::function<void()>> afterModal_;
};

TApplication& Application();

// A modal loop for the length of a scope.
class TModalScope {
public:
    explicit TModalScope(const TWindow* window = nullptr) { Application().EnterModal(window); }
    ~TModalScope() { Application().LeaveModal(); }
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;
};

// The process's application object.
TApplication& Application();
