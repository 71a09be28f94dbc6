#include "Frameaccount.h"

#include <algorithm>
#include <cmath>

namespace {
// Whole microseconds, so that the account never drifts by rounding.
std::int64_t Micro(double ms) { return std::llround(ms * 1000.0); }
}  // namespace

TFrameAccount::TFrameAccount(std::uint32_t stepMs, int mostFrames)
    : step(std::max<std::int64_t>(1, std::int64_t{stepMs} * 1000)),
      most(step * std::max(1, mostFrames)) {}

int TFrameAccount::Pay(double nowMs) {
    const std::int64_t now = Micro(nowMs);
    if (!open) {
        open = true;
        last = now;
        return 0;
    }
    owed = std::min(owed + std::max<std::int64_t>(0, now - last), most);
    last = std::max(last, now);
    const std::int64_t frames = owed / step;
    owed -= frames * step;
    return static_cast<int>(frames);
}

void TFrameAccount::Restart(double nowMs) {
    last = Micro(nowMs);
    open = true;
}
