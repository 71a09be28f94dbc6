#include "devices/Bitmap.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <set>
#include <sstream>

#include "devices/Pixels.h"
#include "platform/Resources.h"
#include "support/KeptInputs.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;


// A screen format for decoding into, freed with the test.
struct Format {
    explicit Format(TPixelFormat f) : format(SDL_AllocFormat(pixels::SdlFormat(f))) {}
    ~Format() { SDL_FreeFormat(format); }
    SDL_PixelFormat* format;
};

struct Surface {
    explicit Surface(SDL_Surface* s) : surface(s) {}
    ~Surface() {
        if (surface) SDL_FreeSurface(surface);
    }
    SDL_Surface* surface;
};

TEST(BitmapRefusal, EveryMalformedInputGivesItsExpectedRefusal) {
    const Format format(TPixelFormat::kXrgb32);
    testmedia::ForEachKeptInput("bitmap", ".bmp", 20, [&](const std::string& file, const std::vector<std::uint8_t>& bytes,
                                                         const std::string& expected) {
        const TDecodedBitmap decoded = bitmap::Decode(bytes, format.format);
        const Surface owned(decoded.surface);
        EXPECT_EQ(decoded.surface, nullptr) << file;
        EXPECT_STREQ(RefusalName(decoded.refusal), expected.c_str()) << file;
        // A refusal the headers alone show is given before any pixel is read.
        std::uint64_t needed = 0;
        const TBitmapRefusal early = bitmap::BytesNeeded(
            platform::Bytes(bytes.data(), std::min(bytes.size(), bitmap::kHeaderBytes)), needed);
        if (early != TBitmapRefusal::kNone) {
            EXPECT_EQ(early, decoded.refusal) << file;
        }
    });
}

TEST(BitmapDecode, PalettePicturesComeOutInEachScreenFormatWithBlackAsZero) {
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
    const std::vector<std::uint8_t> indices = {0, 1, 2, 3, 4, 1, 0, 2, 3, 4, 4, 3};
    const auto bytes = testmedia::MakeBmp8(3, 4, palette, indices);
    for (const TPixelFormat f : {TPixelFormat::kRgb555, TPixelFormat::kRgb565, TPixelFormat::kRgb24, TPixelFormat::kXrgb32}) {
        const Format format(f);
        const TDecodedBitmap decoded = bitmap::Decode(bytes, format.format);
        const Surface owned(decoded.surface);
        ASSERT_NE(decoded.surface, nullptr) << RefusalName(decoded.refusal);
        EXPECT_EQ(decoded.refusal, TBitmapRefusal::kNone);
        EXPECT_FALSE(decoded.opaque);
        ASSERT_EQ(decoded.surface->format->format, format.format->format);
        ASSERT_EQ(decoded.surface->w, 3);
        ASSERT_EQ(decoded.surface->h, 4);
        const int bpp = format.format->BytesPerPixel;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 3; ++x) {
                const std::uint32_t rgb = palette[indices[y * 3 + x]];
                const std::uint32_t expect =
                    SDL_MapRGB(format.format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF) &
                    (format.format->Rmask | format.format->Gmask | format.format->Bmask);
                EXPECT_EQ(pixels::Load(pixels::Row(decoded.surface, y) + x * bpp, bpp), expect) << x << "," << y;
            }
        }
    }
    // Without a black pixel the picture is opaque.
    const auto full = testmedia::MakeBmp24(2, 1, {0x102030, 0xFFFFFF});
    const Format format(TPixelFormat::kXrgb32);
    const TDecodedBitmap decoded = bitmap::Decode(full, format.format);
    const Surface owned(decoded.surface);
    ASSERT_NE(decoded.surface, nullptr);
    EXPECT_TRUE(decoded.opaque);
}

TEST(BitmapBytesNeeded, IsWhatTheHeadersDeclareHoweverLongTheFile) {
    const auto bytes = testmedia::MakeBmp24(5, 3, std::vector<std::uint32_t>(15, 0x123456));
    std::uint64_t needed = 0;
    ASSERT_EQ(bitmap::BytesNeeded(bytes, needed), TBitmapRefusal::kNone);
    EXPECT_EQ(needed, bytes.size());
    // Only the headers are needed to tell.
    ASSERT_EQ(bitmap::BytesNeeded(platform::Bytes(bytes.data(), 54), needed), TBitmapRefusal::kNone);
    EXPECT_EQ(needed, bytes.size());
    // A declared file size of 4 GiB is reported as it is, for the reader to refuse.
    auto huge = bytes;
    for (int i = 0; i < 4; ++i) huge[2 + i] = 0xFF;
    ASSERT_EQ(bitmap::BytesNeeded(huge, needed), TBitmapRefusal::kNone);
    EXPECT_EQ(needed, 0xFFFFFFFFull);
    EXPECT_EQ(bitmap::BytesNeeded(platform::Bytes(bytes.data(), 20), needed), TBitmapRefusal::kTooShort);
    EXPECT_EQ(needed, 0u);
}

// ---- every kind of bitmap a paint program writes ---------------------------------------------

// One kind of file: its depth, compression, header and layout. The picture is made from a seed, so
// each pixel's colour is known before the file is written; the decoder must give exactly that back.
struct Kind {
    const char* name;
    int bits;
    std::uint32_t compression;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    int infoSize;               // 12 (OS/2 core), 40, 52, 56, 108, 124
    int width, height;
    bool topDown;
    int colours;  // palette entries written (0: none); the core header's short palette is cut by the offset
    std::uint32_t masks[3];  // bit fields: red, green, blue; 16-bit without bit fields: 5-5-5
};

constexpr Kind kKinds[] = {
    {"1-bit", 1, 0, 40, 13, 5, false, 2, {}},
    {"1-bit-one-colour", 1, 0, 40, 9, 3, true, 1, {}},
    {"4-bit", 4, 0, 40, 7, 3, false, 16, {}},
    {"4-bit-short-palette-top-down", 4, 0, 40, 9, 4, true, 5, {}},
    {"8-bit", 8, 0, 40, 5, 4, false, 256, {}},
    {"8-bit-short-palette-top-down", 8, 0, 40, 33, 3, true, 20, {}},
    {"8-bit-v3-header", 8, 0, 56, 6, 2, false, 37, {}},
    {"8-bit-v5-header", 8, 0, 124, 3, 3, false, 256, {}},
    {"1-bit-core", 1, 0, 12, 17, 2, false, 2, {}},
    {"4-bit-core", 4, 0, 12, 5, 5, false, 16, {}},
    {"8-bit-core", 8, 0, 12, 11, 3, false, 256, {}},
    {"8-bit-core-short-palette", 8, 0, 12, 7, 4, false, 12, {}},
    {"24-bit-core", 24, 0, 12, 5, 2, false, 0, {}},
    {"rle8", 8, 1, 40, 17, 6, false, 256, {}},
    {"rle8-short-palette-v4-header", 8, 1, 108, 10, 4, false, 9, {}},
    {"rle4", 4, 2, 40, 13, 5, false, 16, {}},
    {"rle4-short-palette", 4, 2, 40, 6, 7, false, 3, {}},
    {"16-bit", 16, 0, 40, 7, 3, false, 0, {0x7C00, 0x03E0, 0x001F}},
    {"16-bit-top-down-v5-header", 16, 0, 124, 4, 3, true, 0, {0x7C00, 0x03E0, 0x001F}},
    {"16-bit-fields-565", 16, 3, 40, 5, 4, false, 0, {0xF800, 0x07E0, 0x001F}},
    {"16-bit-fields-555-v4-header", 16, 3, 108, 3, 2, true, 0, {0x7C00, 0x03E0, 0x001F}},
    {"16-bit-fields-444", 16, 3, 40, 6, 2, false, 0, {0x0F00, 0x00F0, 0x000F}},
    {"16-bit-fields-655", 16, 3, 52, 5, 3, false, 0, {0xFC00, 0x03E0, 0x001F}},
    {"16-bit-fields-565-with-palette", 16, 3, 40, 3, 3, false, 8, {0xF800, 0x07E0, 0x001F}},
    {"24-bit", 24, 0, 40, 3, 4, false, 0, {}},
    {"24-bit-with-palette", 24, 0, 40, 5, 2, false, 16, {}},
    {"24-bit-top-down-v5-header", 24, 0, 124, 5, 3, true, 0, {}},
    {"32-bit", 32, 0, 40, 5, 3, false, 0, {}},
    {"32-bit-v4-header-top-down", 32, 0, 108, 2, 5, true, 0, {}},
    {"32-bit-fields-888", 32, 3, 40, 3, 3, false, 0, {0xFF0000, 0x00FF00, 0x0000FF}},
    {"32-bit-fields-bgr-v5-header", 32, 3, 124, 4, 2, false, 0, {0x0000FF, 0x00FF00, 0xFF0000}},
    {"32-bit-fields-10-10-10", 32, 3, 56, 3, 2, true, 0, {0x3FF00000, 0x000FFC00, 0x000003FF}},
};

// A channel of `width` bits as 8 bits: its share of the full scale, rounded down.
std::uint32_t Widen(std::uint32_t v, int width) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(v) * 255 / ((1ull << width) - 1));
}

std::uint32_t RgbOfPixel(std::uint32_t pixel, const std::uint32_t masks[3]) {
    std::uint32_t rgb = 0;
    for (int c = 0; c < 3; ++c) {
        int shift = 0, width = 0;
        while (!((masks[c] >> shift) & 1u)) ++shift;
        while (shift + width < 32 && ((masks[c] >> (shift + width)) & 1u)) ++width;
        rgb |= Widen((pixel & masks[c]) >> shift, width) << (16 - 8 * c);
    }
    return rgb;
}

struct Written {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> rgb;  // what each pixel must show, top row first
};

void Put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Run-length rows: runs of one index, stretches stored as they are, a move over a gap of index 0
// inside a row, an early end of row before trailing zeros, and an early end of the picture when the
// top rows are all zero; what is skipped shows palette entry 0.
std::vector<std::uint8_t> EncodeRuns(const std::vector<std::uint8_t>& idx, int w, int h, bool four) {
    std::vector<std::uint8_t> out;
    auto rowAt = [&](int stored) { return &idx[static_cast<std::size_t>(h - 1 - stored) * w]; };
    int lastUsed = -1;
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            if (rowAt(r)[x]) lastUsed = r;
    for (int r = 0; r <= lastUsed; ++r) {
        const std::uint8_t* row = rowAt(r);
        int end = w;
        while (end > 0 && row[end - 1] == 0) --end;
        int x = 0;
        while (x < end) {
            int same = 1;
            while (x + same < end && row[x + same] == row[x] && same < 255) ++same;
            if (row[x] == 0 && same >= 2 && x + same < end) {  // a gap: move over it
                out.insert(out.end(), {0, 2, static_cast<std::uint8_t>(same), 0});
                x += same;
            } else if (same >= 3 || end - x < 3) {
                const auto n = static_cast<std::uint8_t>(std::min(same, end - x));
                out.push_back(n);
                out.push_back(four ? static_cast<std::uint8_t>(row[x] << 4 | row[x]) : row[x]);
                x += n;
            } else {
                int n = 3;  // stored as is until a run of three starts
                while (x + n < end && n < 255 &&
                       !(x + n + 2 < end && row[x + n] == row[x + n + 1] && row[x + n] == row[x + n + 2]))
                    ++n;
                out.push_back(0);
                out.push_back(static_cast<std::uint8_t>(n));
                std::size_t stored = 0;
                for (int i = 0; i < n; i += four ? 2 : 1, ++stored)
                    out.push_back(four ? static_cast<std::uint8_t>(row[x + i] << 4 | (i + 1 < n ? row[x + i + 1] : 0))
                                       : row[x + i]);
                if (stored & 1) out.push_back(0);
                x += n;
            }
        }
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

Written WriteKind(const Kind& k, std::uint32_t seed) {
    auto random = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    const bool core = k.infoSize == 12;
    const int fullPalette = k.bits <= 8 ? 1 << k.bits : 0;
    const int colours = k.colours;
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < (core ? fullPalette : colours); ++i) palette.push_back(random() & 0xFFFFFF);
    if (!palette.empty()) palette[0] = 0x000000;
    // Pixels: indices below the colours the pixels may use, with rows of zeros and gaps for the runs.
    Written w;
    std::vector<std::uint8_t> idx;
    std::vector<std::uint32_t> raw;
    const std::uint32_t pixelMask = k.bits == 32 ? 0xFFFFFFFFu : (1u << k.bits) - 1;
    for (int y = 0; y < k.height; ++y) {
        for (int x = 0; x < k.width; ++x) {
            if (k.bits <= 8) {
                std::uint32_t i = random() % static_cast<std::uint32_t>(colours);
                if (k.compression && (y == 0 || (x >= 2 && x < 5 && y == 1) || x == k.width - 1)) i = 0;
                if (k.compression && y == 2 && x < 4) i = colours - 1;
                idx.push_back(static_cast<std::uint8_t>(i));
                w.rgb.push_back(palette[i]);
            } else {
                const std::uint32_t v = random() & pixelMask;
                raw.push_back(v);
                if (k.bits == 24 || (k.bits == 32 && k.compression == 0)) {
                    w.rgb.push_back(v & 0xFFFFFF);
                } else {
                    w.rgb.push_back(RgbOfPixel(v, k.masks));
                }
            }
        }
    }
    // The stored rows.
    std::vector<std::uint8_t> data;
    if (k.compression == 1 || k.compression == 2) {
        data = EncodeRuns(idx, k.width, k.height, k.compression == 2);
    } else {
        const std::size_t stride = (static_cast<std::size_t>(k.width) * k.bits + 31) / 32 * 4;
        for (int s = 0; s < k.height; ++s) {
            const int y = k.topDown ? s : k.height - 1 - s;
            std::vector<std::uint8_t> row(stride, 0);
            for (int x = 0; x < k.width; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * k.width + x;
                if (k.bits <= 8) {
                    const int bit = x * k.bits;
                    row[bit / 8] |= static_cast<std::uint8_t>(idx[i] << (8 - k.bits - bit % 8));
                } else {
                    for (int b = 0; b < k.bits / 8; ++b) row[x * k.bits / 8 + b] = static_cast<std::uint8_t>(raw[i] >> (8 * b));
                }
            }
            data.insert(data.end(), row.begin(), row.end());
        }
    }
    const bool fieldsAfterHeader = k.compression == 3 && k.infoSize == 40;
    // The core header's palette is as long as the pixels' offset leaves room for.
    const std::size_t paletteBytes = core ? 3u * static_cast<std::size_t>(colours) : 4u * palette.size();
    const std::size_t offset = 14 + k.infoSize + (fieldsAfterHeader ? 12 : 0) + paletteBytes;
    auto& out = w.bytes;
    out = {'B', 'M'};
    Put(out, static_cast<std::uint32_t>(offset + data.size()), 4);
    Put(out, 0, 4);
    Put(out, static_cast<std::uint32_t>(offset), 4);
    Put(out, static_cast<std::uint32_t>(k.infoSize), 4);
    if (core) {
        Put(out, static_cast<std::uint32_t>(k.width), 2);
        Put(out, static_cast<std::uint32_t>(k.height), 2);
        Put(out, 1, 2);
        Put(out, static_cast<std::uint32_t>(k.bits), 2);
    } else {
        Put(out, static_cast<std::uint32_t>(k.width), 4);
        Put(out, static_cast<std::uint32_t>(k.topDown ? -k.height : k.height), 4);
        Put(out, 1, 2);
        Put(out, static_cast<std::uint32_t>(k.bits), 2);
        Put(out, k.compression, 4);
        Put(out, k.compression == 1 || k.compression == 2 ? static_cast<std::uint32_t>(data.size()) : 0u, 4);
        Put(out, 2835, 4);
        Put(out, 2835, 4);
        Put(out, static_cast<std::uint32_t>(colours == fullPalette ? 0 : colours), 4);
        Put(out, 0, 4);
        if (fieldsAfterHeader || k.infoSize >= 52)
            for (const std::uint32_t m : k.masks) Put(out, k.compression == 3 ? m : 0u, 4);
        // Where there is room, 32-bit fields give the spare bits to alpha, which the screen drops.
        const std::uint32_t spare = ~(k.masks[0] | k.masks[1] | k.masks[2]);
        if (k.infoSize >= 56) Put(out, k.compression == 3 && k.bits == 32 ? spare : 0u, 4);
        while (out.size() < 14u + k.infoSize) out.push_back(0);
    }
    for (std::size_t i = 0; i < paletteBytes / (core ? 3 : 4); ++i) Put(out, palette[i], core ? 3 : 4);
    out.insert(out.end(), data.begin(), data.end());
    return w;
}

TEST(BitmapKinds, EveryKindLoadsWithEachPixelExactInEachScreenFormat) {
    int loaded = 0;
    for (const Kind& kind : kKinds) {
        const Written file = WriteKind(kind, 1234u + static_cast<std::uint32_t>(loaded));
        for (const TPixelFormat f : {TPixelFormat::kRgb555, TPixelFormat::kRgb565, TPixelFormat::kRgb24, TPixelFormat::kXrgb32}) {
            const Format format(f);
            const TDecodedBitmap decoded = bitmap::Decode(file.bytes, format.format);
            const Surface owned(decoded.surface);
            ASSERT_NE(decoded.surface, nullptr) << kind.name << ": " << RefusalName(decoded.refusal);
            ASSERT_EQ(decoded.surface->w, kind.width) << kind.name;
            ASSERT_EQ(decoded.surface->h, kind.height) << kind.name;
            const std::uint32_t colourBits = format.format->Rmask | format.format->Gmask | format.format->Bmask;
            const int bpp = format.format->BytesPerPixel;
            bool anyZero = false;
            for (int y = 0; y < kind.height; ++y) {
                for (int x = 0; x < kind.width; ++x) {
                    const std::uint32_t rgb = file.rgb[static_cast<std::size_t>(y) * kind.width + x];
                    const std::uint32_t expect =
                        SDL_MapRGB(format.format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF) & colourBits;
                    anyZero |= expect == 0;
                    ASSERT_EQ(pixels::Load(pixels::Row(decoded.surface, y) + x * bpp, bpp), expect)
                        << kind.name << " in format " << static_cast<int>(f) << " at " << x << "," << y << " rgb "
                        << std::hex << rgb;
                }
            }
            EXPECT_EQ(decoded.opaque, !anyZero) << kind.name;
        }
        ++loaded;
    }
    EXPECT_EQ(loaded, static_cast<int>(std::size(kKinds)));
}

void SetU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(BitmapKinds, CutAndDamagedVariantsOfEveryKindAreRefused) {
    const Format format(TPixelFormat::kXrgb32);
    for (const Kind& kind : kKinds) {
        const Written file = WriteKind(kind, 99u);
        const std::size_t size = file.bytes.size();
        const std::uint32_t offset = file.bytes[10] | file.bytes[11] << 8;
        std::vector<std::pair<std::string, std::vector<std::uint8_t>>> variants;
        auto cut = [&](const std::string& what, std::size_t length, bool fixFileSize) {
            std::vector<std::uint8_t> b(file.bytes.begin(), file.bytes.begin() + static_cast<std::ptrdiff_t>(length));
            if (fixFileSize && b.size() >= 6) SetU32(b, 2, static_cast<std::uint32_t>(b.size()));
            variants.emplace_back(what, std::move(b));
        };
        cut("last byte cut", size - 1, false);
        cut("last byte cut, file size told", size - 1, true);
        cut("half the pixels cut, file size told", offset + (size - offset) / 2, true);
        cut("cut at the pixels", offset, true);
        cut("cut inside the headers", 14 + static_cast<std::size_t>(kind.infoSize) - 1, false);
        cut("cut inside the file header", 13, false);
        auto damaged = [&](const std::string& what, const std::function<void(std::vector<std::uint8_t>&)>& edit) {
            auto b = file.bytes;
            edit(b);
            variants.emplace_back(what, std::move(b));
        };
        damaged("pixel offset past the end", [&](auto& b) { SetU32(b, 10, static_cast<std::uint32_t>(size)); });
        damaged("pixel offset inside the headers", [&](auto& b) { SetU32(b, 10, 14 + static_cast<std::uint32_t>(kind.infoSize) - 2); });
        damaged("information header of 64 bytes", [&](auto& b) { SetU32(b, 14, 64); });
        if (kind.infoSize != 12) {
            damaged("width past the memory bound", [&](auto& b) { SetU32(b, 18, 0x10000); SetU32(b, 22, 0x1001); });
            damaged("two planes", [&](auto& b) { b[26] = 2; });
            damaged("2 bits a pixel", [&](auto& b) { b[28] = 2; });
        }
        if (kind.compression == 3) {
            damaged("overlapping masks", [&](auto& b) { SetU32(b, 58, kind.masks[0] | kind.masks[1]); });
            damaged("a mask in two pieces", [&](auto& b) { SetU32(b, 62, kind.masks[2] | kind.masks[0] << 1 | 1u << 31); });
        }
        if (kind.compression == 1 || kind.compression == 2) {
            damaged("stored top-down", [&](auto& b) { SetU32(b, 22, static_cast<std::uint32_t>(-kind.height)); });
            damaged("no end mark", [&](auto& b) { b[size - 1] = 0; });  // (0, 0): one more end of row
            damaged("a run past the row", [&](auto& b) { b[offset] = 0; b[offset + 1] = 2; b[offset + 2] = 200; b[offset + 3] = 0; b[offset + 4] = 5; b[offset + 5] = 1; });
            damaged("a move past the top", [&](auto& b) { b[offset] = 0; b[offset + 1] = 2; b[offset + 2] = 0; b[offset + 3] = 200; });
            if (kind.colours < (1 << kind.bits)) {
                damaged("a run of an index outside the palette", [&](auto& b) { b[offset] = 1; b[offset + 1] = 0xFF; });
            }
        } else if (kind.bits <= 8 && kind.colours < (1 << kind.bits)) {
            damaged("an index outside the palette", [&](auto& b) { b[size - 1] = 0xFF; b[offset] = 0xFF; });
        }
        for (const auto& [what, bytes] : variants) {
            const TDecodedBitmap decoded = bitmap::Decode(bytes, format.format);
            const Surface owned(decoded.surface);
            EXPECT_EQ(decoded.surface, nullptr) << kind.name << ": " << what;
            EXPECT_NE(decoded.refusal, TBitmapRefusal::kNone) << kind.name << ": " << what;
        }
    }
}

}  // namespace
