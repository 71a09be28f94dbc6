#pragma once
// The attract mode's pilot: it reads the game's state before every frame and holds the keys a player
// would hold to catch the balloon's row in order, by the shortest walk.
#include <cstdint>

#include "platform/ScriptedInputSource.h"

class TGameMainMode;

class TDemoPilot {
public:
    // The button bits (kButtonUp … kButtonSpace of the kernel) to hold on the coming frame, decided from
    // the state the last frame left. `game` may be null (the root has not made the game yet).
    std::uint16_t Decide(const TGameMainMode* game);
    // Decide, then hold exactly those of the five keys (arrows and Space) on `keys`.
    void Steer(const TGameMainMode* game, platform::ScriptedInputSource& keys);

    struct Point {
        std::int32_t x = 0;
        std::int32_t y = 0;
        bool operator==(const Point&) const = default;
    };
    // Where to catch nut `first` from `from` so that the walk over the nuts first … count − 1, in
    // order, is shortest. The squirrel moves 4 pixels a frame along one axis, so the walk's length is
    // the sum of the steps on each axis, and the axes can be planned apart.
    static Point CatchPoint(const TGameMainMode& game, std::int32_t first, Point from);
    // Whether the squirrel's catch box at `at` overlaps the landed nut of slot `slot`.
    static bool Reaches(const TGameMainMode& game, std::int32_t slot, Point at);

private:
    std::uint16_t Navigate(const TGameMainMode& game);
    std::uint16_t PulseSpace();

    bool spaceHeld = false;  // Space was held on the last frame, so this one cannot be a press
};
