#include "devices/Pixels.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PixelsDecode, ChannelsWidenByRepeatingTheirTopBits) {
    struct Case {
        TPixelFormat format;
        std::uint32_t pixel, rgb;
    } cases[] = {
        {TPixelFormat::kRgb555, 0x7FFF, 0xFFFFFF},
        {TPixelFormat::kRgb555, 0x4210, 0x848484},  // 16 of 31 → 132
        {TPixelFormat::kRgb565, 0xF800, 0xFF0000},
        {TPixelFormat::kRgb565, 0x07E0, 0x00FF00},
        {TPixelFormat::kRgb565, 0x0020, 0x000400},  // green 1 of 63 → 4
        {TPixelFormat::kRgb24, 0x123456, 0x123456},
        {TPixelFormat::kXrgb32, 0xAB123456, 0x123456},
    };
    for (const Case& c : cases) {
        SDL_PixelFormat* f = SDL_AllocFormat(pixels::SdlFormat(c.format));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(pixels::RgbDecoder(f->Rmask, f->Gmask, f->Bmask)(c.pixel), c.rgb) << std::hex << c.pixel;
        EXPECT_EQ(pixels::FormatOf(f->format), c.format);
        EXPECT_EQ(pixels::BytesPerPixel(c.format), f->BytesPerPixel);
        SDL_FreeFormat(f);
    }
    EXPECT_EQ(pixels::FormatOf(SDL_PIXELFORMAT_INDEX8), TPixelFormat::kNone);
    EXPECT_EQ(pixels::FormatOf(SDL_PIXELFORMAT_UNKNOWN), TPixelFormat::kNone);
    EXPECT_EQ(pixels::SdlFormat(TPixelFormat::kNone), static_cast<std::uint32_t>(SDL_PIXELFORMAT_UNKNOWN));
}

}  // namespace
