// Where the Windows program finds what the zip brings: beside pelloro.exe, before anything else.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "platform/FluidSynthOutput.h"
#include "platform/Screenshot.h"
#include "platform/TextRenderer.h"
#include "support/Scoped.h"
#include "support/TestMedia.h"

namespace {

namespace fs = std::filesystem;

// The test program's folder stands for pelloro.exe's.
fs::path ProgramFolder() {
    wchar_t own[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
    return length > 0 && length < MAX_PATH ? fs::path(own).parent_path() : fs::path();
}

// Moves what lies at a place out of the way while it lives: the build folder keeps the zip's SoundFont
// and font beside the test programs, which the other tests use.
class SetAside {
public:
    explicit SetAside(fs::path place) : place(std::move(place)), aside(this->place.string() + ".aside") {
        std::error_code none;
        fs::rename(this->place, aside, none);
        moved = !none;
    }
    ~SetAside() {
        std::error_code ignored;
        fs::remove(place, ignored);
        if (moved) fs::rename(aside, place, ignored);
    }
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;

private:
    fs::path place;
    fs::path aside;
    bool moved = false;
};

// The first bytes of a SoundFont: a RIFF file of form sfbk.
const std::string kSoundFontHead = std::string("RIFF") + std::string(4, '\0') + "sfbk";

TEST(WindowsPlaces, WhatLiesBesideTheProgramIsFoundFirst) {
    const fs::path folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    testmedia::ScopedEnv noChoice("PELLORO_SOUNDFONT", std::nullopt);
    struct Case {
        const char* file;
        std::string contents;
        std::function<std::string()> find;
    };
    const Case cases[] = {
        {"default-GM.sf2", kSoundFontHead + "LIST", &platform::FluidSynthOutput::FindSoundFont},
        {"ipagp.ttf", "a font", &platform::TextFontPath},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path beside = folder / c.file;
        SetAside kept(beside);
        EXPECT_NE(fs::path(c.find()), beside);
        std::ofstream(beside, std::ios::binary) << c.contents;
        EXPECT_TRUE(fs::equivalent(c.find(), beside)) << c.find();
    }
}

TEST(WindowsPlaces, TheSoundFontAdviceNamesTheWindowsRemedyAndAChoiceStillWins) {
    const fs::path beside = ProgramFolder() / "default-GM.sf2";
    SetAside kept(beside);
    testmedia::TempFolder temp;
    const std::string chosen = temp / "chosen.sf2";
    std::ofstream(chosen, std::ios::binary) << kSoundFontHead;
    std::ofstream(beside, std::ios::binary) << "not a SoundFont";
    {
        testmedia::ScopedEnv noChoice("PELLORO_SOUNDFONT", std::nullopt);
        EXPECT_EQ(platform::FluidSynthOutput::FindSoundFont(), "") << "a file that is no SoundFont was taken";
        const std::string advice = platform::FluidSynthOutput::Advice();
        EXPECT_NE(advice.find("default-GM.sf2 beside pelloro.exe"), std::string::npos) << advice;
        EXPECT_EQ(advice.find("timgm6mb"), std::string::npos) << advice;
        EXPECT_EQ(advice.find("/usr/"), std::string::npos) << advice;
    }
    std::ofstream(beside, std::ios::binary) << kSoundFontHead;
    testmedia::ScopedEnv choice("PELLORO_SOUNDFONT", chosen);
    EXPECT_EQ(platform::FluidSynthOutput::FindSoundFont(), chosen);
}

TEST(WindowsPlaces, ThePicturesFolderIsTheKnownFolderWhenItExists) {
    const std::string folder = platform::PicturesFolder();
    EXPECT_TRUE(fs::is_directory(folder)) << folder;
    EXPECT_NE(fs::path(folder), fs::current_path()) << "the known Pictures folder was not found";
}

}  // namespace
