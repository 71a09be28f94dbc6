// The player's side on a window whose frames the caller's loop runs (the browser's way), through the
// main window's public interface: the demo's hand-over, pause and resume, volume, quitting.
#include "shell/Controls.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/AudioOutput.h"
#include "platform/System.h"
#include "platform/Window.h"
#include "shell/Mainunit.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetEnvironment("SDL_VIDEODRIVER", "offscreen", true);
        platform::SetEnvironment("SDL_AUDIODRIVER", "dummy", true);
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) GTEST_SKIP() << "no offscreen video: " << SDL_GetError();
    }
    void TearDown() override {
        SDL_Quit();
        platform::UnsetEnvironment("SDL_VIDEODRIVER");
    }
    static TMainOptions Page() {
        TMainOptions options;
        options.player.scale = 1;
        options.player.seed = 7;
        // Window systems differ in the focus they give a new offscreen window (SDL 2.32 on Windows takes
        // it from the last one): a focus loss must not pause these forms behind the test's back.
        options.player.autoPause = false;
        options.platform.frameClock = false;
        options.platform.quitKey = false;
        return options;
    }
    static void Press(SDL_Keycode key, Uint16 mod = KMOD_NONE) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = key;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }
    static void Click() {
        SDL_Event event{};
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button.button = SDL_BUTTON_LEFT;
        SDL_PushEvent(&event);
    }
    static void Frames(TMainForm& form, int count) {
        for (int i = 0; i < count; ++i) form.RunFrame();
    }
};

TEST_F(ControlsTest, TheFirstKeyOrTapEndsTheDemoAndPauseStopsTheFramesUntilAKeyOrTap) {
    for (const bool tap : {false, true}) {
        SCOPED_TRACE(tap ? "tap" : "key");
        TMainOptions options = Page();
        options.player.demo = true;
        TMainForm form(options);
        ASSERT_NE(form.Controls(), nullptr);
        Frames(form, 50);
        EXPECT_TRUE(form.DemoRunning());
        tap ? Click() : Press(SDLK_a);
        ASSERT_TRUE(form.PumpEvents());
        EXPECT_FALSE(form.DemoRunning());
        Frames(form, 5);
        EXPECT_EQ(form.FrameNumber(), 55);

        Press(SDLK_p);
        ASSERT_TRUE(form.PumpEvents());
        EXPECT_TRUE(form.FramesPaused());
        EXPECT_EQ(form.Window()->Sign(platform::SignPlace::kCentre).rfind("PAUSE", 0), 0u);
        Frames(form, 5);
        EXPECT_EQ(form.FrameNumber(), 55) << "a frame ran while paused";
        tap ? Click() : Press(SDLK_SPACE);
        ASSERT_TRUE(form.PumpEvents());
        EXPECT_FALSE(form.FramesPaused());
        EXPECT_EQ(form.Window()->Sign(platform::SignPlace::kCentre), "");
        Frames(form, 5);
        EXPECT_EQ(form.FrameNumber(), 60);
    }
}

TEST_F(ControlsTest, VolumeStepsAndQuittingFollowTheKeysAndThePlatform) {
    {
        TMainForm form(Page());
        platform::AudioOutput* audio = form.Audio();
        if (!audio) GTEST_SKIP() << "no audio output, even SDL's dummy one";
        Press(SDLK_MINUS);
        Press(SDLK_MINUS);
        ASSERT_TRUE(form.PumpEvents());
        EXPECT_EQ(audio->Volume(), 80);
        EXPECT_EQ(form.Window()->Sign(platform::SignPlace::kTopRight), "Volume 80 %");
        Press(SDLK_m);
        Press(SDLK_KP_PLUS);
        ASSERT_TRUE(form.PumpEvents());
        EXPECT_TRUE(audio->Muted());
        EXPECT_EQ(form.Window()->Sign(platform::SignPlace::kTopRight), "Volume 90 % (muted)");
        Press(SDLK_q, KMOD_LCTRL);
        EXPECT_TRUE(form.PumpEvents()) << "a page has nothing to quit to";
    }
    TMainOptions desktop = Page();
    desktop.platform.quitKey = true;
    TMainForm form(desktop);
    Press(SDLK_q, KMOD_LCTRL);
    EXPECT_FALSE(form.PumpEvents());
}

}  // namespace
