// The GL probe of platform/RendererChoice on Windows. Windows has no fork: the probe starts SDL's video
// in this process, asks and stops it again, before the program's own SDL_Init. A display driver is
// always there, so there is no device to look for first; a machine without a GPU driver answers
// "GDI Generic", which the choice knows to be a software one.
#include <SDL.h>

#include "platform/RendererChoice.h"

namespace platform {

std::string ProbeGlRendererApart(int) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return ProbeGlRenderer();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return {};
    std::string name = ProbeGlRenderer();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return name;
}

std::string NoGpuReason() { return {}; }

}  // namespace platform
