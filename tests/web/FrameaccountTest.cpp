// The browser loop's frame account: 50 game frames a second whatever the display's rate, every frame
// run once, and a stall forgiven rather than played back.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cmath>
#include <vector>

#include "Frameaccount.h"

namespace {

struct Played {
    std::int64_t frames = 0;
    int mostInOneCallback = 0;
};

// Callbacks every `periodMs` (plus a repeating jitter pattern) for `seconds`.
Played Drive(TFrameAccount& account, double startMs, double periodMs, double seconds, const std::vector<double>& jitter = {0}) {
    Played run;
    account.Pay(startMs);
    const int callbacks = static_cast<int>(std::lround(seconds * 1000.0 / periodMs));
    for (int i = 1; i <= callbacks; ++i) {
        const double now = startMs + i * periodMs + jitter[static_cast<std::size_t>(i) % jitter.size()];
        const int n = account.Pay(now);
        run.frames += n;
        run.mostInOneCallback = std::max(run.mostInOneCallback, n);
    }
    return run;
}

struct RateCase {
    const char* name;
    double displayHz;
    std::int64_t frames;  // in 60 s (to within one frame still owed)
    int most;             // the most frames one callback runs
};

TEST(FrameAccount, KeepsFiftyFramesASecondAtEveryDisplayRate) {
    const RateCase cases[] = {
        {"30 Hz", 30, 3000, 2},      {"50 Hz", 50, 3000, 1},   {"59.94 Hz", 59.94, 3000, 1},
        {"60 Hz", 60, 3000, 1},      {"75 Hz", 75, 3000, 1},   {"120 Hz", 120, 3000, 1},
        {"144 Hz", 144, 3000, 1},    {"240 Hz", 240, 3000, 1}, {"24 Hz", 24, 3000, 3},
    };
    for (const RateCase& c : cases) {
        TFrameAccount account(20);
        // A clock far from zero, as a page's is after hours open.
        const Played run = Drive(account, 7.2e6, 1000.0 / c.displayHz, 60.0);
        EXPECT_NEAR(static_cast<double>(run.frames), static_cast<double>(c.frames), 1.0) << c.name;
        EXPECT_EQ(run.mostInOneCallback, c.most) << c.name;
        EXPECT_LT(account.OwedMicroseconds(), 20000) << c.name;
    }
}

TEST(FrameAccount, JitteredCallbacksLoseAndGainNothing) {
    TFrameAccount account(20);
    const Played run = Drive(account, 1000.0, 1000.0 / 60.0, 60.0, {0.0, 3.1, -2.7, 5.9, -4.4, 0.4});
    EXPECT_NEAR(static_cast<double>(run.frames), 3000.0, 1.0);
    EXPECT_LE(run.mostInOneCallback, 2);
}

TEST(FrameAccount, StallsAreForgivenAndTheFirstCallbackOnlyOpens) {
    TFrameAccount account(20, 5);
    EXPECT_EQ(account.Pay(500.0), 0);        // opens
    EXPECT_EQ(account.Pay(519.0), 0);        // 19 ms owed
    EXPECT_EQ(account.Pay(521.0), 1);        // 21 ms: one frame, 1 ms left
    EXPECT_EQ(account.OwedMicroseconds(), 1000);
    EXPECT_EQ(account.Pay(2521.0), 5);       // a 2 s stall: five frames, not a hundred
    EXPECT_EQ(account.OwedMicroseconds(), 0);
    EXPECT_EQ(account.Pay(2400.0), 0);       // a clock that goes back pays nothing
    EXPECT_EQ(account.Pay(2541.0), 1);       // and is owed from where it was, not from its low point
    account.Restart(9000.0);                 // after a pause, the paused time is not owed
    EXPECT_EQ(account.Pay(9010.0), 0);
    EXPECT_EQ(account.Pay(9020.0), 1);
}

TEST(FrameAccount, SubMillisecondTimesAddUpExactly) {
    // 16.6667 ms a callback for 3 callbacks is 50.0001 ms: two frames, and the rest is carried.
    TFrameAccount account(20);
    account.Pay(0.0);
    int frames = 0;
    for (int i = 1; i <= 300000; ++i) frames += account.Pay(i * (50.0 / 3.0));
    EXPECT_EQ(frames, 250000);  // 5000 s at 50 frames a second
}

}  // namespace
