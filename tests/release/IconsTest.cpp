// The desktop icons that the asset generator draws: valid RGBA PNG files of the three sizes, the
// squirrel's head on a transparent ground, and the same bytes as the committed data/icons/.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/Command.h"

bool WriteIcons(const std::string& dir);

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* At(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// Reads the PNG the generator writes: chunks with their CRCs, an 8-bit RGBA header, a zlib stream of
// stored blocks with its Adler-32, and rows of filter type 0. Any deviation is a test failure.
Picture DecodeStoredPng(const std::vector<std::uint8_t>& png) {
    Picture pic;
    const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_GE(png.size(), 8u);
    if (png.size() < 8 || !std::equal(signature, signature + 8, png.begin())) {
        ADD_FAILURE() << "no PNG signature";
        return pic;
    }
    std::vector<std::uint8_t> z;
    std::vector<std::string> order;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = Be32(png, at);
        if (at + 12 + length > png.size()) break;
        const std::string type(png.begin() + static_cast<long>(at + 4), png.begin() + static_cast<long>(at + 8));
        EXPECT_EQ(Crc32(&png[at + 4], length + 4), Be32(png, at + 8 + length)) << type << " CRC";
        order.push_back(type);
        if (type == "IHDR") {
            EXPECT_EQ(length, 13u);
            pic.width = static_cast<int>(Be32(png, at + 8));
            pic.height = static_cast<int>(Be32(png, at + 12));
            EXPECT_EQ(png[at + 16], 8) << "bit depth";
            EXPECT_EQ(png[at + 17], 6) << "colour type RGBA";
            EXPECT_EQ(png[at + 18], 0);
            EXPECT_EQ(png[at + 19], 0);
            EXPECT_EQ(png[at + 20], 0) << "interlace";
        } else if (type == "IDAT") {
            z.insert(z.end(), png.begin() + static_cast<long>(at + 8), png.begin() + static_cast<long>(at + 8 + length));
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size()) << "bytes after the last chunk";
    EXPECT_EQ(order, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

    // zlib: CMF/FLG check, then stored blocks, then the Adler-32 of the raw rows.
    std::vector<std::uint8_t> raw;
    if (z.size() < 6 || (z[0] * 256 + z[1]) % 31 != 0 || (z[0] & 0x0F) != 8) {
        ADD_FAILURE() << "bad zlib header";
        return pic;
    }
    std::size_t p = 2;
    bool last = false;
    while (!last && p + 5 <= z.size()) {
        last = (z[p] & 1) != 0;
        EXPECT_EQ((z[p] >> 1) & 3, 0) << "not a stored block";
        const unsigned len = z[p + 1] | (z[p + 2] << 8);
        const unsigned nlen = z[p + 3] | (z[p + 4] << 8);
        EXPECT_EQ(len ^ 0xFFFFu, nlen);
        p += 5;
        if (p + len > z.size()) break;
        raw.insert(raw.end(), z.begin() + static_cast<long>(p), z.begin() + static_cast<long>(p + len));
        p += len;
    }
    EXPECT_TRUE(last) << "no final block";
    EXPECT_EQ(p + 4, z.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    if (p + 4 <= z.size()) {
        EXPECT_EQ((b << 16) | a, Be32(z, p)) << "Adler-32";
    }

    const std::size_t stride = static_cast<std::size_t>(pic.width) * 4 + 1;
    EXPECT_EQ(raw.size(), stride * static_cast<std::size_t>(pic.height));
    if (raw.size() != stride * static_cast<std::size_t>(pic.height)) return pic;
    for (int y = 0; y < pic.height; ++y) {
        EXPECT_EQ(raw[y * stride], 0) << "filter of row " << y;
        pic.rgba.insert(pic.rgba.end(), raw.begin() + static_cast<long>(y * stride + 1),
                        raw.begin() + static_cast<long>((y + 1) * stride));
    }
    return pic;
}

class Icons : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pelloro-icons-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ASSERT_TRUE(WriteIcons(dir.string()));
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

constexpr int kSizes[] = {32, 64, 128};

TEST_F(Icons, AreTheCommittedFiles) {
    for (int size : kSizes) {
        const std::string name = "icon-" + std::to_string(size) + ".png";
        const auto made = ReadBytes(dir / name);
        const auto committed = ReadBytes(fs::path(PELLORO_SOURCE_DIR) / "data" / "icons" / name);
        EXPECT_FALSE(made.empty()) << name;
        EXPECT_TRUE(made == committed) << name << " differs from data/icons/: run the generator and commit its icons";
    }
}

TEST_F(Icons, AreSquareRgbaPngsOfTheirSize) {
    for (int size : kSizes) {
        SCOPED_TRACE(size);
        const Picture pic = DecodeStoredPng(ReadBytes(dir / ("icon-" + std::to_string(size) + ".png")));
        EXPECT_EQ(pic.width, size);
        EXPECT_EQ(pic.height, size);
    }
}

TEST_F(Icons, ShowAHeadOnATransparentGround) {
    for (int size : kSizes) {
        SCOPED_TRACE(size);
        const Picture pic = DecodeStoredPng(ReadBytes(dir / ("icon-" + std::to_string(size) + ".png")));
        ASSERT_EQ(pic.rgba.size(), static_cast<std::size_t>(size) * size * 4);
        const int s = size / 32;  // design grid unit in pixels
        // The corners and the bottom row are clear; the forehead is opaque orange fur.
        for (auto [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}, {size / 2, size - 1}}) {
            EXPECT_EQ(pic.At(x, y)[3], 0) << x << "," << y;
        }
        const std::uint8_t* forehead = pic.At(16 * s, 13 * s);
        EXPECT_EQ(forehead[3], 255);
        EXPECT_GT(forehead[0], forehead[1]);
        EXPECT_GT(forehead[1], forehead[2]);
        // Two dark eyes either side of the middle, and a cream muzzle below them.
        for (int ex : {11, 21}) {
            const std::uint8_t* eye = pic.At(ex * s, 17 * s + s / 2);
            EXPECT_LT(eye[0] + eye[1] + eye[2], 200) << "eye at " << ex;
        }
        const std::uint8_t* muzzle = pic.At(12 * s, 24 * s);
        EXPECT_GT(muzzle[0] + muzzle[1] + muzzle[2], 3 * 170);
        // The outline is mirror-symmetric: coverage may differ by a sample or two where a rim is cut.
        int worst = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size / 2; ++x) {
                worst = std::max(worst, std::abs(pic.At(x, y)[3] - pic.At(size - 1 - x, y)[3]));
            }
        }
        EXPECT_LE(worst, 32);
        // Ears rise above the head: opaque pixels at ear height beside a clear gap in the middle.
        EXPECT_EQ(pic.At(8 * s, 8 * s)[3], 255);
        EXPECT_EQ(pic.At(24 * s, 8 * s)[3], 255);
        EXPECT_EQ(pic.At(16 * s, 6 * s)[3], 0);
    }
}

// An independent reader agrees with ours about every pixel, where ImageMagick is installed.
TEST_F(Icons, ImageMagickReadsTheSamePixels) {
    if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick's convert is missing";
    for (int size : kSizes) {
        SCOPED_TRACE(size);
        const fs::path file = dir / ("icon-" + std::to_string(size) + ".png");
        const Picture pic = DecodeStoredPng(ReadBytes(file));
        const std::string command = "convert '" + file.string() + "' -depth 8 rgba:-";
        const testmedia::CommandResult converted = testmedia::RunCommand(command);
        EXPECT_EQ(converted.status, 0);
        const std::vector<std::uint8_t> theirs(converted.output.begin(), converted.output.end());
        ASSERT_EQ(theirs.size(), pic.rgba.size());
        // Fully transparent pixels may come back with any colour; compare alpha everywhere, colour where seen.
        int mismatches = 0;
        for (std::size_t i = 0; i < theirs.size(); i += 4) {
            if (theirs[i + 3] != pic.rgba[i + 3]) ++mismatches;
            else if (pic.rgba[i + 3] != 0 && !std::equal(&theirs[i], &theirs[i + 3], &pic.rgba[i])) ++mismatches;
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(IconsWrite, FailsForAFolderThatIsNotThere) {
    EXPECT_FALSE(WriteIcons("/nonexistent/pelloro/icons"));
}

}  // namespace
