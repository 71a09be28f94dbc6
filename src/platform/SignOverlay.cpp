#include "platform/SignOverlay.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

std::uint8_t* RowOf(SDL_Surface* s, int y) { return static_cast<std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch; }

SDL_Rect Clip(const SDL_Rect& r, int width, int height) {
    const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    const int x1 = std::min(r.x + r.w, width), y1 = std::min(r.y + r.h, height);
    return SDL_Rect{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

void CopyRect(SDL_Surface* surface, const SDL_Rect& r, std::vector<std::uint8_t>& out) {
    const std::size_t rowBytes = static_cast<std::size_t>(r.w) * surface->format->BytesPerPixel;
    out.resize(rowBytes * r.h);
    for (int y = 0; y < r.h; ++y)
        std::memcpy(out.data() + rowBytes * y, RowOf(surface, r.y + y) + static_cast<std::ptrdiff_t>(r.x) * surface->format->BytesPerPixel, rowBytes);
}

void PasteRect(SDL_Surface* surface, const SDL_Rect& r, const std::vector<std::uint8_t>& in) {
    const std::size_t rowBytes = static_cast<std::size_t>(r.w) * surface->format->BytesPerPixel;
    if (in.size() < rowBytes * r.h) return;
    for (int y = 0; y < r.h; ++y)
        std::memcpy(RowOf(surface, r.y + y) + static_cast<std::ptrdiff_t>(r.x) * surface->format->BytesPerPixel, in.data() + rowBytes * y, rowBytes);
}

}  // namespace

SignOverlay::~SignOverlay() {
    for (SignState& sign : signs) Free(sign);
}

void SignOverlay::Free(SignState& sign) {
    if (sign.texture) SDL_DestroyTexture(sign.texture);
    if (sign.image) SDL_FreeSurface(sign.image);
    sign.texture = nullptr;
    sign.image = nullptr;
    sign.imageUnit = sign.imageMaxWidth = sign.imageMaxHeight = 0;
}

void SignOverlay::Set(SignPlace place, const std::string& utf8Text) {
    SignState& sign = signs[Index(place)];
    if (sign.text == utf8Text) return;
    sign.text = utf8Text;
    Free(sign);
}

void SignOverlay::Place(const SDL_Rect& d, int unit, int outWidth, int outHeight) {
    unit = std::max(1, unit);
    // The signs are laid out in the picture's own pixels, every one `unit` output pixels wide.
    const int width = std::max(1, d.w / unit), height = std::max(1, d.h / unit);
    for (SignState& sign : signs) {
        sign.rect = SDL_Rect{0, 0, 0, 0};
        if (sign.text.empty()) continue;
        const auto place = static_cast<SignPlace>(&sign - signs.data());
        if (!sign.image || sign.imageUnit != unit || sign.imageMaxWidth != width || sign.imageMaxHeight != height) {
            Free(sign);
            sign.image = painter.Paint(place, sign.text, width, height, unit, &sign.at);
            sign.imageUnit = unit;
            sign.imageMaxWidth = width;
            sign.imageMaxHeight = height;
        }
        if (!sign.image) continue;
        const SDL_Rect r{d.x + sign.at.x, d.y + sign.at.y, sign.image->w, sign.image->h};
        sign.rect = Clip(r, outWidth, outHeight);
        if (sign.rect.w < r.w || sign.rect.h < r.h) sign.rect = r;  // SDL clips the blit; keep the sign's own size
    }
}

void SignOverlay::Draw(SDL_Renderer* renderer) {
    for (SignState& sign : signs) {
        if (!sign.image) continue;
        if (!sign.texture) {
            sign.texture = SDL_CreateTextureFromSurface(renderer, sign.image);
            if (sign.texture) SDL_SetTextureBlendMode(sign.texture, SDL_BLENDMODE_BLEND);
        }
        if (sign.texture) SDL_RenderCopy(renderer, sign.texture, nullptr, &sign.rect);
    }
}

void SignOverlay::Draw(SDL_Surface* surface, std::vector<SDL_Rect>& drawn) {
    const bool mustLock = SDL_MUSTLOCK(surface);
    for (SignState& sign : signs) {
        if (!sign.image) continue;
        sign.savedRect = Clip(sign.rect, surface->w, surface->h);
        if (sign.savedRect.w <= 0 || sign.savedRect.h <= 0) continue;
        CopyRect(surface, sign.savedRect, sign.under);
        SDL_Rect at = sign.rect;
        if (mustLock) SDL_UnlockSurface(surface);
        SDL_BlitSurface(sign.image, nullptr, surface, &at);
        if (mustLock) SDL_LockSurface(surface);
        drawn.push_back(sign.savedRect);
    }
}

void SignOverlay::Lift(SDL_Surface* surface, std::vector<SDL_Rect>& drawn) {
    for (SignState& sign : signs) {
        if (sign.under.empty()) continue;
        PasteRect(surface, sign.savedRect, sign.under);
        drawn.push_back(sign.savedRect);
        sign.under.clear();
    }
}

void SignOverlay::Forget() {
    for (SignState& sign : signs) sign.under.clear();
}

bool SignOverlay::Uncover(std::uint32_t format, std::vector<std::uint32_t>& shown, int outWidth) const {
    const int bytes = SDL_BYTESPERPIXEL(format);
    for (const SignState& sign : signs) {
        const SDL_Rect& r = sign.savedRect;
        if (sign.under.empty()) continue;
        std::vector<std::uint32_t> clean(static_cast<std::size_t>(r.w) * r.h);
        if (SDL_ConvertPixels(r.w, r.h, format, sign.under.data(), r.w * bytes, SDL_PIXELFORMAT_RGB888, clean.data(),
                              r.w * 4) != 0)
            return false;
        for (int y = 0; y < r.h; ++y)
            std::copy_n(clean.begin() + static_cast<std::ptrdiff_t>(y) * r.w, r.w,
                        shown.begin() + static_cast<std::ptrdiff_t>(r.y + y) * outWidth + r.x);
    }
    return true;
}

}  // namespace platform
