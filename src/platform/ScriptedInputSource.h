#pragma once
#include <cstdint>
#include <cstring>

#include "platform/InputSource.h"

namespace platform {

// Keys and joystick set by a test, the headless driver's key script or the demo pilot.
class ScriptedInputSource : public InputSource {
public:
    void SetKey(int code, bool down) {
        if (code >= 0 && code < 256) keys[code] = down ? 0x80 : 0;
    }
    void ReleaseAllKeys() { std::memset(keys, 0, sizeof keys); }
    bool IsKeyDown(int code) const { return code >= 0 && code < 256 && keys[code] != 0; }
    void SetJoystick(bool present, const JoystickState& state = {}) {
        joystickPresent = present;
        joystick = state;
    }
    void SetKeyboardFails(bool fails) { keyboardFails = fails; }

    bool ReadKeyboard(std::uint8_t* keys256) override {
        if (keyboardFails) return false;
        std::memcpy(keys256, keys, sizeof keys);
        return true;
    }
    bool HasJoystick() override { return joystickPresent; }
    bool PollJoystick(JoystickState& state) override {
        state = joystick;
        return true;
    }

private:
    std::uint8_t keys[256] = {};
    bool joystickPresent = false;
    bool keyboardFails = false;
    JoystickState joystick;
};

}  // namespace platform
