#pragma once
// The browser build has no TrueType engine (emscripten's SDL_ttf port needs a download this build
// does without): no font ever opens, so text and signs take the way they take on a desktop without
// the font. Only what the platform layer calls.
#include <SDL.h>

typedef struct _TTF_Font TTF_Font;

inline int TTF_Init(void) { return SDL_SetError("no TrueType engine in the browser build"); }
inline void TTF_Quit(void) {}
inline TTF_Font* TTF_OpenFont(const char*, int) {
    SDL_SetError("no TrueType engine in the browser build");
    return nullptr;
}
inline void TTF_CloseFont(TTF_Font*) {}
inline int TTF_FontLineSkip(const TTF_Font*) { return 0; }
inline int TTF_SizeUTF8(TTF_Font*, const char*, int*, int*) { return -1; }
inline SDL_Surface* TTF_RenderUTF8_Blended(TTF_Font*, const char*, SDL_Color) { return nullptr; }
