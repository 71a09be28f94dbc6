#pragma once
// Lines drawn into a picture in a screen format.
#include <cstdint>

struct SDL_Surface;

namespace pixels {

// A line from (x0, y0) up to but not including (x1, y1), clipped to the surface however far outside
// it either end lies.
void DrawLine(SDL_Surface* surface, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
              std::uint32_t colour);

}  // namespace pixels
