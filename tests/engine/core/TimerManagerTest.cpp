#include "engine/core/TimerManager.h"

#include "engine/core/Exception.h"
#include "support/FakeCoreHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

class FakeClock : public TimerClock
{
public:
    uint32_t now = 5000;
    uint32_t GetFrameStartTime() const override { return now; }
};

struct Signal
{
    std::string receiver;
    uint32_t id;
    int32_t remaining;
    int pass;

    bool operator==(const Signal&) const = default;
};

void PrintTo(const Signal& s, std::ostream* os)
{
    *os << "{" << s.receiver << " id " << s.id << " left " << s.remaining << " pass " << s.pass << "}";
}

// Logs every timer event it gets and then runs its reaction, if any.
class Recorder : public EventReceiver
{
public:
    Recorder(std::string name, std::vector<Signal>& log, const int& pass)
        : m_Name(std::move(name)), m_Log(log), m_Pass(pass)
    {
    }

    bool OnEvent(const EventRecord& event) override
    {
        EXPECT_EQ(event.type, VELK_TIMER);
        EXPECT_EQ(event.user.code, 0);
        m_Log.push_back({m_Name, TimerIDOfEvent(event), RemainingSignalsOfEvent(event), m_Pass});
        if (onTimer)
            onTimer(TimerIDOfEvent(event));
        return true;
    }

    std::function<void(uint32_t)> onTimer;

private:
    std::string m_Name;
    std::vector<Signal>& m_Log;
    const int& m_Pass;
};

// An object with timers, for the lifetime rules.
class Ticker : public Object
{
public:
    explicit Ticker(int& count) : m_Count(count) {}
    bool OnTimer(const EventRecord&) override
    {
        ++m_Count;
        if (deleteSelf)
            delete this;
        return true;
    }
    bool deleteSelf = false;

private:
    int& m_Count;
};

constexpr uint32_t FRAME = TIMER_LIMITED_TO_FRAMERATE;
constexpr uint32_t REAL = TIMER_REAL_TIME;

class TimerManagerTest : public ::testing::Test
{
protected:
    // One main-loop pass that starts ms after the previous one.
    void Pass(uint32_t ms = 32)
    {
        clock.now += ms;
        ++pass;
        timers.Update();
    }

    std::vector<int> PassesOf(const std::string& receiver) const
    {
        std::vector<int> passes;
        for (const Signal& s : log)
            if (s.receiver == receiver)
                passes.push_back(s.pass);
        return passes;
    }

    static std::string Failure(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const Exception& e) {
            return e.GetMessage();
        }
        return "(nothing thrown)";
    }

    FakeCoreHost host;
    FakeClock clock;
    TimerManager timers{clock};
    std::vector<Signal> log;
    int pass = 0;
    Recorder a{"a", log, pass};
    Recorder b{"b", log, pass};
    Recorder c{"c", log, pass};
};

TEST_F(TimerManagerTest, IdsStartAtOneAndTheIdFreedLongestAgoComesBackFirst)
{
    EXPECT_EQ(TimerManager::GetInstance(), &timers);
    EXPECT_EQ(timers.CreateTimer(&a, 100, 1, FRAME, "default"), 1u);
    EXPECT_EQ(timers.CreateTimer(&a, 100, 1, FRAME, "default"), 2u);
    EXPECT_EQ(timers.CreateTimer(&a, 100, 1, FRAME, "default"), 3u);
    timers.FreeTimer(1);
    timers.FreeTimer(2);
    timers.FreeTimer(0);  // no timer: nothing happens
    EXPECT_NE(timers.GetTimer(1).m_Flags & TIMER_FREED, 0u);
    // Freed ids stay in the table; only the one still held is live.
    EXPECT_EQ(timers.GetTimerCount(), 4u);
    EXPECT_EQ(timers.GetLiveTimerCount(), 1u);
    EXPECT_EQ(timers.CreateTimer(&a, 100, 1, FRAME, "default"), 1u);
    EXPECT_EQ(timers.CreateTimer(&a, 100, 1, FRAME, "default"), 2u);
    EXPECT_EQ(timers.CreateTimer(&a, 100, 1, FRAME, "default"), 4u);
    EXPECT_EQ(timers.GetTimer(1).m_Flags, FRAME);

    uint32_t held = 0;
    timers.CreateOrRestartTimer(held, &a, 100, 1, FRAME, "default");
    EXPECT_EQ(held, 5u);
    timers.CreateOrRestartTimer(held, &b, 32, 2, FRAME, "other");
    EXPECT_EQ(held, 5u);
    EXPECT_EQ(timers.GetTimer(5).m_Receiver, &b);
}

TEST_F(TimerManagerTest, MisuseFailsWithItsTextAndChangesNothing)
{
    timers.CreateTimer(&a, 32, -1, FRAME, "default");
    timers.CreateTimer(&a, 32, 1, FRAME, "default");
    timers.FreeTimer(2);

    struct Case
    {
        std::function<void()> action;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[&] { timers.FreeTimer(2); },
         "Assertion failed: ((timer.m_Flags & (1 << 4)) == 0)\nMessage: The timer with id, \"2\", was already freed!"},
        {[&] { timers.RecreateTimer(2, &a, 32, 1, FRAME, "default"); },
         "Assertion failed: ((m_Timers[timerID].m_Flags & (1 << 4)) == 0)\nMessage: Cannot recreate the timer with "
         "id, \"2\", as it has been freed."},
        {[&] { timers.CreateTimer(&a, 32, 0, FRAME, "default"); },
         "Assertion failed: (numSignals > 0 || numSignals == -1)"},
        {[&] { timers.CreateTimer(&a, 32, -2, FRAME, "default"); },
         "Assertion failed: (numSignals > 0 || numSignals == -1)"},
        {[&] { timers.CreateTimer(&a, 32, 1, 0, "default"); },
         "Assertion failed: (flags & ((1 << 1) | (1 << 2)))\nMessage: Cannot initialize a timer that is neither "
         "Limited To Framerate nor Real Time"},
        {[&] { timers.RecreateTimer(1, &b, 32, 1, TIMER_PAUSED, "elsewhere"); },
         "Assertion failed: (flags & ((1 << 1) | (1 << 2)))\nMessage: Cannot initialize a timer that is neither "
         "Limited To Framerate nor Real Time"},
        {[&] { timers.RecreateTimer(1, &b, 32, 0, FRAME, "elsewhere"); },
         "Assertion failed: (numSignals > 0 || numSignals == -1)"},
        {[&] { timers.PauseTimer(0); }, "Assertion failed: (timerID != 0)"},
        {[&] { timers.ResumeTimer(0); }, "Assertion failed: (timerID != 0)"},
        {[&] { timers.PauseTimer(9); }, "Assertion failed: (timerID < m_Timers.size())"},
        // An id never handed out would later be handed to a second owner.
        {[&] { timers.RecreateTimer(9, &a, 32, 1, FRAME, "default"); },
         "Assertion failed: (timerID < m_Timers.size())"},
        {[&] { timers.RecreateTimer(0, &a, 32, 1, FRAME, "default"); }, "Assertion failed: (timerID != 0)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Failure(c.action), c.message);

    // Timer 1 still runs as it was, in its group; id 2 is still the one to reuse.
    EXPECT_FALSE(timers.PauseTimerGroup("elsewhere", false));
    Pass();
    EXPECT_EQ(log, (std::vector<Signal>{{"a", 1, -1, 1}}));
    EXPECT_EQ(timers.CreateTimer(&a, 32, 1, FRAME, "default"), 2u);
    EXPECT_EQ(timers.CreateTimer(&a, 32, 1, FRAME, "default"), 3u);
}

TEST_F(TimerManagerTest, FrameLimitedTimersCountEveryPassAsThirtyTwoMilliseconds)
{
    struct Case
    {
        uint32_t period;
        std::vector<int> passes;  // which of the first 64 passes signal
    };
    const std::vector<Case> cases = {
        {0, {}},  // filled below: every pass
        {32, {}},
        {33, {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40, 42, 44, 46, 48, 50, 52,
              54, 56, 58, 60, 62, 64}},
        {65, {3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45, 48, 51, 54, 57, 60, 63}},
        {100, {4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48, 52, 56, 60, 64}},
        {1000, {32, 64}},
    };
    std::vector<std::unique_ptr<Recorder>> recorders;
    for (const Case& c : cases) {
        recorders.push_back(std::make_unique<Recorder>(std::to_string(c.period), log, pass));
        timers.CreateTimer(recorders.back().get(), c.period, -1, FRAME, "default");
    }
    // The real clock does not matter: slow and fast passes alike count 32 ms.
    for (int i = 0; i < 64; ++i)
        Pass(i % 2 ? 5 : 400);

    std::vector<int> everyPass;
    for (int i = 1; i <= 64; ++i)
        everyPass.push_back(i);
    for (const Case& c : cases)
        EXPECT_EQ(PassesOf(std::to_string(c.period)), c.passes.empty() ? everyPass : c.passes) << c.period;
}

TEST_F(TimerManagerTest, LimitedTimerCountsDownThenStaysAllocatedAndSilent)
{
    uint32_t three = timers.CreateTimer(&a, 32, 3, FRAME, "default");
    uint32_t one = timers.CreateTimer(&b, 64, 1, FRAME, "default");
    for (int i = 0; i < 6; ++i)
        Pass();
    EXPECT_EQ(log, (std::vector<Signal>{{"a", three, 2, 1}, {"a", three, 1, 2}, {"b", one, 0, 2}, {"a", three, 0, 3}}));
    EXPECT_EQ(timers.GetTimer(one).m_RemainingSignals, 0);
    EXPECT_EQ(timers.GetTimer(one).m_Flags & TIMER_FREED, 0u);

    // Restarted in place, it counts its period again from the start.
    log.clear();
    timers.RecreateTimer(one, &c, 64, 1, FRAME, "default");
    Pass();
    Pass();
    EXPECT_EQ(log, (std::vector<Signal>{{"c", one, 0, 8}}));
}

TEST_F(TimerManagerTest, RealTimeTimerCatchesUpOnEveryDueSignalAndKeepsTheRemainder)
{
    uint32_t limited = timers.CreateTimer(&a, 100, 5, REAL, "default");
    uint32_t endless = timers.CreateTimer(&b, 100, -1, REAL, "default");
    Pass(350);
    EXPECT_EQ(log, (std::vector<Signal>{{"a", limited, 4, 1}, {"a", limited, 3, 1}, {"a", limited, 2, 1},
                                        {"b", endless, -1, 1}, {"b", endless, -1, 1}, {"b", endless, -1, 1}}));
    log.clear();
    Pass(49);
    EXPECT_TRUE(log.empty());
    Pass(1);  // the 50 ms kept from the first pass make up a period
    EXPECT_EQ(log, (std::vector<Signal>{{"a", limited, 1, 3}, {"b", endless, -1, 3}}));
    log.clear();
    Pass(10000);  // only what is left of the limited timer
    EXPECT_EQ(PassesOf("a"), (std::vector<int>{4}));
    EXPECT_EQ(log.front().remaining, 0);
    EXPECT_EQ(PassesOf("b").size(), 100u);
}

TEST_F(TimerManagerTest, RealTimeTimerWithoutPeriodSignalsOncePerPass)
{
    timers.CreateTimer(&a, 0, -1, REAL, "default");
    timers.CreateTimer(&b, 0, 2, REAL, "default");
    Pass(0);
    Pass(10000);
    Pass(1);
    EXPECT_EQ(PassesOf("a"), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(PassesOf("b"), (std::vector<int>{1, 2}));
}

TEST_F(TimerManagerTest, PausedGroupStandsAndItsRealTimeTimersRestartWithAFullPeriod)
{
    timers.CreateTimer(&a, 100, -1, REAL, "default");
    timers.CreateTimer(&b, 96, -1, FRAME, "default");
    timers.CreateTimer(&c, 32, -1, FRAME, "other");
    Pass(60);  // a has 60 ms of its period behind it; b counts 32 of 96
    EXPECT_TRUE(timers.PauseTimerGroup("default", false));
    EXPECT_FALSE(timers.PauseTimerGroup("missing", false));
    for (int i = 0; i < 10; ++i)
        Pass(100);
    EXPECT_TRUE(PassesOf("a").empty());
    EXPECT_TRUE(PassesOf("b").empty());
    EXPECT_EQ(PassesOf("c").size(), 11u);

    log.clear();
    EXPECT_TRUE(timers.ResumeTimerGroup("default", false));
    Pass(99);  // the 60 ms before the pause are not kept
    Pass(1);
    Pass(32);
    EXPECT_EQ(PassesOf("a"), (std::vector<int>{13}));
    EXPECT_EQ(PassesOf("b"), (std::vector<int>{13}));  // went on from where it stood
}

TEST_F(TimerManagerTest, GroupPausedIndividuallyPausesOnlyItsRunningTimers)
{
    uint32_t running = timers.CreateTimer(&a, 100, -1, REAL, "default");
    uint32_t stopped = timers.CreateTimer(&b, 32, 1, FRAME, "default");
    Pass();
    EXPECT_EQ(timers.GetTimer(stopped).m_RemainingSignals, 0);
    EXPECT_TRUE(timers.PauseTimerGroup("default", true));
    EXPECT_NE(timers.GetTimer(running).m_Flags & TIMER_PAUSED, 0u);
    EXPECT_EQ(timers.GetTimer(stopped).m_Flags & TIMER_PAUSED, 0u);
    uint32_t later = timers.CreateTimer(&c, 32, -1, FRAME, "default");
    Pass(500);
    EXPECT_TRUE(PassesOf("a").empty());
    EXPECT_EQ(PassesOf("c"), (std::vector<int>{2}));

    EXPECT_TRUE(timers.ResumeTimerGroup("default", true));
    EXPECT_EQ(timers.GetTimer(running).m_Flags & TIMER_PAUSED, 0u);
    Pass(99);
    Pass(1);
    EXPECT_EQ(PassesOf("a"), (std::vector<int>{4}));
    timers.PauseTimer(later);
    Pass();
    EXPECT_EQ(PassesOf("c"), (std::vector<int>{2, 3, 4}));
}

TEST_F(TimerManagerTest, ApplicationPauseFreezesEveryTimerUntilRebased)
{
    timers.CreateTimer(&a, 100, 3, REAL, "default");
    timers.CreateTimer(&b, 32, -1, FRAME, "other");
    timers.SetPaused();
    Pass(5000);
    Pass();
    EXPECT_TRUE(log.empty());
    timers.RebaseTimers();
    Pass(99);
    Pass(1);
    EXPECT_EQ(PassesOf("a"), (std::vector<int>{4}));
    EXPECT_EQ(PassesOf("b"), (std::vector<int>{3, 4}));
}

TEST_F(TimerManagerTest, GroupsAreVisitedInCreationOrderAndDeletedWhenEmpty)
{
    uint32_t b1 = timers.CreateTimer(&b, 32, -1, FRAME, "second");
    uint32_t a1 = timers.CreateTimer(&a, 32, -1, FRAME, "first");
    uint32_t b2 = timers.CreateTimer(&b, 32, -1, FRAME, "second");
    Pass();
    EXPECT_EQ(log, (std::vector<Signal>{{"b", b1, -1, 1}, {"b", b2, -1, 1}, {"a", a1, -1, 1}}));

    // Emptied, "second" is gone; made again, it comes after "first".
    timers.FreeTimer(b1);
    timers.RecreateTimer(b2, &b, 32, -1, FRAME, "first");
    EXPECT_FALSE(timers.PauseTimerGroup("second", false));
    uint32_t b3 = timers.CreateTimer(&b, 32, -1, FRAME, "second");
    log.clear();
    Pass();
    EXPECT_EQ(log, (std::vector<Signal>{{"a", a1, -1, 2}, {"b", b2, -1, 2}, {"b", b3, -1, 2}}));
}

TEST_F(TimerManagerTest, ReceiverFreeingItsTimerDuringDeliveryEndsItsSignals)
{
    uint32_t id = timers.CreateTimer(&a, 10, 5, REAL, "default");
    a.onTimer = [&](uint32_t timerID) { timers.FreeTimer(timerID); };
    Pass(100);  // five are due; the first frees the timer
    EXPECT_EQ(log, (std::vector<Signal>{{"a", id, 4, 1}}));
    Pass(100);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(timers.CreateTimer(&b, 32, 1, FRAME, "default"), id);
}

TEST_F(TimerManagerTest, ReceiversChangingTimersDuringDeliveryAffectOnlyLaterPasses)
{
    // a frees b's timer, due later in the same group, and a new timer for c takes
    // its id there; b's only other timer, alone in "solo", frees itself, which
    // takes the group away mid-pass; "second" still gets its turn.
    Recorder d{"d", log, pass};
    uint32_t aID = timers.CreateTimer(&a, 32, -1, FRAME, "first");
    uint32_t bID = timers.CreateTimer(&b, 32, -1, FRAME, "first");
    uint32_t solo = timers.CreateTimer(&b, 32, -1, FRAME, "solo");
    uint32_t second = timers.CreateTimer(&d, 32, -1, FRAME, "second");
    uint32_t cID = 0;
    a.onTimer = [&](uint32_t) {
        if (cID == 0) {
            timers.FreeTimer(bID);
            cID = timers.CreateTimer(&c, 0, 1, FRAME, "first");
        }
    };
    b.onTimer = [&](uint32_t timerID) { timers.FreeTimer(timerID); };
    Pass();
    EXPECT_EQ(cID, bID);
    EXPECT_EQ(log, (std::vector<Signal>{{"a", aID, -1, 1}, {"b", solo, -1, 1}, {"d", second, -1, 1}}));
    log.clear();
    Pass();
    EXPECT_EQ(log, (std::vector<Signal>{{"a", aID, -1, 2}, {"c", cID, 0, 2}, {"d", second, -1, 2}}));

    // A timer restarted by its receiver keeps no signals owed to its old set-up.
    log.clear();
    Recorder e{"e", log, pass};
    uint32_t burst = timers.CreateTimer(&e, 10, 5, REAL, "default");
    e.onTimer = [&](uint32_t timerID) { timers.RecreateTimer(timerID, &e, 10, 5, REAL, "default"); };
    Pass(100);
    EXPECT_EQ(PassesOf("e"), (std::vector<int>{3}));
    EXPECT_EQ(timers.GetTimer(burst).m_RemainingSignals, 5);
}

TEST_F(TimerManagerTest, PauseDuringDeliveryStopsSignalsOfThatPassToo)
{
    // a pauses its own group; b's timer, due after it, waits for the resume.
    timers.CreateTimer(&a, 32, -1, FRAME, "default");
    timers.CreateTimer(&b, 32, -1, FRAME, "default");
    a.onTimer = [&](uint32_t) { timers.PauseTimerGroup("default", false); };
    Pass();
    EXPECT_TRUE(PassesOf("b").empty());

    // c pauses its own timer on the first of three signals due at once.
    uint32_t burst = timers.CreateTimer(&c, 100, 3, REAL, "other");
    c.onTimer = [&](uint32_t timerID) { timers.PauseTimer(timerID); };
    Pass(300);
    EXPECT_EQ(PassesOf("c"), (std::vector<int>{2}));
    EXPECT_EQ(timers.GetTimer(burst).m_RemainingSignals, 2);
}

TEST_F(TimerManagerTest, DeletedReceiverIsNeverCalledAgain)
{
    int ticks = 0;
    auto* ticker = new Ticker(ticks);
    timers.CreateTimer(ticker, 32, -1, FRAME, "default");
    timers.CreateTimer(ticker, 32, 1, FRAME, "solo");
    uint32_t other = timers.CreateTimer(&a, 32, -1, FRAME, "default");
    Pass();
    EXPECT_EQ(ticks, 2);
    delete ticker;
    Pass();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(PassesOf("a"), (std::vector<int>{1, 2}));
    EXPECT_FALSE(timers.PauseTimerGroup("solo", false));
    EXPECT_EQ(timers.CreateTimer(&b, 32, 1, FRAME, "default"), 1u);
    EXPECT_EQ(timers.CreateTimer(&b, 32, 1, FRAME, "default"), 2u);
    EXPECT_EQ(other, 3u);

    // Deleted by its own handler with more signals due in the same pass.
    ticks = 0;
    auto* selfDeleting = new Ticker(ticks);
    selfDeleting->deleteSelf = true;
    timers.CreateTimer(selfDeleting, 10, -1, REAL, "default");
    Pass(100);
    EXPECT_EQ(ticks, 1);
}

TEST(StopwatchTimerTest, CountsSecondsOfPassesAndKeepsItsCountAcrossReset)
{
    FakeCoreHost host;
    FakeClock clock;
    TimerManager timers(clock);
    auto passes = [&](int n) {
        for (int i = 0; i < n; ++i)
            timers.Update();
    };
    {
        StopwatchTimer stopwatch;
        stopwatch.Start();
        stopwatch.Start();
        EXPECT_EQ(stopwatch.GetTimerID(), 1u);
        EXPECT_EQ(timers.GetTimerCount(), 2u);  // the reserved record and one timer
        passes(64);
        EXPECT_EQ(stopwatch.GetElapsed(), 2);

        stopwatch.Reset();
        EXPECT_FALSE(stopwatch.IsRunning());
        passes(64);
        EXPECT_EQ(stopwatch.GetElapsed(), 2);

        stopwatch.Start();
        EXPECT_EQ(stopwatch.GetTimerID(), 1u);
        passes(32);
        EXPECT_EQ(stopwatch.GetElapsed(), 3);
    }
    // Its timer went with it.
    int ticks = 0;
    Ticker ticker(ticks);
    EXPECT_EQ(timers.CreateTimer(&ticker, 32, 1, FRAME, "default"), 1u);
    timers.Update();
    EXPECT_EQ(ticks, 1);
}

} // namespace
