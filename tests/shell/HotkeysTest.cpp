// The player's keys of the shell, the ones left to the game, and keys held back after a resume.
#include "shell/Hotkeys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/KeySwallow.h"

namespace {

TEST(Hotkeys, EachKeyHasItsJobAndTheGamesKeysStayTheGames) {
    const struct {
        SDL_Keycode key;
        Uint16 mod;
        THotkey expected;
    } cases[] = {
        {SDLK_p, KMOD_NONE, THotkey::kPause},          {SDLK_PAUSE, KMOD_NONE, THotkey::kPause},
        {SDLK_ESCAPE, KMOD_NONE, THotkey::kPause},     {SDLK_q, KMOD_LCTRL, THotkey::kQuit},
        {SDLK_q, KMOD_RCTRL, THotkey::kQuit},          {SDLK_q, KMOD_NONE, THotkey::kNone},
        {SDLK_m, KMOD_NONE, THotkey::kMute},           {SDLK_PLUS, KMOD_LSHIFT, THotkey::kVolumeUp},
        {SDLK_EQUALS, KMOD_NONE, THotkey::kVolumeUp},  {SDLK_KP_PLUS, KMOD_NONE, THotkey::kVolumeUp},
        {SDLK_MINUS, KMOD_NONE, THotkey::kVolumeDown}, {SDLK_KP_MINUS, KMOD_NONE, THotkey::kVolumeDown},
        {SDLK_F11, KMOD_NONE, THotkey::kFullScreen},   {SDLK_RETURN, KMOD_LALT, THotkey::kFullScreen},
        {SDLK_RETURN, KMOD_NONE, THotkey::kNone},      {SDLK_F12, KMOD_NONE, THotkey::kScreenshot},
        {SDLK_F9, KMOD_NONE, THotkey::kClip},          {SDLK_SPACE, KMOD_NONE, THotkey::kNone},
        {SDLK_LEFT, KMOD_NONE, THotkey::kNone},        {SDLK_b, KMOD_NONE, THotkey::kNone},
        {SDLK_m, KMOD_LCTRL, THotkey::kNone},          {SDLK_p, KMOD_LALT, THotkey::kNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HotkeyOf(c.key, c.mod), c.expected) << SDL_GetKeyName(c.key) << " mod " << c.mod;
    }
}

TEST(KeySwallow, AKeyHeldAtTheMomentReadsUpUntilItIsLetGo) {
    platform::KeySwallow swallow;
    std::uint8_t held[8] = {0, 1, 0, 1, 0, 0, 0, 0};  // keys 1 and 3 down when the game resumes
    swallow.HoldBack(held, 8);

    std::uint8_t state[8] = {0, 1, 1, 1, 0, 0, 0, 0};  // still held, and key 2 newly pressed
    swallow.Filter(state, 8);
    EXPECT_EQ(state[1], 0);
    EXPECT_EQ(state[2], 1) << "a key pressed after the resume is the game's";
    EXPECT_EQ(state[3], 0);

    std::uint8_t released[8] = {0, 0, 0, 1, 0, 0, 0, 0};  // key 1 let go
    swallow.Filter(released, 8);
    std::uint8_t again[8] = {0, 1, 0, 1, 0, 0, 0, 0};  // key 1 pressed anew: a real press now
    swallow.Filter(again, 8);
    EXPECT_EQ(again[1], 1);
    EXPECT_EQ(again[3], 0) << "key 3 was never let go";
}

}  // namespace
