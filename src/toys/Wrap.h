#pragma once
// Sums of game clocks and counters that wrap round in 32 bits, as the machine words they were
// always meant to be, instead of overflowing into undefined behaviour.
#include <cstdint>

constexpr std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
