#pragma once
// Copies between pictures in a screen format: colour-keyed rows (pixel value 0 is transparent), 16
// bytes at a time where the pixel is 2 or 4 bytes, and whole surfaces.
#include <cstdint>

struct SDL_Surface;

namespace pixels {

// Copies `count` pixels of 2, 3 or 4 bytes; where the source pixel is 0 the destination keeps its own.
void BlitKeyedRow(std::uint8_t* dst, const std::uint8_t* src, int count, int bytesPerPixel);

// `src` whole into `dst` at (dx, dy); both in the same format, the place inside `dst`.
void CopySurface(SDL_Surface* dst, int dx, int dy, const SDL_Surface* src);

}  // namespace pixels
