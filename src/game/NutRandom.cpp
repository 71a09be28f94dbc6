#include "game/NutRandom.h"

void TNutRandom::Seed(std::uint32_t seed) { state = static_cast<std::uint32_t>(seed * kSeedMultiplier + 1u); }

std::int32_t TNutRandom::Next() {
    state = state * kMultiplier + 1;
    return static_cast<std::int32_t>((state >> 32) & 0x7FFFFFFFu);
}

std::int32_t TNutRandom::Below(std::int32_t n) {
    if (n == 0) return 0;
    return Next() % n;
}
