#pragma once
// The real keyboard and joystick behind the input device: SDL's keyboard state by DirectInput code,
// and the first game controller (or, failing one, the first raw joystick). Runs on the window thread,
// which pumps SDL's events.
#include <SDL.h>

#include "platform/KeySwallow.h"
#include "platform/InputSource.h"

namespace platform {

class SdlInputSource : public InputSource {
public:
    // Keys are reported only while `focusWindow` has the keyboard focus; a null window reads the
    // keyboard whatever has the focus. Opens the first attached controller if the joystick or game
    // controller subsystem is up.
    explicit SdlInputSource(SDL_Window* focusWindow);
    ~SdlInputSource() override;
    SdlInputSource(const SdlInputSource&) = delete;
    SdlInputSource& operator=(const SdlInputSource&) = delete;

    bool ReadKeyboard(std::uint8_t* keys256) override;
    bool HasJoystick() override;
    bool PollJoystick(JoystickState& state) override;

    // Device added / removed events, so that a controller plugged in later is used and an unplugged
    // one is let go. Other events are ignored.
    void HandleEvent(const SDL_Event& event);
    // Keys down now read as up until they are let go (see KeySwallow).
    void SwallowHeldKeys();

private:
    void CloseDevice();
    void OpenFirstDevice();

    SDL_Window* focusWindow;
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;  // a raw joystick, only when no controller is open
    SDL_JoystickID instanceId = -1;
    KeySwallow swallow;  // by scancode
};

// -32768..32767 on the linear -100..100 range the input device's thresholds are set for.
int ScaleAxis(int raw);

}  // namespace platform
