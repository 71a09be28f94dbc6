#include "kernel/Gamemode.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/Vekdraw.h"
#include "kernel/Kernel.h"
#include "kernel/ModeProbe.h"

namespace {

using modetest::ModeFixture;
using modetest::PresentedColour;
using modetest::ProbeMode;

TEST_F(ModeFixture, TickBeginsOnceAndPresentsEachStepsPictureWithTheClockCountedAfterwards) {
    ProbeMode mode(nullptr, &kernel, 0);
    mode.Tick(20);
    EXPECT_EQ(PresentedColour(draw), 1u) << "the first frame's picture is drawn after its step";
    mode.Tick(20);
    EXPECT_EQ(PresentedColour(draw), 2u);
    EXPECT_EQ(mode.begins, 1);
    EXPECT_EQ(mode.elapsedAtStep, (std::vector<std::int32_t>{0, 20})) << "a step sees the time before its frame";
    EXPECT_EQ(mode.Elapsed(), 40);
    EXPECT_EQ(mode.Frames(), 2);
    EXPECT_EQ(draw.PresentCount(), 2);
}

TEST_F(ModeFixture, PaintRedrawsAndPresentsWithoutAdvancing) {
    ProbeMode mode(nullptr, &kernel, 0);
    mode.Tick(20);
    mode.Tick(20);
    const auto before = draw.PresentedPicture();
    mode.Paint();
    EXPECT_EQ(draw.PresentCount(), 3);
    EXPECT_EQ(draw.PresentedPicture(), before);
    EXPECT_EQ(mode.Elapsed(), 40);
    EXPECT_EQ(mode.Frames(), 2);
    EXPECT_EQ(mode.steps, 2);
}

TEST_F(ModeFixture, TheBaseDrawNeverPresents) {
    TGameMode mode(nullptr, &kernel, 0);
    mode.Tick(20);
    mode.Tick(20);
    mode.Paint();
    EXPECT_EQ(draw.PresentCount(), 0);
    EXPECT_FALSE(mode.AutoPresent());
}

TEST_F(ModeFixture, AChildTakesOverTheFramesAndTheParentClockStandsStill) {
    ProbeMode parent(nullptr, &kernel, 7);
    parent.Tick(20);
    auto* child = new ProbeMode(&parent, &kernel, 0);
    int childEnds = 0;
    child->ends = &childEnds;
    parent.MakeChild(child);
    parent.Tick(20);
    parent.Tick(20);
    EXPECT_EQ(PresentedColour(draw), 2u) << "the child's picture, of its second step";
    EXPECT_EQ(child->begins, 1);
    EXPECT_EQ(parent.steps, 1);
    EXPECT_EQ(parent.Elapsed(), 20);
    EXPECT_EQ(parent.Frames(), 1);
    child->finishAfterStep = true;
    parent.Tick(20);
    EXPECT_EQ(childEnds, 1);
    EXPECT_EQ(parent.Child(), nullptr) << "a finished child is deleted after its tick";
    parent.Tick(20);
    EXPECT_EQ(parent.steps, 2);
    EXPECT_EQ(parent.elapsedAtStep.back(), 20) << "the parent continues where its own clock stopped";
    EXPECT_EQ(parent.Elapsed(), 40);
}

TEST_F(ModeFixture, CreateChildHandsOnTheParamAndTheKernel) {
    TGameMode mode(nullptr, &kernel, 42);
    mode.CreateChild();
    ASSERT_NE(mode.Child(), nullptr);
    EXPECT_EQ(mode.Child()->Parent(), &mode);
    EXPECT_EQ(mode.Child()->Param(), 42);
    EXPECT_EQ(mode.Child()->GetKernel(), &kernel);
    mode.DeleteChild();
    EXPECT_EQ(mode.Child(), nullptr);
}

TEST(GameModeClock, BlinkIsTenFramesOnTenOffAndCycleCounts) {
    TGameMode mode(nullptr, nullptr, 0);
    std::vector<bool> blink;
    std::vector<int> cycle;
    for (int f = 0; f < 21; ++f) {
        blink.push_back(mode.Blink(200));
        cycle.push_back(mode.Cycle(100, 2));
        mode.Tick(20);
    }
    for (int f = 0; f < 10; ++f) EXPECT_TRUE(blink[f]) << f;
    for (int f = 10; f < 20; ++f) EXPECT_FALSE(blink[f]) << f;
    EXPECT_TRUE(blink[20]);
    EXPECT_EQ(cycle[0], 0);
    EXPECT_EQ(cycle[4], 0);   // elapsed 80
    EXPECT_EQ(cycle[5], 1);   // elapsed 100
    EXPECT_EQ(cycle[9], 1);   // elapsed 180
    EXPECT_EQ(cycle[10], 0);  // elapsed 200
}

TEST(GameModeClock, NonPositivePeriodsDoNotDivideByZero) {
    TGameMode mode(nullptr, nullptr, 0);
    EXPECT_FALSE(mode.Blink(0));
    EXPECT_EQ(mode.Cycle(0, 2), 0);
    EXPECT_EQ(mode.Cycle(100, 0), 0);
}

}  // namespace
