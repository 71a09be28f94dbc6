#include "platform/SdlInput.h"

#include <algorithm>
#include <cstring>

#include "platform/Keycodes.h"

namespace platform {

int ScaleAxis(int raw) {
    if (raw < -32768) raw = -32768;
    if (raw > 32767) raw = 32767;
    // (raw + 32768) / 65535 of the 200 steps, rounded to nearest: 0 stays 0, the ends are exactly ±100.
    return static_cast<int>(((raw + 32768) * 200LL + 32767) / 65535) - 100;
}

SdlInputSource::SdlInputSource(SDL_Window* focusWindow) : focusWindow(focusWindow) { OpenFirstDevice(); }

SdlInputSource::~SdlInputSource() { CloseDevice(); }

bool SdlInputSource::ReadKeyboard(std::uint8_t* keys256) {
    std::memset(keys256, 0, 256);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    // Keys pressed in other programs are none of the game's business.
    if (focusWindow && SDL_GetKeyboardFocus() != focusWindow) return true;
    int count = 0;
    const Uint8* live = SDL_GetKeyboardState(&count);
    if (!live) return false;
    count = std::min(count, static_cast<int>(SDL_NUM_SCANCODES));
    Uint8 state[SDL_NUM_SCANCODES];
    std::memcpy(state, live, static_cast<std::size_t>(count));
    swallow.Filter(state, count);
    for (int scancode = 0; scancode < count; ++scancode) {
        if (!state[scancode]) continue;
        const int code = DirectInputKeyFromScancode(scancode);
        if (code > 0) keys256[code] = 0x80;
    }
    return true;
}

void SdlInputSource::SwallowHeldKeys() {
    int count = 0;
    const Uint8* live = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetKeyboardState(&count) : nullptr;
    if (live) swallow.HoldBack(live, count);
}

bool SdlInputSource::HasJoystick() { return controller != nullptr || joystick != nullptr; }

bool SdlInputSource::PollJoystick(JoystickState& state) {
    state = JoystickState{};
    if (controller) {
        if (!SDL_GameControllerGetAttached(controller)) return false;
        state.x = ScaleAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
        state.y = ScaleAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
        if (SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) state.x = -100;
        if (SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) state.x = 100;
        if (SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_UP)) state.y = -100;
        if (SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) state.y = 100;
        state.buttons[0] = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_A) != 0;
        state.buttons[1] = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_B) != 0;
        state.buttons[2] = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_X) != 0;
        return true;
    }
    if (joystick) {
        if (!SDL_JoystickGetAttached(joystick)) return false;
        if (SDL_JoystickNumAxes(joystick) > 0) state.x = ScaleAxis(SDL_JoystickGetAxis(joystick, 0));
        if (SDL_JoystickNumAxes(joystick) > 1) state.y = ScaleAxis(SDL_JoystickGetAxis(joystick, 1));
        if (SDL_JoystickNumHats(joystick) > 0) {
            const Uint8 hat = SDL_JoystickGetHat(joystick, 0);
            if (hat & SDL_HAT_LEFT) state.x = -100;
            if (hat & SDL_HAT_RIGHT) state.x = 100;
            if (hat & SDL_HAT_UP) state.y = -100;
            if (hat & SDL_HAT_DOWN) state.y = 100;
        }
        const int buttons = SDL_JoystickNumButtons(joystick);
        for (int i = 0; i < 3 && i < buttons; ++i) state.buttons[i] = SDL_JoystickGetButton(joystick, i) != 0;
        return true;
    }
    return false;
}

void SdlInputSource::HandleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_JOYDEVICEADDED:
        // A controller is preferred to a raw joystick; one already in use is kept.
        if (!controller) {
            const bool hadJoystick = joystick != nullptr;
            if (!hadJoystick || (event.type == SDL_CONTROLLERDEVICEADDED)) {
                CloseDevice();
                OpenFirstDevice();
            }
        }
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_JOYDEVICEREMOVED:
        if (HasJoystick() && event.jdevice.which == instanceId) {
            CloseDevice();
            OpenFirstDevice();
        }
        break;
    default:
        break;
    }
}

void SdlInputSource::CloseDevice() {
    if (controller) SDL_GameControllerClose(controller);
    if (joystick) SDL_JoystickClose(joystick);
    controller = nullptr;
    joystick = nullptr;
    instanceId = -1;
}

void SdlInputSource::OpenFirstDevice() {
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) return;
    const int count = SDL_NumJoysticks();
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) {
        for (int i = 0; i < count; ++i) {
            if (!SDL_IsGameController(i)) continue;
            if ((controller = SDL_GameControllerOpen(i)) != nullptr) {
                instanceId = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
                return;
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        if ((joystick = SDL_JoystickOpen(i)) != nullptr) {
            instanceId = SDL_JoystickInstanceID(joystick);
            return;
        }
    }
}

}  // namespace platform
