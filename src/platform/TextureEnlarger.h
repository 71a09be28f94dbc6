#pragma once
// The accelerated path's enlarger: the back buffer goes up as one streaming texture a frame and the
// GPU enlarges it into the picture's rectangle (nearest-neighbour, as the window asks the renderer).
#include <SDL.h>

#include <cstdint>

namespace platform {

class TextureEnlarger {
public:
    TextureEnlarger() = default;
    ~TextureEnlarger();
    TextureEnlarger(const TextureEnlarger&) = delete;
    TextureEnlarger& operator=(const TextureEnlarger&) = delete;

    // Uploads `backBuffer` to `renderer`, making a texture of its size and format when it has none.
    // False when the texture could not be made (`HasPicture` false then) or the upload failed.
    bool Keep(SDL_Renderer* renderer, const SDL_Surface* backBuffer);
    bool HasPicture() const { return texture != nullptr; }
    // The last picture into `at` of the renderer's back buffer.
    void Draw(SDL_Renderer* renderer, const SDL_Rect& at) const;

private:
    SDL_Texture* texture = nullptr;
    int width = 0, height = 0;
    std::uint32_t format = 0;
};

}  // namespace platform
