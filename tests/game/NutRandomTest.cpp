#include "game/NutRandom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(NutRandom, FirstTenValuesOfTwoSeedsAreTheKnownOnes) {
    // Worked out apart from this code (arbitrary-precision integers) from the recurrence
    // state0 = seed × 22695477 + 1 (mod 2^32), state = state × 1486058704437 + 1 (mod 2^64), bits 32 … 62.
    const struct {
        std::uint32_t seed;
        std::vector<std::int32_t> values;
    } cases[] = {
        {0u, {346, 13854878, 1621890440, 816282396, 1778554774, 821126358, 1407482132, 991758756, 645372191, 865966906}},
        {12345u, {1220244142, 1374406965, 308141128, 1558318993, 598390725, 127510960, 1217741731, 2044416551,
                  1876065845, 576524853}},
    };
    for (const auto& c : cases) {
        TNutRandom random;
        random.Seed(c.seed);
        std::vector<std::int32_t> got;
        for (int i = 0; i < 10; ++i) got.push_back(random.Next());
        EXPECT_EQ(got, c.values) << "seed " << c.seed;
    }
}

TEST(NutRandom, BelowIsTheRemainderAndZeroDrawsNothing) {
    TNutRandom random;
    random.Seed(7);
    TNutRandom twin;
    twin.Seed(7);
    for (const std::int32_t n : {8, 4, 3, 1, 0x7FFFFFFF}) EXPECT_EQ(random.Below(n), twin.Next() % n) << n;
    const std::uint64_t before = random.State();
    EXPECT_EQ(random.Below(0), 0);
    EXPECT_EQ(random.State(), before);
}

}  // namespace
