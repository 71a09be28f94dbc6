#pragma once
#include <cstdint>

// The game's pseudo-random numbers: a 64-bit linear congruential state whose bits 32 … 62 are drawn.
class TNutRandom {
public:
    static constexpr std::uint64_t kMultiplier = 1486058704437ULL;  // 0x15A'0000'4E35, each step of the state
    static constexpr std::uint32_t kSeedMultiplier = 22695477u;     // 0x15A'4E35, once, when seeding

    // The low half becomes seed × kSeedMultiplier + 1 (mod 2^32), the high half 0.
    void Seed(std::uint32_t seed);
    // The next 31-bit value, 0 … 2^31 − 1.
    std::int32_t Next();
    // Next() mod n; 0, drawing nothing, when n is 0.
    std::int32_t Below(std::int32_t n);
    std::uint64_t State() const { return state; }

private:
    std::uint64_t state = 0;
};
