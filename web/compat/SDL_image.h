#pragma once
// The browser build has no image encoder (emscripten's SDL_image port needs a download this build does
// without): saving a PNG fails with a reason, as a full disk would. Only what the platform layer calls.
#include <SDL.h>

inline int IMG_SavePNG_RW(SDL_Surface*, SDL_RWops* dst, int freedst) {
    if (freedst && dst) SDL_RWclose(dst);
    return SDL_SetError("PNG pictures are not saved in the browser build");
}
#define IMG_GetError SDL_GetError
