#include "kernel/Gamemode.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/Vekdraw.h"
#include "kernel/Gamemgr.h"
#include "kernel/Kernel.h"

namespace {

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

TEST_F(ModeFixture, TickRunsBeginOnceThenStepDrawPresentAndCountsTheClockAfterwards) {
    std::vector<std::string> log;
    ProbeMode mode(nullptr, &kernel, 0);
    mode.log = &log;
    mode.Tick(20);
    mode.Tick(20);
    EXPECT_EQ(log, (std::vector<std::string>{"begin", "step", "draw", "step", "draw"}));
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
    std::vector<std::string> parentLog, childLog;
    ProbeMode parent(nullptr, &kernel, 7);
    parent.log = &parentLog;
    parent.Tick(20);
    auto* child = new ProbeMode(&parent, &kernel, 0);
    child->log = &childLog;
    parent.MakeChild(child);
    parent.Tick(20);
    parent.Tick(20);
    EXPECT_EQ(parent.Elapsed(), 20);
    EXPECT_EQ(parent.Frames(), 1);
    EXPECT_EQ(parentLog.size(), 3u);  // begin, step, draw of its own first frame only
    EXPECT_EQ(childLog, (std::vector<std::string>{"begin", "step", "draw", "step", "draw"}));
    child->finishAfterStep = true;
    parent.Tick(20);
    EXPECT_EQ(childLog.back(), "end");
    EXPECT_EQ(parent.Child(), nullptr) << "a finished child is deleted after its tick";
    parent.Tick(20);
    EXPECT_EQ(parent.Elapsed(), 40) << "the parent continues where its own clock stopped";
}

TEST_F(ModeFixture, CreateChildHandsOnTheParam) {
    TGameMode mode(nullptr, &kernel, 0);
    mode.CreateChild();
    ASSERT_NE(mode.Child(), nullptr);
    EXPECT_EQ(mode.Child()->Parent(), &mode);
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

struct RootFixture : ModeFixture {
    void TearDown() override { TGameMgrMode::SetMainModeFactory(nullptr); }
};

TEST_F(RootFixture, TheRootCreatesTheMainModeOnItsFirstFrameAndPresentsNothingThen) {
    int created = 0;
    std::vector<std::string> log;
    TGameMgrMode::SetMainModeFactory([&](TGameMode* parent, TKernel* k, std::int32_t param) {
        ++created;
        EXPECT_EQ(param, 0);
        auto mode = std::make_unique<ProbeMode>(parent, k, param);
        mode->log = &log;
        return mode;
    });
    TGameMgrMode root(nullptr, &kernel, 0);
    root.Tick(20);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(draw.PresentCount(), 0) << "the first frame presents nothing";
    EXPECT_TRUE(log.empty());
    root.Tick(20);
    EXPECT_EQ(log, (std::vector<std::string>{"begin", "step", "draw"}));
    EXPECT_EQ(draw.PresentCount(), 1);
    EXPECT_EQ(created, 1);
}

TEST_F(RootFixture, AFailedConstructionIsTriedAgainOnTheNextFrame) {
    int attempts = 0;
    TGameMgrMode::SetMainModeFactory([&](TGameMode* parent, TKernel* k, std::int32_t param) -> std::unique_ptr<TGameMode> {
        if (++attempts == 1) throw std::runtime_error("TTexDb : ファイルがありません");
        return std::make_unique<ProbeMode>(parent, k, param);
    });
    TGameMgrMode root(nullptr, &kernel, 0);
    EXPECT_THROW(root.Tick(20), std::runtime_error);
    EXPECT_EQ(root.Child(), nullptr);
    EXPECT_EQ(root.NextMode(), 0);
    root.Tick(20);
    EXPECT_NE(root.Child(), nullptr);
}

TEST_F(RootFixture, AFinishedMainModeIsReplacedOnTheFollowingFrame) {
    int created = 0;
    TGameMgrMode::SetMainModeFactory([&](TGameMode* parent, TKernel* k, std::int32_t param) {
        ++created;
        auto mode = std::make_unique<ProbeMode>(parent, k, param);
        mode->finishAfterStep = true;
        return mode;
    });
    TGameMgrMode root(nullptr, &kernel, 0);
    root.Tick(20);  // creates
    root.Tick(20);  // child runs and finishes: deleted
    EXPECT_EQ(root.Child(), nullptr);
    root.Tick(20);  // creates afresh
    EXPECT_EQ(created, 2);
}

}  // namespace
