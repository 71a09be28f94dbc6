// The main window driven headless: start-up, frames, repaints, key scripts and a failing frame.
#include "platform/System.h"
#include "shell/Mainunit.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

#include "devices/Vekdraw.h"
#include "game/Gamemain.h"
#include "game/Trace.h"
#include "kernel/Kernel.h"
#include "platform/Resources.h"
#include "platform/Timer.h"
#include "support/TestMedia.h"

namespace {

struct SdlScope {
    SdlScope() { SDL_Init(0); }
    ~SdlScope() { SDL_Quit(); }
};

TMainOptions Headless(std::int64_t frames = 10) {
    TMainOptions options;
    options.test.headless = true;
    options.test.frames = frames;
    options.player.seed = 7;
    return options;
}

TEST(MainForm, StartUpLeavesTheDevicesReadyUnderTheKernelAndRunsNoFrame) {
    SdlScope sdl;
    TMainForm form(Headless());
    EXPECT_TRUE(form.Draw().IsReady());
    EXPECT_TRUE(form.Sound().IsReady());
    // The kernel reaches the form's own devices, and the root mode is over that kernel.
    ASSERT_NE(form.Kernel(), nullptr);
    EXPECT_EQ(form.Kernel()->Draw(), &form.Draw());
    EXPECT_EQ(form.Kernel()->Sound(), &form.Sound());
    EXPECT_EQ(form.Kernel()->Input(), &form.Input());
    EXPECT_EQ(form.Kernel()->Midi(), &form.Midi());
    ASSERT_NE(form.Root(), nullptr);
    // Space, B and Enter are mapped on the three action buttons before anything reads the keys.
    InputState map;
    ASSERT_TRUE(form.Input().GetKeys(map));
    EXPECT_EQ((std::vector<int>{map[0], map[1], map[2], map[3], map[4], map[5], map[6]}),
              (std::vector<int>{200, 208, 203, 205, 57, 48, 28}));
    // Headless runs have no frame clock: nothing has run or been shown until the first frame is driven.
    EXPECT_EQ(form.FrameNumber(), 0);
    EXPECT_EQ(form.Kernel()->TotalTime(), 0);
    EXPECT_EQ(form.Draw().PresentCount(), 0);
    EXPECT_EQ(form.MainMode(), nullptr);
}

TEST(MainForm, TheFirstFrameMakesTheGameAndPresentsNothingTheSecondPresents) {
    SdlScope sdl;
    TMainForm form(Headless());
    ASSERT_TRUE(form.RunHeadlessFrame());
    EXPECT_NE(form.MainMode(), nullptr);
    EXPECT_EQ(form.Draw().PresentCount(), 0);
    ASSERT_TRUE(form.RunHeadlessFrame());
    EXPECT_EQ(form.Draw().PresentCount(), 1);
    EXPECT_EQ(form.Kernel()->TotalTime(), 40) << "every frame advances by the nominal 20 ms";
}

TEST(MainForm, ARepaintPresentsTheSamePictureAndAdvancesNothing) {
    SdlScope sdl;
    TMainForm form(Headless());
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(form.RunHeadlessFrame());
    const auto picture = form.Draw().PresentedPicture();
    const std::int32_t time = form.Kernel()->TotalTime();
    const std::int32_t elapsed = form.Root()->Child()->Elapsed();
    form.FormPaint();
    EXPECT_EQ(form.Draw().PresentedPicture(), picture);
    EXPECT_EQ(form.Kernel()->TotalTime(), time);
    EXPECT_EQ(form.Root()->Child()->Elapsed(), elapsed);
}

TEST(MainForm, KeyScriptEventsApplyBeforeTheirFramesPoll) {
    SdlScope sdl;
    TMainOptions options = Headless();
    std::string error;
    ASSERT_TRUE(ParseKeyScript("# a comment\n3 Space down\n  4 space UP  # trailing\n", options.test.keys, error)) << error;
    TMainForm form(options);
    std::vector<std::uint16_t> pushed;
    form.AfterFrame = [&](TMainForm& f) { pushed.push_back(f.Kernel()->Pushed() & kButtonSpace); };
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(form.RunHeadlessFrame());
    EXPECT_EQ(pushed, (std::vector<std::uint16_t>{0, 0, 0, kButtonSpace, 0, 0}));
}

TEST(KeyScript, BadLinesAreNamed) {
    std::vector<TKeyEvent> events;
    std::string error;
    for (const char* bad : {"x Space down", "3 Space", "3 Space sideways", "3 Nothing down", "-1 Space down",
                            "3 Space down extra"}) {
        events.clear();
        EXPECT_FALSE(ParseKeyScript(std::string("# ok\n") + bad + "\n", events, error)) << bad;
        EXPECT_NE(error.find("line 2"), std::string::npos) << bad << ": " << error;
    }
    events.clear();
    ASSERT_TRUE(ParseKeyScript("9 Left down\n2 57 down\n9 Left up\n", events, error));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].frame, 2);
    EXPECT_EQ(events[0].code, 57);
    EXPECT_TRUE(events[1].down) << "events of one frame keep their order";
    EXPECT_FALSE(events[2].down);
}

TEST(MainForm, AFailingFrameStopsTheGameAndKeepsTheMessage) {
    SdlScope sdl;
    // Only the difficulty text: the scene text is missing, so making the game fails on the first frame.
    std::vector<std::uint8_t> difficulty;
    {
        auto res = platform::FindResource("TEXT", "DIFICULTY");
        ASSERT_TRUE(res.has_value());
        difficulty.assign(res->begin(), res->end());
    }
    testmedia::ScopedResources resources({{"TEXT", "DIFICULTY", difficulty}});
    TMainForm form(Headless());
    EXPECT_FALSE(form.RunHeadlessFrame());
    EXPECT_EQ(form.FrameError(), "TTexDb : ファイルがありません");
    EXPECT_FALSE(form.RunHeadlessFrame()) << "no frame runs after a failed one";
    EXPECT_EQ(form.FrameNumber(), 0);
    EXPECT_EQ(form.Run(), 1);
}

}  // namespace

namespace {

// Timer events that are counted and never fire.
struct CountingTimers : platform::TimerService {
    int events = 0;
    std::uint32_t period = 0;
    std::uint32_t SetEvent(std::uint32_t periodMs, std::function<void()>) override {
        period = periodMs;
        return static_cast<std::uint32_t>(++events);
    }
    void KillEvent(std::uint32_t) override {}
    std::uint32_t Now() override { return 0; }
};

// A window whose frames a loop of the caller's runs (the browser's) and whose keys are a script's.
TEST(MainForm, WithoutAFrameClockTheCallersLoopRunsTheFramesOnTheScriptsKeys) {
    platform::SetEnvironment("SDL_VIDEODRIVER", "offscreen", true);
    platform::SetEnvironment("SDL_AUDIODRIVER", "dummy", true);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) GTEST_SKIP() << "no offscreen video: " << SDL_GetError();
    {
        TMainOptions options;
        options.player.scale = 1;
        options.player.seed = 7;
        options.platform.frameClock = false;
        options.platform.scriptedKeys = true;
        CountingTimers timers;
        options.test.timerService = &timers;
        TMainForm form(options);
        EXPECT_EQ(timers.events, 0) << "a frame clock was started";
        SDL_Delay(100);  // a clock, had one started, would have ticked by now
        SDL_PumpEvents();
        EXPECT_EQ(form.FrameNumber(), 0);
        for (int i = 0; i < 60; ++i) form.HITimerTimer(nullptr);
        ASSERT_NE(form.MainMode(), nullptr);
        const std::string title = TraceLine(*form.MainMode(), 59);
        EXPECT_NE(title.find("\"scene\":0"), std::string::npos) << title;
        form.Script().SetKey(57, true);  // Space, from the script: the keyboard itself is not read
        for (int i = 0; i < 3; ++i) form.HITimerTimer(nullptr);
        form.Script().SetKey(57, false);
        for (int i = 0; i < 20; ++i) form.HITimerTimer(nullptr);
        const std::string play = TraceLine(*form.MainMode(), form.FrameNumber() - 1);
        EXPECT_NE(play.find("\"scene\":1"), std::string::npos) << play;
        EXPECT_EQ(form.FrameNumber(), 83);
    }
    {
        // With a frame clock, the form asks for exactly one, at its frame interval, once all is up.
        TMainOptions options;
        options.player.scale = 1;
        CountingTimers timers;
        options.test.timerService = &timers;
        TMainForm form(options);
        EXPECT_EQ(timers.events, 1);
        EXPECT_EQ(timers.period, TMainForm::kFrameInterval);
        EXPECT_EQ(form.FrameNumber(), 0);
    }
    SDL_Quit();
    platform::UnsetEnvironment("SDL_VIDEODRIVER");
}

}  // namespace
