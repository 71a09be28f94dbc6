#include "platform/Screenshot.h"
#include "platform/Captures.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/TestMedia.h"

namespace {

struct TempFolder : testmedia::TempFolder {
    TempFolder() : testmedia::TempFolder("pelloro-shot") {}
};

namespace fs = std::filesystem;

// Sets (or with nullopt unsets) an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name(name) {
        if (const char* old = std::getenv(name)) saved = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    std::optional<std::string> saved;
};

class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& path) : saved(fs::current_path()) { fs::current_path(path); }
    ~ScopedWorkingDirectory() { fs::current_path(saved); }

private:
    fs::path saved;
};

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

// A stand-in for xdg-user-dir that answers what the test puts in PELLORO_TEST_XDG_ANSWER.
void WriteFakeXdgUserDir(const std::string& folder) {
    const std::string script = folder + "/xdg-user-dir";
    std::ofstream(script) << "#!/bin/sh\n[ \"$1\" = PICTURES ] && printf '%s\\n' \"$PELLORO_TEST_XDG_ANSWER\"\n";
    fs::permissions(script, fs::perms::owner_all);
}

TEST(PicturesFolder, PrefersXdgThenPicturesInHomeThenTheWorkingDirectory) {
    TempFolder root;
    const std::string home = root / "home";
    const std::string shots = root / "shots";
    const std::string bin = root / "bin";
    const std::string emptyBin = root / "empty-bin";
    const std::string work = root / "work";
    for (const auto& folder : {home, shots, bin, emptyBin, work}) fs::create_directories(folder);
    WriteFakeXdgUserDir(bin);
    const std::string pictures = home + "/Pictures";
    ScopedWorkingDirectory inWork(work);
    ScopedEnv homeEnv("HOME", home);

    struct Case {
        const char* what;
        bool haveCommand;
        std::string answer;
        bool havePictures;
        std::string expected;
    };
    const Case cases[] = {
        {"xdg names a folder", true, shots, true, shots},
        {"xdg names a folder, no ~/Pictures", true, shots, false, shots},
        {"xdg answers home: unset", true, home, true, pictures},
        {"xdg answers home with a slash", true, home + "/", true, pictures},
        {"xdg names a missing folder", true, root / "gone", true, pictures},
        {"xdg answers nothing", true, "", true, pictures},
        {"no xdg-user-dir", false, "", true, pictures},
        {"nothing at all", false, "", false, fs::current_path().string()},
        {"xdg answers home, no ~/Pictures", true, home, false, fs::current_path().string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.havePictures)
            fs::create_directories(pictures);
        else
            fs::remove_all(pictures);
        ScopedEnv path("PATH", c.haveCommand ? bin : emptyBin);
        ScopedEnv answer("PELLORO_TEST_XDG_ANSWER", c.answer);
        EXPECT_EQ(platform::PicturesFolder(), c.expected);
    }
}

TEST(PicturesFolder, ReadsTheUsersXdgSettings) {
    if (!fs::exists("/usr/bin/xdg-user-dir")) GTEST_SKIP() << "xdg-user-dir is not installed";
    TempFolder root;
    const std::string home = root / "home";
    fs::create_directories(home + "/Screens");
    fs::create_directories(home + "/Pictures");
    fs::create_directories(home + "/config");
    std::ofstream(home + "/config/user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Screens\"\n";
    ScopedEnv homeEnv("HOME", home);
    ScopedEnv config("XDG_CONFIG_HOME", home + "/config");
    ScopedEnv path("PATH", std::string("/usr/bin:/bin"));
    EXPECT_EQ(platform::PicturesFolder(), home + "/Screens");

    // Unset in the settings: the command answers the home folder, which is never taken.
    std::ofstream(home + "/config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n";
    EXPECT_EQ(platform::PicturesFolder(), home + "/Pictures");
}

TEST(TimestampedName, WritesTheLocalMomentToTheSecond) {
    ScopedEnv tz("TZ", std::string("UTC"));
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
        ScopedEnv tokyo("TZ", std::string("JST-9"));
        tzset();
        EXPECT_EQ(platform::TimestampedName("pelloro", 1796710530, "png"), "pelloro-20261208-151530.png");
    }
    tzset();
}

TEST(UnusedPath, NumbersASecondCaptureOfTheSameSecond) {
    TempFolder folder;
    const std::string name = "pelloro-20261208-061530.png";
    EXPECT_EQ(platform::UnusedPath(folder.path, name), folder / name);
    std::ofstream(folder / name) << "x";
    EXPECT_EQ(platform::UnusedPath(folder.path, name), folder / "pelloro-20261208-061530-2.png");
    std::ofstream(folder / "pelloro-20261208-061530-2.png") << "x";
    EXPECT_EQ(platform::UnusedPath(folder.path, name), folder / "pelloro-20261208-061530-3.png");
    // A dangling link still holds the name.
    fs::create_symlink(folder / "nowhere", folder / "pelloro-20261208-061530-3.png");
    EXPECT_EQ(platform::UnusedPath(folder.path, name), folder / "pelloro-20261208-061530-4.png");
}

}  // namespace

TEST(PicturesFolder, CapturesGoToAFolderOfTheGamesOwnMadeWhenMissing) {
    TempFolder root;
    const std::string home = root / "home";
    const std::string shots = root / "shots";
    const std::string bin = root / "bin";
    const std::string emptyBin = root / "empty-bin";
    const std::string work = root / "work";
    const std::string notAFolder = root / "file";
    for (const auto& folder : {home, shots, bin, emptyBin, work}) fs::create_directories(folder);
    std::ofstream(notAFolder) << "x";
    WriteFakeXdgUserDir(bin);
    ScopedWorkingDirectory inWork(work);
    struct Case {
        const char* what;
        std::string home;
        std::string answer;  // xdg-user-dir's; empty: no command
        std::string expected;
        bool fallback;
    };
    const Case cases[] = {
        {"xdg names a folder", home, shots, shots + "/Pelloro", false},
        {"no ~/Pictures yet", home, "", home + "/Pictures/Pelloro", false},
        {"the home is a file: nothing can be made", notAFolder, "", fs::current_path().string(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(home + "/Pictures");
        ScopedEnv homeEnv("HOME", c.home);
        ScopedEnv path("PATH", c.answer.empty() ? emptyBin : bin);
        ScopedEnv answer("PELLORO_TEST_XDG_ANSWER", c.answer);
        std::string fallback = "stale";
        EXPECT_EQ(platform::CaptureFolder(&fallback), c.expected);
        EXPECT_TRUE(fs::is_directory(c.expected));
        EXPECT_EQ(!fallback.empty(), c.fallback) << fallback;
        if (c.fallback) {
            EXPECT_NE(fallback.find("working folder"), std::string::npos) << fallback;
        }
    }
}
