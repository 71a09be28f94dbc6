#include "devices/Vekinput.h"

#include <cstring>

#include "platform/InputSource.h"
#include "platform/Keycodes.h"

namespace {
// The key map before the main window changes it: arrows, then Z, X, C.
constexpr std::uint8_t kDefaultKeys[7] = {platform::kDikUp, platform::kDikDown, platform::kDikLeft, platform::kDikRight,
                                          platform::kDikZ,  platform::kDikX,    platform::kDikC};
// Stick positions within ±50 of the centre are the dead zone.
constexpr int kAxisThreshold = 50;
}  // namespace

TVekInput::TVekInput() { std::memcpy(keyMap.b, kDefaultKeys, sizeof kDefaultKeys); }

TVekInput::~TVekInput() { ReleaseAll(); }

bool TVekInput::Init(platform::InputSource* newSource) {
    ReleaseAll();
    if (!newSource) return false;
    source = newSource;
    joystickPresent = source->HasJoystick();
    initialised = true;
    return true;
}

bool TVekInput::GetKeys(InputState& state) const {
    if (!initialised) return false;
    state = keyMap;
    return true;
}

bool TVekInput::SetKeys(const InputState& state) {
    if (!initialised) return false;
    keyMap = state;
    return true;
}

bool TVekInput::GetState(InputState& state) {
    if (!initialised) return false;
    state = InputState{};
    // Asked every tick, so a controller plugged in after start-up takes part at once.
    joystickPresent = source->HasJoystick();
    if (joystickPresent) {
        platform::JoystickState stick;
        if (!source->PollJoystick(stick)) return false;
        if (stick.y < -kAxisThreshold) state[0] = 1;
        if (stick.y > kAxisThreshold) state[1] = 1;
        if (stick.x < -kAxisThreshold) state[2] = 1;
        if (stick.x > kAxisThreshold) state[3] = 1;
        for (int i = 0; i < 3; ++i) {
            if (stick.buttons[i]) state[4 + i] = 1;
        }
    }
    std::uint8_t keys[256];
    GetKeyboardState(keys);
    // A held key overrides the joystick's 1 with its own state byte; a released key leaves it.
    for (int i = 0; i < 7; ++i) {
        const std::uint8_t keyState = keys[keyMap[i]];
        if (keyState != 0) state[i] = keyState;
    }
    return true;
}

bool TVekInput::GetKeyboardState(std::uint8_t* buffer256) {
    if (!initialised) return false;
    std::memset(buffer256, 0, 256);
    // A keyboard that cannot be read shows no key down.
    if (!source->ReadKeyboard(buffer256)) std::memset(buffer256, 0, 256);
    return true;
}

void TVekInput::ReleaseAll() {
    source = nullptr;
    initialised = false;
    joystickPresent = false;
}
