#pragma once
// A timer that fires OnTimer from the application's loop every Interval milliseconds while
// enabled. Ticks that were missed while the loop was busy are not made up: one tick fires and
// the next is due an interval later, as with the toolkit's timer messages.
#include <cstdint>
#include <functional>

class TApplication;

class TTimer {
public:
    explicit TTimer(TApplication& app);
    TTimer();
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    std::function<void(TTimer& sender)> OnTimer;

    uint32_t Interval() const { return interval_; }
    // Restarts the interval from now. 0 stops the timer from firing.
    void SetInterval(uint32_t ms);
    bool Enabled() const { return enabled_; }
    // Enabling starts a full interval from now.
    void SetEnabled(bool enabled);

    // Used by the application.
    uint64_t DueMs() const { return due_; }
    bool Active() const { return enabled_ && interval_ > 0; }
    void Fired(uint64_t now) { due_ = now + interval_; }

private:
    void Restart();

    TApplication& app_;
    uint32_t interval_ = 1000;
    bool enabled_ = true;
    uint64_t due_ = 0;
};
