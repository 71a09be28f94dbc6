#include "platform/Display.h"

namespace platform {

// Windows always has a desktop to open a window on; SDL chooses its one video driver.
std::string NoDisplayMessage() { return {}; }

void PrepareVideoDriver() {}

std::string DisplayFailedMessage(const std::string& reason) {
    return "cannot open a window (" + reason + "); update the graphics driver, or run 'pelloro --headless'";
}

std::string DisplayInvisibleMessage() {
    return "cannot open a window: the video driver SDL found shows nothing; unset SDL_VIDEODRIVER, "
           "or run 'pelloro --headless'";
}

}  // namespace platform
