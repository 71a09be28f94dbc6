#include "devices/Bitmap.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "devices/Pixels.h"
#include "platform/Resources.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;

const fs::path kInputs = fs::path(PELLORO_SOURCE_DIR) / "tests" / "inputs" / "bitmap";

// A screen format for decoding into, freed with the test.
struct Format {
    explicit Format(TPixelFormat f) : format(SDL_AllocFormat(pixels::SdlFormat(f))) {}
    ~Format() { SDL_FreeFormat(format); }
    SDL_PixelFormat* format;
};

struct Surface {
    explicit Surface(SDL_Surface* s) : surface(s) {}
    ~Surface() {
        if (surface) SDL_FreeSurface(surface);
    }
    SDL_Surface* surface;
};

std::vector<std::uint8_t> ReadInput(const fs::path& path) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(platform::ReadWholeFile(path.string(), bytes) || fs::file_size(path) == 0) << path;
    return bytes;
}

TEST(BitmapRefusal, EveryMalformedInputGivesItsExpectedRefusal) {
    std::ifstream manifest(kInputs / "expected.txt");
    ASSERT_TRUE(manifest) << "missing " << (kInputs / "expected.txt");
    std::set<std::string> listed;
    std::string line;
    const Format format(TPixelFormat::Xrgb32);
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string file, expected;
        fields >> file >> expected;
        listed.insert(file);
        const auto bytes = ReadInput(kInputs / file);
        const TDecodedBitmap decoded = bitmap::Decode(bytes, format.format);
        const Surface owned(decoded.surface);
        EXPECT_EQ(decoded.surface, nullptr) << file;
        EXPECT_STREQ(RefusalName(decoded.refusal), expected.c_str()) << file;
        // A refusal the headers alone show is given before any pixel is read.
        std::uint64_t needed = 0;
        const TBitmapRefusal early = bitmap::BytesNeeded(
            platform::Bytes(bytes.data(), std::min(bytes.size(), bitmap::kHeaderBytes)), needed);
        if (early != TBitmapRefusal::None) {
            EXPECT_EQ(early, decoded.refusal) << file;
        }
    }
    // Every file there is in the table, so none is silently skipped.
    for (const auto& entry : fs::directory_iterator(kInputs)) {
        if (entry.path().extension() == ".bmp") {
            EXPECT_TRUE(listed.count(entry.path().filename().string())) << entry.path();
        }
    }
    EXPECT_GE(listed.size(), 20u);
}

TEST(BitmapDecode, PalettePicturesComeOutInEachScreenFormatWithBlackAsZero) {
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
    const std::vector<std::uint8_t> indices = {0, 1, 2, 3, 4, 1, 0, 2, 3, 4, 4, 3};
    const auto bytes = testmedia::MakeBmp8(3, 4, palette, indices);
    for (const TPixelFormat f : {TPixelFormat::Rgb555, TPixelFormat::Rgb565, TPixelFormat::Rgb24, TPixelFormat::Xrgb32}) {
        const Format format(f);
        const TDecodedBitmap decoded = bitmap::Decode(bytes, format.format);
        const Surface owned(decoded.surface);
        ASSERT_NE(decoded.surface, nullptr) << RefusalName(decoded.refusal);
        EXPECT_EQ(decoded.refusal, TBitmapRefusal::None);
        EXPECT_FALSE(decoded.opaque);
        ASSERT_EQ(decoded.surface->format->format, format.format->format);
        ASSERT_EQ(decoded.surface->w, 3);
        ASSERT_EQ(decoded.surface->h, 4);
        const int bpp = format.format->BytesPerPixel;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 3; ++x) {
                const std::uint32_t rgb = palette[indices[y * 3 + x]];
                const std::uint32_t expect =
                    SDL_MapRGB(format.format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF) &
                    (format.format->Rmask | format.format->Gmask | format.format->Bmask);
                EXPECT_EQ(pixels::Load(pixels::Row(decoded.surface, y) + x * bpp, bpp), expect) << x << "," << y;
            }
        }
    }
    // Without a black pixel the picture is opaque.
    const auto full = testmedia::MakeBmp24(2, 1, {0x102030, 0xFFFFFF});
    const Format format(TPixelFormat::Xrgb32);
    const TDecodedBitmap decoded = bitmap::Decode(full, format.format);
    const Surface owned(decoded.surface);
    ASSERT_NE(decoded.surface, nullptr);
    EXPECT_TRUE(decoded.opaque);
}

TEST(BitmapBytesNeeded, IsWhatTheHeadersDeclareHoweverLongTheFile) {
    const auto bytes = testmedia::MakeBmp24(5, 3, std::vector<std::uint32_t>(15, 0x123456));
    std::uint64_t needed = 0;
    ASSERT_EQ(bitmap::BytesNeeded(bytes, needed), TBitmapRefusal::None);
    EXPECT_EQ(needed, bytes.size());
    // Only the headers are needed to tell.
    ASSERT_EQ(bitmap::BytesNeeded(platform::Bytes(bytes.data(), 54), needed), TBitmapRefusal::None);
    EXPECT_EQ(needed, bytes.size());
    // A declared file size of 4 GiB is reported as it is, for the reader to refuse.
    auto huge = bytes;
    for (int i = 0; i < 4; ++i) huge[2 + i] = 0xFF;
    ASSERT_EQ(bitmap::BytesNeeded(huge, needed), TBitmapRefusal::None);
    EXPECT_EQ(needed, 0xFFFFFFFFull);
    EXPECT_EQ(bitmap::BytesNeeded(platform::Bytes(bytes.data(), 20), needed), TBitmapRefusal::TooShort);
    EXPECT_EQ(needed, 0u);
}

TEST(BitmapWrite, RefusesAPictureThatDoesNotMatchItsSize) {
    const auto path = fs::temp_directory_path() / "bitmap-write-test.bmp";
    EXPECT_FALSE(bitmap::WriteBmp24(path.string(), 0, 0, {}));
    EXPECT_FALSE(bitmap::WriteBmp24(path.string(), 2, 2, {1, 2, 3}));
    EXPECT_FALSE(bitmap::WriteBmp24("/nonexistent/dir/x.bmp", 1, 1, {1}));
    ASSERT_TRUE(bitmap::WriteBmp24(path.string(), 3, 2, {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112}));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(path.string(), bytes));
    // Two rows of 9 bytes padded to 12, bottom row first, blue first.
    ASSERT_EQ(bytes.size(), 54u + 24u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 54, bytes.begin() + 66),
              std::vector<std::uint8_t>({0x0C, 0x0B, 0x0A, 0x0F, 0x0E, 0x0D, 0x12, 0x11, 0x10, 0, 0, 0}));
    const Format format(TPixelFormat::Xrgb32);
    const TDecodedBitmap back = bitmap::Decode(bytes, format.format);
    const Surface owned(back.surface);
    ASSERT_NE(back.surface, nullptr);
    EXPECT_EQ(pixels::Load(pixels::Row(back.surface, 0), 4) & 0xFFFFFF, 0x010203u);
    fs::remove(path);
}

}  // namespace
