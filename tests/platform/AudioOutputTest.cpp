#include "platform/AudioOutput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/Limiter.h"
#include "platform/System.h"

namespace {

// A source that adds the same value to every sample.
platform::AudioOutput::Source Adds(std::int32_t value) {
    return [value](std::int32_t* mix, int frames) {
        for (int i = 0; i < frames * 2; ++i) mix[i] += value;
    };
}

std::vector<std::int16_t> Render(platform::AudioOutput& out, int frames) {
    std::vector<std::int16_t> samples;
    out.RenderOffline(frames, &samples);
    return samples;
}

TEST(AudioOutput, OfflineOutputKeepsItsFormat) {
    auto out = platform::AudioOutput::OpenOffline(22050, 16, true);
    EXPECT_EQ(out->Rate(), 22050);
    EXPECT_EQ(out->Channels(), 2);
    EXPECT_EQ(out->Bits(), 16);
    EXPECT_FALSE(out->IsRealtime());
    EXPECT_EQ(Render(*out, 441).size(), 882u) << "one 20 ms frame of stereo";
    EXPECT_EQ(Render(*out, 3000), std::vector<std::int16_t>(6000, 0)) << "no source: silence";
    auto mono8 = platform::AudioOutput::OpenOffline(11025, 8, false);
    EXPECT_EQ(mono8->Channels(), 1);
    EXPECT_EQ(mono8->Bits(), 8);
}

// Sums past the limiter's ceiling come out at it, never at full scale; sums under it exactly.
TEST(AudioOutput, SourcesAddUpAndTheSumIsLimited) {
    constexpr std::int16_t kCeiling = platform::Limiter::kCeiling;
    struct Case {
        std::vector<std::int32_t> sources;
        std::int16_t expected;
    };
    const Case cases[] = {
        {{1000, 234}, 1234},
        {{20000, 20000}, kCeiling},
        {{-20000, -20000}, -kCeiling},
        {{20000, 20000, -20000}, 20000},  // limiting happens once, after every source
        {{30000, 30000, -30000}, kCeiling},
        {{70000}, kCeiling},
        {{kCeiling}, kCeiling},
    };
    for (const Case& c : cases) {
        auto out = platform::AudioOutput::OpenOffline(22050, 16, true);
        for (std::int32_t v : c.sources) out->AddSource(Adds(v));
        auto samples = Render(*out, 2000);  // more than one render step
        ASSERT_EQ(samples.size(), 4000u);
        EXPECT_EQ(samples.front(), c.expected);
        EXPECT_EQ(samples.back(), c.expected);
    }
}

TEST(AudioOutput, SourcesRunInTheOrderAddedAndClearSourcesEmptiesTheList) {
    auto out = platform::AudioOutput::OpenOffline(22050, 16, true);
    out->AddSource([](std::int32_t* mix, int) { mix[0] += 5; });
    out->AddSource([](std::int32_t* mix, int) { mix[0] *= 3; });  // sees what the first one left
    EXPECT_EQ(Render(*out, 1)[0], 15);
    out->ClearSources();
    EXPECT_EQ(Render(*out, 1)[0], 0);
}

// Without a sink nobody hears the frames: every source moves on by them, in the same render steps,
// and is given nothing to add into.
TEST(AudioOutput, UnheardFramesMoveTheSourcesOnWithoutSamples) {
    auto out = platform::AudioOutput::OpenOffline(22050, 16, true);
    std::vector<std::pair<bool, int>> calls;  // (given a mix, frames)
    out->AddSource([&calls](std::int32_t* mix, int frames) { calls.emplace_back(mix != nullptr, frames); });
    out->RenderOffline(2500, nullptr);
    EXPECT_EQ(calls, (std::vector<std::pair<bool, int>>{{false, 1024}, {false, 1024}, {false, 452}}));
    calls.clear();
    EXPECT_EQ(Render(*out, 3).size(), 6u);
    EXPECT_EQ(calls, (std::vector<std::pair<bool, int>>{{true, 3}}));
}

TEST(AudioOutput, DetachTakesOutOnlyThatSource) {
    auto out = platform::AudioOutput::OpenOffline(22050, 16, true);
    const auto a = out->Attach(Adds(100));
    out->Attach(Adds(20));
    EXPECT_EQ(Render(*out, 1)[0], 120);
    out->Detach(a);
    EXPECT_EQ(Render(*out, 1)[0], 20);
    out->Detach(a);  // twice is harmless
    EXPECT_EQ(Render(*out, 1)[0], 20);
}

TEST(AudioOutput, VolumeAndMuteScaleEverything) {
    auto out = platform::AudioOutput::OpenOffline(22050, 16, true);
    out->AddSource(Adds(20000));
    out->AddSource(Adds(20000));
    out->SetVolume(50);
    EXPECT_EQ(out->Volume(), 50);
    EXPECT_EQ(Render(*out, 1)[0], 20000) << "volume applies to the sum before it saturates";
    out->SetVolume(0);
    EXPECT_EQ(Render(*out, 1)[0], 0);
    out->SetVolume(150);
    EXPECT_EQ(out->Volume(), 100);
    out->SetVolume(-3);
    EXPECT_EQ(out->Volume(), 0);
    out->SetVolume(25);
    out->SetMuted(true);
    EXPECT_TRUE(out->Muted());
    EXPECT_EQ(Render(*out, 1)[0], 0);
    out->SetMuted(false);
    EXPECT_EQ(Render(*out, 1)[0], 10000);
}

TEST(AudioOutput, TheOfflineRateIsTheOutputRateAndADeviceNeverGoesBelowIt) {
    EXPECT_EQ(platform::AudioOutput::OpenOffline(platform::AudioOutput::kOfflineRate, 16, true)->Rate(), 44100);
    EXPECT_EQ(platform::AudioOutput::OpenOffline(platform::AudioOutput::kNativeRate, 16, true)->Rate(), 44100);
    platform::SetEnvironment("SDL_AUDIODRIVER", "dummy", true);
    std::string error;
    auto device = platform::AudioOutput::OpenDevice(platform::AudioOutput::kNativeRate, 16, true, &error);
    ASSERT_NE(device, nullptr) << error;
    EXPECT_TRUE(device->Rate() == 44100 || device->Rate() == 48000) << device->Rate();
}

// A solo hears one role's sources at the gain the whole mix gets: the two solos add up to the mix.
TEST(AudioOutput, ASoloIsItsShareOfTheLimitedMix) {
    using Role = platform::AudioOutput::Role;
    auto render = [](const Role* solo) {
        auto out = platform::AudioOutput::OpenOffline(44100, 16, true);
        out->Attach(Adds(22000), Role::kEffects);
        out->Attach([frame = 0](std::int32_t* mix, int frames) mutable {
            for (int i = 0; i < frames; ++frame, ++i) {
                const std::int32_t v = frame % 100 < 50 ? 9000 : -9000;
                mix[2 * i] += v;
                mix[2 * i + 1] += v;
            }
        }, Role::kMusic);
        out->SetSolo(solo);
        return Render(*out, 3000);
    };
    const Role music = Role::kMusic, effects = Role::kEffects;
    const auto mix = render(nullptr);
    const auto musicAlone = render(&music);
    const auto effectsAlone = render(&effects);
    bool limited = false;
    for (std::size_t i = 0; i < mix.size(); ++i) {
        EXPECT_LE(std::abs(mix[i] - (musicAlone[i] + effectsAlone[i])), 1) << i;
        if (std::abs(mix[i]) == platform::Limiter::kCeiling) limited = true;
        if (i % 2 == 0 && (i / 2) % 100 < 50) {
            EXPECT_GT(musicAlone[i], 0) << i;
        }
    }
    EXPECT_TRUE(limited) << "the case does not reach the limiter";
    EXPECT_LT(effectsAlone[0], 22000) << "the effects alone are heard at the mix's gain";
}

// SDL's dummy driver is a device that pulls samples in real time, with no sound card needed.
TEST(AudioOutputDevice, TheDummyDevicePullsTheRenderStep) {
    platform::SetEnvironment("SDL_AUDIODRIVER", "dummy", true);
    for (int bits : {16, 8}) {
        std::string error;
        auto out = platform::AudioOutput::OpenDevice(22050, bits, true, &error);
        ASSERT_NE(out, nullptr) << error;
        EXPECT_TRUE(out->IsRealtime());
        EXPECT_GT(out->Rate(), 0);
        EXPECT_EQ(out->Bits(), bits);
        std::atomic<int> frames{0};
        out->AddSource([&](std::int32_t*, int n) { frames += n; });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (frames.load() < 1024 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_GE(frames.load(), 1024) << "the device never asked for samples";
        out.reset();
        const int after = frames.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(frames.load(), after) << "a source ran after the device closed";
    }
}

TEST(AudioOutputDevice, NoDriverGivesNoDeviceAndAReason) {
    platform::SetEnvironment("SDL_AUDIODRIVER", "no-such-driver", true);
    std::string error;
    auto out = platform::AudioOutput::OpenDevice(22050, 16, true, &error);
    platform::SetEnvironment("SDL_AUDIODRIVER", "dummy", true);
    EXPECT_EQ(out, nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
