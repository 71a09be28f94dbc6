#include "devices/Fade.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "devices/Pixels.h"

namespace pixels {

namespace {

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

void FadeToBlack(std::uint8_t* pixels, int pitch, int width, int height, int level, TPixelFormat format,
                 const Masks& masks) {
    RunFade<false>(pixels, pitch, width, height, level, format, masks);
}

void FadeToWhite(std::uint8_t* pixels, int pitch, int width, int height, int level, TPixelFormat format,
                 const Masks& masks) {
    RunFade<true>(pixels, pitch, width, height, level, format, masks);
}
}  // namespace pixels
