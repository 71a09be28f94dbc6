// The pictures folder on POSIX desktops: xdg-user-dir's answer, ~/Pictures, the working directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/Screenshot.h"
#include "support/Scoped.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;
using testmedia::ScopedEnv;
using testmedia::ScopedWorkingDirectory;

struct TempFolder : testmedia::TempFolder {
    TempFolder() : testmedia::TempFolder("pelloro-pictures") {}
};

// A stand-in for xdg-user-dir that answers what the test puts in PELLORO_TEST_XDG_ANSWER.
void WriteFakeXdgUserDir(const std::string& folder) {
    const std::string script = folder + "/xdg-user-dir";
    std::ofstream(script) << "#!/bin/sh\n[ \"$1\" = PICTURES ] && printf '%s\\n' \"$PELLORO_TEST_XDG_ANSWER\"\n";
    fs::permissions(script, fs::perms::owner_all);
}

// A home, a folder xdg-user-dir may name, a folder holding the fake command and one without it, and
// a working folder the test runs in.
class PicturesFolderPlaces : public ::testing::Test {
protected:
    PicturesFolderPlaces() {
        for (const auto& folder : {home, shots, bin, emptyBin, work}) fs::create_directories(folder);
        WriteFakeXdgUserDir(bin);
        inWork.emplace(work);
    }
    TempFolder root;
    const std::string home = root / "home";
    const std::string shots = root / "shots";
    const std::string bin = root / "bin";
    const std::string emptyBin = root / "empty-bin";
    const std::string work = root / "work";
    std::optional<ScopedWorkingDirectory> inWork;
};

TEST_F(PicturesFolderPlaces, PrefersXdgThenPicturesInHomeThenTheWorkingDirectory) {
    const std::string pictures = home + "/Pictures";
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

TEST_F(PicturesFolderPlaces, CapturesGoToAFolderOfTheGamesOwnMadeWhenMissing) {
    const std::string notAFolder = root / "file";
    std::ofstream(notAFolder) << "x";
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

}  // namespace
