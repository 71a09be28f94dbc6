#include "devices/Blit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "devices/Pixels.h"

namespace {

TEST(Blit, KeyedRowsMatchAPixelByPixelCopyAtEveryLengthAndWidth) {
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

}  // namespace
