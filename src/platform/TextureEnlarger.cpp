#include "platform/TextureEnlarger.h"

namespace platform {

TextureEnlarger::~TextureEnlarger() {
    if (texture) SDL_DestroyTexture(texture);
}

bool TextureEnlarger::Keep(SDL_Renderer* renderer, const SDL_Surface* backBuffer) {
    const std::uint32_t newFormat = backBuffer->format->format;
    if (!texture || backBuffer->w != width || backBuffer->h != height || newFormat != format) {
        if (texture) SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer, newFormat, SDL_TEXTUREACCESS_STREAMING, backBuffer->w, backBuffer->h);
        width = height = 0;
        if (!texture) return false;
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        width = backBuffer->w;
        height = backBuffer->h;
        format = newFormat;
    }
    return SDL_UpdateTexture(texture, nullptr, backBuffer->pixels, backBuffer->pitch) == 0;
}

void TextureEnlarger::Draw(SDL_Renderer* renderer, const SDL_Rect& at) const {
    if (texture) SDL_RenderCopy(renderer, texture, nullptr, &at);
}

}  // namespace platform
