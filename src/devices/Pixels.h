#pragma once
// Pixels in the four screen formats: the formats themselves, reading and writing one pixel, turning it
// into 0xRRGGBB and clearing the bits outside the colours. Copies are in devices/Blit.h, the fades in
// devices/Fade.h, lines in devices/Line.h.
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

// Clears every bit outside `colourMask` in a surface of 2, 3 or 4 bytes a pixel; true when no pixel
// is left 0, that is when nothing in it is transparent.
bool KeepColourBits(SDL_Surface* surface, std::uint32_t colourMask);

}  // namespace pixels
