#include "devices/Pixels.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

// ---- colour-keyed blits, 16 bytes at a time where the pixel is 2 or 4 bytes, and the fades -----

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

// One channel of the fade: its mask, the level in its scale, and mask − addend, so the saturation
// test needs no wider type than the pixel.
struct FadeTerms {
    std::uint32_t mask[3];
    std::uint32_t add[3];
    std::uint32_t limit[3];
    std::uint32_t colourMask;
};

// Fade: v becomes max(v − a, 0) on the complemented channel; white: min(v + a, max) on the channel.
template <bool White>
std::uint32_t FadeOne(std::uint32_t p, const FadeTerms& t) {
    std::uint32_t sum = 0;
    for (int c = 0; c < 3; ++c) {
        const std::uint32_t x = White ? (t.mask[c] & p) : (t.mask[c] & ~p);
        sum |= x > t.limit[c] ? t.mask[c] : x + t.add[c];
    }
    return White ? (p & ~t.colourMask) | (sum & t.colourMask) : (p & ~t.colourMask) | (~sum & t.colourMask);
}

#if defined(__SSE2__)
// The fade with saturating byte and word arithmetic, which gives exactly the formula's result:
// fade is max(v − a, 0) on each field, white is max − max(max − v − a, 0). A field that lies inside
// one byte is done together with the other such fields by one byte-wise subtraction; a field that
// crosses a byte boundary gets a word-wise subtraction of its own.
struct SimdFade {
    __m128i keep;   // bits outside the colour mask
    __m128i colour;
    __m128i byteMask, byteAdd;
    __m128i wordMask[3], wordAdd[3];
    int words = 0;
    bool wholeBytes = false;  // every channel is a whole byte: saturate the pixel as it is
};

__m128i SplatPixel(std::uint32_t v, int bytesPerPixel) {
    return bytesPerPixel == 2 ? _mm_set1_epi16(static_cast<short>(v)) : _mm_set1_epi32(static_cast<int>(v));
}

bool PlanSimdFade(const FadeTerms& t, int bytesPerPixel, SimdFade& plan) {
    if (bytesPerPixel != 2 && bytesPerPixel != 4) return false;
    const std::uint32_t pixelBits = bytesPerPixel == 2 ? 0xFFFFu : 0xFFFFFFFFu;
    std::uint32_t byteMask = 0, byteAdd = 0, bytesUsed = 0;
    bool whole = true;
    plan.words = 0;
    for (int c = 0; c < 3; ++c) {
        const std::uint32_t m = t.mask[c];
        if (m == 0) continue;
        if ((m & ~pixelBits) != 0) return false;
        int lo = 0, hi = 31;
        while (!((m >> lo) & 1u)) ++lo;
        while (!((m >> hi) & 1u)) --hi;
        if (((m >> lo) & ((m >> lo) + 1)) != 0) return false;  // not one run of bits
        if (lo / 8 == hi / 8) {
            if (bytesUsed & (1u << (lo / 8))) return false;  // two fields in one byte would borrow
            bytesUsed |= 1u << (lo / 8);
            byteMask |= m;
            byteAdd |= t.add[c];
            whole = whole && lo % 8 == 0 && hi % 8 == 7;
        } else if (lo / 16 == hi / 16) {
            plan.wordMask[plan.words] = SplatPixel(m, bytesPerPixel);
            plan.wordAdd[plan.words] = SplatPixel(t.add[c], bytesPerPixel);
            ++plan.words;
            whole = false;
        } else {
            return false;
        }
    }
    plan.keep = SplatPixel(~t.colourMask & pixelBits, bytesPerPixel);
    plan.colour = SplatPixel(t.colourMask, bytesPerPixel);
    plan.byteMask = SplatPixel(byteMask, bytesPerPixel);
    plan.byteAdd = SplatPixel(byteAdd, bytesPerPixel);
    plan.wholeBytes = whole;
    return true;
}

template <bool White, bool WholeBytes, int Words>
void SimdFadeRows(std::uint8_t* pixels, int pitch, int width, int height, int bytesPerPixel, const FadeTerms& t,
                  const SimdFade& plan) {
    const int perVector = 16 / bytesPerPixel;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
        int i = 0;
        for (; i + perVector <= width; i += perVector) {
            auto* at = reinterpret_cast<__m128i*>(row + i * bytesPerPixel);
            const __m128i p = _mm_loadu_si128(at);
            __m128i out;
            if constexpr (WholeBytes) {
                out = White ? _mm_adds_epu8(p, plan.byteAdd) : _mm_subs_epu8(p, plan.byteAdd);
            } else {
                const __m128i q = White ? _mm_xor_si128(p, _mm_set1_epi32(-1)) : p;
                __m128i r = _mm_subs_epu8(_mm_and_si128(q, plan.byteMask), plan.byteAdd);
                for (int w = 0; w < Words; ++w)
                    r = _mm_or_si128(r, _mm_subs_epu16(_mm_and_si128(q, plan.wordMask[w]), plan.wordAdd[w]));
                const __m128i kept = _mm_and_si128(p, plan.keep);
                out = White ? _mm_or_si128(kept, _mm_andnot_si128(r, plan.colour)) : _mm_or_si128(kept, r);
            }
            _mm_storeu_si128(at, out);
        }
        for (; i < width; ++i) {
            std::uint8_t* px = row + i * bytesPerPixel;
            Store(px, bytesPerPixel, FadeOne<White>(Load(px, bytesPerPixel), t));
        }
    }
}

template <bool White>
bool SimdFadeAll(std::uint8_t* pixels, int pitch, int width, int height, int bytesPerPixel, const FadeTerms& t) {
    SimdFade plan;
    if (!PlanSimdFade(t, bytesPerPixel, plan)) return false;
    if (plan.wholeBytes) {
        SimdFadeRows<White, true, 0>(pixels, pitch, width, height, bytesPerPixel, t, plan);
        return true;
    }
    switch (plan.words) {
    case 0: SimdFadeRows<White, false, 0>(pixels, pitch, width, height, bytesPerPixel, t, plan); break;
    case 1: SimdFadeRows<White, false, 1>(pixels, pitch, width, height, bytesPerPixel, t, plan); break;
    case 2: SimdFadeRows<White, false, 2>(pixels, pitch, width, height, bytesPerPixel, t, plan); break;
    default: SimdFadeRows<White, false, 3>(pixels, pitch, width, height, bytesPerPixel, t, plan); break;
    }
    return true;
}
#endif

// The formula pixel by pixel, for any layout.
template <bool White>
void ScalarFadeRows(std::uint8_t* pixels, int pitch, int width, int height, int bytesPerPixel, const FadeTerms& t) {
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
        for (int x = 0; x < width; ++x, p += bytesPerPixel)
            Store(p, bytesPerPixel, FadeOne<White>(Load(p, bytesPerPixel), t));
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

namespace {
template <bool White>
void RunFade(std::uint8_t* pixels, int pitch, int width, int height, int level, TPixelFormat format,
             const Masks& m) {
    if (!pixels || width <= 0 || height <= 0) return;
    // The level in each channel's scale: the top bits of its low byte at the channel's position.
    const auto l = static_cast<std::uint32_t>(level);
    const std::uint32_t mr = m.red, mg = m.green, mb = m.blue;
    std::uint32_t ar = 0, ag = 0, ab = 0;
    switch (format) {
    case TPixelFormat::kRgb555:
        ar = (l << 7) & mr;
        ag = (l << 2) & mg;
        ab = static_cast<std::uint32_t>(level >> 3) & mb;
        break;
    case TPixelFormat::kRgb565:
        ar = (l << 8) & mr;
        ag = (l << 3) & mg;
        ab = static_cast<std::uint32_t>(level >> 3) & mb;
        break;
    case TPixelFormat::kRgb24:
    case TPixelFormat::kXrgb32:
        ar = (l << 16) & mr;
        ag = (l << 8) & mg;
        ab = l & mb;
        break;
    default:
        return;  // no known format, no masks: nothing changes
    }
    const FadeTerms terms{{mr, mg, mb}, {ar, ag, ab}, {mr - ar, mg - ag, mb - ab}, mr | mg | mb};
    const int bytesPerPixel = BytesPerPixel(format);
#if defined(__SSE2__)
    if (SimdFadeAll<White>(pixels, pitch, width, height, bytesPerPixel, terms)) return;
#endif
    ScalarFadeRows<White>(pixels, pitch, width, height, bytesPerPixel, terms);
}
}  // namespace

int BytesPerPixel(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::kRgb555:
    case TPixelFormat::kRgb565: return 2;
    case TPixelFormat::kRgb24: return 3;
    case TPixelFormat::kXrgb32: return 4;
    default: return 0;
    }
}

void FadeToBlack(std::uint8_t* pixels, int pitch, int width, int height, int level, TPixelFormat format,
                 const Masks& masks) {
    RunFade<false>(pixels, pitch, width, height, level, format, masks);
}

void FadeToWhite(std::uint8_t* pixels, int pitch, int width, int height, int level, TPixelFormat format,
                 const Masks& masks) {
    RunFade<true>(pixels, pitch, width, height, level, format, masks);
}

void CopySurface(SDL_Surface* dst, int dx, int dy, const SDL_Surface* src) {
    const std::size_t rowBytes = static_cast<std::size_t>(src->w) * src->format->BytesPerPixel;
    for (int y = 0; y < src->h; ++y) {
        std::memcpy(Row(dst, dy + y) + static_cast<std::ptrdiff_t>(dx) * dst->format->BytesPerPixel, Row(src, y),
                    rowBytes);
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

void DrawLine(SDL_Surface* surface, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
              std::uint32_t colour) {
    const int bytesPerPixel = surface->format->BytesPerPixel;
    // Bresenham in closed form: point i of the major axis lies round(i * minor / major) along the minor
    // axis, so only the steps that fall inside the buffer are visited, however long the line.
    const std::int64_t ddx = x1 - x0;
    const std::int64_t ddy = y1 - y0;
    const bool xMajor = (ddx < 0 ? -ddx : ddx) >= (ddy < 0 ? -ddy : ddy);
    const std::int64_t major = xMajor ? (ddx < 0 ? -ddx : ddx) : (ddy < 0 ? -ddy : ddy);
    const std::int64_t minor = xMajor ? (ddy < 0 ? -ddy : ddy) : (ddx < 0 ? -ddx : ddx);
    const std::int64_t majorStep = (xMajor ? ddx : ddy) < 0 ? -1 : 1;
    const std::int64_t minorStep = (xMajor ? ddy : ddx) < 0 ? -1 : 1;
    const std::int64_t majorStart = xMajor ? x0 : y0;
    const std::int64_t minorStart = xMajor ? y0 : x0;
    const std::int64_t majorLimit = xMajor ? surface->w : surface->h;
    const std::int64_t minorLimit = xMajor ? surface->h : surface->w;
    // Steps 0 .. major − 1: the end point itself is not drawn.
    std::int64_t first = 0, last = major - 1;
    if (majorStep > 0) {
        first = std::max(first, -majorStart);
        last = std::min(last, majorLimit - 1 - majorStart);
    } else {
        first = std::max(first, majorStart - (majorLimit - 1));
        last = std::min(last, majorStart);
    }
    for (std::int64_t i = first; i <= last; ++i) {
        const auto offset = static_cast<std::int64_t>((static_cast<__int128>(2) * i * minor + major) / (2 * major));
        const std::int64_t a = majorStart + majorStep * i;
        const std::int64_t b = minorStart + minorStep * offset;
        if (b < 0 || b >= minorLimit) continue;
        const std::int64_t px = xMajor ? a : b;
        const std::int64_t py = xMajor ? b : a;
        Store(Row(surface, static_cast<int>(py)) + px * bytesPerPixel, bytesPerPixel, colour);
    }
}

}  // namespace pixels
