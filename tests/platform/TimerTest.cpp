#include "platform/Timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(PeriodicTimer, TicksAtItsPeriodWithoutOverlap) {
    platform::PeriodicTimer timer;
    std::atomic<int> calls{0};
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(timer.Start(10, [&] {
        if (inside.fetch_add(1) != 0) overlapped = true;
        std::this_thread::sleep_for(2ms);
        inside.fetch_sub(1);
        calls.fetch_add(1);
    }));
    std::this_thread::sleep_for(500ms);
    timer.Stop();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int afterStop = calls.load();
    std::this_thread::sleep_for(50ms);
    // Loose bounds: a correctness check that the period is honoured, not a measure of jitter.
    EXPECT_GE(afterStop, static_cast<int>(seconds * 100 * 0.6));
    EXPECT_LE(afterStop, static_cast<int>(seconds * 100 * 1.1) + 1);
    EXPECT_FALSE(overlapped.load());
    EXPECT_EQ(calls.load(), afterStop) << "a callback ran after Stop returned";
}

TEST(PeriodicTimer, ZeroPeriodIsRefused) {
    platform::PeriodicTimer timer;
    EXPECT_FALSE(timer.Start(0, [] {}));
    EXPECT_FALSE(timer.Running());
}

TEST(PeriodicTimer, StoppingFromItsOwnCallbackDoesNotDeadlock) {
    platform::PeriodicTimer timer;
    std::atomic<int> calls{0};
    ASSERT_TRUE(timer.Start(5, [&] {
        calls.fetch_add(1);
        timer.Stop();
    }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(calls.load(), 1);
}

TEST(PeriodicTimer, DestroyingARunningTimerStopsIt) {
    std::atomic<int> calls{0};
    {
        platform::PeriodicTimer timer;
        ASSERT_TRUE(timer.Start(5, [&] { calls.fetch_add(1); }));
        std::this_thread::sleep_for(30ms);
    }
    const int atDestruction = calls.load();
    std::this_thread::sleep_for(40ms);
    EXPECT_EQ(calls.load(), atDestruction);
}

TEST(SystemTimerService, KillEventFromInsideItsCallbackIsSafe) {
    auto& service = platform::SystemTimerService::Instance();
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> id{0};
    id = service.SetEvent(5, [&] {
        calls.fetch_add(1);
        service.KillEvent(id.load());
    });
    ASSERT_NE(id.load(), 0u);
    std::this_thread::sleep_for(80ms);
    EXPECT_EQ(calls.load(), 1);
    // A later event still works, and clears the retired timer.
    std::atomic<int> second{0};
    const auto other = service.SetEvent(5, [&] { second.fetch_add(1); });
    std::this_thread::sleep_for(40ms);
    service.KillEvent(other);
    EXPECT_GT(second.load(), 0);
}

TEST(TimeGetTime, AdvancesInMilliseconds) {
    const auto a = platform::TimeGetTime();
    std::this_thread::sleep_for(30ms);
    const auto b = platform::TimeGetTime();
    EXPECT_GE(b - a, 25u);
    EXPECT_LT(b - a, 1000u);
}

}  // namespace
