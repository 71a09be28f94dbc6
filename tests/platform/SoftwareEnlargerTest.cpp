// The enlarger on plain surfaces: no window, no video driver.
#include "platform/SoftwareEnlarger.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

SDL_Surface* Surface(int w, int h, std::uint32_t format) {
    return SDL_CreateRGBSurfaceWithFormat(0, w, h, SDL_BITSPERPIXEL(format), format);
}

std::uint32_t Rgb(SDL_Surface* s, int x, int y) {
    std::uint32_t pixel = 0;
    SDL_ConvertPixels(1, 1, s->format->format,
                      static_cast<std::uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel, s->pitch,
                      SDL_PIXELFORMAT_RGB888, &pixel, 4);
    return pixel & 0xF0F0F0;  // what 5-6-5 keeps of each channel
}

// Every pixel of a 3 × 2 picture becomes a scale × scale block at the offset, in the target's own
// format; after one row changes, only that row's band is drawn again.
TEST(SoftwareEnlargerTest, EachPixelBecomesABlockAndOnlyChangedRowsAreDrawnAgain) {
    struct Case {
        std::uint32_t targetFormat;
        int scale;
    };
    const std::vector<std::uint32_t> colours{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0xFF00FF, 0x00FFFF};
    for (const Case c : {Case{SDL_PIXELFORMAT_RGB565, 1}, Case{SDL_PIXELFORMAT_RGB565, 3},
                         Case{SDL_PIXELFORMAT_RGB888, 2}, Case{SDL_PIXELFORMAT_RGB24, 4}}) {
        SCOPED_TRACE(::testing::Message() << SDL_GetPixelFormatName(c.targetFormat) << " x" << c.scale);
        SDL_Surface* back = Surface(3, 2, SDL_PIXELFORMAT_RGB888);
        for (int i = 0; i < 6; ++i)
            static_cast<std::uint32_t*>(back->pixels)[(i / 3) * back->pitch / 4 + i % 3] = colours[i];
        SDL_Surface* target = Surface(3 * c.scale + 5, 2 * c.scale + 7, c.targetFormat);
        const SDL_Rect at{5, 7, 3 * c.scale, 2 * c.scale};
        platform::SoftwareEnlarger enlarger;
        ASSERT_TRUE(enlarger.Keep(back));
        enlarger.DrawAll(target, at, c.scale);
        for (int y = 0; y < at.h; ++y) {
            for (int x = 0; x < at.w; ++x) {
                const std::uint32_t want = colours[(y / c.scale) * 3 + x / c.scale] & 0xF0F0F0;
                EXPECT_EQ(Rgb(target, at.x + x, at.y + y), want) << x << "," << y;
            }
        }
        EXPECT_EQ(Rgb(target, at.x - 1, at.y), 0u);

        static_cast<std::uint32_t*>(back->pixels)[back->pitch / 4 + 1] = 0xFFFF00;
        ASSERT_TRUE(enlarger.Keep(back));
        std::vector<SDL_Rect> drawn;
        enlarger.DrawChanged(target, at, c.scale, drawn);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].y, at.y + c.scale);
        EXPECT_EQ(drawn[0].h, c.scale);
        EXPECT_EQ(Rgb(target, at.x + c.scale, at.y + c.scale), 0xF0F000u);
        SDL_FreeSurface(target);
        SDL_FreeSurface(back);
    }
}

}  // namespace
