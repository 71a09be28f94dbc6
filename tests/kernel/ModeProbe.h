#pragma once
// A probe mode that counts what ran and draws a colour of its step count, and a kernel over a
// headless draw device for it to run on.
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "devices/Vekdraw.h"
#include "kernel/Gamemode.h"
#include "kernel/Kernel.h"

namespace modetest {

// A mode that counts what ran, draws a colour that is its step count, and can finish itself.
class ProbeMode : public TGameMode {
public:
    using TGameMode::TGameMode;
    int begins = 0;
    int steps = 0;
    int* ends = nullptr;                      // outlives the mode, which its parent deletes
    std::vector<std::int32_t> elapsedAtStep;  // the mode's clock as each step saw it
    bool finishAfterStep = false;
    void Begin() override {
        ++begins;
        TGameMode::Begin();
    }
    void Step(std::int32_t) override {
        ++steps;
        elapsedAtStep.push_back(Elapsed());
        if (finishAfterStep) finished = 1;
    }
    void Draw() override {
        if (auto* draw = kernel ? kernel->Draw() : nullptr) {
            SDL_FillRect(draw->BackBuffer(), nullptr, static_cast<std::uint32_t>(steps));
        }
    }
    void End() override {
        if (ends) ++*ends;
    }
    void MakeChild(ProbeMode* mode) { SetChild(std::unique_ptr<TGameMode>(mode)); }
};

// The colour of the presented picture's first pixel: the step count of the mode that drew it.
inline std::uint32_t PresentedColour(const TVekDraw& draw) { return draw.PresentedPicture().at(0) & 0xFFFFFF; }

struct ModeFixture : ::testing::Test {
    TVekDraw draw;
    TKernel kernel{&draw, nullptr, nullptr, nullptr};
    void SetUp() override { ASSERT_TRUE(draw.InitHeadless(TPixelFormat::kXrgb32, 320, 240)); }
};

}  // namespace modetest
