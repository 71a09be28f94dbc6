#include "devices/Pixels.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace pixels {

std::uint32_t SdlFormat(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::kRgb555: return SDL_PIXELFORMAT_RGB555;
    case TPixelFormat::kRgb565: return SDL_PIXELFORMAT_RGB565;
    // Blue, green, red in memory: read as a little-endian integer, red is the top byte, as the
    // fade table expects.
    case TPixelFormat::kRgb24: return SDL_PIXELFORMAT_BGR24;
    case TPixelFormat::kXrgb32: return SDL_PIXELFORMAT_RGB888;
    default: return SDL_PIXELFORMAT_UNKNOWN;
    }
}

TPixelFormat FormatOf(std::uint32_t sdlFormat) {
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    if (sdlFormat == SDL_PIXELFORMAT_UNKNOWN || !SDL_PixelFormatEnumToMasks(sdlFormat, &bpp, &r, &g, &b, &a))
        return TPixelFormat::kNone;
    if (SDL_ISPIXELFORMAT_INDEXED(sdlFormat)) return TPixelFormat::kNone;
    switch (SDL_BYTESPERPIXEL(sdlFormat)) {
    case 2:
        if (g == 0x03E0) return TPixelFormat::kRgb555;
        if (g == 0x07E0) return TPixelFormat::kRgb565;
        return TPixelFormat::kNone;
    case 3: return TPixelFormat::kRgb24;
    case 4: return TPixelFormat::kXrgb32;
    default: return TPixelFormat::kNone;
    }
}

std::uint32_t Load(const std::uint8_t* p, int bytesPerPixel) {
    switch (bytesPerPixel) {
    case 1: return p[0];
    case 2: return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
    case 3: return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                   (static_cast<std::uint32_t>(p[2]) << 16);
    default:
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
}

void Store(std::uint8_t* p, int bytesPerPixel, std::uint32_t v) {
    for (int i = 0; i < bytesPerPixel; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint8_t* Row(SDL_Surface* s, int y) {
    return static_cast<std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch;
}
const std::uint8_t* Row(const SDL_Surface* s, int y) {
    return static_cast<const std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch;
}

RgbDecoder::RgbDecoder(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    const std::uint32_t masks[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        mask[c] = masks[c];
        shift[c] = 0;
        bits[c] = 0;
        if (!masks[c]) continue;
        while (!((masks[c] >> shift[c]) & 1u)) ++shift[c];
        while (shift[c] + bits[c] < 32 && ((masks[c] >> (shift[c] + bits[c])) & 1u)) ++bits[c];
    }
}

std::uint32_t RgbDecoder::Channel(std::uint32_t pixel, int c) const {
    if (bits[c] == 0) return 0;
    const std::uint32_t v = (pixel & mask[c]) >> shift[c];
    if (bits[c] >= 8) return (v >> (bits[c] - 8)) & 0xFF;
    if (bits[c] >= 4) return ((v << (8 - bits[c])) | (v >> (2 * bits[c] - 8))) & 0xFF;
    // Repeat the value's top bits below it.
    std::uint32_t out = 0;
    for (int pos = 8 - bits[c]; pos > -bits[c]; pos -= bits[c]) out |= pos >= 0 ? v << pos : v >> -pos;
    return out & 0xFF;
}

int BytesPerPixel(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::kRgb555:
    case TPixelFormat::kRgb565: return 2;
    case TPixelFormat::kRgb24: return 3;
    case TPixelFormat::kXrgb32: return 4;
    default: return 0;
    }
}

namespace {
// Whole pictures pass through here on every load: one typed word a pixel, no branch.
template <typename P>
bool KeepColourBitsOf(SDL_Surface* surface, std::uint32_t colourMask) {
    const auto mask = static_cast<P>(colourMask);
    P zeros = 0;
    for (int y = 0; y < surface->h; ++y) {
        auto* row = reinterpret_cast<P*>(Row(surface, y));
        for (int x = 0; x < surface->w; ++x) {
            const P v = static_cast<P>(row[x] & mask);
            row[x] = v;
            zeros |= static_cast<P>(!v);
        }
    }
    return zeros == 0;
}
}  // namespace

bool KeepColourBits(SDL_Surface* surface, std::uint32_t colourMask) {
    const int bpp = surface->format->BytesPerPixel;
    if (bpp == 4) return KeepColourBitsOf<std::uint32_t>(surface, colourMask);
    if (bpp == 2) return KeepColourBitsOf<std::uint16_t>(surface, colourMask);
    bool opaque = true;
    for (int y = 0; y < surface->h; ++y) {
        std::uint8_t* p = Row(surface, y);
        for (int x = 0; x < surface->w; ++x, p += bpp) {
            const std::uint32_t v = Load(p, bpp) & colourMask;
            Store(p, bpp, v);
            opaque &= v != 0;
        }
    }
    return opaque;
}
}  // namespace pixels
