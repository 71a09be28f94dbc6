// The root mode: it makes the main mode through the factory it is given, on its first frame.
#include "kernel/Gamemgr.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "kernel/ModeProbe.h"

namespace {

using modetest::ModeFixture;
using modetest::ProbeMode;

using RootFixture = ModeFixture;

TEST_F(RootFixture, WithoutAFactoryTheRootMakesNoChildAndPresentsNothing) {
    TGameMgrMode root(nullptr, &kernel, 0);
    root.Tick(20);
    root.Tick(20);
    EXPECT_EQ(root.Child(), nullptr);
    EXPECT_EQ(draw.PresentCount(), 0);
}

TEST_F(RootFixture, TheRootCreatesTheMainModeOnItsFirstFrameAndPresentsNothingThen) {
    int created = 0;
    ProbeMode* made = nullptr;
    TGameMgrMode root(nullptr, &kernel, 0);
    root.SetMainModeFactory([&](TGameMode* parent, TKernel* k, std::int32_t param) {
        ++created;
        EXPECT_EQ(param, 0);
        auto mode = std::make_unique<ProbeMode>(parent, k, param);
        made = mode.get();
        return mode;
    });
    root.Tick(20);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(draw.PresentCount(), 0) << "the first frame presents nothing";
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->begins + made->steps, 0) << "the mode runs from the second frame on";
    root.Tick(20);
    EXPECT_EQ(made->begins, 1);
    EXPECT_EQ(draw.PresentCount(), 1);
    EXPECT_EQ(modetest::PresentedColour(draw), 1u) << "the mode's first step, drawn and presented";
    EXPECT_EQ(created, 1);
}

TEST_F(RootFixture, AFailedConstructionIsTriedAgainOnTheNextFrame) {
    int attempts = 0;
    TGameMgrMode root(nullptr, &kernel, 0);
    root.SetMainModeFactory([&](TGameMode* parent, TKernel* k, std::int32_t param) -> std::unique_ptr<TGameMode> {
        if (++attempts == 1) throw std::runtime_error("TTexDb : ファイルがありません");
        return std::make_unique<ProbeMode>(parent, k, param);
    });
    EXPECT_THROW(root.Tick(20), std::runtime_error);
    EXPECT_EQ(root.Child(), nullptr);
    EXPECT_EQ(root.NextMode(), 0);
    root.Tick(20);
    EXPECT_NE(root.Child(), nullptr);
}

TEST_F(RootFixture, AFinishedMainModeIsReplacedOnTheFollowingFrame) {
    int created = 0;
    TGameMgrMode root(nullptr, &kernel, 0);
    root.SetMainModeFactory([&](TGameMode* parent, TKernel* k, std::int32_t param) {
        ++created;
        auto mode = std::make_unique<ProbeMode>(parent, k, param);
        mode->finishAfterStep = true;
        return mode;
    });
    root.Tick(20);  // creates
    root.Tick(20);  // child runs and finishes: deleted
    EXPECT_EQ(root.Child(), nullptr);
    root.Tick(20);  // creates afresh
    EXPECT_EQ(created, 2);
}

}  // namespace
