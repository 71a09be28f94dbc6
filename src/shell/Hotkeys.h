#pragma once
// The keys the shell keeps for the player, apart from the game's own: pause, quit, sound, full
// screen, screenshots and clips. Any other key belongs to the game.
#include <cstdint>

enum class THotkey {
    kNone,        // a key of the game (or one the game ignores)
    kPause,       // P, Pause, Escape: pause and resume
    kQuit,        // Ctrl+Q
    kMute,        // M
    kVolumeUp,    // + (also = on the main block, where + needs Shift) and the keypad's +
    kVolumeDown,  // - and the keypad's -
    kFullScreen,  // F11, Alt+Enter
    kScreenshot,  // F12
    kClip,        // F9: start or stop recording
};

// `key` is an SDL key code (SDL_Keycode), `modifiers` SDL's modifier bits (SDL_Keymod).
THotkey HotkeyOf(std::int32_t key, std::uint16_t modifiers);
