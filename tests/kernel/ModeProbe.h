#pragma once
// A probe mode that notes what ran and draws a colour of its step count, and a kernel over a
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

// A mode that notes what ran, draws a colour that depends on its step count, and can finish itself.
class ProbeMode : public TGameMode {
public:
    using TGameMode::TGameMode;
    std::vector<std::string>* log = nullptr;
    int steps = 0;
    bool finishAfterStep = false;
    void Begin() override {
        Note("begin");
        TGameMode::Begin();
    }
    void Step(std::int32_t) override {
        ++steps;
        Note("step");
        if (finishAfterStep) finished = 1;
    }
    void Draw() override {
        Note("draw");
        if (auto* draw = kernel ? kernel->Draw() : nullptr) {
            SDL_FillRect(draw->BackBuffer(), nullptr, static_cast<std::uint32_t>(steps));
        }
    }
    void End() override { Note("end"); }
    void Note(const char* what) {
        if (log) log->push_back(what);
    }
    void MakeChild(ProbeMode* mode) { SetChild(std::unique_ptr<TGameMode>(mode)); }
};

struct ModeFixture : ::testing::Test {
    TVekDraw draw;
    TKernel kernel{&draw, nullptr, nullptr, nullptr};
    void SetUp() override { ASSERT_TRUE(draw.InitHeadless(TPixelFormat::Xrgb32, 320, 240)); }
};

}  // namespace modetest
