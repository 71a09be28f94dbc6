#pragma once
// What the input device reads: a keyboard snapshot by DirectInput key code and an optional joystick.
#include <cstdint>
#include <cstring>

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

// Reads whichever source it is pointed at: the attract mode's script until the player takes over.
class SwitchedInputSource : public InputSource {
public:
    explicit SwitchedInputSource(InputSource* source) : source(source) {}
    void Use(InputSource* next) { source = next; }
    InputSource* Current() const { return source; }

    bool ReadKeyboard(std::uint8_t* keys256) override { return source->ReadKeyboard(keys256); }
    bool HasJoystick() override { return source->HasJoystick(); }
    bool PollJoystick(JoystickState& state) override { return source->PollJoystick(state); }

private:
    InputSource* source;
};

// Keys held at some moment read as up until they are let go: a key that resumes a paused game, or
// ends the attract mode, must not also reach the game as a press.
class KeySwallow {
public:
    // Everything down in `state` (one byte per key, non-zero when down) is swallowed from now on.
    void HoldBack(const std::uint8_t* state, int count) {
        for (int i = 0; i < count && i < kKeys; ++i) held[i] = state[i] != 0;
    }
    // Clears what `state` reports for held-back keys; a key seen up is let through again afterwards.
    void Filter(std::uint8_t* state, int count) {
        for (int i = 0; i < count && i < kKeys; ++i) {
            if (state[i] == 0) held[i] = false;
            if (held[i]) state[i] = 0;
        }
    }

private:
    static constexpr int kKeys = 512;
    bool held[kKeys] = {};
};

}  // namespace platform
