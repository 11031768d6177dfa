#include "platform/gui/event_loop.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

struct THeadlessLoop::TState {
    std::mutex Mutex;
    std::condition_variable Cond;
    bool Woken = false;
};

THeadlessLoop::THeadlessLoop() : state_(new TState) {}
THeadlessLoop::~THeadlessLoop() {
    delete state_;
}

void THeadlessLoop::Wait(int64_t timeoutMs) {
    std::unique_lock<std::mutex> lock(state_->Mutex);
    auto woken = [this] { return state_->Woken; };
    if (timeoutMs < 0)
        state_->Cond.wait(lock, woken);
    else
        state_->Cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), woken);
    state_->Woken = false;
}

void THeadlessLoop::Wake() {
    {
        std::lock_guard<std::mutex> lock(state_->Mutex);
        state_->Woken = true;
    }
    state_->Cond.notify_one();
}
