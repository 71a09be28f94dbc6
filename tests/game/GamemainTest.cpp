#include "game/Gamemain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/DataError.h"
#include "devices/Vekmidi.h"
#include "devices/Veksound.h"
#include "game/Trace.h"
#include "game/GameHarness.h"

namespace {

using gametest::GameRun;
using gametest::Point;
using Game = TGameMainMode;

// The generator as the rules define it, written out here on its own.
struct ReferenceRandom {
    std::uint64_t state;
    explicit ReferenceRandom(std::uint32_t seed) {
        const std::uint32_t low = seed * 22695477u + 1u;
        state = low;  // high half 0
    }
    std::int32_t Next() {
        const std::uint64_t m = (std::uint64_t{0x15A} << 32) | 0x4E35u;
        state = state * m + 1u;
        return static_cast<std::int32_t>((state >> 32) & 0x7FFFFFFFu);
    }
    std::int32_t Below(std::int32_t n) { return n == 0 ? 0 : Next() % n; }
};

// ------------------------------------------------------------------------------------------------
// Start-up and the title

TEST(GameMain, TheFirstFrameMakesTheGameAndTheSecondShowsTheTitle) {
    GameRun run;
    run.Frame();
    ASSERT_NE(run.Game(), nullptr) << run.Form().FrameError();
    EXPECT_FALSE(run.G().Started());
    run.Frame();
    EXPECT_EQ(run.G().SceneNumber(), Game::kSceneTitle);
    EXPECT_TRUE(run.Shown(kTitlePicture));
    EXPECT_TRUE(run.Shown(kPushSpace));  // visible on the mode's first frame
    EXPECT_EQ(run.Form().Draw().PresentCount(), 1);
    EXPECT_EQ(run.G().LevelCount(), 50);
    EXPECT_EQ(run.G().StartLevel(), 1);
}

TEST(GameMain, TitlePromptBlinksInTwoHundredMillisecondHalves) {
    GameRun run;
    run.Frame();
    std::string pattern;
    for (int i = 0; i < 40; ++i) {
        run.Frame();
        pattern += run.Shown(kPushSpace) ? '1' : '0';
    }
    EXPECT_EQ(pattern, "1111111111000000000011111111110000000000");
}

TEST(GameMain, SpaceHeldFromStartUpStartsNothing) {
    GameRun run;
    run.Hold(platform::kDikSpace, true);
    run.Frames(30);
    EXPECT_EQ(run.G().SceneNumber(), Game::kSceneTitle);
    EXPECT_FALSE(run.Form().Midi().IsPlay());
    run.Hold(platform::kDikSpace, false);
    run.Frame();
    run.TapSpace();
    EXPECT_EQ(run.G().SceneNumber(), Game::kScenePlay);
}

TEST(GameMain, SpaceOnTheTitleStartsAGameWithTheMusic) {
    GameRun run;
    run.Frames(2);
    run.Hold(platform::kDikSpace, true);
    run.Frame();
    const Game& game = run.G();
    EXPECT_EQ(game.SceneNumber(), Game::kScenePlay);
    EXPECT_EQ(game.PhaseNumber(), Game::kPhaseSetUp);
    EXPECT_FALSE(run.Shown(kTitlePicture));
    EXPECT_FALSE(run.Shown(kPushSpace));
    EXPECT_TRUE(run.Form().Midi().IsPlay()) << "music after Space";
    run.Frame();
    EXPECT_EQ(run.Number(kScore)->num, 0);
    EXPECT_EQ(run.Number(kLevel)->num, 1);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(run.Shown(std::string(kCrossPrefix) + std::to_string(i)));
}

TEST(GameMain, TheKernelsRepeatIsSetToTwoHundredMilliseconds) {
    GameRun run;
    run.Frames(2);
    // Held from frame 2: a pulse on that frame, and then every 11 frames, counted from the frame after
    // (the keyboard's key-down bit restarts the countdown once); 160 and 40 would pulse every 3 frames.
    run.Hold(platform::kDikLeft, true);
    std::vector<int> pulses;
    for (int i = 0; i < 24; ++i) {
        run.Frame();
        if (run.Form().Kernel()->Repeated() & kButtonLeft) pulses.push_back(i);
    }
    EXPECT_EQ(pulses, (std::vector<int>{0, 12, 23}));
}

// ------------------------------------------------------------------------------------------------
// The stage

TEST(GameMain, BalloonShowsTheRowForExactlyOneHundredFiftyFrames) {
    GameRun run;
    run.StartGame();  // the set-up frame ran during the tap's second frame
    const Game& game = run.G();
    ASSERT_EQ(game.PhaseNumber(), Game::kPhaseBalloon);
    EXPECT_EQ(game.Count(), 2);
    EXPECT_EQ(game.Fall(), 2);
    EXPECT_EQ(game.Kinds(), 3);
    EXPECT_EQ(game.TimeLeft(), 45000);
    EXPECT_EQ(game.Squirrel().x, 160);
    EXPECT_EQ(game.Squirrel().y, 176);

    int balloonFrames = 0;
    while (game.PhaseNumber() == Game::kPhaseBalloon && balloonFrames < 1000) {
        run.Frame();
        ++balloonFrames;
        if (game.PhaseNumber() != Game::kPhaseBalloon) break;
        ASSERT_TRUE(run.Shown(kBalloon));
        for (int i = 0; i < kMaxNuts; ++i) {
            const TToyPicture& nut = *game.Slot(i).nut;
            if (i < game.Count()) {
                EXPECT_TRUE(nut.visible);
                EXPECT_EQ(nut.cell, game.Order()[static_cast<std::size_t>(i)]);
                EXPECT_EQ(nut.x, 60 + 32 * i + 16);
                EXPECT_EQ(nut.y, 84);
            } else {
                EXPECT_FALSE(nut.visible) << i;
            }
        }
        // Space during the balloon does nothing.
        run.Hold(platform::kDikSpace, balloonFrames % 2 == 1);
    }
    EXPECT_EQ(balloonFrames, 150);
    EXPECT_EQ(game.PhaseNumber(), Game::kPhaseDrop);
    EXPECT_FALSE(run.Shown(kBalloon));
    EXPECT_FALSE(game.Slot(0).nut->visible);
    EXPECT_EQ(game.Score(), 0);
}

TEST(GameMain, TheShuffleAndTheSpotsComeFromTheSeededGenerator) {
    const std::uint32_t seed = 4242;
    GameRun run(seed);
    run.StartGame();
    const Game& game = run.G();

    // The title's Space reseeds; the set-up draws 80 pairs below `kinds`.
    ReferenceRandom reference(seed);
    std::array<int, 8> order{0, 1, 2, 3, 4, 5, 6, 7};
    for (int n = 0; n < 80; ++n) {
        const int a = reference.Below(3);
        const int b = reference.Below(3);
        if (a != b) std::swap(order[static_cast<std::size_t>(a)], order[static_cast<std::size_t>(b)]);
    }
    for (int i = 0; i < 8; ++i) EXPECT_EQ(game.Order()[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(i)]);
    EXPECT_EQ(std::vector<int>(order.begin() + 3, order.end()), (std::vector<int>{3, 4, 5, 6, 7}));

    run.RunToPlay();
    ASSERT_EQ(game.PhaseNumber(), Game::kPhasePlay);
    // The squirrel's last-drawn picture keeps every shadow off it; no two nuts share a spot.
    const THitRect body = game.Squirrel().hitRect;
    std::vector<Point> spots;
    while (static_cast<int>(spots.size()) < game.Fall()) {
        const int x = 32 * reference.Below(8);
        const int y = 60 + 32 * reference.Below(4);
        const bool onSquirrel = x >= 160 + body.left && x <= 160 + body.right && y + 16 >= 176 + body.top &&
                                y + 16 <= 176 + body.bottom;
        const bool shared = std::any_of(spots.begin(), spots.end(), [&](Point p) { return p.x == x && p.y == y; });
        if (!onSquirrel && !shared) spots.push_back({x, y});
    }
    for (int i = 0; i < game.Fall(); ++i) {
        const NutSlot& slot = game.Slot(i);
        EXPECT_EQ(slot.x, spots[static_cast<std::size_t>(i)].x) << i;
        EXPECT_EQ(slot.groundY, spots[static_cast<std::size_t>(i)].y) << i;
        EXPECT_EQ(slot.kind, game.Order()[static_cast<std::size_t>(i)]);
        EXPECT_EQ(slot.nut->cell, slot.kind);
        EXPECT_EQ(slot.shadow->x, slot.x);
        EXPECT_EQ(slot.shadow->y, slot.groundY + 16);
        EXPECT_TRUE(slot.shadow->visible);
    }
}

TEST(GameMain, NutsReachTheGroundOnTheirFortyFifthUpdateAndLandOnTheFortySixth) {
    GameRun run;
    run.StartGame();
    run.RunToPlay();
    const Game& game = run.G();
    const NutSlot& slot = game.Slot(0);
    EXPECT_TRUE(slot.falling);
    EXPECT_EQ(slot.height, 240.0f);
    EXPECT_EQ(slot.nut->y, slot.groundY - 240);

    // The same steps in 32-bit floats, done here.
    float height = 240.0f;
    float speed = -100.0f;
    for (int update = 1; update <= 46; ++update) {
        run.Frame();
        if (height > 0.0f) {
            height = height + 0.001f * speed * 20.0f;
            speed = speed - 0.4f * 20.0f;
            if (!(height > 0.0f)) height = 0.0f;
        }
        EXPECT_EQ(slot.height, height) << update;
        EXPECT_EQ(slot.nut->y, slot.groundY - static_cast<int>(height)) << update;
        if (update <= 44) {
            EXPECT_GT(slot.height, 0.0f) << update;
        }
        if (update == 45) {
            EXPECT_EQ(slot.height, 0.0f);
        }
        EXPECT_EQ(slot.falling != 0, update < 46) << update;
    }
}

TEST(GameMain, CatchingTheRowInOrderClearsTheStageWithTwoHundredPoints) {
    GameRun run;
    run.StartGame();
    run.RunToPlay();
    Game& game = run.G();

    // A nut in the air is not offered.
    run.WalkTo(run.CatchSpot(0));
    EXPECT_TRUE(game.Slot(0).falling);
    EXPECT_FALSE(game.Cursor().visible);
    run.Hold(platform::kDikSpace, true);
    run.Frame();
    run.Hold(platform::kDikSpace, false);
    EXPECT_EQ(game.CaughtCount(), 0);

    for (int i = 0; i < 100 && game.Slot(0).falling; ++i) run.Frame();
    EXPECT_TRUE(game.Cursor().visible);
    EXPECT_EQ(game.Cursor().x, game.Slot(0).x);
    EXPECT_EQ(game.Cursor().y, game.Slot(0).groundY);
    run.TapSpace();
    EXPECT_EQ(game.CaughtCount(), 1);
    EXPECT_EQ(game.Score(), 100);
    EXPECT_EQ(game.Slot(0).nut->x, 0);
    EXPECT_EQ(game.Slot(0).nut->y, 208);
    EXPECT_FALSE(game.Slot(0).shadow->visible);

    run.Catch(1);
    EXPECT_EQ(game.CaughtCount(), 2);
    EXPECT_EQ(game.Slot(1).nut->x, 32);
    EXPECT_EQ(game.Score(), 200);
    EXPECT_EQ(game.PhaseNumber(), Game::kPhaseCleared);
    EXPECT_EQ(game.Level(), 1);
    EXPECT_EQ(run.Number(kLevel)->num, 2);
    EXPECT_EQ(run.Number(kScore)->num, 200);
    EXPECT_TRUE(run.Shown(kClearPicture));
    EXPECT_FALSE(run.Shown(kMistake));
    EXPECT_FALSE(game.Cursor().visible);
    EXPECT_EQ(game.Misses(), 0);
    const char* const standing[] = {kFacingLeft, kFacingRight, kFacingFront, kFacingBack};
    EXPECT_EQ(run.SquirrelAnime(), standing[game.FacingNumber()]);
    EXPECT_FALSE(game.Squirrel().loop);

    // Space on CLEAR sets up the next level: row 2, the score running on.
    run.TapSpace();
    EXPECT_FALSE(run.Shown(kClearPicture));
    EXPECT_EQ(game.PhaseNumber(), Game::kPhaseBalloon);
    EXPECT_EQ(game.TimeLeft(), 35000);
    EXPECT_EQ(game.Score(), 200);
    EXPECT_EQ(game.CaughtCount(), 0);
    EXPECT_FALSE(game.Slot(0).nut->visible);
    EXPECT_FALSE(game.Slot(0).shadow->visible);
}

TEST(GameMain, OfTwoLandedNutsUnderTheSquirrelTheLowerSlotIsOfferedFirst) {
    GameRun run;
    run.StartGame();
    run.RunToPlay();
    Game& game = run.G();
    // Side by side, and the squirrel's box between them reaches both.
    game.PlaceNut(1, 96, 92, game.Order()[1]);
    game.PlaceNut(0, 128, 92, game.Order()[0]);
    run.WalkTo({128, 108});
    for (int i = 0; i < 100 && (game.Slot(0).falling || game.Slot(1).falling); ++i) run.Frame();
    EXPECT_TRUE(run.Meets(0, 128, 108) && run.Meets(1, 128, 108));
    EXPECT_EQ(game.Cursor().x, 128);
    run.Hold(platform::kDikSpace, true);
    run.Frame();
    EXPECT_EQ(game.CaughtCount(), 1);
    EXPECT_TRUE(game.Slot(0).caught);
    EXPECT_FALSE(game.Slot(1).caught);  // one catch a frame, even with Space still down
    run.Frame();
    EXPECT_EQ(game.CaughtCount(), 1);
    EXPECT_TRUE(game.Cursor().visible);
    EXPECT_EQ(game.Cursor().x, 96);
    run.Hold(platform::kDikSpace, false);
    run.Frame();
    run.Hold(platform::kDikSpace, true);
    run.Frame();
    EXPECT_EQ(game.CaughtCount(), 2);
    EXPECT_EQ(game.PhaseNumber(), Game::kPhaseCleared);
    EXPECT_EQ(game.Score(), 200);
}

TEST(GameMain, CatchingTheRowOutOfOrderMarksTheMistakeAndLosesALife) {
    GameRun run;
    run.StartGame();
    run.RunToPlay();
    Game& game = run.G();
    run.Catch(1);
    ASSERT_EQ(game.CaughtCount(), 1);
    EXPECT_EQ(game.Slot(1).nut->x, 0);
    run.Catch(0);
    ASSERT_EQ(game.CaughtCount(), 2);
    EXPECT_EQ(game.Score(), 200);
    EXPECT_EQ(game.PhaseNumber(), Game::kPhaseLifeLost);
    EXPECT_TRUE(run.Shown(kMistake));
    EXPECT_EQ(run.Picture(kMistake)->x, 0);
    EXPECT_EQ(run.Picture(kMistake)->y, 212);
    EXPECT_TRUE(run.Shown("BATSU0"));
    EXPECT_FALSE(run.Shown("BATSU1"));
    EXPECT_TRUE(run.Shown(kMissPicture));
    EXPECT_EQ(game.Misses(), 1);
    EXPECT_FALSE(game.MissFlag());  // cleared once the life is counted
    EXPECT_EQ(game.Level(), 0);
    EXPECT_TRUE(run.Form().Sound().IsPlaying(kSoundMiss));

    // The same level again, with a new shuffle; the mark goes, the cross stays.
    run.TapSpace();
    EXPECT_EQ(game.PhaseNumber(), Game::kPhaseBalloon);
    EXPECT_EQ(game.TimeLeft(), 45000);
    EXPECT_FALSE(run.Shown(kMistake));
    EXPECT_TRUE(run.Shown("BATSU0"));
}

TEST(GameMain, RunningOutOfTimeLosesALifeAndShowsZeroSeconds) {
    GameRun run;
    run.StartGame();
    run.RunToPlay();
    Game& game = run.G();
    EXPECT_EQ(run.Number(kTime)->num, 45);
    // 45 s of play frames from the one after the drop.
    int frames = 0;
    while (game.PhaseNumber() == Game::kPhasePlay && frames < 3000) {
        run.Frame();
        ++frames;
        if (game.TimeLeft() == 980) {
            EXPECT_EQ(run.Number(kTime)->num, 0);
        }
        if (game.TimeLeft() == 1000) {
            EXPECT_EQ(run.Number(kTime)->num, 1);
        }
    }
    EXPECT_EQ(frames, 2250);
    EXPECT_EQ(game.TimeLeft(), 0);
    EXPECT_EQ(run.Number(kTime)->num, 0);
    EXPECT_EQ(game.PhaseNumber(), Game::kPhaseLifeLost);
    EXPECT_EQ(game.Misses(), 1);
    EXPECT_TRUE(run.Shown("BATSU0"));
    EXPECT_FALSE(run.Shown(kMistake));
    EXPECT_EQ(game.Score(), 0);
}

// One-second stages make the three lives quick to lose.
class ShortStages : public ::testing::Test {
protected:
    gametest::DifficultyOverride table{gametest::DifficultyText({"2, 2, 3, 1"}, 1)};
};

TEST_F(ShortStages, TheThirdLostLifeEndsTheGameWithoutMissAndStopsTheMusic) {
    GameRun run;
    run.StartGame();
    Game& game = run.G();
    ASSERT_EQ(game.TimeLeft(), 1000);
    for (int life = 0; life < 3; ++life) {
        run.RunToPlay();
        ASSERT_EQ(game.PhaseNumber(), Game::kPhasePlay);
        EXPECT_TRUE(run.Form().Midi().IsPlay());
        int guard = 0;
        while (game.PhaseNumber() == Game::kPhasePlay && ++guard < 100) run.Frame();
        if (life < 2) {
            EXPECT_EQ(game.PhaseNumber(), Game::kPhaseLifeLost);
            run.Frame();
            EXPECT_TRUE(run.Shown(kMissPicture));
            run.TapSpace();
        }
    }
    EXPECT_EQ(game.PhaseNumber(), Game::kPhaseGameOver);
    EXPECT_FALSE(run.Shown(kMissPicture));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(run.Shown("BATSU" + std::to_string(i)));
    run.Frame();
    EXPECT_EQ(game.SceneNumber(), Game::kSceneGameOver);
    EXPECT_FALSE(run.Form().Midi().IsPlay());
    run.Frame();
    EXPECT_TRUE(run.Shown(kGameOverPicture));

    // Space on game over goes back to the title; the finished game stays on screen behind it.
    run.TapSpace();
    EXPECT_EQ(game.SceneNumber(), Game::kSceneTitle);
    EXPECT_FALSE(run.Shown(kGameOverPicture));
    EXPECT_TRUE(run.Shown(kTitlePicture));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(run.Shown("BATSU" + std::to_string(i)));
    EXPECT_TRUE(run.Number(kTime)->visible);
    EXPECT_EQ(run.Number(kTime)->num, 0);
    EXPECT_EQ(run.Number(kLevel)->num, 1);
    EXPECT_TRUE(game.Slot(0).shadow->visible);

    // A new game from the title resets lives and score.
    run.TapSpace();
    EXPECT_EQ(game.SceneNumber(), Game::kScenePlay);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(run.Shown("BATSU" + std::to_string(i)));
    EXPECT_EQ(game.Misses(), 0);
    EXPECT_EQ(run.Number(kScore)->num, 0);
    EXPECT_TRUE(run.Form().Midi().IsPlay());
}

TEST(GameMainStart, StartTenBeginsEveryGameWithRowTen) {
    gametest::DifficultyOverride table{gametest::ShippedDifficultyWithStart(10)};
    GameRun run;
    run.StartGame();
    const Game& game = run.G();
    EXPECT_EQ(game.StartLevel(), 10);
    EXPECT_EQ(game.Level(), 9);
    EXPECT_EQ(game.Count(), 4);
    EXPECT_EQ(game.Fall(), 4);
    EXPECT_EQ(game.Kinds(), 5);
    EXPECT_EQ(game.TimeLeft(), 45000);
    EXPECT_EQ(run.Number(kLevel)->num, 10);
}

TEST(GameMainStart, PastTheLastRowTheLevelRisesOnRowFifty) {
    gametest::DifficultyOverride table{gametest::ShippedDifficultyWithStart(50)};
    GameRun run;
    run.StartGame();
    Game& game = run.G();
    run.RunToPlay();
    for (int i = 0; i < game.Count(); ++i) run.Catch(i);
    ASSERT_EQ(game.PhaseNumber(), Game::kPhaseCleared);
    EXPECT_EQ(game.Level(), 50);
    EXPECT_EQ(run.Number(kLevel)->num, 51);
    run.TapSpace();
    EXPECT_EQ(game.Count(), 5);
    EXPECT_EQ(game.Fall(), 8);
    EXPECT_EQ(game.Kinds(), 8);
    EXPECT_EQ(game.TimeLeft(), 10000);
    EXPECT_EQ(run.Number(kLevel)->num, 51);
}

// ------------------------------------------------------------------------------------------------
// The squirrel

TEST(GameMain, TheSquirrelWalksOneDirectionAtATimeWithinItsBounds) {
    GameRun run;
    run.StartGame();
    run.RunToPlay();
    Game& game = run.G();
    const TToyPlayer& squirrel = game.Squirrel();

    // Left and up together: only left.
    run.Hold(platform::kDikLeft, true);
    run.Hold(platform::kDikUp, true);
    run.Frame();
    EXPECT_EQ(squirrel.x, 156);
    EXPECT_EQ(squirrel.y, 176);
    EXPECT_EQ(game.FacingNumber(), Game::kFaceLeft);
    EXPECT_EQ(run.SquirrelAnime(), kWalkLeft);
    EXPECT_TRUE(squirrel.loop);
    EXPECT_TRUE(run.Form().Sound().IsPlaying(kSoundWalk));
    run.Frame();
    EXPECT_EQ(squirrel.time, 20);  // a held key keeps the walk cycling

    // Letting go of left turns the squirrel up and starts that walk afresh.
    run.Hold(platform::kDikLeft, false);
    run.Frame();
    EXPECT_EQ(squirrel.x, 152);
    EXPECT_EQ(squirrel.y, 172);
    EXPECT_EQ(game.FacingNumber(), Game::kFaceUp);
    EXPECT_EQ(run.SquirrelAnime(), kWalkBack);
    EXPECT_EQ(squirrel.time, 0);

    // Up to the bound and beyond: it walks on the spot, still animated. The step sound (0.71 s) is
    // started again by the first frame after it ends, so every frame's step leaves it playing.
    std::vector<bool> stepping;
    run.Form().AfterFrame = [&stepping](TMainForm& form) { stepping.push_back(form.Sound().IsPlaying(kSoundWalk)); };
    run.Frames(80);
    run.Form().AfterFrame = nullptr;
    EXPECT_EQ(stepping, std::vector<bool>(80, true));
    EXPECT_EQ(squirrel.y, 64);
    EXPECT_EQ(run.SquirrelAnime(), kWalkBack);
    EXPECT_TRUE(squirrel.playing);

    // Standing after walking up shows its back (前向き); after walking down it faces the viewer.
    run.ReleaseAll();
    run.Frame();
    EXPECT_EQ(run.SquirrelAnime(), kFacingFront);
    EXPECT_FALSE(squirrel.loop);
    run.Hold(platform::kDikDown, true);
    run.Frame();
    EXPECT_EQ(run.SquirrelAnime(), kWalkFront);
    run.ReleaseAll();
    run.Frame();
    EXPECT_EQ(run.SquirrelAnime(), kFacingBack);

    // The other bounds.
    run.Hold(platform::kDikLeft, true);
    run.Frames(60);
    EXPECT_EQ(squirrel.x, 32);
    run.ReleaseAll();
    run.Hold(platform::kDikRight, true);
    run.Frames(60);
    EXPECT_EQ(squirrel.x, 256);
    run.ReleaseAll();
    run.Hold(platform::kDikDown, true);
    run.Frames(60);
    EXPECT_EQ(squirrel.y, 208);
    run.ReleaseAll();
}

TEST(GameMain, TheSquirrelDoesNotMoveOutsideThePlayPhase) {
    GameRun run;
    run.StartGame();
    run.Hold(platform::kDikLeft, true);
    run.Frames(20);
    EXPECT_EQ(run.G().PhaseNumber(), Game::kPhaseBalloon);
    EXPECT_EQ(run.G().Squirrel().x, 160);
}

// ------------------------------------------------------------------------------------------------
// Repaint and trace

TEST(GameMain, ARepaintChangesNoState) {
    GameRun run;
    run.StartGame();
    run.RunToPlay();
    run.Frames(10);
    const Game& game = run.G();
    const std::string before = TraceLine(game, 0);
    const std::int32_t elapsed = game.Elapsed();
    const int presents = run.Form().Draw().PresentCount();
    run.Form().FormPaint();
    run.Form().FormPaint();
    EXPECT_EQ(TraceLine(game, 0), before);
    EXPECT_EQ(game.Elapsed(), elapsed);
    EXPECT_EQ(run.Form().Draw().PresentCount(), presents + 2);
}

TEST(GameMain, TheTraceLineHoldsTheStateAsOneJsonObject) {
    GameRun run;
    run.StartGame();
    run.RunToPlay();
    const std::string line = TraceLine(run.G(), 157);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.front(), '{');
    EXPECT_EQ(line.back(), '}');
    EXPECT_NE(line.find("\"frame\":157,\"scene\":1,\"phase\":3,"), std::string::npos) << line;
    EXPECT_NE(line.find("\"count\":2,\"fall\":2,\"kinds\":3,"), std::string::npos) << line;
    EXPECT_NE(line.find("\"x\":160,\"y\":176,\"slots\":[{"), std::string::npos) << line;
    const NutSlot& slot = run.G().Slot(0);
    const std::string first = "{\"x\":" + std::to_string(slot.x) + ",\"groundY\":" + std::to_string(slot.groundY) +
                              ",\"height\":240,\"speed\":-100,\"falling\":true,\"caught\":false,\"kind\":" +
                              std::to_string(slot.kind) + ",\"nutX\":" + std::to_string(slot.x) + ",\"nutY\":" +
                              std::to_string(slot.groundY - 240) + ",\"cell\":" + std::to_string(slot.kind) +
                              ",\"visible\":true}";
    EXPECT_NE(line.find(first), std::string::npos) << line;
    // Eight slot objects, and brackets that balance.
    int objects = 0;
    int depth = 0;
    for (char c : line) {
        if (c == '{') ++objects, ++depth;
        if (c == '}') --depth;
        EXPECT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(objects, 9);
}

// ------------------------------------------------------------------------------------------------
// Scenes that lack what the rules need

TEST(GameMainScene, AMissingToyIsRefusedByName) {
    const auto scene = platform::FindResource("TEXT", "TOYBOX");
    ASSERT_TRUE(scene.has_value());
    std::string text(reinterpret_cast<const char*>(scene->data()), scene->size());
    // Rename the cross mark under a wrong nut, and the score display.
    struct Case {
        std::string from;
        std::string to;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"\tname\t\tMISSTAKE", "\tname\t\tMISTAKE", "場面データに Picture \"MISSTAKE\" がありません"},
        {std::string("\tname\t\t") + kScore, "\tname\t\tscore", "場面データに Number \"スコア\" がありません"},
        {"\tname\t\tplayer0", "\tname\t\tplayer9", "場面データに Player \"player0\" がありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::string changed = text;
        const auto at = changed.find(c.from);
        ASSERT_NE(at, std::string::npos);
        changed.replace(at, c.from.size(), c.to);
        changed.push_back('\0');
        const std::vector<platform::ResourceEntry> entries = {
            {"TEXT", "TOYBOX", reinterpret_cast<const unsigned char*>(changed.data()), changed.size() - 1},
        };
        std::vector<platform::ResourceEntry> all = entries;
        const platform::ResourceTable& program = platform::kProgramResourceTable;
        all.insert(all.end(), program.entries, program.entries + program.count);
        const platform::ResourceTable table{all.data(), all.size()};
        platform::SetResourceTable(&table);
        std::string message;
        {
            GameRun run;
            EXPECT_FALSE(run.Form().RunHeadlessFrame());
            message = run.Form().FrameError();
            EXPECT_EQ(run.Game(), nullptr);
        }
        platform::SetResourceTable(nullptr);
        EXPECT_EQ(message, c.message);
    }
}

}  // namespace
