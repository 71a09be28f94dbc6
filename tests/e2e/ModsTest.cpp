// A modder's way in: --data reads a folder before the built-in data, --check reports every problem.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/Command.h"
#include "support/TestMedia.h"

namespace {

using Result = testmedia::CommandResult;

// Runs the program in `folder`; standard error goes along only when asked.
Result RunIn(const std::string& folder, const std::string& arguments, bool withErrors = true) {
    return testmedia::RunCommand("cd '" + folder + "' && " + PELLORO_PROGRAM + " " + arguments +
                                 (withErrors ? " 2>&1" : " 2>/dev/null"));
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string kMods = std::string(PELLORO_SOURCE_DIR) + "/tests/inputs/mods";

}  // namespace

TEST(Mods, EachBrokenModIsReportedLineByLineAsItsExpectedOutputSays) {
    for (const char* mod : {"broken-difficulty", "broken-scene", "broken-media"}) {
        const Result r = RunIn(kMods, std::string("--check --data ") + mod);
        EXPECT_EQ(r.status, 1) << mod;
        EXPECT_EQ(r.output, Slurp(kMods + "/" + mod + ".expected")) << mod;
    }
}

TEST(Mods, TheDocumentedExampleModPassesTheCheckAndPlaysItsOwnPicture) {
    const std::string docs = std::string(PELLORO_SOURCE_DIR) + "/docs";
    const Result check = RunIn(docs, "--check --data example-mod");
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_EQ(check.output, "pelloro: example-mod: 0 errors, 0 warnings\n");

    testmedia::TempFolder out("pelloro-mod");
    const std::string run = "--headless --seed 2 --frames 120 --screenshot ";
    ASSERT_EQ(RunIn(docs, "--data example-mod " + run + out / "mod.bmp").status, 0);
    ASSERT_EQ(RunIn(docs, run + out / "plain.bmp").status, 0);
    const std::string mod = Slurp(out / "mod.bmp"), plain = Slurp(out / "plain.bmp");
    ASSERT_EQ(mod.size(), plain.size());
    // The autumn floor shows wherever the title leaves the background visible: most of the picture.
    std::size_t differing = 0;
    for (std::size_t i = 54; i < mod.size(); ++i) differing += mod[i] != plain[i];
    EXPECT_GT(differing, (mod.size() - 54) / 2);
}

TEST(Mods, ASongSavedInLowerCaseIsTheOneThatPlays) {
    // A song of one bar's rest: with it the music is silent, without it the built-in song plays.
    const std::vector<std::uint8_t> rest = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                            'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    testmedia::TempFolder dir("pelloro-song");
    for (const char* mod : {"lower", "exact"}) std::filesystem::create_directories(dir / mod);
    std::ofstream(dir / "lower/bgm0.mid", std::ios::binary).write(reinterpret_cast<const char*>(rest.data()), rest.size());
    std::ofstream(dir / "exact/BGM0.mid", std::ios::binary).write(reinterpret_cast<const char*>(rest.data()), rest.size());
    std::ofstream(dir / "keys.txt") << "5 Space down\n6 Space up\n";  // the song starts with the game
    const std::string run = " --headless --seed 1 --frames 200 --keys keys.txt --audio-out ";
    for (const char* mod : {"lower", "exact"}) {
        ASSERT_EQ(RunIn(dir.path, std::string("--data ") + mod + run + mod + ".wav").status, 0) << mod;
    }
    ASSERT_EQ(RunIn(dir.path, run + "plain.wav").status, 0);
    EXPECT_TRUE(Slurp(dir / "lower.wav") == Slurp(dir / "exact.wav"));
    EXPECT_FALSE(Slurp(dir / "lower.wav") == Slurp(dir / "plain.wav"));
    const Result check = RunIn(dir.path, "--check --data lower");
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("'BGM0' is the file lower/bgm0.mid (its name matched ignoring letter case)"),
              std::string::npos)
        << check.output;
}

TEST(Mods, AFolderThatIsNotThereIsACommandLineError) {
    const Result r = RunIn(kMods, "--check --data no-such-mod");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("--data: no-such-mod is not a folder"), std::string::npos) << r.output;
}
