#include "platform/Display.h"

#include <SDL.h>

#include <cstdlib>

namespace platform {

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// The display the environment names, for messages: the Wayland one if set, else the X one.
std::string DisplayName() {
    if (IsSet("WAYLAND_DISPLAY")) return std::getenv("WAYLAND_DISPLAY");
    return IsSet("DISPLAY") ? std::getenv("DISPLAY") : "(none)";
}

}  // namespace

std::string NoDisplayMessage() {
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("SDL_VIDEODRIVER")) return {};
    return "no display is available (DISPLAY and WAYLAND_DISPLAY are unset); start Pelloro from a desktop "
           "session or name the display, e.g. DISPLAY=:0 pelloro (--headless only renders frames, for tests "
           "and screenshots)";
}

void PrepareVideoDriver() {
    // With only an X display named, X is the one to talk to: probing Wayland first only adds noise.
    // SDL_HINT_VIDEODRIVER by its value: the browser build's SDL 2.0.20 predates the macro.
    if (!IsSet("SDL_VIDEODRIVER") && !IsSet("WAYLAND_DISPLAY")) SDL_SetHint("SDL_VIDEODRIVER", "x11");
}

std::string DisplayFailedMessage(const std::string& reason) {
    return "cannot open display " + DisplayName() + " (" + reason + "); check DISPLAY, or run 'pelloro --headless'";
}

std::string DisplayInvisibleMessage() {
    return "cannot open display " + DisplayName() +
           ": no X server or Wayland compositor answers there; check DISPLAY, or run 'pelloro --headless'";
}

}  // namespace platform
