// The player's keys of the shell, the ones left to the game, and keys held back after a resume.
#include "shell/Hotkeys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/InputSource.h"
#include "platform/KeySwallow.h"

namespace {

// Every key code SDL can report: the printable characters and one for each scancode.
std::vector<SDL_Keycode> EveryKey() {
    std::vector<SDL_Keycode> keys;
    for (SDL_Keycode c = 8; c < 128; ++c) keys.push_back(c);
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc)
        keys.push_back(SDL_SCANCODE_TO_KEYCODE(static_cast<SDL_Scancode>(sc)));
    return keys;
}

TEST(Hotkeys, TheGamesKeysStayTheGamesWhateverModifierIsHeld) {
    // Alt+Return is the one exception, and only with Alt: the game reads Return without it.
    for (SDL_Keycode key : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_b, SDLK_RETURN}) {
        for (Uint16 mod : {KMOD_NONE, KMOD_LSHIFT, KMOD_RSHIFT, KMOD_LCTRL, KMOD_RCTRL, KMOD_CAPS, KMOD_NUM}) {
            EXPECT_EQ(HotkeyOf(key, mod), THotkey::kNone) << SDL_GetKeyName(key) << " mod " << mod;
        }
    }
    EXPECT_EQ(HotkeyOf(SDLK_RETURN, KMOD_LALT), THotkey::kFullScreen);
}

TEST(Hotkeys, EveryJobHasAKeyAndEitherSideOfAModifierDoesTheSame) {
    std::set<THotkey> reached;
    for (SDL_Keycode key : EveryKey()) {
        for (Uint16 mod : {KMOD_NONE, KMOD_LCTRL, KMOD_LALT, KMOD_LSHIFT}) reached.insert(HotkeyOf(key, mod));
        EXPECT_EQ(HotkeyOf(key, KMOD_LCTRL), HotkeyOf(key, KMOD_RCTRL)) << SDL_GetKeyName(key);
        EXPECT_EQ(HotkeyOf(key, KMOD_LALT), HotkeyOf(key, KMOD_RALT)) << SDL_GetKeyName(key);
        // Caps Lock and Num Lock are states, not shortcuts: they never change what a key does.
        EXPECT_EQ(HotkeyOf(key, KMOD_CAPS | KMOD_NUM), HotkeyOf(key, KMOD_NONE)) << SDL_GetKeyName(key);
    }
    for (THotkey job : {THotkey::kPause, THotkey::kQuit, THotkey::kMute, THotkey::kVolumeUp, THotkey::kVolumeDown,
                        THotkey::kFullScreen, THotkey::kScreenshot, THotkey::kClip}) {
        EXPECT_TRUE(reached.count(job)) << "no key does job " << static_cast<int>(job);
    }
}

TEST(Hotkeys, WithCtrlOrAltHeldALetterIsSomebodysShortcutExceptCtrlQ) {
    for (SDL_Keycode key = SDLK_a; key <= SDLK_z; ++key) {
        EXPECT_EQ(HotkeyOf(key, KMOD_LALT), THotkey::kNone) << SDL_GetKeyName(key);
        EXPECT_EQ(HotkeyOf(key, KMOD_LCTRL), key == SDLK_q ? THotkey::kQuit : THotkey::kNone) << SDL_GetKeyName(key);
    }
    // Without Ctrl, Q is a key like any other.
    EXPECT_EQ(HotkeyOf(SDLK_q, KMOD_NONE), THotkey::kNone);
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
