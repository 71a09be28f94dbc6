#include "devices/Line.h"

#include <SDL.h>

#include <algorithm>

#include "devices/Pixels.h"

namespace pixels {

void DrawLine(SDL_Surface* surface, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
              std::uint32_t colour) {
    const int bytesPerPixel = surface->format->BytesPerPixel;
    // Bresenham in closed form: point i of the major axis lies round(i * minor / major) along the minor
    // axis, so only the steps that fall inside the buffer are visited, however long the line.
    const std::int64_t ddx = x1 - x0;
    const std::int64_t ddy = y1 - y0;
    const bool xMajor = (ddx < 0 ? -ddx : ddx) >= (ddy < 0 ? -ddy : ddy);
    const std::int64_t major = xMajor ? (ddx < 0 ? -ddx : ddx) : (ddy < 0 ? -ddy : ddy);
    const std::int64_t minor = xMajor ? (ddy < 0 ? -ddy : ddy) : (ddx < 0 ? -ddx : ddx);
    const std::int64_t majorStep = (xMajor ? ddx : ddy) < 0 ? -1 : 1;
    const std::int64_t minorStep = (xMajor ? ddy : ddx) < 0 ? -1 : 1;
    const std::int64_t majorStart = xMajor ? x0 : y0;
    const std::int64_t minorStart = xMajor ? y0 : x0;
    const std::int64_t majorLimit = xMajor ? surface->w : surface->h;
    const std::int64_t minorLimit = xMajor ? surface->h : surface->w;
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
        Store(Row(surface, static_cast<int>(py)) + px * bytesPerPixel, bytesPerPixel, colour);
    }
}
}  // namespace pixels
