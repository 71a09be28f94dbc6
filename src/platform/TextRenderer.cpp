#include "platform/TextRenderer.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>
#include <iconv.h>
#include <sys/stat.h>

#include <cerrno>

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

std::string ShiftJisToUtf8(std::string_view bytes) {
    std::string out;
    if (bytes.empty()) return out;
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "SHIFT_JIS");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter: keep what is plain ASCII.
        for (char c : bytes) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
        return out;
    }
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An invalid or cut-off sequence: one replacement character, then go on after its first byte.
        out.push_back('?');
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

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
