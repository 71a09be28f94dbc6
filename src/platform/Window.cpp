#include "platform/Window.h"

#include <algorithm>

namespace platform {

std::unique_ptr<Window> Window::Create(const std::string& title, int width, int height, int scale,
                                       bool fullScreen, std::string* error) {
    auto fail = [&](const char* what) -> std::unique_ptr<Window> {
        if (error) *error = std::string(what) + ": " + SDL_GetError();
        return nullptr;
    };
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return fail("SDL video is not initialised");
    width = std::clamp(width, 1, 4096);
    height = std::clamp(height, 1, 4096);
    scale = std::clamp(scale, 1, 16);

    // Pixels stay square blocks when the picture is enlarged.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    std::unique_ptr<Window> self(new Window());
    Uint32 flags = SDL_WINDOW_SHOWN;
    if (fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    self->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * scale,
                                    height * scale, flags);
    if (!self->window) return fail("SDL_CreateWindow");
    self->renderer = SDL_CreateRenderer(self->window, -1, 0);
    if (!self->renderer) self->renderer = SDL_CreateRenderer(self->window, -1, SDL_RENDERER_SOFTWARE);
    if (!self->renderer) return fail("SDL_CreateRenderer");
    SDL_SetRenderDrawColor(self->renderer, 0, 0, 0, 255);
    SDL_RenderClear(self->renderer);
    SDL_RenderPresent(self->renderer);
    return self;
}

Window::~Window() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
}

void Window::Present(const SDL_Surface* backBuffer) {
    if (!backBuffer || !renderer || backBuffer->w <= 0 || backBuffer->h <= 0) return;
    const std::uint32_t format = backBuffer->format->format;
    if (!texture || textureWidth != backBuffer->w || textureHeight != backBuffer->h || textureFormat != format) {
        if (texture) SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, backBuffer->w, backBuffer->h);
        if (!texture) {
            textureWidth = textureHeight = 0;
            return;
        }
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        textureWidth = backBuffer->w;
        textureHeight = backBuffer->h;
        textureFormat = format;
    }
    if (SDL_UpdateTexture(texture, nullptr, backBuffer->pixels, backBuffer->pitch) != 0) return;

    int outWidth = 0, outHeight = 0;
    if (SDL_GetRendererOutputSize(renderer, &outWidth, &outHeight) != 0 || outWidth <= 0 || outHeight <= 0) return;
    SDL_Rect dst{0, 0, outWidth, outHeight};
    if (IsFullScreen()) {
        const int scale = std::min(outWidth / textureWidth, outHeight / textureHeight);
        if (scale >= 1) {
            dst.w = textureWidth * scale;
            dst.h = textureHeight * scale;
        } else if (outWidth * textureHeight < outHeight * textureWidth) {
            dst.w = outWidth;
            dst.h = std::max(1, outWidth * textureHeight / textureWidth);
        } else {
            dst.h = outHeight;
            dst.w = std::max(1, outHeight * textureWidth / textureHeight);
        }
        dst.x = (outWidth - dst.w) / 2;
        dst.y = (outHeight - dst.h) / 2;
    }
    lastDestination = dst;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &dst);
    SDL_RenderPresent(renderer);
}

bool Window::ReadBack(std::vector<std::uint32_t>& picture, int& width, int& height) const {
    picture.clear();
    width = height = 0;
    const SDL_Rect dst = lastDestination;
    if (!renderer || textureWidth <= 0 || textureHeight <= 0 || dst.w <= 0 || dst.h <= 0) return false;
    std::vector<std::uint32_t> shown(static_cast<std::size_t>(dst.w) * dst.h);
    if (SDL_RenderReadPixels(renderer, &dst, SDL_PIXELFORMAT_RGB888, shown.data(), dst.w * 4) != 0) return false;
    picture.resize(static_cast<std::size_t>(textureWidth) * textureHeight);
    for (int y = 0; y < textureHeight; ++y) {
        const auto sy = static_cast<int>((2ll * y + 1) * dst.h / (2ll * textureHeight));
        for (int x = 0; x < textureWidth; ++x) {
            const auto sx = static_cast<int>((2ll * x + 1) * dst.w / (2ll * textureWidth));
            picture[static_cast<std::size_t>(y) * textureWidth + x] = shown[static_cast<std::size_t>(sy) * dst.w + sx] & 0xFFFFFF;
        }
    }
    width = textureWidth;
    height = textureHeight;
    return true;
}

void Window::ToggleFullScreen() {
    if (!window) return;
    SDL_SetWindowFullscreen(window, IsFullScreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

bool Window::IsFullScreen() const {
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
}

std::uint32_t Window::Id() const { return window ? SDL_GetWindowID(window) : 0; }

std::uint32_t Window::PixelFormat() const {
    return window ? SDL_GetWindowPixelFormat(window) : static_cast<std::uint32_t>(SDL_PIXELFORMAT_UNKNOWN);
}

}  // namespace platform
