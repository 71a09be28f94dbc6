#pragma once
// What the input device reads: a keyboard snapshot by DirectInput key code and an optional joystick.
#include <cstdint>

namespace platform {

struct JoystickState {
    int x = 0;  // -100 .. 100
    int y = 0;  // -100 .. 100
    bool buttons[3] = {false, false, false};
};

class InputSource {
public:
    virtual ~InputSource() = default;
    // Fills 256 bytes, 0x80 for a key that is down; false when the keyboard cannot be read.
    virtual bool ReadKeyboard(std::uint8_t* keys256) = 0;
    virtual bool HasJoystick() = 0;
    // False when the joystick refuses to be polled.
    virtual bool PollJoystick(JoystickState& state) = 0;
};

}  // namespace platform
