#include "devices/Blit.h"

#include <SDL.h>

#include <cstring>

#include "devices/Pixels.h"

namespace pixels {

namespace {


// 16 bytes at a time where the pixel is 2 or 4 bytes.
template <typename E>
struct Lanes;
template <>
struct Lanes<std::uint16_t> {
    typedef std::uint16_t V __attribute__((vector_size(16)));
};
template <>
struct Lanes<std::uint32_t> {
    typedef std::uint32_t V __attribute__((vector_size(16)));
};

template <typename E>
typename Lanes<E>::V Splat(std::uint32_t value) {
    typename Lanes<E>::V v;
    for (std::size_t i = 0; i < 16 / sizeof(E); ++i) v[i] = static_cast<E>(value);
    return v;
}

// Pixel value 0 is transparent: the destination keeps its pixel there.
template <typename E>
void BlitKeyedRow(std::uint8_t* dst, const std::uint8_t* src, int count) {
    using V = typename Lanes<E>::V;
    constexpr int kLanes = 16 / sizeof(E);
    const V zero = Splat<E>(0);
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        V s, d;
        std::memcpy(&s, src + i * sizeof(E), 16);
        std::memcpy(&d, dst + i * sizeof(E), 16);
        const V keep = (V)(s == zero);
        d = s | (d & keep);
        std::memcpy(dst + i * sizeof(E), &d, 16);
    }
    for (; i < count; ++i) {
        E s;
        std::memcpy(&s, src + i * sizeof(E), sizeof(E));
        if (s != 0) std::memcpy(dst + i * sizeof(E), &s, sizeof(E));
    }
}

void BlitKeyedRow24(std::uint8_t* dst, const std::uint8_t* src, int count) {
    for (int i = 0; i < count; ++i, src += 3, dst += 3) {
        if (src[0] | src[1] | src[2]) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
}
}  // namespace

void BlitKeyedRow(std::uint8_t* dst, const std::uint8_t* src, int count, int bytesPerPixel) {
    if (bytesPerPixel == 4) {
        BlitKeyedRow<std::uint32_t>(dst, src, count);
    } else if (bytesPerPixel == 2) {
        BlitKeyedRow<std::uint16_t>(dst, src, count);
    } else {
        BlitKeyedRow24(dst, src, count);
    }
}
void CopySurface(SDL_Surface* dst, int dx, int dy, const SDL_Surface* src) {
    const std::size_t rowBytes = static_cast<std::size_t>(src->w) * src->format->BytesPerPixel;
    for (int y = 0; y < src->h; ++y) {
        std::memcpy(Row(dst, dy + y) + static_cast<std::ptrdiff_t>(dx) * dst->format->BytesPerPixel, Row(src, y),
                    rowBytes);
    }
}
}  // namespace pixels
