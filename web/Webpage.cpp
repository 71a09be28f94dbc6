// The page's exports (called from index.html through Module._pelloro_*):
//   pelloro_fit(width, height)  the canvas becomes width × height device pixels; the window enlarges
//                               the picture by the largest whole number that fits it, as on the desktop
//   pelloro_picture()           the presented picture as RGBA bytes, pelloro_picture_width() ×
//                               pelloro_picture_height(); null before the first picture
#include "Webpage.h"

#include <SDL.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <vector>

#include "devices/Vekdraw.h"

namespace {

const TVekDraw* pageDraw = nullptr;
std::vector<std::uint8_t> pictureBytes;  // what pelloro_picture() hands out, valid until its next call

// The page has one window: the canvas.
SDL_Window* PageWindow() {
    for (Uint32 id = 1; id < 64; ++id) {
        if (SDL_Window* window = SDL_GetWindowFromID(id)) return window;
    }
    return nullptr;
}

}  // namespace

namespace webpage {

void PrepareVideo() { SDL_SetHint(SDL_HINT_VIDEO_HIGHDPI_DISABLED, "1"); }

void Attach(const TVekDraw& draw) {
    pageDraw = &draw;
    // SDL's handler would set the canvas to its CSS size at every resize, undoing the page's device
    // pixels; the page answers resizes and rotations itself through pelloro_fit.
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
    EM_ASM({ if (Module.pelloroReady) Module.pelloroReady(); });
}

}  // namespace webpage

extern "C" {

EMSCRIPTEN_KEEPALIVE int pelloro_fit(int width, int height) {
    SDL_Window* window = PageWindow();
    if (!window || width <= 0 || height <= 0) return 0;
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    // Setting a canvas's size clears it, even to the same size: only a new size is set.
    if (w != width || h != height) SDL_SetWindowSize(window, width, height);
    return 1;
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* pelloro_picture() {
    if (!pageDraw) return nullptr;
    const std::vector<std::uint32_t>& picture = pageDraw->PresentedPicture();
    const auto count = static_cast<std::size_t>(pageDraw->SurfaceWidth()) * static_cast<std::size_t>(pageDraw->SurfaceHeight());
    if (picture.empty() || picture.size() != count) return nullptr;
    pictureBytes.resize(4 * count);
    for (std::size_t i = 0; i < count; ++i) {
        pictureBytes[4 * i] = static_cast<std::uint8_t>(picture[i] >> 16);
        pictureBytes[4 * i + 1] = static_cast<std::uint8_t>(picture[i] >> 8);
        pictureBytes[4 * i + 2] = static_cast<std::uint8_t>(picture[i]);
        pictureBytes[4 * i + 3] = 255;
    }
    return pictureBytes.data();
}

EMSCRIPTEN_KEEPALIVE int pelloro_picture_width() { return pageDraw ? pageDraw->SurfaceWidth() : 0; }
EMSCRIPTEN_KEEPALIVE int pelloro_picture_height() { return pageDraw ? pageDraw->SurfaceHeight() : 0; }

}
