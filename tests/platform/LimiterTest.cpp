#include "platform/Limiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace {

using platform::Limiter;

constexpr int kRate = 44100;

// Stereo frames of a sine of `amplitude` (in 16-bit steps, may pass full scale); right = left / 2.
std::vector<std::int64_t> Sine(double amplitude, double hz, int frames) {
    std::vector<std::int64_t> s;
    for (int f = 0; f < frames; ++f) {
        const auto v = std::llround(amplitude * std::sin(2 * std::numbers::pi * hz * f / kRate));
        s.push_back(v);
        s.push_back(v / 2);
    }
    return s;
}

std::vector<std::int16_t> Limit(Limiter& limiter, const std::vector<std::int64_t>& in) {
    std::vector<std::int16_t> out(in.size());
    limiter.Process(in.data(), out.data(), static_cast<int>(in.size() / 2));
    return out;
}

TEST(Limiter, UnderTheCeilingEverySampleGoesThroughUnchanged) {
    Limiter limiter(kRate, 2);
    std::vector<std::int64_t> in = Sine(Limiter::kCeiling, 97, kRate);
    in[1000] = Limiter::kCeiling;  // exactly at the ceiling is still under it
    in[1001] = -Limiter::kCeiling;
    const auto out = Limit(limiter, in);
    for (std::size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i], in[i]) << i;
    EXPECT_EQ(limiter.Gain(), 1.0);
}

// A burst 12 dB over the ceiling in the middle of a quiet tone: nothing passes the ceiling, the
// burst keeps its shape (one gain for the whole frame, not a cut wave), the gain holds, then comes
// back smoothly and all the way to unity.
TEST(Limiter, ABurstIsTurnedDownHeldAndReleasedSmoothly) {
    const int burstFrames = kRate / 10;
    std::vector<std::int64_t> in = Sine(4000, 440, kRate / 2);
    const auto burst = Sine(Limiter::kCeiling * 4.0, 440, burstFrames);
    std::copy(burst.begin(), burst.end(), in.begin() + kRate / 10 * 2);
    const auto tail = Sine(4000, 440, 5 * kRate);
    in.insert(in.end(), tail.begin(), tail.end());

    Limiter limiter(kRate, 2);
    std::vector<double> gains;
    std::vector<std::int16_t> out(in.size());
    for (std::size_t f = 0; f < in.size() / 2; ++f) {
        limiter.Process(&in[2 * f], &out[2 * f], 1);
        gains.push_back(limiter.Gain());
    }
    for (std::size_t i = 0; i < out.size(); ++i) ASSERT_LE(std::abs(out[i]), Limiter::kCeiling) << i;

    const std::size_t start = kRate / 10, end = start + static_cast<std::size_t>(burstFrames);
    EXPECT_EQ(gains[start - 1], 1.0) << "the quiet tone before the burst is untouched";
    // After the first peak the gain is that of the loudest sample: a scaled sine, both channels alike.
    const double held = gains[end - 1];
    EXPECT_NEAR(held, 0.25, 0.01);
    for (std::size_t f = start + kRate / 440; f < end; ++f) {
        // Only a sampled peak a hair above the ones before may take it down, never up.
        ASSERT_NEAR(gains[f], held, held * 0.001) << "the gain moved inside the burst at frame " << f;
        ASSERT_LE(gains[f], gains[f - 1]) << f;
        ASSERT_NEAR(out[2 * f], static_cast<double>(in[2 * f]) * held, 1.0) << f;
        ASSERT_NEAR(out[2 * f + 1], static_cast<double>(in[2 * f + 1]) * held, 1.0) << f;
    }
    // Held for the hold time after the last sample over the ceiling, then rising without a step and
    // never falling.
    std::size_t lastOver = start;
    for (std::size_t f = start; f < end; ++f) {
        if (std::abs(in[2 * f]) > Limiter::kCeiling) lastOver = f;
    }
    const auto holdFrames = static_cast<std::size_t>(Limiter::kHoldSeconds * kRate);
    EXPECT_EQ(gains[lastOver + holdFrames], gains[lastOver]);
    EXPECT_GT(gains[lastOver + holdFrames + 1], gains[lastOver]);
    double steepest = 0;
    for (std::size_t f = lastOver + holdFrames; f < gains.size(); ++f) {
        ASSERT_GE(gains[f], gains[f - 1]) << f;
        steepest = std::max(steepest, gains[f] - gains[f - 1]);
    }
    EXPECT_LT(steepest, 1.0 / (Limiter::kReleaseSeconds * kRate)) << "the release jumps";
    const std::size_t halfway = lastOver + holdFrames + static_cast<std::size_t>(Limiter::kReleaseSeconds * kRate);
    EXPECT_GT(gains[halfway], 0.6);
    EXPECT_LT(gains[halfway], 0.85);
    EXPECT_EQ(gains.back(), 1.0) << "back at unity: the tone after the burst is untouched again";
    EXPECT_EQ(out[out.size() - 2], in[in.size() - 2]);
}

// A share of the mix gets the gain that the whole mix needs.
TEST(Limiter, AShareIsTurnedDownAsTheWholeIs) {
    Limiter whole(kRate, 2);
    Limiter share(kRate, 2);
    const auto mix = Sine(Limiter::kCeiling * 2.0, 300, 4000);
    std::vector<std::int64_t> part(mix.size());
    std::transform(mix.begin(), mix.end(), part.begin(), [](std::int64_t v) { return v / 4; });
    const auto out = Limit(whole, mix);
    std::vector<std::int16_t> shared(mix.size());
    share.ProcessShare(mix.data(), part.data(), shared.data(), 4000);
    for (std::size_t i = 0; i < mix.size(); ++i) ASSERT_NEAR(shared[i], out[i] / 4.0, 1.0) << i;
    EXPECT_EQ(share.Gain(), whole.Gain());
}

TEST(Limiter, MonoAndAnythingTheAccumulatorCanHold) {
    Limiter limiter(22050, 1);
    const std::vector<std::int64_t> in = {INT32_MAX, INT32_MIN, 0, 100};
    std::vector<std::int16_t> out(in.size());
    limiter.Process(in.data(), out.data(), 4);
    EXPECT_EQ(out[0], Limiter::kCeiling);
    EXPECT_GE(out[1], -Limiter::kCeiling);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 0) << "held at the gain of the loudest sample";
}

}  // namespace
