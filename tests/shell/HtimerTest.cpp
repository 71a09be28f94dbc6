#include "shell/Htimer.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "platform/Timer.h"

namespace {

// A platform whose clock the test sets and whose events the test fires.
class FakeTimerService : public platform::TimerService {
public:
    std::uint32_t SetEvent(std::uint32_t periodMs, std::function<void()> callback) override {
        ++created;
        if (refuse) return 0;
        const std::uint32_t id = nextId++;
        events[id] = {periodMs, std::move(callback)};
        return id;
    }
    void KillEvent(std::uint32_t id) override {
        ++killed;
        events.erase(id);
    }
    std::uint32_t Now() override { return now; }

    void FireAll() {
        auto copy = events;
        for (auto& [id, event] : copy) event.second();
    }

    std::map<std::uint32_t, std::pair<std::uint32_t, std::function<void()>>> events;
    std::uint32_t now = 1000;
    std::uint32_t nextId = 1;
    int created = 0;
    int killed = 0;
    bool refuse = false;
};

// The main window's sequence: properties applied disabled, then Loaded, then enable and start.
struct Fixture : ::testing::Test {
    FakeTimerService service;
    THITimer timer{&service};
    int ticks = 0;
    void SetUp() override {
        timer.SetEnabled(false);
        timer.SetInterval(20);
        timer.SetOnTimer([this](THITimer*) { ++ticks; });
        timer.Loaded();
    }
};

TEST_F(Fixture, NoEventUntilEnabledThenOnePeriodicEventAtTheInterval) {
    EXPECT_EQ(service.created, 0);
    timer.SetEnabled(true);
    timer.Start();
    ASSERT_EQ(service.events.size(), 1u);
    EXPECT_EQ(service.events.begin()->second.first, 20u);
    EXPECT_EQ(service.created, 1) << "Start on an enabled timer must not rebuild the event";
    service.FireAll();
    service.FireAll();
    EXPECT_EQ(ticks, 2);
}

TEST_F(Fixture, SettersWithTheCurrentValueDoNotRestartTheEvent) {
    timer.SetEnabled(true);
    const int created = service.created;
    timer.SetEnabled(true);
    timer.SetInterval(20);
    EXPECT_EQ(service.created, created);
    EXPECT_EQ(service.killed, 0);
    timer.SetInterval(30);
    EXPECT_EQ(service.created, created + 1);
    EXPECT_EQ(service.killed, 1);
    EXPECT_EQ(service.events.begin()->second.first, 30u);
}

TEST_F(Fixture, IntervalZeroStopsTheEventAndKeepsEnabled) {
    timer.SetEnabled(true);
    timer.SetInterval(0);
    EXPECT_TRUE(service.events.empty());
    EXPECT_TRUE(timer.Enabled());
    EXPECT_FALSE(timer.Running());
}

TEST_F(Fixture, ElapsedTimeRunsWhileEnabledAndHoldsAfterStop) {
    timer.SetEnabled(true);
    timer.Start();
    service.now += 150;
    EXPECT_EQ(timer.GetElapsedTime(), 150u);
    timer.Stop();
    service.now += 500;
    EXPECT_EQ(timer.GetElapsedTime(), 150u);
    EXPECT_EQ(timer.GetElapsedTime(), 150u);
    timer.Start();
    service.now += 7;
    EXPECT_EQ(timer.GetElapsedTime(), 7u);
}

TEST_F(Fixture, StartOnARunningTimerRestartsTheMeasureOnly) {
    timer.SetEnabled(true);
    timer.Start();
    service.now += 40;
    const int created = service.created;
    timer.Start();
    EXPECT_EQ(service.created, created);
    EXPECT_EQ(timer.GetElapsedTime(), 0u);
}

TEST_F(Fixture, ARefusedEventRaisesNoTimerAvailable) {
    service.refuse = true;
    try {
        timer.SetEnabled(true);
        FAIL() << "expected EHITimerError";
    } catch (const EHITimerError& e) {
        EXPECT_STREQ(e.what(), "No timer available");
    }
    EXPECT_TRUE(timer.Enabled());
    EXPECT_FALSE(timer.Running());
}

TEST(Htimer, DestroyingStopsTheEventAndADisabledTimerTouchesNothing) {
    FakeTimerService service;
    {
        THITimer timer(&service);
        timer.SetOnTimer([](THITimer*) {});
        timer.SetInterval(20);
        ASSERT_EQ(service.events.size(), 1u);
    }
    EXPECT_TRUE(service.events.empty());
    FakeTimerService idle;
    {
        THITimer timer(&idle);
        timer.SetEnabled(false);
    }
    EXPECT_EQ(idle.created, 0);
    EXPECT_EQ(idle.killed, 0);
}

TEST(Htimer, AssigningTheHandlerAloneCreatesNoEvent) {
    FakeTimerService service;
    THITimer timer(&service);
    timer.SetOnTimer([](THITimer*) {});
    EXPECT_EQ(service.created, 0);
    timer.Loaded();
    EXPECT_EQ(service.created, 1);
}

}  // namespace
