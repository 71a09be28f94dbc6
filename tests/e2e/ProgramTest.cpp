// The program as a player or a script starts it: options, the no-display message, headless runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/Command.h"

namespace {

using Result = testmedia::CommandResult;  // its output holds standard output and error together

Result RunProgram(const std::string& arguments, const std::string& environment = "") {
    return testmedia::RunCommand("env " + environment + " " + PELLORO_PROGRAM + " " + arguments + " 2>&1");
}

std::filesystem::path TempDir() {
    auto dir = std::filesystem::temp_directory_path() /
               ("pelloro-e2e-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    return dir;
}

std::uintmax_t FileSize(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::file_size(path, ec);
}

TEST(Program, HelpNamesEveryOptionAndExitsZero) {
    const Result r = RunProgram("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* option : {"--scale", "--fullscreen", "--volume", "--seed", "--demo", "--headless", "--frames",
                               "--keys", "--screenshot", "--screenshot-every", "--audio-out", "--trace", "--version"}) {
        EXPECT_NE(r.output.find(option), std::string::npos) << option;
    }
}

TEST(Program, VersionPrintsTheVersion) {
    const Result r = RunProgram("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output.rfind("pelloro ", 0), 0u) << r.output;
}

TEST(Program, BadOptionsAreRefusedWithStatusTwo) {
    for (const char* args : {"--scale 9", "--scale", "--bogus", "--volume 101", "--seed -1", "--screenshot x.bmp"}) {
        const Result r = RunProgram(args);
        EXPECT_EQ(r.status, 2) << args << ": " << r.output;
        EXPECT_NE(r.output.find("pelloro:"), std::string::npos) << args;
    }
}

TEST(Program, WithoutADisplaySaysSoInOneLineAndHowToNameOne) {
    const Result r = RunProgram("", "-u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("no display"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("DISPLAY=:0 pelloro"), std::string::npos) << r.output;
    // A headless run cannot be played: it is not offered as a way to play.
    EXPECT_EQ(r.output.find("to play without a window"), std::string::npos) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
}

TEST(Program, HeadlessRunWritesAScreenshotOfThePresentedPicture) {
    const auto dir = TempDir();
    const auto shot = dir / "out.bmp";
    const Result r = RunProgram("--headless --frames 100 --seed 1 --screenshot " + shot.string());
    ASSERT_EQ(r.status, 0) << r.output;
    // 24-bit, 320 x 240: a 54-byte header and 240 rows of 960 bytes.
    EXPECT_EQ(FileSize(shot), 54u + 240u * 960u);
    std::ifstream in(shot, std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    EXPECT_EQ(magic[0], 'B');
    EXPECT_EQ(magic[1], 'M');
    std::filesystem::remove_all(dir);
}

// The refusal a program run gives, exactly: one line naming what is wrong, then where to look.
std::string Refusal(const std::string& line) {
    return "pelloro: " + line + "\nTry 'pelloro --help' for more information.\n";
}

// Reads "NAME message" (keys) or "ARGUMENTS | message" (options) tables beside their inputs.
std::vector<std::pair<std::string, std::string>> ReadTable(const std::filesystem::path& path, const std::string& between) {
    std::vector<std::pair<std::string, std::string>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto cut = line.find(between);
        if (cut == std::string::npos) continue;
        rows.emplace_back(line.substr(0, cut), line.substr(cut + between.size()));
    }
    return rows;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    for (auto at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
    return s;
}

TEST(Program, MalformedKeyScriptsAndOptionsAreRefusedWithWhatIsWrong) {
    const std::filesystem::path inputs = std::filesystem::path(PELLORO_SOURCE_DIR) / "tests" / "inputs";
    const auto keys = ReadTable(inputs / "keys" / "expected.txt", " ");
    ASSERT_GE(keys.size(), 10u);
    for (const auto& [name, message] : keys) {
        const std::string file = (inputs / "keys" / name).string();
        const Result r = RunProgram("--headless --frames 5 --keys " + file);
        EXPECT_EQ(r.status, 2) << name;
        EXPECT_EQ(r.output, Refusal(file + ": " + message)) << name;
    }
    // Every script there is in the table, so none is silently skipped.
    for (const auto& entry : std::filesystem::directory_iterator(inputs / "keys")) {
        if (entry.path().extension() != ".keys") continue;
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [&](const auto& row) { return row.first == name; }))
            << name << " is not in expected.txt";
    }
    const auto options = ReadTable(inputs / "options" / "expected.txt", " | ");
    ASSERT_GE(options.size(), 10u);
    for (const auto& [arguments, message] : options) {
        const Result r = RunProgram(Replace(arguments, "{inputs}", inputs.string()));
        EXPECT_EQ(r.status, 2) << arguments;
        EXPECT_EQ(r.output, Refusal(Replace(message, "{inputs}", inputs.string()))) << arguments;
    }
}

TEST(Program, HeadlessAudioOutIsAWaveOfTheRenderedFrames) {
    const auto dir = TempDir();
    const auto wav = dir / "out.wav";
    const Result r = RunProgram("--headless --frames 50 --audio-out " + wav.string());
    ASSERT_EQ(r.status, 0) << r.output;
    // The headless output runs at 44100 Hz (the music is rendered at the output's rate, not at the
    // sound device's 22050): 50 frames of 20 ms are 882 stereo 16-bit sample frames each, after a
    // 44-byte header whose rate field says so.
    EXPECT_EQ(FileSize(wav), 44u + 50u * 882u * 4u);
    std::ifstream in(wav, std::ios::binary);
    unsigned char header[28] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    EXPECT_EQ(header[24] | (header[25] << 8) | (header[26] << 16) | (header[27] << 24), 44100);
    std::filesystem::remove_all(dir);
}

TEST(Program, OptionsThatCannotBeUsedAreRefusedWithOneLineAndAStatus) {
    const auto dir = TempDir();
    const auto file = dir / "plain-file";
    std::ofstream(file) << "x";
    const struct {
        std::string args;
        int status;
        const char* says;
    } cases[] = {
        {"--screenshot-every 5 --headless", 2, "needs K and DIR"},
        {"--headless --screenshot-every 5 " + (dir / "none").string(), 1, "is not a folder"},
        {"--headless --screenshot-every 5 " + file.string(), 1, "is not a folder"},
        {"--frames 5", 2, "need --headless"},
        {"--headless --trace --frames", 2, "--trace needs a file"},
    };
    for (const auto& c : cases) {
        const Result r = RunProgram(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << ": " << r.output;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << c.args << ": " << r.output;
        EXPECT_EQ(r.output.find("pelloro:"), 0u) << c.args << ": " << r.output;
    }
    std::filesystem::remove_all(dir);
}

TEST(Program, AScreenshotBeforeTheFirstPictureSaysWhyOnce) {
    const auto dir = TempDir();
    const Result r = RunProgram("--headless --frames 1 --screenshot " + (dir / "x.bmp").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("--frames 2"), std::string::npos) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));
    std::filesystem::remove_all(dir);
}

TEST(Program, EveryKthPictureIsNamedByItsFrameInTheTrace) {
    const auto dir = TempDir();
    const Result r = RunProgram("--headless --seed 3 --frames 10 --screenshot-every 5 " + dir.string() +
                                " --trace " + (dir / "trace.jsonl").string());
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(std::filesystem::exists(dir / "frame000004.bmp"));
    EXPECT_TRUE(std::filesystem::exists(dir / "frame000009.bmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "frame000010.bmp"));
    std::ifstream trace(dir / "trace.jsonl");
    std::string line, last;
    while (std::getline(trace, line)) last = line;
    EXPECT_EQ(last.rfind("{\"frame\":9,", 0), 0u) << last;
    std::filesystem::remove_all(dir);
}

TEST(Program, ADisplayWithNoServerBehindItIsNamedAndTheRunEnds) {
    // SDL's video start talks to D-Bus, whose library keeps allocations for the life of the process
    // that LeakSanitizer reports; as for every window run, the sanitized build looks for memory errors
    // here but not for leaks.
    const Result r = RunProgram("--demo", "-u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u DBUS_SESSION_BUS_ADDRESS "
                                          "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 DISPLAY=:9876");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("cannot open display :9876"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("--headless"), std::string::npos) << r.output;
}

}  // namespace
