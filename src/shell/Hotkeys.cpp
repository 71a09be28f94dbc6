#include "shell/Hotkeys.h"

#include <SDL.h>

THotkey HotkeyOf(std::int32_t key, std::uint16_t modifiers) {
    const bool ctrl = (modifiers & KMOD_CTRL) != 0;
    const bool alt = (modifiers & KMOD_ALT) != 0;
    switch (key) {
    case SDLK_q:
        return ctrl ? THotkey::kQuit : THotkey::kNone;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return alt ? THotkey::kFullScreen : THotkey::kNone;
    case SDLK_F11:
        return THotkey::kFullScreen;
    case SDLK_F12:
        return THotkey::kScreenshot;
    case SDLK_F9:
        return THotkey::kClip;
    default:
        break;
    }
    // With Ctrl or Alt held a letter is somebody's shortcut, not ours.
    if (ctrl || alt) return THotkey::kNone;
    switch (key) {
    case SDLK_p:
    case SDLK_PAUSE:
    case SDLK_ESCAPE:
        return THotkey::kPause;
    case SDLK_m:
        return THotkey::kMute;
    case SDLK_PLUS:
    case SDLK_EQUALS:
    case SDLK_KP_PLUS:
        return THotkey::kVolumeUp;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        return THotkey::kVolumeDown;
    default:
        return THotkey::kNone;
    }
}
