// Player toys: the anime clock, looping and once-played ends, and drawing the frame for the time.
#include "toys/Toyplayer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toys/ToyScene.h"
#include "toys/Toyanime.h"

namespace {

using toytest::Bitmap;
using toytest::CellsAt;
using toytest::Markers;

const std::string kMaeMuki = "\x91\x4f\x8c\xfc\x82\xab";  // 前向き

class ToyPlayerTest : public toytest::ToyScene {
protected:
    std::unique_ptr<TToyBox> LoadPlayer(const std::string& player) {
        return Load("{\nclass Command\nchdir Resource\n}\n"
                    "{\nclass Image\nname risu\nfileName risu\nsize 64 64\n}\n"
                    "{\nclass Frame\nname frame0\nimageId risu\ncellNum 1\ncell -20, -40, 0\n}\n"
                    "{\nclass Frame\nname frame1\nimageId risu\ncellNum 1\ncell -44, -40, 1\n}\n"
                    "{\nclass Anime\nname two\nseqNum 2\nframe0 100\nframe1 100\n}\n"
                    "{\nclass Anime\nname " + kMaeMuki + "\nseqNum 1\nframe0 100\n}\n"
                    "{\nclass Anime\nname long\nseqNum 2\nframe0 100\nframe1 100\n}\n"
                    "{\nclass Anime\nname zero\nseqNum 1\nframe1 0\n}\n"
                    "{\nclass Anime\nname empty\n}\n"
                    "{\nclass Player\nname p\n" + player + "}\n");
    }
    TToyPlayer& Player(TToyBox& box) { return *box.FindToyAs<TToyPlayer>("Player", "p"); }

    testmedia::ScopedResources resources{{Bitmap("risu", toytest::MarkerSheet(4, 4, 64, 64))}};
};

TEST_F(ToyPlayerTest, StartsItsAnimeLoopingFromTheRecord) {
    auto box = LoadPlayer("animeId " + kMaeMuki + "\npos 160, 128\nshow 1\n");
    TToyPlayer& p = Player(*box);
    EXPECT_EQ(p.anime, box->FindToy("Anime", kMaeMuki));
    EXPECT_TRUE(p.playing);
    EXPECT_TRUE(p.loop);
    EXPECT_EQ(p.time, 0);
    EXPECT_EQ(p.length, 100);
    EXPECT_EQ(p.x, 160);
    EXPECT_EQ(p.y, 128);

    auto none = LoadPlayer("animeId nothing\n");
    EXPECT_EQ(Player(*none).anime, nullptr);
    EXPECT_FALSE(Player(*none).playing);
}

TEST_F(ToyPlayerTest, ClockRunsInWholeUpdatesAndDropsWhatPassesTheEnd) {
    struct Case {
        const char* anime;
        bool loop;
        std::int32_t step;
        std::vector<std::int32_t> times;  // after each update
        bool playingAtEnd;
    };
    const Case cases[] = {
        {"two", true, 20, {20, 40, 60, 80, 100, 120, 140, 160, 180, 0, 20}, true},
        {"long", true, 30, {30, 60, 90, 120, 150, 180, 0, 30}, true},
        {kMaeMuki.c_str(), false, 20, {20, 40, 60, 80, 100, 100, 100}, false},
        {"zero", true, 20, {0, 0, 0}, true},
        {"zero", false, 20, {20, 20}, false},
        {"nothing", true, 20, {0, 0}, false},  // without an anime the clock is stopped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.anime);
        auto box = LoadPlayer("");
        TToyPlayer& p = Player(*box);
        p.PlayAnime(c.anime, c.loop);
        std::vector<std::int32_t> times;
        for (std::size_t i = 0; i < c.times.size(); ++i) {
            box->UpdateAll(c.step);
            times.push_back(p.time);
        }
        EXPECT_EQ(times, c.times);
        EXPECT_EQ(p.playing, c.playingAtEnd);
    }
}

TEST_F(ToyPlayerTest, DrawsTheFrameForItsTimeAtItsPosition) {
    auto box = LoadPlayer("animeId two\npos 160,128\nshow 1\n");
    TToyPlayer& p = Player(*box);
    EXPECT_EQ(p.hitRect, (THitRect{0, 0, 0, 0}));  // nothing drawn yet

    std::vector<int> shown;
    for (int frame = 0; frame < 12; ++frame) {
        box->UpdateAll(20);
        draw.Clear();
        box->DrawAll();
        const auto markers = Markers(draw);
        ASSERT_EQ(markers.size(), 1u);
        shown.push_back(markers[0] == CellsAt({{140, 88, 0}})[0] ? 0 : markers[0] == CellsAt({{116, 88, 1}})[0] ? 1 : -1);
    }
    // Times 20..80 show frame0, 100..180 frame1, then 0 and 20 frame0 again.
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0}));
}

TEST_F(ToyPlayerTest, DrawTakesTheHitRectangleOfTheFrameJustDrawn) {
    auto box = LoadPlayer("animeId " + kMaeMuki + "\npos 160, 128\nshow 1\n");
    TToyPlayer& p = Player(*box);
    box->DrawAll();
    EXPECT_EQ(Markers(draw), CellsAt({{140, 88, 0}}));
    EXPECT_EQ(p.hitRect, (THitRect{-20, -40, 44, 24}));

    p.SetHitRect({-4, -4, 4, 4});  // the game's catch box, until the next draw
    EXPECT_EQ(p.hitRect, (THitRect{-4, -4, 4, 4}));
    draw.Clear();
    p.Draw(50, 50);  // the offset plays no part
    EXPECT_EQ(Markers(draw), CellsAt({{140, 88, 0}}));
    EXPECT_EQ(p.hitRect, (THitRect{-20, -40, 44, 24}));
}

TEST_F(ToyPlayerTest, UnknownAnimeDrawsNothingAndKeepsTheLastHitRectangle) {
    auto box = LoadPlayer("animeId two\npos 160,128\nshow 1\n");
    TToyPlayer& p = Player(*box);
    box->DrawAll();
    p.PlayAnime("nothing", true);
    EXPECT_EQ(p.anime, nullptr);
    draw.Clear();
    box->DrawAll();
    EXPECT_TRUE(Markers(draw).empty());
    EXPECT_EQ(p.hitRect, (THitRect{-20, -40, 44, 24}));

    // An anime without steps draws nothing either.
    p.PlayAnime("empty", true);
    box->UpdateAll(20);
    box->DrawAll();
    EXPECT_TRUE(Markers(draw).empty());
}

TEST_F(ToyPlayerTest, HiddenPlayerKeepsItsClockAndPlayAnimeRestarts) {
    auto box = LoadPlayer("animeId two\npos 160,128\n");
    TToyPlayer& p = Player(*box);
    for (int i = 0; i < 6; ++i) box->UpdateAll(20);
    box->DrawAll();
    EXPECT_TRUE(Markers(draw).empty());
    EXPECT_EQ(p.time, 120);
    p.Show();
    box->DrawAll();
    EXPECT_EQ(Markers(draw), CellsAt({{116, 88, 1}}));

    p.PlayAnime("two", false);
    EXPECT_EQ(p.time, 0);
    EXPECT_FALSE(p.loop);
    EXPECT_TRUE(p.playing);
}

TEST_F(ToyPlayerTest, PlayersSharingAnAnimeDrawAtTheirOwnPositions) {
    auto box = LoadPlayer("animeId two\npos 160,128\nshow 1\n}\n{\nclass Player\nname q\nanimeId two\npos 60,60\nshow 1\n");
    box->DrawAll();
    EXPECT_EQ(Markers(draw), CellsAt({{140, 88, 0}, {40, 20, 0}}));
}

}  // namespace
