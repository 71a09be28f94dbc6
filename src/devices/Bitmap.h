#pragma once
// Windows bitmaps read from bytes in memory: 1, 4, 8, 16, 24 and 32 bits a pixel, uncompressed, RLE8,
// RLE4 and bit fields, the OS/2 core header and the 40-byte to version 5 headers, either way up. Every
// declared part, and every compressed run, is checked against the bytes before SDL's BMP reader sees
// them (it has had holes); the picture comes out in a screen format with pixel value 0 as the
// transparent colour. Opening a resource or file is the draw device's thin wrapper around this.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Resources.h"

struct SDL_Surface;
struct SDL_PixelFormat;

// Why a bitmap was not loaded.
enum class TBitmapRefusal {
    kNone,
    kTooShort,            // shorter than the headers it must have
    kNotBitmap,           // no "BM"
    kUnknownHeader,       // an information header of a size no writer uses
    kBadSize,             // width or height zero, or a negative width
    kTooLarge,            // the decoded picture would pass the memory bound
    kBadPlanes,
    kUnsupportedDepth,
    kUnsupportedCompression,
    kBadPalette,          // more colours than the depth allows, or none
    kBadMasks,            // a bit-field mask empty, broken into pieces, outside the pixel or overlapping another
    kBadRuns,             // a compressed run leaves its row or the picture, or the end mark is missing
    kPartPastData,        // the palette, the pixels or a declared size reach past the bytes
    kIndexOutsidePalette,
    kUndecodable,         // the reader or the conversion refused it
};

// The refusal's name as the test inputs spell it ("PartPastData").
const char* RefusalName(TBitmapRefusal refusal);

struct TDecodedBitmap {
    SDL_Surface* surface = nullptr;  // owned by the caller; null when refused
    bool opaque = false;             // no pixel is 0
    TBitmapRefusal refusal = TBitmapRefusal::kNone;
};

namespace bitmap {

using Bytes = std::span<const std::uint8_t>;

// Enough of a file's start for BytesNeeded to read every header.
constexpr std::size_t kHeaderBytes = 256;

// From a file's first bytes: how many bytes of the file the bitmap declares it takes, so a reader
// never takes more of a file than that. A refusal when the headers alone show it cannot load.
TBitmapRefusal BytesNeeded(Bytes start, std::uint64_t& needed);

// The picture's size from its headers alone, before anything is decoded; a refusal when the headers
// are.
TBitmapRefusal DeclaredSize(Bytes start, int& width, int& height);

// Checks the bitmap against its bytes and decodes it into `format`, clearing the bits outside the
// format's colour masks so black is exactly 0.
TDecodedBitmap Decode(Bytes bytes, const SDL_PixelFormat* format);

// Decodes the bitmap into a 16-bit screen format and tells its size, without keeping the picture:
// whether the game could load it, for a check of a modder's files.
TBitmapRefusal Check(Bytes bytes, int& width, int& height);

// Reads a bitmap file only as far as its header says the bitmap reaches, and never more than the
// memory bound allows, so a huge or sparse file costs no more than its picture; false when the file
// is missing, its header is refused, or memory runs out.
bool ReadFile(const std::string& path, platform::Medium& out);

}  // namespace bitmap
