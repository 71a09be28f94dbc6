#include "devices/Bitmap.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "devices/Pixels.h"

namespace bitmap {

namespace {

// Bitmaps wider or taller than this are refused before SDL sees them (pixels).
constexpr int kMaxBitmapSide = 4096;

std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// What the headers declare, checked for sense but not yet against the bytes that follow them.
struct Header {
    std::uint32_t fileSize = 0;
    std::uint32_t pixelOffset = 0;
    std::uint32_t infoSize = 0;
    int width = 0;
    int rows = 0;
    int bits = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t paletteCount = 0;
    std::uint64_t paletteEnd = 0;
    std::uint64_t stride = 0;
};

// Accepts only what the game's art is: an uncompressed 8-bit (palette) or 24-bit Windows bitmap.
TBitmapRefusal ReadHeader(Bytes bytes, Header& h) {
    const std::uint8_t* d = bytes.data();
    const std::uint64_t size = bytes.size();
    if (size < 2) return TBitmapRefusal::TooShort;
    if (d[0] != 'B' || d[1] != 'M') return TBitmapRefusal::NotBitmap;
    if (size < 14 + 40) return TBitmapRefusal::TooShort;
    h.fileSize = ReadU32(d + 2);
    h.pixelOffset = ReadU32(d + 10);
    h.infoSize = ReadU32(d + 14);
    if (h.infoSize != 40 && h.infoSize != 52 && h.infoSize != 56 && h.infoSize != 108 && h.infoSize != 124)
        return TBitmapRefusal::UnknownHeader;
    if (14 + static_cast<std::uint64_t>(h.infoSize) > size) return TBitmapRefusal::TooShort;
    const auto width = static_cast<std::int32_t>(ReadU32(d + 18));
    const auto height = static_cast<std::int32_t>(ReadU32(d + 22));
    const std::uint16_t planes = ReadU16(d + 26);
    h.bits = ReadU16(d + 28);
    const std::uint32_t compression = ReadU32(d + 30);
    h.imageSize = ReadU32(d + 34);
    const std::uint32_t coloursUsed = ReadU32(d + 46);
    if (width < 1 || width > kMaxBitmapSide) return TBitmapRefusal::BadSize;
    if (height == 0 || height < -kMaxBitmapSide || height > kMaxBitmapSide) return TBitmapRefusal::BadSize;
    if (planes != 1) return TBitmapRefusal::BadPlanes;
    if (h.bits != 8 && h.bits != 24) return TBitmapRefusal::UnsupportedDepth;
    if (compression != 0) return TBitmapRefusal::UnsupportedCompression;
    h.width = width;
    h.rows = height < 0 ? -height : height;
    h.stride = (static_cast<std::uint64_t>(width) * h.bits + 31) / 32 * 4;
    h.paletteEnd = 14 + static_cast<std::uint64_t>(h.infoSize);
    if (h.bits == 8) {
        if (coloursUsed > 256) return TBitmapRefusal::BadPalette;
        h.paletteCount = coloursUsed ? coloursUsed : 256;
        h.paletteEnd += 4ull * h.paletteCount;
    }
    return TBitmapRefusal::None;
}

std::uint64_t PixelEnd(const Header& h) {
    return static_cast<std::uint64_t>(h.pixelOffset) + h.stride * static_cast<std::uint64_t>(h.rows);
}

// Every declared part must lie inside the bytes, so the BMP reader is never handed a buffer it could
// read past.
TBitmapRefusal Check(Bytes bytes, Header& h) {
    if (const TBitmapRefusal r = ReadHeader(bytes, h); r != TBitmapRefusal::None) return r;
    const std::uint64_t size = bytes.size();
    if (h.paletteEnd > size || h.pixelOffset < h.paletteEnd) return TBitmapRefusal::PartPastData;
    if (PixelEnd(h) > size) return TBitmapRefusal::PartPastData;
    // Declared sizes that reach past the bytes mean a cut-off file.
    if (h.fileSize > size) return TBitmapRefusal::PartPastData;
    if (h.imageSize != 0 && h.pixelOffset + static_cast<std::uint64_t>(h.imageSize) > size)
        return TBitmapRefusal::PartPastData;
    if (h.bits == 8 && h.paletteCount < 256) {
        for (int row = 0; row < h.rows; ++row) {
            const std::uint8_t* p = bytes.data() + h.pixelOffset + static_cast<std::uint64_t>(row) * h.stride;
            for (int x = 0; x < h.width; ++x) {
                if (p[x] >= h.paletteCount) return TBitmapRefusal::IndexOutsidePalette;
            }
        }
    }
    return TBitmapRefusal::None;
}

}  // namespace


TBitmapRefusal BytesNeeded(Bytes start, std::uint64_t& needed) {
    needed = 0;
    Header h;
    if (const TBitmapRefusal r = ReadHeader(start, h); r != TBitmapRefusal::None) return r;
    needed = std::max({static_cast<std::uint64_t>(h.fileSize), h.paletteEnd, PixelEnd(h),
                       static_cast<std::uint64_t>(h.pixelOffset) + h.imageSize});
    return TBitmapRefusal::None;
}

TDecodedBitmap Decode(Bytes bytes, const SDL_PixelFormat* format) {
    TDecodedBitmap out;
    Header h;
    out.refusal = Check(bytes, h);
    if (out.refusal != TBitmapRefusal::None) return out;
    out.refusal = TBitmapRefusal::Undecodable;
    if (!format || bytes.size() > INT_MAX) return out;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!stream) return out;
    SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
    if (!loaded) return out;
    SDL_Surface* converted = nullptr;
    if (loaded->w == h.width && loaded->h == h.rows) converted = SDL_ConvertSurface(loaded, format, 0);
    SDL_FreeSurface(loaded);
    if (!converted) return out;

    // Padding bits of the screen format are cleared, so black is exactly 0 and transparent.
    const std::uint32_t colorMask = format->Rmask | format->Gmask | format->Bmask;
    bool opaque = true;
    const int bpp = converted->format->BytesPerPixel;
    for (int y = 0; y < converted->h; ++y) {
        std::uint8_t* p = pixels::Row(converted, y);
        for (int x = 0; x < converted->w; ++x, p += bpp) {
            const std::uint32_t v = pixels::Load(p, bpp) & colorMask;
            pixels::Store(p, bpp, v);
            if (v == 0) opaque = false;
        }
    }
    out.surface = converted;
    out.opaque = opaque;
    out.refusal = TBitmapRefusal::None;
    return out;
}

bool WriteBmp24(const std::string& path, int width, int height, const std::vector<std::uint32_t>& picture) {
    if (width <= 0 || height <= 0 || picture.size() != static_cast<std::size_t>(width) * height) return false;
    const int stride = (width * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride) * static_cast<std::uint32_t>(height);
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
    put32(static_cast<std::uint32_t>(width));
    put32(static_cast<std::uint32_t>(height));
    put16(1);
    put16(24);
    put32(0);
    put32(imageSize);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = picture[static_cast<std::size_t>(y) * width + x];
            out.push_back(static_cast<std::uint8_t>(rgb));
            out.push_back(static_cast<std::uint8_t>(rgb >> 8));
            out.push_back(static_cast<std::uint8_t>(rgb >> 16));
        }
        for (int pad = width * 3; pad < stride; ++pad) out.push_back(0);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace bitmap

const char* RefusalName(TBitmapRefusal refusal) {
    switch (refusal) {
    case TBitmapRefusal::None: return "None";
    case TBitmapRefusal::TooShort: return "TooShort";
    case TBitmapRefusal::NotBitmap: return "NotBitmap";
    case TBitmapRefusal::UnknownHeader: return "UnknownHeader";
    case TBitmapRefusal::BadSize: return "BadSize";
    case TBitmapRefusal::BadPlanes: return "BadPlanes";
    case TBitmapRefusal::UnsupportedDepth: return "UnsupportedDepth";
    case TBitmapRefusal::UnsupportedCompression: return "UnsupportedCompression";
    case TBitmapRefusal::BadPalette: return "BadPalette";
    case TBitmapRefusal::PartPastData: return "PartPastData";
    case TBitmapRefusal::IndexOutsidePalette: return "IndexOutsidePalette";
    case TBitmapRefusal::Undecodable: return "Undecodable";
    }
    return "?";
}
