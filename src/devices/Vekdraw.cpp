#include "devices/Vekdraw.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Resources.h"
#include "platform/TextRenderer.h"
#include "platform/Window.h"

namespace {

// The largest back buffer, and the full-screen frame it is centred in (pixels).
constexpr int kMaxWidth = 640;
constexpr int kMaxHeight = 480;
// Bitmaps wider or taller than this are refused before SDL sees them (pixels).
constexpr int kMaxBitmapSide = 4096;

std::uint32_t SdlFormatForCode(int code) {
    switch (code) {
    case 1: return SDL_PIXELFORMAT_RGB555;
    case 2: return SDL_PIXELFORMAT_RGB565;
    // Blue, green, red in memory: read as a little-endian integer, red is the top byte, as the
    // fade table expects.
    case 3: return SDL_PIXELFORMAT_BGR24;
    case 4: return SDL_PIXELFORMAT_RGB888;
    default: return SDL_PIXELFORMAT_UNKNOWN;
    }
}

// The pixel format code of an SDL format by bit count and green mask; 0 when it has none.
int CodeForSdlFormat(std::uint32_t format) {
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    if (format == SDL_PIXELFORMAT_UNKNOWN || !SDL_PixelFormatEnumToMasks(format, &bpp, &r, &g, &b, &a)) return 0;
    if (SDL_ISPIXELFORMAT_INDEXED(format)) return 0;
    switch (SDL_BYTESPERPIXEL(format)) {
    case 2:
        if (g == 0x03E0) return 1;
        if (g == 0x07E0) return 2;
        return 0;
    case 3: return 3;
    case 4: return 4;
    default: return 0;
    }
}

// ---- bitmap header checks -------------------------------------------------------------------

std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct BitmapShape {
    int width = 0;
    int height = 0;  // rows, whatever the order they are stored in
};

// Accepts only what the game's art is: an uncompressed 8-bit (palette) or 24-bit Windows bitmap whose
// every declared part lies inside the bytes. Everything else is refused here, so the BMP reader is
// never handed a buffer it could read past.
bool CheckBitmap(platform::Bytes bytes, BitmapShape& shape) {
    const std::uint8_t* d = bytes.data();
    const std::uint64_t size = bytes.size();
    if (size < 14 + 40 || d[0] != 'B' || d[1] != 'M') return false;
    const std::uint32_t fileSize = ReadU32(d + 2);
    const std::uint32_t pixelOffset = ReadU32(d + 10);
    const std::uint32_t infoSize = ReadU32(d + 14);
    if (infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124) return false;
    if (14 + static_cast<std::uint64_t>(infoSize) > size) return false;
    const auto width = static_cast<std::int32_t>(ReadU32(d + 18));
    const auto height = static_cast<std::int32_t>(ReadU32(d + 22));
    const std::uint16_t planes = ReadU16(d + 26);
    const std::uint16_t bits = ReadU16(d + 28);
    const std::uint32_t compression = ReadU32(d + 30);
    const std::uint32_t imageSize = ReadU32(d + 34);
    const std::uint32_t coloursUsed = ReadU32(d + 46);
    if (width < 1 || width > kMaxBitmapSide) return false;
    if (height == 0 || height < -kMaxBitmapSide || height > kMaxBitmapSide) return false;
    if (planes != 1 || (bits != 8 && bits != 24) || compression != 0) return false;

    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    std::uint64_t paletteEnd = 14 + static_cast<std::uint64_t>(infoSize);
    std::uint32_t paletteCount = 0;
    if (bits == 8) {
        if (coloursUsed > 256) return false;
        paletteCount = coloursUsed ? coloursUsed : 256;
        paletteEnd += 4ull * paletteCount;
    }
    if (paletteEnd > size || pixelOffset < paletteEnd) return false;
    if (pixelOffset + stride * rows > size) return false;
    // Declared sizes that reach past the bytes mean a cut-off file.
    if (fileSize > size) return false;
    if (imageSize != 0 && pixelOffset + static_cast<std::uint64_t>(imageSize) > size) return false;
    if (paletteCount < 256 && bits == 8) {
        for (std::uint64_t row = 0; row < rows; ++row) {
            const std::uint8_t* p = d + pixelOffset + row * stride;
            for (int x = 0; x < width; ++x) {
                if (p[x] >= paletteCount) return false;
            }
        }
    }
    shape.width = width;
    shape.height = static_cast<int>(rows);
    return true;
}

// ---- pixel access ---------------------------------------------------------------------------

std::uint32_t LoadPixel(const std::uint8_t* p, int bytesPerPixel) {
    switch (bytesPerPixel) {
    case 1: return p[0];
    case 2: return ReadU16(p);
    case 3: return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                   (static_cast<std::uint32_t>(p[2]) << 16);
    default: return ReadU32(p);
    }
}

void StorePixel(std::uint8_t* p, int bytesPerPixel, std::uint32_t v) {
    for (int i = 0; i < bytesPerPixel; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint8_t* PixelRow(SDL_Surface* s, int y) { return static_cast<std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch; }
const std::uint8_t* PixelRow(const SDL_Surface* s, int y) {
    return static_cast<const std::uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch;
}

// Turns pixels of one format into 0xRRGGBB, widening each channel the way SDL does (5-bit 31 → 255).
class RgbDecoder {
public:
    RgbDecoder(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
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
    std::uint32_t operator()(std::uint32_t pixel) const {
        return (Channel(pixel, 0) << 16) | (Channel(pixel, 1) << 8) | Channel(pixel, 2);
    }

private:
    std::uint32_t Channel(std::uint32_t pixel, int c) const {
        if (bits[c] == 0) return 0;
        const std::uint32_t v = (pixel & mask[c]) >> shift[c];
        if (bits[c] >= 8) return (v >> (bits[c] - 8)) & 0xFF;
        if (bits[c] >= 4) return ((v << (8 - bits[c])) | (v >> (2 * bits[c] - 8))) & 0xFF;
        // Repeat the value's top bits below it.
        std::uint32_t out = 0;
        for (int pos = 8 - bits[c]; pos > -bits[c]; pos -= bits[c]) out |= pos >= 0 ? v << pos : v >> -pos;
        return out & 0xFF;
    }

    std::uint32_t mask[3];
    int shift[3];
    int bits[3];
};

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
            StorePixel(px, bytesPerPixel, FadeOne<White>(LoadPixel(px, bytesPerPixel), t));
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
            StorePixel(p, bytesPerPixel, FadeOne<White>(LoadPixel(p, bytesPerPixel), t));
    }
}

void CopySurface(SDL_Surface* dst, int dx, int dy, const SDL_Surface* src) {
    const std::size_t rowBytes = static_cast<std::size_t>(src->w) * src->format->BytesPerPixel;
    for (int y = 0; y < src->h; ++y) {
        std::memcpy(PixelRow(dst, dy + y) + static_cast<std::ptrdiff_t>(dx) * dst->format->BytesPerPixel,
                    PixelRow(src, y), rowBytes);
    }
}

}  // namespace

// ---- life cycle -----------------------------------------------------------------------------

TVekDraw::TVekDraw() : text(std::make_unique<platform::TextRenderer>()) {}

TVekDraw::~TVekDraw() {
    const bool hadWindow = window != nullptr;
    ReleaseAll();
    if (hadWindow && SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_ENABLE);
}

bool TVekDraw::Init(platform::Window* target) {
    return Init(target, Width, Height, FullScreen, ColorDepth == TColorDepth::cd16bpp ? 16 : 24);
}

bool TVekDraw::Init(platform::Window* target, int width, int height, bool fullScreen, int bitsPerPixel) {
    std::uint32_t format = SDL_PIXELFORMAT_RGB888;
    if (target) {
        // Windowed the desktop's format applies; full screen asks for the given depth.
        if (const int code = CodeForSdlFormat(target->PixelFormat())) format = SdlFormatForCode(code);
        if (fullScreen) {
            if (bitsPerPixel == 16) format = SDL_PIXELFORMAT_RGB565;
            if (bitsPerPixel == 24) format = SDL_PIXELFORMAT_BGR24;
            if (bitsPerPixel == 32) format = SDL_PIXELFORMAT_RGB888;
        }
    }
    return Build(target, width, height, fullScreen, format);
}

bool TVekDraw::InitHeadless(int code, int width, int height) {
    if (code < 1 || code > 4) {
        ReleaseAll();
        return false;
    }
    return Build(nullptr, width, height, false, SdlFormatForCode(code));
}

bool TVekDraw::Build(platform::Window* target, int width, int height, bool fullScreen, std::uint32_t sdlFormat) {
    ReleaseAll();
    window = target;
    if (width < 1 || width > kMaxWidth) width = kMaxWidth;
    if (height < 1 || height > kMaxHeight) height = kMaxHeight;
    surfaceWidth = width;
    surfaceHeight = height;
    screenOffsetX = (kMaxWidth - width) >> 1;
    screenOffsetY = (kMaxHeight - height) >> 1;
    fullScreenMode = fullScreen;
    SetClip(-1, -1, -1, -1);

    if (window) {
        if (fullScreen && !window->IsFullScreen()) {
            window->ToggleFullScreen();
            windowMadeFullScreen = true;
        } else if (!fullScreen && windowMadeFullScreen && window->IsFullScreen()) {
            window->ToggleFullScreen();
        }
    }

    const int bits = static_cast<int>(SDL_BITSPERPIXEL(sdlFormat));
    backBuffer = SDL_CreateRGBSurfaceWithFormat(0, width, height, bits, sdlFormat);
    tmpSurface = SDL_CreateRGBSurfaceWithFormat(0, width, height, bits, sdlFormat);
    if (window && fullScreen) frame = SDL_CreateRGBSurfaceWithFormat(0, kMaxWidth, kMaxHeight, bits, sdlFormat);
    if (!backBuffer || !tmpSurface || (window && fullScreen && !frame)) {
        ReleaseAll();
        return false;
    }
    SDL_FillRect(backBuffer, nullptr, 0);
    SDL_FillRect(tmpSurface, nullptr, 0);

    const SDL_PixelFormat* f = backBuffer->format;
    if (f->BytesPerPixel == 2) {
        if (f->Gmask == 0x03E0) formatCode = 1;
        if (f->Gmask == 0x07E0) formatCode = 2;
    } else if (f->BytesPerPixel == 3) {
        formatCode = 3;
    } else if (f->BytesPerPixel == 4) {
        formatCode = 4;
    }
    redMask = f->Rmask;
    greenMask = f->Gmask;
    blueMask = f->Bmask;
    colorMask = redMask | greenMask | blueMask;
    nonColorMask = ~colorMask;
    bytesPerPixel = f->BytesPerPixel;
    MoveTo(0, 0);
    if (window && SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(fullScreen ? SDL_DISABLE : SDL_ENABLE);
    presented.clear();
    presentedRaw.clear();
    presentedStale = false;
    presentedWidth = presentedHeight = 0;
    ready = true;
    return true;
}

bool TVekDraw::ReleaseAll() {
    for (auto& sprite : sprites) {
        if (sprite->surface) SDL_FreeSurface(sprite->surface);
        sprite->surface = nullptr;
    }
    if (frame) SDL_FreeSurface(frame);
    if (tmpSurface) SDL_FreeSurface(tmpSurface);
    if (backBuffer) SDL_FreeSurface(backBuffer);
    frame = tmpSurface = backBuffer = nullptr;
    ready = false;
    sprites.clear();
    return true;
}

void TVekDraw::SetWidth(int value) {
    if (value <= kMaxWidth) Width = value;
}

void TVekDraw::SetHeight(int value) {
    if (value <= kMaxHeight) Height = value;
}

// ---- sprites --------------------------------------------------------------------------------

TSpriteSurf* TVekDraw::GetSpriteSurf(const std::string& name) {
    for (auto& sprite : sprites) {
        if (sprite->name == name) return sprite.get();
    }
    return nullptr;
}

bool TVekDraw::CreateSprite(const std::string& name, const std::string& source, int cellWidth, int cellHeight) {
    TSpriteSurf* sprite = GetSpriteSurf(name);
    // The same picture under the same name is already there, cells and all.
    if (sprite && sprite->source == source) return true;
    if (sprite) {
        if (sprite->surface) SDL_FreeSurface(sprite->surface);
        sprite->surface = nullptr;
        sprite->source = source;
    } else {
        auto record = std::make_unique<TSpriteSurf>();
        record->name = name;
        record->source = source;
        sprite = record.get();
        sprites.push_back(std::move(record));
    }
    if (LoadSprite(*sprite, cellWidth, cellHeight)) return true;
    if (sprite->surface) SDL_FreeSurface(sprite->surface);
    sprites.erase(std::find_if(sprites.begin(), sprites.end(), [&](const auto& s) { return s.get() == sprite; }));
    return false;
}

bool TVekDraw::CreateSprite(TSpriteSurf* sprite, int cellWidth, int cellHeight) {
    if (!sprite) return false;
    if (sprite->surface) SDL_FreeSurface(sprite->surface);
    sprite->surface = nullptr;
    return LoadSprite(*sprite, cellWidth, cellHeight);
}

bool TVekDraw::LoadSprite(TSpriteSurf& sprite, int cellWidth, int cellHeight) {
    if (!ready) return false;
    std::vector<std::uint8_t> fileBytes;
    platform::Bytes bytes;
    if (auto resource = platform::FindResource("BITMAP", sprite.source)) {
        bytes = *resource;
    } else if (platform::ReadWholeFile(sprite.source, fileBytes)) {
        bytes = platform::Bytes(fileBytes.data(), fileBytes.size());
    } else {
        return false;
    }
    BitmapShape shape;
    if (!CheckBitmap(bytes, shape)) return false;

    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!stream) return false;
    SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
    if (!loaded) return false;
    SDL_Surface* converted = nullptr;
    if (loaded->w == shape.width && loaded->h == shape.height) {
        converted = SDL_ConvertSurface(loaded, backBuffer->format, 0);
    }
    SDL_FreeSurface(loaded);
    if (!converted) return false;

    // Padding bits of the screen format are cleared, so black is exactly 0 and transparent.
    bool opaque = true;
    const int bpp = converted->format->BytesPerPixel;
    for (int y = 0; y < converted->h; ++y) {
        std::uint8_t* p = PixelRow(converted, y);
        for (int x = 0; x < converted->w; ++x, p += bpp) {
            const std::uint32_t v = LoadPixel(p, bpp) & colorMask;
            StorePixel(p, bpp, v);
            if (v == 0) opaque = false;
        }
    }
    SDL_SetColorKey(converted, SDL_TRUE, 0);
    SDL_SetSurfaceBlendMode(converted, SDL_BLENDMODE_NONE);

    const int w = converted->w;
    const int h = converted->h;
    if (cellWidth == 0) cellWidth = w;
    if (cellHeight == 0) cellHeight = h;
    sprite.cellWidth = cellWidth;
    sprite.cellHeight = cellHeight;
    sprite.columns = w / cellWidth;
    sprite.cellCount = (w / cellWidth) * (h / cellHeight);
    sprite.surface = converted;
    sprite.opaque = opaque;
    return true;
}

bool TVekDraw::DeleteSprite(const std::string& name) {
    auto it = std::find_if(sprites.begin(), sprites.end(), [&](const auto& s) { return s->name == name; });
    if (it == sprites.end()) return false;
    if ((*it)->surface) SDL_FreeSurface((*it)->surface);
    sprites.erase(it);
    return true;
}

// ---- drawing --------------------------------------------------------------------------------

bool TVekDraw::Draw(int x, int y, const std::string& name, int cell, int, int) {
    TSpriteSurf* sprite = GetSpriteSurf(name);
    if (!sprite) return false;
    return Draw(x, y, sprite, cell);
}

bool TVekDraw::Draw(int x, int y, TSpriteSurf* sprite, int cell) {
    if (!ready || !sprite || !sprite->surface) return false;
    if (cell < 0 || cell >= sprite->cellCount || sprite->columns == 0) return false;
    const std::int64_t cw = sprite->cellWidth;
    const std::int64_t ch = sprite->cellHeight;
    const std::int64_t sx = static_cast<std::int64_t>(cell % sprite->columns) * cw;
    const std::int64_t sy = static_cast<std::int64_t>(cell / sprite->columns) * ch;
    const std::int64_t px = x, py = y;
    if (px + cw <= clipLeft || px >= clipRight || py + ch <= clipTop || py >= clipBottom) return true;

    const std::int64_t left = sx + std::max<std::int64_t>(clipLeft - px, 0);
    const std::int64_t right = sx + std::min<std::int64_t>(cw, clipRight - px);
    const std::int64_t top = sy + std::max<std::int64_t>(clipTop - py, 0);
    const std::int64_t bottom = sy + std::min<std::int64_t>(ch, clipBottom - py);
    const std::int64_t dx = std::max<std::int64_t>(px, clipLeft);
    const std::int64_t dy = std::max<std::int64_t>(py, clipTop);
    const std::int64_t w = right - left;
    const std::int64_t h = bottom - top;
    // A blit that would read outside the bitmap or write outside the back buffer is refused.
    const SDL_Surface* src = sprite->surface;
    if (w <= 0 || h <= 0 || left < 0 || top < 0 || right > src->w || bottom > src->h) return false;
    if (dx < 0 || dy < 0 || dx + w > surfaceWidth || dy + h > surfaceHeight) return false;

    const int bpp = bytesPerPixel;
    const std::size_t rowBytes = static_cast<std::size_t>(w) * bpp;
    for (std::int64_t row = 0; row < h; ++row) {
        const std::uint8_t* s = PixelRow(src, static_cast<int>(top + row)) + left * bpp;
        std::uint8_t* d = PixelRow(backBuffer, static_cast<int>(dy + row)) + dx * bpp;
        if (sprite->opaque) {
            std::memcpy(d, s, rowBytes);
        } else if (bpp == 4) {
            BlitKeyedRow<std::uint32_t>(d, s, static_cast<int>(w));
        } else if (bpp == 2) {
            BlitKeyedRow<std::uint16_t>(d, s, static_cast<int>(w));
        } else {
            BlitKeyedRow24(d, s, static_cast<int>(w));
        }
    }
    return true;
}

bool TVekDraw::TextOutA(int x, int y, const std::string& textBytes) {
    if (!ready) return false;
    return text->Draw(backBuffer, x, y, textBytes, fontColor);
}

bool TVekDraw::MoveTo(int x, int y) {
    penX = x;
    penY = y;
    return true;
}

bool TVekDraw::LineTo(int x, int y) {
    if (!ready) return false;
    const std::uint32_t colour =
        SDL_MapRGB(backBuffer->format, (penColor >> 16) & 0xFF, (penColor >> 8) & 0xFF, penColor & 0xFF);
    // Bresenham in closed form: point i of the major axis lies round(i * minor / major) along the minor
    // axis, so only the steps that fall inside the buffer are visited, however long the line.
    const std::int64_t x0 = penX, y0 = penY;
    const std::int64_t ddx = static_cast<std::int64_t>(x) - x0;
    const std::int64_t ddy = static_cast<std::int64_t>(y) - y0;
    const bool xMajor = (ddx < 0 ? -ddx : ddx) >= (ddy < 0 ? -ddy : ddy);
    const std::int64_t major = xMajor ? (ddx < 0 ? -ddx : ddx) : (ddy < 0 ? -ddy : ddy);
    const std::int64_t minor = xMajor ? (ddy < 0 ? -ddy : ddy) : (ddx < 0 ? -ddx : ddx);
    const std::int64_t majorStep = (xMajor ? ddx : ddy) < 0 ? -1 : 1;
    const std::int64_t minorStep = (xMajor ? ddy : ddx) < 0 ? -1 : 1;
    const std::int64_t majorStart = xMajor ? x0 : y0;
    const std::int64_t minorStart = xMajor ? y0 : x0;
    const std::int64_t majorLimit = xMajor ? surfaceWidth : surfaceHeight;
    const std::int64_t minorLimit = xMajor ? surfaceHeight : surfaceWidth;
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
        StorePixel(PixelRow(backBuffer, static_cast<int>(py)) + px * bytesPerPixel, bytesPerPixel, colour);
    }
    penX = x;
    penY = y;
    return true;
}

bool TVekDraw::SetClip(int left, int top, int right, int bottom) {
    clipLeft = left == -1 ? 0 : left;
    clipTop = top == -1 ? 0 : top;
    clipRight = right == -1 ? surfaceWidth : right;
    clipBottom = bottom == -1 ? surfaceHeight : bottom;
    return true;
}

bool TVekDraw::Clear() {
    if (!ready) return false;
    return SDL_FillRect(backBuffer, nullptr, 0) == 0;
}

// ---- fades ----------------------------------------------------------------------------------

namespace {
template <bool White>
bool RunFade(std::uint8_t* pixels, int pitch, int width, int height, int level, int code, int bytesPerPixel,
             std::uint32_t mr, std::uint32_t mg, std::uint32_t mb) {
    if (!pixels || width <= 0 || height <= 0) return true;
    // The level in each channel's scale: the top bits of its low byte at the channel's position.
    const auto l = static_cast<std::uint32_t>(level);
    std::uint32_t ar = 0, ag = 0, ab = 0;
    switch (code) {
    case 1:
        ar = (l << 7) & mr;
        ag = (l << 2) & mg;
        ab = static_cast<std::uint32_t>(level >> 3) & mb;
        break;
    case 2:
        ar = (l << 8) & mr;
        ag = (l << 3) & mg;
        ab = static_cast<std::uint32_t>(level >> 3) & mb;
        break;
    case 3:
    case 4:
        ar = (l << 16) & mr;
        ag = (l << 8) & mg;
        ab = l & mb;
        break;
    default:
        return true;  // no known format, no masks: nothing changes
    }
    const FadeTerms terms{{mr, mg, mb}, {ar, ag, ab}, {mr - ar, mg - ag, mb - ab}, mr | mg | mb};
    if (bytesPerPixel < 2 || bytesPerPixel > 4) return true;
#if defined(__SSE2__)
    if (SimdFadeAll<White>(pixels, pitch, width, height, bytesPerPixel, terms)) return true;
#endif
    ScalarFadeRows<White>(pixels, pitch, width, height, bytesPerPixel, terms);
    return true;
}
}  // namespace

bool TVekDraw::Fade_Pixel(std::uint8_t* pixels, int pitch, int width, int height, int level) const {
    return RunFade<false>(pixels, pitch, width, height, level, formatCode, bytesPerPixel, redMask, greenMask,
                          blueMask);
}

bool TVekDraw::White_Pixel(std::uint8_t* pixels, int pitch, int width, int height, int level) const {
    return RunFade<true>(pixels, pitch, width, height, level, formatCode, bytesPerPixel, redMask, greenMask,
                         blueMask);
}

bool TVekDraw::Fade(int level) {
    if (!ready) return false;
    return Fade_Pixel(static_cast<std::uint8_t*>(backBuffer->pixels), backBuffer->pitch, surfaceWidth,
                      surfaceHeight, level);
}

bool TVekDraw::WhiteFade(int level) {
    if (!ready) return false;
    return White_Pixel(static_cast<std::uint8_t*>(backBuffer->pixels), backBuffer->pitch, surfaceWidth,
                       surfaceHeight, level);
}

// ---- presentation ---------------------------------------------------------------------------

const std::vector<std::uint32_t>& TVekDraw::PresentedPicture() const {
    if (presentedStale) DecodePresented();
    return presented;
}

void TVekDraw::DecodePresented() const {
    presentedStale = false;
    const std::size_t count = static_cast<std::size_t>(presentedWidth) * presentedHeight;
    presented.resize(count);
    const std::uint8_t* in = presentedRaw.data();
    if (bytesPerPixel == 4 && redMask == 0xFF0000 && greenMask == 0xFF00 && blueMask == 0xFF) {
        for (std::size_t i = 0; i < count; ++i) presented[i] = ReadU32(in + 4 * i) & 0xFFFFFF;
        return;
    }
    const RgbDecoder decode(redMask, greenMask, blueMask);
    for (std::size_t i = 0; i < count; ++i) presented[i] = decode(LoadPixel(in + i * bytesPerPixel, bytesPerPixel));
}

bool TVekDraw::Update() {
    if (!ready) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(surfaceWidth) * bytesPerPixel;
    presentedRaw.resize(rowBytes * surfaceHeight);
    for (int y = 0; y < surfaceHeight; ++y) {
        std::memcpy(presentedRaw.data() + static_cast<std::size_t>(y) * rowBytes, PixelRow(backBuffer, y), rowBytes);
    }
    presentedWidth = surfaceWidth;
    presentedHeight = surfaceHeight;
    presentedStale = true;
    if (window) {
        if (fullScreenMode && frame) {
            SDL_FillRect(frame, nullptr, 0);
            CopySurface(frame, screenOffsetX, screenOffsetY, backBuffer);
            window->Present(frame);
        } else {
            window->Present(backBuffer);
        }
    }
    ++presentCount;
    return true;
}

bool TVekDraw::UpdateTmp() {
    if (!ready) return false;
    CopySurface(tmpSurface, 0, 0, backBuffer);
    return true;
}

std::uint32_t TVekDraw::PixelAt(int x, int y) const {
    if (!backBuffer || x < 0 || y < 0 || x >= surfaceWidth || y >= surfaceHeight) return 0;
    return LoadPixel(PixelRow(static_cast<const SDL_Surface*>(backBuffer), y) + x * bytesPerPixel, bytesPerPixel);
}

std::uint32_t TVekDraw::RgbAt(int x, int y) const {
    return RgbDecoder(redMask, greenMask, blueMask)(PixelAt(x, y));
}

bool TVekDraw::SavePresentedBmp(const std::string& path) const {
    const std::vector<std::uint32_t>& picture = PresentedPicture();
    if (picture.empty() || presentedWidth <= 0 || presentedHeight <= 0) return false;
    const int stride = (presentedWidth * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride) * static_cast<std::uint32_t>(presentedHeight);
    std::vector<std::uint8_t> out;
    out.reserve(54 + imageSize);
    auto put16 = [&](std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    put32(54 + imageSize);
    put32(0);
    put32(54);
    put32(40);
    put32(static_cast<std::uint32_t>(presentedWidth));
    put32(static_cast<std::uint32_t>(presentedHeight));
    put16(1);
    put16(24);
    put32(0);
    put32(imageSize);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int y = presentedHeight - 1; y >= 0; --y) {
        for (int x = 0; x < presentedWidth; ++x) {
            const std::uint32_t rgb = picture[static_cast<std::size_t>(y) * presentedWidth + x];
            out.push_back(static_cast<std::uint8_t>(rgb));
            out.push_back(static_cast<std::uint8_t>(rgb >> 8));
            out.push_back(static_cast<std::uint8_t>(rgb >> 16));
        }
        for (int pad = presentedWidth * 3; pad < stride; ++pad) out.push_back(0);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}
