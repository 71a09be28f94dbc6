#pragma once
// The frame account of a loop driven by the display (the browser's animation callback): each callback
// pays the time since the one before into the account, and every whole frame interval in it is one
// game frame to run. So the game keeps its rate whatever the display's, and each game frame is run
// whole, once. Time beyond a few frames (a stall, a tab in the background) is forgiven, not played
// back as a burst.
#include <cstdint>

class TFrameAccount {
public:
    // `stepMs`: game time a frame; `mostFrames`: the most frames one callback may run.
    explicit TFrameAccount(std::uint32_t stepMs, int mostFrames = 5);

    // The frames to run for a callback at `nowMs` (any steady clock, in milliseconds); the first
    // callback only opens the account. A clock that goes back pays nothing.
    int Pay(double nowMs);
    // After a pause: the time until `nowMs` is not owed, and what was owed before is kept.
    void Restart(double nowMs);
    // Game time owed, less than one frame after Pay has returned, in microseconds.
    std::int64_t OwedMicroseconds() const { return owed; }

private:
    std::int64_t step;  // microseconds
    std::int64_t most;  // microseconds
    std::int64_t last = 0;
    std::int64_t owed = 0;
    bool open = false;
};
