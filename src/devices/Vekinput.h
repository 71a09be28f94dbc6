#pragma once
// Keyboard and joystick as seven buttons (up, down, left, right, three actions), and a snapshot of the
// whole keyboard indexed by DirectInput key codes.
#include <cstdint>

namespace platform {
class InputSource;
}

// Seven bytes, one per button: as a key map each is a DirectInput key code, as a state 0 = up.
struct InputState {
    std::uint8_t b[7] = {0, 0, 0, 0, 0, 0, 0};
    std::uint8_t& operator[](int i) { return b[i]; }
    std::uint8_t operator[](int i) const { return b[i]; }
};

class TVekInput {
public:
    TVekInput();
    ~TVekInput();
    TVekInput(const TVekInput&) = delete;
    TVekInput& operator=(const TVekInput&) = delete;

    // The source is not owned; a null source fails.
    bool Init(platform::InputSource* source);
    bool GetKeys(InputState& state) const;
    bool SetKeys(const InputState& state);
    bool GetState(InputState& state);
    bool GetKeyboardState(std::uint8_t* buffer256);
    void ReleaseAll();

private:
    platform::InputSource* source = nullptr;
    InputState keyMap;
    bool initialised = false;
    bool joystickPresent = false;
};
