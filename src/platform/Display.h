#pragma once
// Whether and how this system can show a window, asked before SDL starts its video, and the messages
// for a display that is not there. The build compiles platform/posix/Display.cpp (X11 and Wayland)
// or platform/windows/Display.cpp.
#include <string>

namespace platform {

// One line saying why no window can be shown at all (empty: try to open one).
std::string NoDisplayMessage();

// Video driver hints for SDL, before SDL_Init.
void PrepareVideoDriver();

// The line for a display SDL could not open (`reason`: SDL's error), and for one where only a driver
// that shows nothing answered.
std::string DisplayFailedMessage(const std::string& reason);
std::string DisplayInvisibleMessage();

}  // namespace platform
