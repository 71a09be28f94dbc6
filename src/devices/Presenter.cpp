#include "devices/Presenter.h"

#include <SDL.h>

#include <cstring>

#include "devices/Blit.h"
#include "devices/Pixels.h"
#include "platform/Window.h"

void THeadlessPresenter::Present(const SDL_Surface* backBuffer) {
    if (!backBuffer) return;
    const SDL_PixelFormat* f = backBuffer->format;
    bytesPerPixel = f->BytesPerPixel;
    masks[0] = f->Rmask, masks[1] = f->Gmask, masks[2] = f->Bmask;
    const std::size_t rowBytes = static_cast<std::size_t>(backBuffer->w) * bytesPerPixel;
    raw.resize(rowBytes * backBuffer->h);
    for (int y = 0; y < backBuffer->h; ++y)
        std::memcpy(raw.data() + static_cast<std::size_t>(y) * rowBytes, pixels::Row(backBuffer, y), rowBytes);
    pictureWidth = backBuffer->w;
    pictureHeight = backBuffer->h;
    stale = true;
}

const std::vector<std::uint32_t>& THeadlessPresenter::Picture() const {
    if (!stale) return decoded;
    stale = false;
    const std::size_t count = static_cast<std::size_t>(pictureWidth) * pictureHeight;
    decoded.resize(count);
    const std::uint8_t* in = raw.data();
    if (bytesPerPixel == 4 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF) {
        for (std::size_t i = 0; i < count; ++i) decoded[i] = pixels::Load(in + 4 * i, 4) & 0xFFFFFF;
        return decoded;
    }
    const pixels::RgbDecoder decode(masks[0], masks[1], masks[2]);
    for (std::size_t i = 0; i < count; ++i) decoded[i] = decode(pixels::Load(in + i * bytesPerPixel, bytesPerPixel));
    return decoded;
}

TWindowPresenter::TWindowPresenter(platform::Window* target, int width, int height, std::uint32_t sdlFormat)
    : window(target), frameWidth(width), frameHeight(height) {
    if (width > 0 && height > 0)
        frame = SDL_CreateRGBSurfaceWithFormat(0, width, height, SDL_BITSPERPIXEL(sdlFormat), sdlFormat);
}

TWindowPresenter::~TWindowPresenter() {
    if (frame) SDL_FreeSurface(frame);
}

void TWindowPresenter::Present(const SDL_Surface* backBuffer) {
    if (!backBuffer || !window) return;
    pictureWidth = backBuffer->w;
    pictureHeight = backBuffer->h;
    stale = true;
    if (frameWidth <= 0 || frameHeight <= 0) {
        offsetX = offsetY = 0;
        window->Present(backBuffer);
        return;
    }
    if (!frame || frame->format->format != backBuffer->format->format) return;
    offsetX = (frameWidth - backBuffer->w) >> 1;
    offsetY = (frameHeight - backBuffer->h) >> 1;
    // The black around the back buffer stays from the first frame; it is cleared again only when the
    // back buffer's size changes.
    if (backBuffer->w != framedWidth || backBuffer->h != framedHeight) {
        SDL_FillRect(frame, nullptr, 0);
        framedWidth = backBuffer->w;
        framedHeight = backBuffer->h;
    }
    if (offsetX >= 0 && offsetY >= 0) pixels::CopySurface(frame, offsetX, offsetY, backBuffer);
    window->Present(frame);
}

const std::vector<std::uint32_t>& TWindowPresenter::Picture() const {
    if (!stale) return readBack;
    stale = false;
    readBack.clear();
    std::vector<std::uint32_t> shown;
    int w = 0, h = 0;
    if (!window->ReadBack(shown, w, h)) return readBack;
    if (offsetX < 0 || offsetY < 0 || offsetX + pictureWidth > w || offsetY + pictureHeight > h) return readBack;
    readBack.reserve(static_cast<std::size_t>(pictureWidth) * pictureHeight);
    for (int y = 0; y < pictureHeight; ++y) {
        const std::uint32_t* row = shown.data() + static_cast<std::size_t>(offsetY + y) * w + offsetX;
        readBack.insert(readBack.end(), row, row + pictureWidth);
    }
    return readBack;
}
