#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/base/exceptions.h"
#include "platform/gui/application.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/timer.h"

TEST(QueuedCalls, RunInOrderAndCallsQueuedMeanwhileWaitForTheNextRound) {
    TApplication app;
    std::vector<int> order;
    app.QueueCall([&] { order.push_back(1); });
    app.QueueCall([&] {
        order.push_back(2);
        app.QueueCall([&] { order.push_back(4); });
    });
    app.QueueCall([&] { order.push_back(3); });
    EXPECT_EQ(app.QueuedCalls(), 3u);
    app.ProcessMessages();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    app.ProcessMessages();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(app.QueuedCalls(), 0u);
}

// A toolkit runs the pending calls from inside its own polling (FLTK's awake handler does). A
// modal loop whose answer comes from such a call must not then wait for an event that never
// comes.
TEST(QueuedCalls, ACallRunWhilePollingCountsAsWorkAndTheLoopDoesNotWait) {
    struct TPollingLoop final : TEventLoopPort {
        explicit TPollingLoop(TApplication& a) : app(a) {}
        void Wait(int64_t) override { ++waits; }
        void Poll() override { app.RunPending(); }
        void Wake() override {}
        TApplication& app;
        int waits = 0;
    };
    TApplication app;
    TPollingLoop loop(app);
    app.SetEventLoop(&loop);
    bool answered = false;
    app.QueueCall([&] { answered = true; });
    app.HandleMessage();
    EXPECT_TRUE(answered);
    EXPECT_EQ(loop.waits, 0);
    app.HandleMessage(); // nothing left to do: now it waits
    EXPECT_EQ(loop.waits, 1);
    app.SetEventLoop(nullptr);
}

TEST(QueuedCalls, AnotherThreadWakesTheLoop) {
    TApplication app;
    bool ran = false;
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        app.QueueCall([&] {
            ran = true;
            app.Terminate();
        });
    });
    app.Run(); // returns only when the queued call has run
    t.join();
    EXPECT_TRUE(ran);
}

TEST(Timers, FireOnTheAdvancedClockOncePerDueInterval) {
    TManualClock clock(1000);
    TApplication app;
    app.SetClock(&clock);
    TTimer timer(app);
    int ticks = 0;
    timer.OnTimer = [&](TTimer&) { ++ticks; };
    timer.SetInterval(200);
    EXPECT_EQ(app.MsToNextTimer(), 200);
    clock.Advance(199);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 0);
    clock.Advance(1);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 1);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 1);
    // Missed ticks are not made up: one tick, the next an interval later.
    clock.Advance(1000);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(app.MsToNextTimer(), 200);
    timer.SetEnabled(false);
    clock.Advance(5000);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(app.MsToNextTimer(), -1);
    // Enabling starts a full interval from now.
    timer.SetEnabled(true);
    clock.Advance(150);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 2);
    clock.Advance(50);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 3);
}

TEST(Timers, FireInDueOrderAndSurviveBeingDestroyedByAnotherHandler) {
    TManualClock clock;
    TApplication app;
    app.SetClock(&clock);
    std::vector<std::string> fired;
    auto slow = std::make_unique<TTimer>(app);
    slow->SetInterval(100);
    slow->OnTimer = [&](TTimer&) { fired.push_back("slow"); };
    TTimer fast(app);
    fast.SetInterval(50);
    fast.OnTimer = [&](TTimer&) {
        fired.push_back("fast");
        slow.reset(); // a handler stops another timer that is due in the same round
    };
    clock.Advance(100);
    app.ProcessMessages();
    EXPECT_EQ(fired, (std::vector<std::string>{"fast"}));
}

TEST(Timers, AZeroIntervalNeverFires) {
    TManualClock clock;
    TApplication app;
    app.SetClock(&clock);
    TTimer timer(app);
    int ticks = 0;
    timer.OnTimer = [&](TTimer&) { ++ticks; };
    timer.SetInterval(0);
    clock.Advance(10000);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 0);
}

TEST(Timers, RunWaitsForTheNextTimerOnTheRealClock) {
    TApplication app;
    TTimer timer(app);
    int ticks = 0;
    timer.OnTimer = [&](TTimer&) {
        if (++ticks == 2)
            app.Terminate();
    };
    timer.SetInterval(5);
    app.Run();
    EXPECT_EQ(ticks, 2);
}

TEST(ErrorHandler, ShowsTheExceptionTextInAnErrorBox) {
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    TApplication app;
    app.QueueCall([] { throw EFOpenError("Cannot open file x.htm"); });
    bool after = false;
    app.QueueCall([&] { after = true; });
    app.ProcessMessages();
    EXPECT_TRUE(after); // the loop goes on after the error
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].Kind, TDialogKind::Message);
    EXPECT_EQ(dialogs.Asked()[0].MsgKind, TMsgKind::Error);
    EXPECT_EQ(dialogs.Asked()[0].Text, "Cannot open file x.htm");
}

TEST(ErrorHandler, MessagesReachTheDialogAsValidUtf8) {
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    TApplication app;
    app.HandleException(Exception("Caf\xC3\xA9"));
    app.HandleException(Exception("Caf\xE9")); // a stray byte never reaches the toolkit
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_EQ(dialogs.Messages()[0].Text, "Caf\xC3\xA9");
    EXPECT_EQ(dialogs.Messages()[1].Text, "Caf\xEF\xBF\xBD");
}

TEST(ErrorHandler, OnExceptionReplacesTheDefault) {
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    TApplication app;
    std::string seen;
    app.OnException = [&](TApplication&, const std::exception& e) { seen = e.what(); };
    app.Protect([] { throw std::runtime_error("boom"); });
    EXPECT_EQ(seen, "boom");
    EXPECT_TRUE(dialogs.Asked().empty());
}

TEST(ErrorHandler, AnUnscriptedDialogIsNotSwallowed) {
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    TApplication app;
    app.QueueCall([] { Dialogs().Confirm("Overwrite?"); });
    EXPECT_THROW(app.ProcessMessages(), EUnscriptedDialog);
}
