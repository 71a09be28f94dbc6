#include "platform/Screenshot.h"
#include "platform/Captures.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <ctime>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/Scoped.h"
#include "support/TestMedia.h"

namespace {

struct TempFolder : testmedia::TempFolder {
    TempFolder() : testmedia::TempFolder("pelloro-shot") {}
};

namespace fs = std::filesystem;

std::vector<std::uint32_t> RandomPicture(int width, int height, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(width * height));
    for (auto& pixel : picture) pixel = random() & 0xFFFFFFu;
    return picture;
}

// The PNG as 0xRRGGBB row by row, with its size; empty when it does not decode.
std::vector<std::uint32_t> LoadPng(const std::string& path, int* width, int* height) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) return {};
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(loaded);
    if (!rgb) return {};
    *width = rgb->w;
    *height = rgb->h;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(rgb->w * rgb->h));
    for (int y = 0; y < rgb->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(rgb->pixels) + y * rgb->pitch);
        for (int x = 0; x < rgb->w; ++x) pixels[static_cast<std::size_t>(y * rgb->w + x)] = row[x] & 0xFFFFFFu;
    }
    SDL_FreeSurface(rgb);
    return pixels;
}

TEST(SavePng, DecodesToThePictureEnlargedByWholePixels) {
    TempFolder folder;
    struct Case {
        int width, height, scale;
    };
    for (const Case c : {Case{7, 5, 1}, Case{7, 5, 3}, Case{320, 240, 1}, Case{320, 240, 3}, Case{1, 1, 4}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " x" + std::to_string(c.scale));
        const auto picture = RandomPicture(c.width, c.height, static_cast<std::uint32_t>(c.width * 31 + c.scale));
        const std::string path = folder / "shot.png";
        std::string error;
        ASSERT_TRUE(platform::SavePng(path, picture, c.width, c.height, c.scale, &error)) << error;
        EXPECT_TRUE(error.empty());
        int width = 0, height = 0;
        const auto decoded = LoadPng(path, &width, &height);
        ASSERT_EQ(width, c.width * c.scale);
        ASSERT_EQ(height, c.height * c.scale);
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (decoded[static_cast<std::size_t>(y * width + x)] !=
                    picture[static_cast<std::size_t>((y / c.scale) * c.width + x / c.scale)])
                    ++wrong;
        EXPECT_EQ(wrong, 0);
    }
}

TEST(SavePng, RefusesBadSizesWithoutWritingAFile) {
    TempFolder folder;
    struct Case {
        const char* what;
        int width, height, scale;
        std::size_t pixels;
    };
    const Case cases[] = {
        {"no width", 0, 5, 1, 0},
        {"negative height", 5, -1, 1, 5},
        {"no scale", 5, 5, 0, 25},
        {"negative scale", 5, 5, -2, 25},
        {"too few pixels", 5, 5, 1, 24},
        {"too many pixels", 5, 5, 1, 26},
        {"too large once scaled", 320, 240, 52, 320 * 240},
        {"scale that overflows", 2, 2, 1 << 30, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder / "bad.png";
        std::string error;
        EXPECT_FALSE(platform::SavePng(path, std::vector<std::uint32_t>(c.pixels, 0x123456), c.width, c.height, c.scale, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_FALSE(fs::exists(path));
    }
}

TEST(SavePng, ReportsAFileThatCannotBeWritten) {
    TempFolder folder;
    const auto picture = RandomPicture(64, 48, 7);
    std::string error;
    const std::string missing = folder / "no-such-folder/shot.png";
    EXPECT_FALSE(platform::SavePng(missing, picture, 64, 48, 1, &error));
    EXPECT_NE(error.find(missing), std::string::npos) << error;

    // A full disk shows only when the bytes are written out.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    error.clear();
    EXPECT_FALSE(platform::SavePng("/dev/full", picture, 64, 48, 3, &error));
    EXPECT_NE(error.find("/dev/full"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(TimestampedName, WritesTheLocalMomentToTheSecond) {
    testmedia::ScopedEnv tz("TZ", std::string("UTC"));
    tzset();
    struct Case {
        std::string prefix;
        std::time_t when;
        std::string extension;
        std::string expected;
    };
    const Case cases[] = {
        {"pelloro", 1796710530, "png", "pelloro-20261208-061530.png"},
        {"pelloro", 1796710530, ".gif", "pelloro-20261208-061530.gif"},
        {"pelloro", 1798761605, "png", "pelloro-20270101-000005.png"},
        {"", 1796710530, "png", "20261208-061530.png"},
        {"clip", 0, "", "clip-19700101-000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::TimestampedName(c.prefix, c.when, c.extension), c.expected);
    {
        testmedia::ScopedEnv tokyo("TZ", std::string("JST-9"));
        tzset();
        EXPECT_EQ(platform::TimestampedName("pelloro", 1796710530, "png"), "pelloro-20261208-151530.png");
    }
    tzset();
}

TEST(UnusedPath, NumbersASecondCaptureOfTheSameSecond) {
    TempFolder folder;
    const std::string name = "pelloro-20261208-061530.png";
    // Compared as paths: Windows joins with its own separator.
    const auto unused = [&] { return fs::path(platform::UnusedPath(folder.path, name)); };
    EXPECT_EQ(unused(), fs::path(folder / name));
    std::ofstream(folder / name) << "x";
    EXPECT_EQ(unused(), fs::path(folder / "pelloro-20261208-061530-2.png"));
    std::ofstream(folder / "pelloro-20261208-061530-2.png") << "x";
    EXPECT_EQ(unused(), fs::path(folder / "pelloro-20261208-061530-3.png"));
    // A dangling link still holds the name.
    std::error_code failed;
    fs::create_symlink(folder / "nowhere", folder / "pelloro-20261208-061530-3.png", failed);
    if (failed) GTEST_SKIP() << "this system makes no symbolic link here (" << failed.message() << ")";
    EXPECT_EQ(unused(), fs::path(folder / "pelloro-20261208-061530-4.png"));
}

}  // namespace

