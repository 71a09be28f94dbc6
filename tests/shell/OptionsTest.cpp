// One command line for every platform: what each option sets, and what a platform lets scripts drive.
#include "shell/Options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/TestMedia.h"

namespace {

TCommandLine Parse(std::vector<std::string> args, const TPlatformChoices& platform = {}) {
    args.insert(args.begin(), "pelloro");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), platform);
}

TEST(Options, EachGroupGetsItsOwnAndScriptsDriveAWindowOnlyWhereThePlatformSays) {
    const TCommandLine player = Parse({"--scale", "3", "--volume", "40", "--seed", "9", "--demo", "--no-auto-pause"});
    ASSERT_EQ(player.action, TCommandLine::TAction::kRun) << player.problem;
    EXPECT_EQ(player.options.player.scale, 3);
    EXPECT_EQ(player.options.player.volume, 40);
    EXPECT_EQ(player.options.player.seed, 9u);
    EXPECT_TRUE(player.options.player.demo);
    EXPECT_FALSE(player.options.player.autoPause);
    EXPECT_FALSE(player.options.test.headless);

    const TCommandLine headless = Parse({"--headless"});
    EXPECT_EQ(headless.options.test.frames, 500) << "the default run";
    EXPECT_EQ(headless.options.test.lastFrame, -1);

    testmedia::TempFolder folder;
    const std::string keys = folder / "keys.txt";
    std::ofstream(keys) << "3 Space down\n4 Space up\n";
    const TCommandLine desktop = Parse({"--keys", keys, "--frames", "20"});
    EXPECT_EQ(desktop.action, TCommandLine::TAction::kBad);
    EXPECT_NE(desktop.problem.find("need --headless"), std::string::npos) << desktop.problem;

    TPlatformChoices page;
    page.frameClock = false;
    page.scriptsInWindow = true;
    const TCommandLine scripted = Parse({"--keys", keys, "--frames", "20"}, page);
    ASSERT_EQ(scripted.action, TCommandLine::TAction::kRun) << scripted.problem;
    EXPECT_EQ(scripted.options.test.keys.size(), 2u);
    EXPECT_TRUE(scripted.options.platform.scriptedKeys);
    EXPECT_FALSE(scripted.options.platform.frameClock);
    EXPECT_EQ(scripted.options.test.lastFrame, 20);
    EXPECT_EQ(Parse({"--trace", "t.json"}, page).action, TCommandLine::TAction::kBad) << "traces are headless only";

    const TCommandLine missing = Parse({"--headless", "--screenshot-every", "5", folder / "none"});
    EXPECT_EQ(missing.action, TCommandLine::TAction::kBad);
    EXPECT_TRUE(missing.problemIsOutside) << "a missing folder is no fault of the command line";
    EXPECT_EQ(Parse({"--help", "--bogus"}).action, TCommandLine::TAction::kHelp);
}

}  // namespace
