#include "game/Demo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "game/GameHarness.h"
#include "game/Gamemain.h"

namespace {

using gametest::GameRun;
using Game = TGameMainMode;

// How far apart two closed intervals lie.
int Gap(int lowA, int highA, int lowB, int highB) {
    if (highA < lowB) return lowB - highA;
    if (highB < lowA) return lowA - highB;
    return 0;
}

// The earliest frame after the drop on which the row's last nut can be caught, whoever plays: the
// first nut lands on the 46th frame, Space needs a frame up between two presses, and each leg walks
// at least the gap between the boxes from which consecutive nuts can be reached, 4 pixels a frame.
int FramesAtLeast(const Game& game) {
    int lowX = Game::kStartX;
    int highX = Game::kStartX;
    int lowY = Game::kStartY;
    int highY = Game::kStartY;
    int frame = 0;
    for (int i = 0; i < game.Count(); ++i) {
        const NutSlot& slot = game.Slot(i);
        const int nxLow = std::max(Game::kMinX, slot.x - 8);
        const int nxHigh = std::min(Game::kMaxX, slot.x + 40);
        const int nyLow = std::max(Game::kMinY, slot.groundY - 8);
        const int nyHigh = std::min(Game::kMaxY, slot.groundY + 40);
        const int walk = Gap(lowX, highX, nxLow, nxHigh) / 4 + Gap(lowY, highY, nyLow, nyHigh) / 4;
        frame = i == 0 ? std::max(walk, 46) : frame + std::max(walk, 2);
        lowX = nxLow;
        highX = nxHigh;
        lowY = nyLow;
        highY = nyHigh;
    }
    return frame;
}

struct StageResult {
    int level = 0;       // 0-based index the stage was played at
    int phase = 0;       // the phase it ended in
    bool timedOut = false;
    bool wrongRow = false;
    int caught = 0;
    int playFrames = 0;  // frames of play until it ended, the last one included
    int limitFrames = 0;
    int boundFrames = 0;
};

// Runs the pilot until the shown level passes `targetLevel`, or `maxFrames` frames.
struct DemoRun {
    GameRun run;
    TDemoPilot pilot;
    std::vector<StageResult> stages;
    std::vector<int> levelsAfterLastRow;  // shown level of every stage played on row 50
    bool rowFiftyHeld = true;
    int frames = 0;
    int games = 0;  // games started from the title
    std::uint8_t lastScene = Game::kSceneTitle;

    explicit DemoRun(std::uint32_t seed) : run(seed) {
        run.Form().BeforeFrame = [this](TMainForm& form) {
            pilot.Steer(form.MainMode(), form.Script());
        };
    }

    void Until(int targetLevel, int maxFrames) {
        StageResult current;
        int lastPhase = -1;
        for (; frames < maxFrames; ++frames) {
            if (!run.Frame()) return;
            const Game* game = run.Game();
            if (game != nullptr && game->SceneNumber() == Game::kScenePlay && lastScene == Game::kSceneTitle) ++games;
            if (game != nullptr) lastScene = game->SceneNumber();
            if (game == nullptr || game->SceneNumber() != Game::kScenePlay) {
                lastPhase = -1;
                continue;
            }
            const int phase = game->PhaseNumber();
            if (phase == Game::kPhasePlay && lastPhase == Game::kPhaseDrop) {
                current = StageResult{};
                current.level = game->Level();
                current.limitFrames = game->TimeLeft() / 20;
                current.boundFrames = FramesAtLeast(*game);
            }
            if (lastPhase == Game::kPhasePlay) ++current.playFrames;
            if (lastPhase == Game::kPhasePlay && phase != Game::kPhasePlay) {
                current.phase = phase;
                current.timedOut = game->TimeLeft() <= 0;
                current.wrongRow = run.Shown(kMistake);
                current.caught = game->CaughtCount();
                stages.push_back(current);
            }
            if (phase == Game::kPhaseBalloon && lastPhase == Game::kPhaseSetUp && game->Level() >= 50) {
                levelsAfterLastRow.push_back(run.Number(kLevel)->num);
                rowFiftyHeld = rowFiftyHeld && game->Count() == 5 && game->Fall() == 8 && game->Kinds() == 8 &&
                               game->TimeLeft() == 10000;
            }
            lastPhase = phase;
            if (game->Level() + 1 > targetLevel && phase == Game::kPhaseCleared) return;
        }
    }

    int LongestRunOfClears() const {
        int best = 0;
        int runLength = 0;
        for (const StageResult& s : stages) {
            runLength = s.phase == Game::kPhaseCleared ? runLength + 1 : 0;
            best = std::max(best, runLength);
        }
        return best;
    }
};

void ExpectLossesAreTimeOuts(const DemoRun& demo) {
    for (const StageResult& s : demo.stages) {
        if (s.phase == Game::kPhaseCleared) continue;
        SCOPED_TRACE("stage lost at level " + std::to_string(s.level + 1));
        EXPECT_FALSE(s.wrongRow) << "the pilot caught a wrong row";
        EXPECT_TRUE(s.timedOut);
        EXPECT_EQ(s.playFrames, s.limitFrames);
    }
    for (const StageResult& s : demo.stages) {
        if (s.phase != Game::kPhaseCleared) continue;
        EXPECT_GE(s.playFrames, s.boundFrames) << "faster than any player could be, level " << s.level + 1;
    }
}

TEST(DemoPilot, ClearsStageAfterStageAndPlaysOnPastTheLastRow) {
    DemoRun demo(20240601u);
    demo.Until(52, 60000);
    ASSERT_FALSE(demo.stages.empty());
    EXPECT_GE(demo.LongestRunOfClears(), 20);
    ASSERT_GE(demo.run.G().Level() + 1, 52) << "after " << demo.frames << " frames";
    EXPECT_EQ(demo.run.G().SceneNumber(), Game::kScenePlay);
    ASSERT_GE(demo.levelsAfterLastRow.size(), 2u);
    EXPECT_TRUE(demo.rowFiftyHeld);
    EXPECT_TRUE(std::is_sorted(demo.levelsAfterLastRow.begin(), demo.levelsAfterLastRow.end()));
    EXPECT_GT(demo.levelsAfterLastRow.back(), 51);
    // One game all along: its score is 100 for every nut caught in every stage.
    int caught = 0;
    for (const StageResult& s : demo.stages) caught += s.caught;
    EXPECT_EQ(demo.games, 1);
    EXPECT_EQ(demo.run.G().Score(), 100 * caught);
    ExpectLossesAreTimeOuts(demo);
}

TEST(DemoPilot, StartsFromTheTitleAndAfterAGameOver) {
    // Stages of one second cannot be won: the pilot loses three lives, confirms the game over and
    // starts the next game by itself.
    gametest::DifficultyOverride table{gametest::DifficultyText({"2, 2, 3, 1"}, 1)};
    DemoRun demo(7u);
    int gameOvers = 0;
    int games = 0;
    std::uint8_t lastScene = 0;
    for (int i = 0; i < 3000 && games < 2; ++i) {
        ASSERT_TRUE(demo.run.Frame());
        const Game* game = demo.run.Game();
        if (game == nullptr) continue;
        if (game->SceneNumber() == Game::kSceneGameOver && lastScene != Game::kSceneGameOver) ++gameOvers;
        if (game->SceneNumber() == Game::kScenePlay && lastScene == Game::kSceneTitle) ++games;
        lastScene = game->SceneNumber();
    }
    EXPECT_EQ(games, 2);
    EXPECT_EQ(gameOvers, 1);
}

TEST(DemoPilot, AStartAtTheTopOfTheLevelRangeStaysOnTheLastRowStageAfterStage) {
    // Levels counted from a start near the top of 32 bits must neither wrap negative nor index past
    // the table: the level stops where its shown number (level + 1) still fits, on the last row.
    for (const int start : {2147483647, 2147483646}) {
        SCOPED_TRACE(start);
        gametest::DifficultyOverride table{gametest::ShippedDifficultyWithStart(start)};
        DemoRun demo(3u);
        demo.Until(std::numeric_limits<int>::max(), 12000);
        ASSERT_NE(demo.run.Game(), nullptr) << demo.run.Form().FrameError();
        int cleared = 0;
        for (const StageResult& stage : demo.stages) {
            EXPECT_GE(stage.level, start - 1);
            EXPECT_LE(stage.level, 2147483646);
            if (stage.phase == Game::kPhaseCleared) ++cleared;
        }
        EXPECT_GE(cleared, 3) << "the pilot should clear stages past the point where the level would wrap";
        const std::int32_t shown = demo.run.Number(kLevel)->num;
        EXPECT_EQ(shown, demo.run.G().Level() + 1);
        EXPECT_GT(shown, 0);
    }
}

TEST(DemoPilot, NoGameMeansNoKeys) {
    TDemoPilot pilot;
    platform::ScriptedInputSource keys;
    keys.SetKey(platform::kDikSpace, true);
    keys.SetKey(platform::kDikLeft, true);
    pilot.Steer(nullptr, keys);
    EXPECT_FALSE(keys.IsKeyDown(platform::kDikSpace));
    EXPECT_FALSE(keys.IsKeyDown(platform::kDikLeft));
}

TEST(DemoPilotSoak, PlaysOnForALongTime) {
    if (std::getenv("PELLORO_SOAK") == nullptr) GTEST_SKIP() << "set PELLORO_SOAK to run the long demo";
    DemoRun demo(99u);
    demo.Until(150, 400000);
    EXPECT_GE(demo.run.G().Level() + 1, 150);
    EXPECT_TRUE(demo.rowFiftyHeld);
    ExpectLossesAreTimeOuts(demo);
}

}  // namespace
