#include "platform/BmpWriter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/Resources.h"

namespace {

namespace fs = std::filesystem;

TEST(BmpWriter, WritesBottomUpPaddedRowsThatSdlReadsBackAndRefusesMismatchedPictures) {
    const auto path = fs::temp_directory_path() / ("bmp-writer-test-" + std::to_string(::getpid()) + ".bmp");
    EXPECT_FALSE(platform::WriteBmp24(path.string(), 0, 0, {}));
    EXPECT_FALSE(platform::WriteBmp24(path.string(), 2, 2, {1, 2, 3}));
    EXPECT_FALSE(platform::WriteBmp24("/nonexistent/dir/x.bmp", 1, 1, {1}));
    ASSERT_TRUE(platform::WriteBmp24(path.string(), 3, 2, {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112}));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(path.string(), bytes));
    // Two rows of 9 bytes padded to 12, bottom row first, blue first.
    ASSERT_EQ(bytes.size(), 54u + 24u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 54, bytes.begin() + 66),
              std::vector<std::uint8_t>({0x0C, 0x0B, 0x0A, 0x0F, 0x0E, 0x0D, 0x12, 0x11, 0x10, 0, 0, 0}));
    SDL_Surface* back = SDL_LoadBMP(path.string().c_str());
    ASSERT_NE(back, nullptr) << SDL_GetError();
    std::uint32_t topLeft = 0;
    SDL_ConvertPixels(1, 1, back->format->format, back->pixels, back->pitch, SDL_PIXELFORMAT_RGB888, &topLeft, 4);
    EXPECT_EQ(topLeft & 0xFFFFFF, 0x010203u);
    SDL_FreeSurface(back);
    fs::remove(path);
}

}  // namespace
