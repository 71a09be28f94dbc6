#include "platform/MessageFace.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include "platform/TextRenderer.h"

namespace platform {

MessageFace::MessageFace(int pixels) {
    const std::string path = TextFontPath();
    if (path.empty() || TTF_Init() != 0) return;
    font = TTF_OpenFont(path.c_str(), pixels);
    if (!font) TTF_Quit();
}

MessageFace::~MessageFace() {
    if (!font) return;
    TTF_CloseFont(font);
    TTF_Quit();
}

int MessageFace::Measure(const std::string& utf8) const {
    int w = 0, h = 0;
    return font && TTF_SizeUTF8(font, utf8.c_str(), &w, &h) == 0 ? w : 0;
}

int MessageFace::LineSkip() const { return font ? TTF_FontLineSkip(font) : 0; }

SDL_Surface* MessageFace::Render(const std::string& utf8) const {
    if (!font || utf8.empty()) return nullptr;
    SDL_Surface* glyphs = TTF_RenderUTF8_Blended(font, utf8.c_str(), SDL_Color{0xF4, 0xF4, 0xF0, 0xFF});
    if (glyphs) SDL_SetSurfaceBlendMode(glyphs, SDL_BLENDMODE_BLEND);
    return glyphs;
}

}  // namespace platform
