#include "platform/gui/application.h"

#include <algorithm>

#include "platform/base/exceptions.h"
#include "platform/base/strings.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/timer.h"
#include "platform/gui/window.h"

TApplication::TApplication() : clock_(&steadyClock_), loop_(&headlessLoop_) {}
TApplication::~TApplication() = default;

TApplication& Application() {
    static TApplication app;
    return app;
}

void TApplication::SetClock(TClock* clock) {
    clock_ = clock ? clock : &steadyClock_;
}
void TApplication::SetEventLoop(TEventLoopPort* loop) {
    loop_ = loop ? loop : &headlessLoop_;
}

void TApplication::SetScreenCursor(TCursor cursor) {
    if (cursor == screenCursor_)
        return;
    screenCursor_ = cursor;
    if (OnScreenCursorChange)
        OnScreenCursorChange(cursor);
}

TRect TApplication::ScreenWorkArea() const {
    if (OnScreenWorkArea) {
        const TRect r = OnScreenWorkArea();
        if (r.Width() > 0 && r.Height() > 0)
            return r;
    }
    return Bounds(0, 0, 1280, 1024);
}

void TApplication::Terminate() {
    terminated_ = true;
    loop_->Wake();
}

void TApplication::QueueCall(std::function<void()> call) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back(std::move(call));
    }
    loop_->Wake();
}

std::size_t TApplication::QueuedCalls() const {
    std::lock_guard<std::mutex> lock(queueMutex_);
    return queue_.size();
}

// Runs the calls queued so far; calls they queue wait for the next round, so a call that
// re-queues itself cannot starve the loop.
bool TApplication::RunQueuedCalls() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        batch.swap(queue_);
    }
    for (auto& call : batch)
        Protect(call);
    return !batch.empty();
}

bool TApplication::RunDueTimers() {
    uint64_t now = clock_->NowMs();
    std::vector<TTimer*> due;
    for (TTimer* t : timers_)
        if (t->DueMs() <= now)
            due.push_back(t);
    // Fire in due order; a handler may stop or destroy any timer, so each is looked up again.
    std::stable_sort(due.begin(), due.end(),
                     [](TTimer* a, TTimer* b) { return a->DueMs() < b->DueMs(); });
    for (TTimer* t : due) {
        if (std::find(timers_.begin(), timers_.end(), t) == timers_.end())
            continue;
        t->Fired(now);
        if (t->OnTimer)
            Protect([t] { t->OnTimer(*t); });
    }
    return !due.empty();
}

int64_t TApplication::MsToNextTimer() const {
    if (timers_.empty())
        return -1;
    uint64_t now = clock_->NowMs();
    uint64_t next = UINT64_MAX;
    for (TTimer* t : timers_)
        next = std::min(next, t->DueMs());
    return next <= now ? 0 : static_cast<int64_t>(next - now);
}

void TApplication::AddTimer(TTimer* timer) {
    if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end())
        timers_.push_back(timer);
    loop_->Schedule(MsToNextTimer());
    loop_->Wake();
}

void TApplication::RunPending() {
    // Work done here (the toolkit calls it from inside its own waits, and so from Poll too)
    // is counted, so HandleMessage knows not to wait after it.
    if (RunQueuedCalls())
        ++pendingWork_;
    if (RunDueTimers())
        ++pendingWork_;
    loop_->Schedule(MsToNextTimer());
}

void TApplication::RemoveTimer(TTimer* timer) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

void TApplication::ProcessMessages() {
    loop_->Poll();
    RunPending();
}

void TApplication::HandleMessage() {
    // A queued call or a timer run while polling (a modal window's answer, say) counts as
    // work: waiting after it could wait for ever with the modal result already set.
    const uint64_t before = pendingWork_;
    loop_->Poll();
    bool worked = pendingWork_ != before;
    worked = RunQueuedCalls() || worked;
    worked = RunDueTimers() || worked;
    loop_->Schedule(MsToNextTimer());
    if (worked || terminated_)
        return;
    bool queued;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queued = !queue_.empty();
    }
    if (!queued)
        loop_->Wait(MsToNextTimer());
}

void TApplication::Run() {
    while (!terminated_)
        HandleMessage();
}

void TApplication::EnterModal(const TWindow* window) {
    modal_.push_back(window);
}

void TApplication::LeaveModal() {
    if (!modal_.empty())
        modal_.pop_back();
    if (!modal_.empty() || afterModal_.empty())
        return;
    // Queued rather than run here: the event that opened the dialog is still on the stack.
    std::vector<std::function<void()>> calls = std::move(afterModal_);
    afterModal_.clear();
    for (auto& call : calls)
        QueueCall(std::move(call));
}

bool TApplication::ModalBlocks(const TControl* control) const {
    if (modal_.empty())
        return false;
    const TWindow* top = modal_.back();
    return top == nullptr || control == nullptr || control->Window() != top;
}

void TApplication::AfterModal(std::function<void()> call) {
    if (modal_.empty())
        QueueCall(std::move(call));
    else
        afterModal_.push_back(std::move(call));
}

void TApplication::PostException(const std::exception& e) {
    // The text is what is shown; the exception object itself does not outlive the handler.
    const std::string text = e.what();
    const bool unscripted = dynamic_cast<const EUnscriptedDialog*>(&e) != nullptr;
    AfterModal([this, text, unscripted] {
        if (unscripted)
            throw EUnscriptedDialog(text);
        HandleException(Exception(text));
    });
}

void TApplication::HandleException(const std::exception& e) {
    // A test that left a dialog unscripted must fail, not see an error box.
    if (auto* unscripted = dynamic_cast<const EUnscriptedDialog*>(&e))
        throw EUnscriptedDialog(*unscripted);
    if (OnException) {
        OnException(*this, e);
        return;
    }
    // Engine messages are 8-bit text; dialogs take UTF-8.
    Dialogs().ShowMessage(ValidUtf8(e.what()), TMsgKind::Error);
}
