#include "devices/Bitmap.h"

#include <SDL.h>

#include <algorithm>
#include <climits>

#include "devices/Pixels.h"
#include "platform/ByteReader.h"

namespace bitmap {

namespace {

// The largest decoded picture, at 4 bytes a pixel, so a long strip of cells loads but a header cannot
// ask for more memory than a game's art could use (bytes).
constexpr std::uint64_t kMaxDecodedBytes = 256u << 20;
// The most of a file read: the largest picture at 4 bytes a pixel plus its headers and palette (bytes).
constexpr std::uint64_t kMaxFileBytes = kMaxDecodedBytes + (64u << 10);

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

// What the headers declare, checked for sense but not yet against the bytes that follow them.
struct Header {
    std::uint32_t fileSize = 0;
    std::uint32_t pixelOffset = 0;
    std::uint32_t infoSize = 0;
    int width = 0;
    int rows = 0;
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t imageSize = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    std::uint64_t masksEnd = 0;      // where the bit-field masks end (the headers, when there are none)
    std::uint32_t paletteCount = 0;  // colours the pixels may use; 0 above 8 bits
    std::uint64_t paletteEnd = 0;
    std::uint64_t stride = 0;        // bytes per stored row, uncompressed
};

// One run of set bits, inside the pixel.
bool MaskIsUsable(std::uint32_t mask, int bits) {
    if (mask == 0) return false;
    if (bits < 32 && (mask >> bits) != 0) return false;
    const std::uint32_t low = mask & (~mask + 1);
    return ((mask + low) & mask) == 0;
}

TBitmapRefusal ReadHeader(Bytes bytes, Header& h) {
    const std::uint8_t* d = bytes.data();
    const std::uint64_t size = bytes.size();
    if (size < 2) return TBitmapRefusal::kTooShort;
    if (d[0] != 'B' || d[1] != 'M') return TBitmapRefusal::kNotBitmap;
    if (size < 14 + 4) return TBitmapRefusal::kTooShort;
    h.fileSize = platform::Le32(bytes, 2);
    h.pixelOffset = platform::Le32(bytes, 10);
    h.infoSize = platform::Le32(bytes, 14);
    const bool core = h.infoSize == 12;
    if (!core && h.infoSize != 40 && h.infoSize != 52 && h.infoSize != 56 && h.infoSize != 108 && h.infoSize != 124)
        return TBitmapRefusal::kUnknownHeader;
    if (14 + static_cast<std::uint64_t>(h.infoSize) > size) return TBitmapRefusal::kTooShort;

    std::int64_t width = 0, height = 0;
    std::uint16_t planes = 0;
    std::uint32_t coloursUsed = 0;
    if (core) {
        // The OS/2 core header: 16-bit sides, always bottom-up, uncompressed, a full palette of
        // 3-byte entries (which may be cut short by the pixels' offset).
        width = platform::Le16(bytes, 18);
        height = platform::Le16(bytes, 20);
        planes = platform::Le16(bytes, 22);
        h.bits = platform::Le16(bytes, 24);
    } else {
        width = static_cast<std::int32_t>(platform::Le32(bytes, 18));
        height = static_cast<std::int32_t>(platform::Le32(bytes, 22));
        planes = platform::Le16(bytes, 26);
        h.bits = platform::Le16(bytes, 28);
        h.compression = platform::Le32(bytes, 30);
        h.imageSize = platform::Le32(bytes, 34);
        coloursUsed = platform::Le32(bytes, 46);
    }
    if (width < 1 || height == 0 || height == INT32_MIN) return TBitmapRefusal::kBadSize;
    h.topDown = height < 0;
    const std::int64_t rows = height < 0 ? -height : height;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(rows) * 4 > kMaxDecodedBytes)
        return TBitmapRefusal::kTooLarge;
    if (planes != 1) return TBitmapRefusal::kBadPlanes;
    const int b = h.bits;
    if (core ? (b != 1 && b != 4 && b != 8 && b != 24)
             : (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32))
        return TBitmapRefusal::kUnsupportedDepth;
    const std::uint32_t c = h.compression;
    if (!(c == kRgb || (c == kRle8 && b == 8) || (c == kRle4 && b == 4) || (c == kBitFields && (b == 16 || b == 32))))
        return TBitmapRefusal::kUnsupportedCompression;
    // Compressed rows are stored bottom-up only.
    if ((c == kRle8 || c == kRle4) && h.topDown) return TBitmapRefusal::kUnsupportedCompression;
    h.width = static_cast<int>(width);
    h.rows = static_cast<int>(rows);
    h.stride = (static_cast<std::uint64_t>(width) * b + 31) / 32 * 4;

    h.masksEnd = 14 + static_cast<std::uint64_t>(h.infoSize);
    if (b == 16 && c == kRgb) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    }
    if (c == kBitFields) {
        // A 40-byte header is followed by the three masks; later headers hold them.
        const std::uint64_t at = 14 + 40;
        if (h.infoSize == 40) h.masksEnd += 12;
        if (h.masksEnd > size) return TBitmapRefusal::kTooShort;
        for (int i = 0; i < 3; ++i) {
            h.masks[i] = platform::Le32(bytes, at + 4 * i);
            if (!MaskIsUsable(h.masks[i], b)) return TBitmapRefusal::kBadMasks;
        }
        if ((h.masks[0] & h.masks[1]) || (h.masks[0] & h.masks[2]) || (h.masks[1] & h.masks[2]))
            return TBitmapRefusal::kBadMasks;
    }
    h.paletteEnd = h.masksEnd;
    if (b <= 8) {
        const std::uint32_t most = 1u << b;
        if (coloursUsed > most) return TBitmapRefusal::kBadPalette;
        h.paletteCount = coloursUsed ? coloursUsed : most;
        const std::uint32_t entry = core ? 3 : 4;
        if (core && h.pixelOffset >= h.masksEnd) {
            h.paletteCount = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(h.paletteCount, (h.pixelOffset - h.masksEnd) / entry));
        }
        if (h.paletteCount == 0) return TBitmapRefusal::kBadPalette;
        h.paletteEnd += static_cast<std::uint64_t>(entry) * h.paletteCount;
    }
    return TBitmapRefusal::kNone;
}

std::uint64_t PixelEnd(const Header& h) {
    if (h.compression == kRle8 || h.compression == kRle4) return static_cast<std::uint64_t>(h.pixelOffset) + h.imageSize;
    return static_cast<std::uint64_t>(h.pixelOffset) + h.stride * static_cast<std::uint64_t>(h.rows);
}

// Walks a run-length stream as the reader will, refusing any run that would leave its row or the
// picture, any index outside the palette and any stream that ends before its end-of-picture mark.
TBitmapRefusal CheckRuns(Bytes bytes, const Header& h) {
    const bool four = h.compression == kRle4;
    const std::uint64_t end = h.imageSize ? PixelEnd(h) : bytes.size();
    std::uint64_t at = h.pixelOffset;
    std::int64_t x = 0, y = 0;  // y counts stored rows, bottom first
    auto next = [&](std::uint8_t& v) {
        if (at >= end) return false;
        v = bytes[at++];
        return true;
    };
    auto indexFits = [&](std::uint8_t v) { return v < h.paletteCount; };
    for (;;) {
        std::uint8_t count = 0, value = 0;
        if (!next(count) || !next(value)) return TBitmapRefusal::kBadRuns;
        if (count > 0) {
            if (y >= h.rows || x + count > h.width) return TBitmapRefusal::kBadRuns;
            const bool fits = four ? indexFits(value >> 4) && (count == 1 || indexFits(value & 0x0F)) : indexFits(value);
            if (!fits) return TBitmapRefusal::kIndexOutsidePalette;
            x += count;
            continue;
        }
        if (value == 0) {  // end of row
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            return TBitmapRefusal::kNone;
        } else if (value == 2) {  // move right and up
            std::uint8_t dx = 0, dy = 0;
            if (!next(dx) || !next(dy)) return TBitmapRefusal::kBadRuns;
            x += dx;
            y += dy;
            if (x > h.width || y > h.rows) return TBitmapRefusal::kBadRuns;
        } else {  // `value` pixels stored as they are, padded to a 16-bit boundary
            if (y >= h.rows || x + value > h.width) return TBitmapRefusal::kBadRuns;
            const std::uint64_t stored = four ? (value + 1u) / 2u : value;
            if (at + stored + (stored & 1u) > end) return TBitmapRefusal::kBadRuns;
            for (int i = 0; i < value; ++i) {
                const std::uint8_t byte = bytes[at + (four ? i / 2 : i)];
                if (!indexFits(four ? (i % 2 ? byte & 0x0F : byte >> 4) : byte))
                    return TBitmapRefusal::kIndexOutsidePalette;
            }
            at += stored + (stored & 1u);
            x += value;
        }
    }
}

// Every declared part must lie inside the bytes, so the BMP reader is never handed a buffer it could
// read past, and every index must have its colour.
TBitmapRefusal Check(Bytes bytes, Header& h) {
    if (const TBitmapRefusal r = ReadHeader(bytes, h); r != TBitmapRefusal::kNone) return r;
    const std::uint64_t size = bytes.size();
    if (h.paletteEnd > size || h.pixelOffset < h.paletteEnd) return TBitmapRefusal::kPartPastData;
    if (h.compression == kRle8 || h.compression == kRle4) {
        if (PixelEnd(h) > size || h.pixelOffset >= size) return TBitmapRefusal::kPartPastData;
    } else if (PixelEnd(h) > size) {
        return TBitmapRefusal::kPartPastData;
    }
    // Declared sizes that reach past the bytes mean a cut-off file.
    if (h.fileSize > size) return TBitmapRefusal::kPartPastData;
    if (h.imageSize != 0 && h.pixelOffset + static_cast<std::uint64_t>(h.imageSize) > size)
        return TBitmapRefusal::kPartPastData;
    if (h.compression == kRle8 || h.compression == kRle4) return CheckRuns(bytes, h);
    if (h.bits <= 8 && h.paletteCount < (1u << h.bits)) {
        const int perByte = 8 / h.bits;
        for (int row = 0; row < h.rows; ++row) {
            const std::uint8_t* p = bytes.data() + h.pixelOffset + static_cast<std::uint64_t>(row) * h.stride;
            for (int x = 0; x < h.width; ++x) {
                const int shift = 8 - h.bits * (x % perByte + 1);
                const std::uint32_t index = (p[x / perByte] >> shift) & ((1u << h.bits) - 1);
                if (index >= h.paletteCount) return TBitmapRefusal::kIndexOutsidePalette;
            }
        }
    }
    return TBitmapRefusal::kNone;
}

// 16- and 32-bit pixels by their masks (alpha is dropped), each channel scaled to 8 bits as
// v × 255 / max, rounded down: full scale stays full scale whatever the channel's width.
SDL_Surface* DecodeBitFields(Bytes bytes, const Header& h) {
    SDL_Surface* out = SDL_CreateRGBSurfaceWithFormat(0, h.width, h.rows, 32, SDL_PIXELFORMAT_RGB888);
    if (!out) return nullptr;
    int shift[3] = {0, 0, 0};
    std::uint32_t max[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        while (!((h.masks[c] >> shift[c]) & 1u)) ++shift[c];
        max[c] = h.masks[c] >> shift[c];
    }
    const int bpp = h.bits / 8;
    for (int row = 0; row < h.rows; ++row) {
        const std::uint8_t* in = bytes.data() + h.pixelOffset + static_cast<std::uint64_t>(row) * h.stride;
        std::uint8_t* dst = pixels::Row(out, h.topDown ? row : h.rows - 1 - row);
        for (int x = 0; x < h.width; ++x) {
            const std::uint32_t v = pixels::Load(in + x * bpp, bpp);
            std::uint32_t rgb = 0;
            for (int c = 0; c < 3; ++c) {
                const std::uint64_t channel = (v & h.masks[c]) >> shift[c];
                rgb |= static_cast<std::uint32_t>(channel * 255 / max[c]) << (16 - 8 * c);
            }
            pixels::Store(dst + 4 * x, 4, rgb);
        }
    }
    return out;
}

}  // namespace

TBitmapRefusal BytesNeeded(Bytes start, std::uint64_t& needed) {
    needed = 0;
    Header h;
    if (const TBitmapRefusal r = ReadHeader(start, h); r != TBitmapRefusal::kNone) return r;
    std::uint64_t pixelEnd = PixelEnd(h);
    // Compressed rows without a declared size: at most two bytes a pixel, an end-of-row mark a row
    // and the end mark.
    if ((h.compression == kRle8 || h.compression == kRle4) && h.imageSize == 0)
        pixelEnd = h.pixelOffset + (2ull * h.width + 2) * h.rows + 2;
    needed = std::max({static_cast<std::uint64_t>(h.fileSize), h.paletteEnd, pixelEnd});
    return TBitmapRefusal::kNone;
}

TBitmapRefusal DeclaredSize(Bytes start, int& width, int& height) {
    width = height = 0;
    Header h;
    if (const TBitmapRefusal r = ReadHeader(start, h); r != TBitmapRefusal::kNone) return r;
    width = h.width;
    height = h.rows;
    return TBitmapRefusal::kNone;
}

TDecodedBitmap Decode(Bytes bytes, const SDL_PixelFormat* format) {
    TDecodedBitmap out;
    Header h;
    out.refusal = Check(bytes, h);
    if (out.refusal != TBitmapRefusal::kNone) return out;
    out.refusal = TBitmapRefusal::kUndecodable;
    if (!format || bytes.size() > INT_MAX) return out;
    // SDL widens channels narrower or wider than a byte its own way (5-6-5 white becomes 0xFFFEFF in
    // 32 bits), so 16-bit pixels and bit fields are decoded here, alike whatever their masks.
    SDL_Surface* loaded = nullptr;
    if (h.bits == 16 || h.compression == kBitFields) {
        loaded = DecodeBitFields(bytes, h);
    } else if (SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()))) {
        loaded = SDL_LoadBMP_RW(stream, 1);
    }
    if (!loaded) return out;
    SDL_Surface* converted = nullptr;
    if (loaded->w == h.width && loaded->h == h.rows) converted = SDL_ConvertSurface(loaded, format, 0);
    SDL_FreeSurface(loaded);
    if (!converted) return out;

    // Padding bits of the screen format are cleared, so black is exactly 0 and transparent.
    const bool opaque = pixels::KeepColourBits(converted, format->Rmask | format->Gmask | format->Bmask);
    out.surface = converted;
    out.opaque = opaque;
    out.refusal = TBitmapRefusal::kNone;
    return out;
}
TBitmapRefusal Check(Bytes bytes, int& width, int& height) {
    width = height = 0;
    SDL_PixelFormat* format = SDL_AllocFormat(SDL_PIXELFORMAT_RGB565);
    if (!format) return TBitmapRefusal::kUndecodable;
    const TDecodedBitmap decoded = Decode(bytes, format);
    SDL_FreeFormat(format);
    if (decoded.surface) {
        width = decoded.surface->w;
        height = decoded.surface->h;
        SDL_FreeSurface(decoded.surface);
    }
    return decoded.refusal;
}

bool ReadFile(const std::string& path, platform::Medium& out) {
    out.bytes = {};
    std::vector<std::uint8_t> start;
    std::uint64_t needed = 0;
    if (!platform::ReadFilePrefix(path, kHeaderBytes, start)) return false;
    if (BytesNeeded(start, needed) != TBitmapRefusal::kNone || needed > kMaxFileBytes) return false;
    if (!platform::ReadFilePrefix(path, static_cast<std::size_t>(needed), out.storage)) return false;
    out.bytes = Bytes(out.storage.data(), out.storage.size());
    return true;
}

}  // namespace bitmap

const char* RefusalName(TBitmapRefusal refusal) {
    switch (refusal) {
    case TBitmapRefusal::kNone: return "None";
    case TBitmapRefusal::kTooShort: return "TooShort";
    case TBitmapRefusal::kNotBitmap: return "NotBitmap";
    case TBitmapRefusal::kUnknownHeader: return "UnknownHeader";
    case TBitmapRefusal::kBadSize: return "BadSize";
    case TBitmapRefusal::kBadPlanes: return "BadPlanes";
    case TBitmapRefusal::kUnsupportedDepth: return "UnsupportedDepth";
    case TBitmapRefusal::kUnsupportedCompression: return "UnsupportedCompression";
    case TBitmapRefusal::kBadPalette: return "BadPalette";
    case TBitmapRefusal::kPartPastData: return "PartPastData";
    case TBitmapRefusal::kIndexOutsidePalette: return "IndexOutsidePalette";
    case TBitmapRefusal::kTooLarge: return "TooLarge";
    case TBitmapRefusal::kBadMasks: return "BadMasks";
    case TBitmapRefusal::kBadRuns: return "BadRuns";
    case TBitmapRefusal::kUndecodable: return "Undecodable";
    }
    return "?";
}
