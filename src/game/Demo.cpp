#include "game/Demo.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "game/Gamemain.h"
#include "kernel/Kernel.h"
#include "platform/Keycodes.h"
#include "toys/Toyplayer.h"

namespace {

using Game = TGameMainMode;

constexpr std::int32_t kStep = Game::kStepPixels;
constexpr std::int32_t kNutSize = Game::kSpotSize;  // a nut's hit rectangle is its 32 × 32 cell
constexpr std::int32_t kReach = Game::kCatchReach;
constexpr int kMaxAxis = (Game::kMaxX - Game::kMinX) / kStep + 1;  // 57 positions across, 37 down

struct Interval {
    std::int32_t low;
    std::int32_t high;
};

// Positions on one axis, from `low` to `high` in steps, at which the ±8 box meets a nut edge at
// `edge` (nut from edge to edge + 32, both inclusive).
Interval Reachable(std::int32_t edge, std::int32_t low, std::int32_t high) {
    return {std::max(low, edge - kReach), std::min(high, edge + kNutSize + kReach)};
}

// The first position of a shortest walk on one axis from `from` through the intervals in order.
std::int32_t PlanAxis(const std::array<Interval, kMaxNuts>& spans, int n, std::int32_t from, std::int32_t axisLow) {
    constexpr std::int32_t kFar = std::numeric_limits<std::int32_t>::max() / 4;
    // rest[v]: the shortest walk on from position v of the current interval to the end of the row.
    std::array<std::int32_t, kMaxAxis> rest{};
    std::array<std::int32_t, kMaxAxis> next{};
    auto index = [axisLow](std::int32_t v) { return static_cast<std::size_t>((v - axisLow) / kStep); };
    for (int k = n - 2; k >= 0; --k) {
        next.fill(kFar);
        for (std::int32_t v = spans[k].low; v <= spans[k].high; v += kStep) {
            for (std::int32_t u = spans[k + 1].low; u <= spans[k + 1].high; u += kStep) {
                next[index(v)] = std::min(next[index(v)], std::abs(u - v) + rest[index(u)]);
            }
        }
        rest = next;
    }
    std::int32_t best = spans[0].low;
    std::int32_t bestCost = kFar;
    for (std::int32_t v = spans[0].low; v <= spans[0].high; v += kStep) {
        const std::int32_t cost = std::abs(v - from) + rest[index(v)];
        // Of equal walks, the one that reaches this nut soonest.
        if (cost < bestCost || (cost == bestCost && std::abs(v - from) < std::abs(best - from))) {
            best = v;
            bestCost = cost;
        }
    }
    return best;
}

bool Landed(const NutSlot& slot) {
    // A nut at height 0 is counted as landed by the nut update that opens the coming frame.
    return slot.falling == 0 || !(slot.height > 0.0f);
}

}  // namespace

TDemoPilot::Point TDemoPilot::CatchPoint(const TGameMainMode& game, std::int32_t first, Point from) {
    const std::int32_t last = std::min(game.Count(), kMaxNuts);
    std::array<Interval, kMaxNuts> columns{};
    std::array<Interval, kMaxNuts> rows{};
    int n = 0;
    for (std::int32_t i = first; i < last; ++i, ++n) {
        const NutSlot& slot = game.Slot(i);
        columns[static_cast<std::size_t>(n)] = Reachable(slot.x, Game::kMinX, Game::kMaxX);
        rows[static_cast<std::size_t>(n)] = Reachable(slot.groundY, Game::kMinY, Game::kMaxY);
    }
    if (n == 0) return from;
    return {PlanAxis(columns, n, from.x, Game::kMinX), PlanAxis(rows, n, from.y, Game::kMinY)};
}

bool TDemoPilot::Reaches(const TGameMainMode& game, std::int32_t slot, Point at) {
    const NutSlot& nut = game.Slot(slot);
    const Interval columns = Reachable(nut.x, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    const Interval rows = Reachable(nut.groundY, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    return at.x >= columns.low && at.x <= columns.high && at.y >= rows.low && at.y <= rows.high;
}

std::uint16_t TDemoPilot::PulseSpace() { return spaceHeld ? 0 : kButtonSpace; }

std::uint16_t TDemoPilot::Navigate(const TGameMainMode& game) {
    const std::int32_t next = game.CaughtCount();
    if (next >= game.Count() || next >= game.Fall() || next >= kMaxNuts) return 0;
    const TToyPlayer& squirrel = game.Squirrel();
    const Point here{squirrel.x, squirrel.y};
    const Point target = CatchPoint(game, next, here);

    std::uint16_t buttons = 0;
    Point after = here;
    if (here.x != target.x) {
        buttons = here.x < target.x ? kButtonRight : kButtonLeft;
        after.x += here.x < target.x ? kStep : -kStep;
    } else if (here.y != target.y) {
        buttons = here.y < target.y ? kButtonDown : kButtonUp;
        after.y += here.y < target.y ? kStep : -kStep;
    }
    // Slots before `next` are caught, so the nut offered where its box reaches is this one; Space
    // anywhere else would do nothing, and over a wrong nut it is never pressed.
    if (!spaceHeld && Landed(game.Slot(next)) && Reaches(game, next, after)) buttons |= kButtonSpace;
    return buttons;
}

std::uint16_t TDemoPilot::Decide(const TGameMainMode* game) {
    std::uint16_t buttons = 0;
    if (game != nullptr) {
        switch (game->SceneNumber()) {
            case TGameMainMode::kSceneTitle:
            case TGameMainMode::kSceneGameOver:
                buttons = PulseSpace();
                break;
            case TGameMainMode::kScenePlay:
                if (game->PhaseNumber() == TGameMainMode::kPhasePlay) {
                    buttons = Navigate(*game);
                } else if (game->PhaseNumber() == TGameMainMode::kPhaseCleared ||
                           game->PhaseNumber() == TGameMainMode::kPhaseLifeLost) {
                    buttons = PulseSpace();
                }
                break;
            default:
                break;
        }
    }
    spaceHeld = (buttons & kButtonSpace) != 0;
    return buttons;
}

void TDemoPilot::Steer(const TGameMainMode* game, platform::ScriptedInputSource& keys) {
    const std::uint16_t buttons = Decide(game);
    keys.SetKey(platform::kDikUp, (buttons & kButtonUp) != 0);
    keys.SetKey(platform::kDikDown, (buttons & kButtonDown) != 0);
    keys.SetKey(platform::kDikLeft, (buttons & kButtonLeft) != 0);
    keys.SetKey(platform::kDikRight, (buttons & kButtonRight) != 0);
    keys.SetKey(platform::kDikSpace, (buttons & kButtonSpace) != 0);
}
