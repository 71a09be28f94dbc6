#pragma once
// The fades to black and to white of a picture in a screen format, 16 bytes at a time where SSE2 is.
#include <cstdint>

#include "devices/Pixels.h"

namespace pixels {

struct Masks {
    std::uint32_t red = 0, green = 0, blue = 0;
};
// Each channel moves by the low 8 bits of `level` in its own scale, saturating at 0 (to black) or
// at its maximum (to white); bits outside the colour masks are kept. `pitch` is the row stride in bytes.
void FadeToBlack(std::uint8_t* pixels, int pitch, int width, int height, int level, TPixelFormat format,
                 const Masks& masks);
void FadeToWhite(std::uint8_t* pixels, int pitch, int width, int height, int level, TPixelFormat format,
                 const Masks& masks);

}  // namespace pixels
