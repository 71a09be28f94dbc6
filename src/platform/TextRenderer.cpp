#include "platform/TextRenderer.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <sys/stat.h>

#include "platform/Places.h"

namespace platform {

namespace {
// Text is 12 pixels high: at SDL_ttf's 72 dpi a point is a pixel.
constexpr int kFontPixels = 12;

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
}  // namespace

std::string TextFontPath() {
    for (const std::string& path : FontPlaces()) {
        if (IsRegularFile(path)) return path;
    }
    return {};
}

TextRenderer::~TextRenderer() {
    if (font) TTF_CloseFont(font);
    if (ttfStarted) TTF_Quit();
}

bool TextRenderer::EnsureFont() {
    if (font) return true;
    if (loadTried) return false;
    loadTried = true;
    const std::string path = TextFontPath();
    if (path.empty()) return false;
    if (!ttfStarted) {
        if (TTF_Init() != 0) return false;
        ttfStarted = true;
    }
    font = TTF_OpenFont(path.c_str(), kFontPixels);
    return font != nullptr;
}

bool TextRenderer::Draw(SDL_Surface* target, int x, int y, std::string_view shiftJis, std::uint32_t rgb) {
    if (!target) return false;
    if (!EnsureFont()) return false;
    if (shiftJis.empty()) return true;
    const std::string utf8 = ShiftJisToUtf8(shiftJis);
    if (utf8.empty()) return true;
    const SDL_Color color{static_cast<Uint8>(rgb >> 16), static_cast<Uint8>(rgb >> 8), static_cast<Uint8>(rgb), 255};
    SDL_Surface* glyphs = TTF_RenderUTF8_Blended(font, utf8.c_str(), color);
    if (!glyphs) {
        // Text of only blanks renders to nothing; that is not a failure.
        int w = 0, h = 0;
        return TTF_SizeUTF8(font, utf8.c_str(), &w, &h) == 0 && w == 0;
    }
    SDL_SetSurfaceBlendMode(glyphs, SDL_BLENDMODE_BLEND);
    SDL_Rect dst{x, y, glyphs->w, glyphs->h};
    const bool ok = SDL_BlitSurface(glyphs, nullptr, target, &dst) == 0;
    SDL_FreeSurface(glyphs);
    return ok;
}

}  // namespace platform
