#pragma once
// The millisecond clock that timers run on. The application uses a monotonic clock; tests
// install a TManualClock and advance it by hand, so timer behaviour is checked without waiting.
#include <cstdint>

class TClock {
public:
    virtual ~TClock() = default;
    virtual uint64_t NowMs() const = 0;
};

// std::chrono::steady_clock in milliseconds.
class TSteadyClock final : public TClock {
public:
    uint64_t NowMs() const override;
};

class TManualClock final : public TClock {
public:
    explicit TManualClock(uint64_t start = 0) : now_(start) {}
    uint64_t NowMs() const override { return now_; }
    void Advance(uint64_t ms) { now_ += ms; }

private:
    uint64_t now_;
};
