#pragma once
// Pixels in the four screen formats: reading and writing one, turning it into 0xRRGGBB, colour-keyed
// row copies (pixel value 0 is transparent) and the fades to black and to white, 16 bytes at a time
// where the pixel is 2 or 4 bytes.
#include <cstdint>

struct SDL_Surface;

// The screen formats a back buffer can have; None before there is one.
enum class TPixelFormat { kNone, kRgb555, kRgb565, kRgb24, kXrgb32 };

namespace pixels {

std::uint32_t SdlFormat(TPixelFormat format);  // SDL_PIXELFORMAT_UNKNOWN for None
// The screen format an SDL format is, by byte count and green mask; None when it is none of them.
TPixelFormat FormatOf(std::uint32_t sdlFormat);
int BytesPerPixel(TPixelFormat format);  // 0 for None

std::uint32_t Load(const std::uint8_t* p, int bytesPerPixel);  // little-endian, 1 to 4 bytes
void Store(std::uint8_t* p, int bytesPerPixel, std::uint32_t v);
std::uint8_t* Row(SDL_Surface* s, int y);
const std::uint8_t* Row(const SDL_Surface* s, int y);

// Turns pixels of one layout into 0xRRGGBB, widening each channel the way SDL does (5-bit 31 → 255).
class RgbDecoder {
public:
    RgbDecoder(std::uint32_t redMask, std::uint32_t greenMask, std::uint32_t blueMask);
    std::uint32_t operator()(std::uint32_t pixel) const {
        return (Channel(pixel, 0) << 16) | (Channel(pixel, 1) << 8) | Channel(pixel, 2);
    }

private:
    std::uint32_t Channel(std::uint32_t pixel, int c) const;
    std::uint32_t mask[3];
    int shift[3];
    int bits[3];
};

// Copies `count` pixels of 2, 3 or 4 bytes; where the source pixel is 0 the destination keeps its own.
void BlitKeyedRow(std::uint8_t* dst, const std::uint8_t* src, int count, int bytesPerPixel);

struct Masks {
    std::uint32_t red = 0, green = 0, blue = 0;
};
// Each channel moves by the low 8 bits of `level` in its own scale, saturating at 0 (to black) or
// at its maximum (to white); bits outside the colour masks are kept. `pitch` is the row stride in bytes.
void FadeToBlack(std::uint8_t* pixels, int pitch, int width, int height, int level, TPixelFormat format,
                 const Masks& masks);
void FadeToWhite(std::uint8_t* pixels, int pitch, int width, int height, int level, TPixelFormat format,
                 const Masks& masks);

// Clears every bit outside `colourMask` in a surface of 2, 3 or 4 bytes a pixel; true when no pixel
// is left 0, that is when nothing in it is transparent.
bool KeepColourBits(SDL_Surface* surface, std::uint32_t colourMask);

// A line from (x0, y0) up to but not including (x1, y1), clipped to the surface however far outside
// it either end lies.
void DrawLine(SDL_Surface* surface, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
              std::uint32_t colour);

// `src` whole into `dst` at (dx, dy); both in the same format, the place inside `dst`.
void CopySurface(SDL_Surface* dst, int dx, int dy, const SDL_Surface* src);

}  // namespace pixels
