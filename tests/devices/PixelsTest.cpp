#include "devices/Pixels.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PixelsBlit, KeyedRowsMatchAPixelByPixelCopyAtEveryLengthAndWidth) {
    // Lengths around the 16-byte steps, zero pixels (and pixels with only some zero bytes) mixed in.
    for (const int bpp : {2, 3, 4}) {
        for (int count = 0; count <= 37; ++count) {
            std::vector<std::uint8_t> src(static_cast<std::size_t>(count) * bpp + 1);
            std::vector<std::uint8_t> dst(src.size());
            std::uint32_t seed = 77u + static_cast<std::uint32_t>(count * 13 + bpp);
            for (std::size_t i = 0; i < src.size(); ++i) {
                seed = seed * 1103515245u + 12345u;
                src[i] = static_cast<std::uint8_t>(seed >> 24);
                dst[i] = static_cast<std::uint8_t>(seed >> 16);
            }
            for (int i = 0; i < count; i += 3) std::fill_n(src.begin() + i * bpp, bpp, 0);  // transparent
            for (int i = 1; i < count; i += 5) src[static_cast<std::size_t>(i) * bpp] = 0;  // one zero byte
            std::vector<std::uint8_t> expect = dst;
            for (int i = 0; i < count; ++i) {
                if (pixels::Load(&src[static_cast<std::size_t>(i) * bpp], bpp) != 0)
                    std::copy_n(src.begin() + i * bpp, bpp, expect.begin() + i * bpp);
            }
            pixels::BlitKeyedRow(dst.data(), src.data(), count, bpp);
            ASSERT_EQ(dst, expect) << bpp << " bytes, " << count << " pixels";  // nor a byte past the row
        }
    }
}

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
