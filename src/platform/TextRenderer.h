#pragma once
// Text drawn into a surface the way the draw device's font does it: Shift-JIS bytes, a 12-pixel
// proportional Japanese gothic face, transparent background, antialiased onto the pixels below.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"

struct SDL_Surface;
typedef struct _TTF_Font TTF_Font;

namespace platform {

// The font file text is drawn with, or an empty string when none of the known faces is installed (in
// the browser, always: the page carries no TrueType engine, web/platform/TextRenderer.cpp).
std::string TextFontPath();

class TextRenderer {
public:
    TextRenderer() = default;
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // Draws `shiftJis` with its top left corner at (x, y), in 0xRRGGBB `rgb`, clipped to the target.
    // False when the font cannot be loaded or drawing fails; an empty text draws nothing and succeeds.
    bool Draw(SDL_Surface* target, int x, int y, std::string_view shiftJis, std::uint32_t rgb);

private:
    bool EnsureFont();

    TTF_Font* font = nullptr;
    bool ttfStarted = false;
    bool loadTried = false;
};

}  // namespace platform
