#include "platform/SoftwareEnlarger.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

std::uint8_t* RowOf(SDL_Surface* s, int y) { return static_cast<std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch; }
const std::uint8_t* RowOf(const SDL_Surface* s, int y) {
    return static_cast<const std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch;
}

// One source row of `count` pixels of `Bytes` bytes each, every pixel repeated `scale` times.
template <int Bytes>
void WidenRow(std::uint8_t* out, const std::uint8_t* in, int count, int scale) {
    if (scale == 1) {
        std::memcpy(out, in, static_cast<std::size_t>(count) * Bytes);
        return;
    }
    if constexpr (Bytes == 4) {
        auto* o = reinterpret_cast<std::uint32_t*>(out);
        for (int x = 0; x < count; ++x) {
            std::uint32_t v;
            std::memcpy(&v, in + 4 * x, 4);
            for (int k = 0; k < scale; ++k) *o++ = v;
        }
    } else {
        for (int x = 0; x < count; ++x) {
            for (int k = 0; k < scale; ++k, out += Bytes) std::memcpy(out, in + Bytes * x, Bytes);
        }
    }
}

}  // namespace

SoftwareEnlarger::~SoftwareEnlarger() {
    if (picture) SDL_FreeSurface(picture);
}

bool SoftwareEnlarger::Keep(const SDL_Surface* backBuffer) {
    const std::uint32_t format = backBuffer->format->format;
    const bool newShape = !picture || backBuffer->w != picture->w || backBuffer->h != picture->h ||
                          format != picture->format->format;
    if (newShape) {
        if (picture) SDL_FreeSurface(picture);
        picture = SDL_CreateRGBSurfaceWithFormat(0, backBuffer->w, backBuffer->h, SDL_BITSPERPIXEL(format), format);
        if (!picture) return false;
        SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
    }
    const std::size_t rowBytes = static_cast<std::size_t>(backBuffer->w) * backBuffer->format->BytesPerPixel;
    changedBands.clear();
    for (int y = 0; y < backBuffer->h; ++y) {
        if (!newShape && std::memcmp(RowOf(picture, y), RowOf(backBuffer, y), rowBytes) == 0) continue;
        std::memcpy(RowOf(picture, y), RowOf(backBuffer, y), rowBytes);
        if (!changedBands.empty() && changedBands.back().second == y) {
            changedBands.back().second = y + 1;
        } else {
            changedBands.emplace_back(y, y + 1);
        }
    }
    return true;
}

void SoftwareEnlarger::Enlarge(SDL_Surface* dst, const SDL_Rect& at, int scale, int firstRow, int endRow) {
    const SDL_Surface* src = picture;
    const int bytes = dst->format->BytesPerPixel;
    const bool sameFormat = src->format->format == dst->format->format;
    if (!sameFormat) rowBuffer.resize(static_cast<std::size_t>(src->w) * bytes);
    const std::size_t rowBytes = static_cast<std::size_t>(at.w) * bytes;
    for (int sy = std::max(firstRow, 0); sy < std::min(endRow, src->h); ++sy) {
        const std::uint8_t* in = RowOf(src, sy);
        if (!sameFormat) {
            if (SDL_ConvertPixels(src->w, 1, src->format->format, in, src->pitch, dst->format->format, rowBuffer.data(),
                                  src->w * bytes) != 0)
                return;
            in = rowBuffer.data();
        }
        std::uint8_t* out = RowOf(dst, at.y + sy * scale) + static_cast<std::ptrdiff_t>(at.x) * bytes;
        switch (bytes) {
            case 4: WidenRow<4>(out, in, src->w, scale); break;
            case 3: WidenRow<3>(out, in, src->w, scale); break;
            case 2: WidenRow<2>(out, in, src->w, scale); break;
            default: WidenRow<1>(out, in, src->w, scale); break;
        }
        for (int k = 1; k < scale; ++k) std::memcpy(out + static_cast<std::ptrdiff_t>(k) * dst->pitch, out, rowBytes);
    }
}

void SoftwareEnlarger::DrawAll(SDL_Surface* target, const SDL_Rect& at, int scale) {
    if (!picture) return;
    if (scale >= 1) {
        Enlarge(target, at, scale, 0, picture->h);
        return;
    }
    const bool mustLock = SDL_MUSTLOCK(target);
    SDL_Rect to = at;
    if (mustLock) SDL_UnlockSurface(target);
    SDL_BlitScaled(picture, nullptr, target, &to);
    if (mustLock) SDL_LockSurface(target);
}

void SoftwareEnlarger::DrawChanged(SDL_Surface* target, const SDL_Rect& at, int scale, std::vector<SDL_Rect>& drawn) {
    if (!picture || scale < 1) return;
    for (const auto& [first, end] : changedBands) {
        Enlarge(target, at, scale, first, end);
        drawn.push_back(SDL_Rect{at.x, at.y + first * scale, at.w, (end - first) * scale});
    }
}

}  // namespace platform
