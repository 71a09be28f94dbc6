#pragma once
// DirectInput keyboard codes, the numbering the input device's key map and the kernel's keyboard
// snapshot use, and the translation from the platform's scancodes into it. Free of SDL headers so
// that the kernel and the headless driver can name keys too.
#include <cstdint>
#include <string_view>

namespace platform {

// The codes the game's key map and the headless key scripts name.
constexpr int kDikEscape = 1;
constexpr int kDikReturn = 28;
constexpr int kDikZ = 44;
constexpr int kDikX = 45;
constexpr int kDikC = 46;
constexpr int kDikB = 48;
constexpr int kDikSpace = 57;
constexpr int kDikUp = 200;
constexpr int kDikLeft = 203;
constexpr int kDikRight = 205;
constexpr int kDikDown = 208;

// The DirectInput code of an SDL scancode (SDL_Scancode as int), or 0 for a key that has none.
int DirectInputKeyFromScancode(int scancode);

// A key of the headless key script: Up, Down, Left, Right, Space, Return (or Enter), Escape, a single
// letter A-Z (any letter case), or a decimal DirectInput code 0-255. -1 when the name is unknown.
int KeyCodeFromName(std::string_view name);

}  // namespace platform
