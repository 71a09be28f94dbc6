// The page's text renderer: the page carries no TrueType engine nor the game's Japanese face (several
// megabytes for the one message the game may draw as text), so text draws nothing and says so, as on a
// desktop without the font. Takes the place of src/platform/TextRenderer.cpp in web/CMakeLists.txt.
#include "platform/TextRenderer.h"

namespace platform {

std::string TextFontPath() { return {}; }

TextRenderer::~TextRenderer() = default;

bool TextRenderer::EnsureFont() {
    loadTried = true;
    ttfStarted = false;
    return font != nullptr;
}

bool TextRenderer::Draw(SDL_Surface*, int, int, std::string_view, std::uint32_t) { return EnsureFont(); }

}  // namespace platform
