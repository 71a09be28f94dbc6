#pragma once
#include <cstdint>

#include "platform/InputSource.h"

namespace platform {

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

}  // namespace platform
