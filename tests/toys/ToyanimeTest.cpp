// Animes: the frame shown at a time, drawing at the anime's position, and the record written back.
#include "toys/Toyanime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toys/ToyScene.h"
#include "toys/Toyframe.h"

namespace {

using toytest::CellsAt;
using toytest::kHidariAruki;
using toytest::kRisu;
using toytest::Markers;

class ToyAnimeTest : public toytest::FrameScene {
protected:
    std::unique_ptr<TToyBox> LoadAnime(const std::string& body) {
        return LoadWith(Frame("frame4", "imageId " + kRisu + "\ncellNum 1\ncell -36,-32,4\n") +
                        Frame("frame5", "imageId " + kRisu + "\ncellNum 1\ncell -36,-32,5\n") +
                        Frame("tiny", "imageId small\ncellNum 1\ncell 0,0,1\n") +
                        "{\nclass Anime\nname a\n" + body + "}\n");
    }
    static std::string NameAt(const TToyAnime& anime, std::int32_t time) {
        const TToyFrame* frame = anime.GetFrame(time);
        return frame != nullptr ? frame->name : "(none)";
    }
};

TEST_F(ToyAnimeTest, ChoosesTheFrameByTime) {
    struct Case {
        std::string body;
        std::int32_t total;
        std::vector<std::pair<std::int32_t, std::string>> frames;
    };
    const Case cases[] = {
        {"seqNum 2\nframe4 100\nframe5 100\n", 200,
         {{0, "frame4"}, {99, "frame4"}, {100, "frame5"}, {199, "frame5"}, {200, "frame5"}, {5000, "frame5"},
          {-5, "frame4"}}},
        {"seqNum 1\ntiny 100\n", 100, {{-100, "tiny"}, {0, "tiny"}, {100, "tiny"}, {12345, "tiny"}}},
        {"seqNum 3\nframe4 10\nframe5 0\ntiny 10\n", 20,
         {{0, "frame4"}, {9, "frame4"}, {10, "tiny"}, {19, "tiny"}, {20, "tiny"}}},
        {"seqNum 2\nframe4 100\nframe5 0\n", 100, {{99, "frame4"}, {100, "frame5"}}},
        // More steps asked for than there are lines: reading stops at the end of the record.
        {"seqNum 9\nframe4 100\nframe5 100\n", 200, {{150, "frame5"}}},
        // No steps at all.
        {"seqNum 0\nframe4 100\n", 0, {{0, "(none)"}, {100, "(none)"}}},
        {"", 0, {{0, "(none)"}}},
        // A step whose frame is missing takes its time and shows nothing.
        {"seqNum 3\nframe4 100\nghost 50\nframe5 100\n", 250,
         {{99, "frame4"}, {100, "(none)"}, {149, "(none)"}, {150, "frame5"}, {999, "frame5"}}},
        {"seqNum 2\nframe4 100\nghost 50\n", 150, {{120, "(none)"}, {150, "(none)"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        auto box = LoadAnime(c.body);
        const auto* anime = box->FindToyAs<TToyAnime>("Anime", "a");
        ASSERT_NE(anime, nullptr);
        EXPECT_EQ(anime->totalDuration, c.total);
        for (const auto& [time, name] : c.frames) EXPECT_EQ(NameAt(*anime, time), name) << "at " << time;
    }
}

TEST_F(ToyAnimeTest, TheGamesWalkingLeftAnimeByItsShiftJisName) {
    auto box = LoadWith(Frame("frame4", "imageId " + kRisu + "\ncellNum 1\ncell -36,-32,4\n") +
                        Frame("frame5", "imageId " + kRisu + "\ncellNum 1\ncell -36,-32,5\n") +
                        "{\nclass Anime\nname " + kHidariAruki + "\nseqNum 2\nframe4 100\nframe5 100\n}\n");
    const auto* anime = box->FindToyAs<TToyAnime>("Anime", kHidariAruki);
    ASSERT_NE(anime, nullptr);
    EXPECT_EQ(anime->GetFrame(99), box->FindToy("Frame", "frame4"));
    EXPECT_EQ(anime->GetFrame(100), box->FindToy("Frame", "frame5"));
}

TEST_F(ToyAnimeTest, DrawFrameDrawsAtTheAnimesPositionAndTakesTheFramesHitRectangle) {
    auto box = LoadAnime("pos 50,50\nseqNum 2\ntiny 100\nframe4 100\n");
    auto* anime = box->FindToyAs<TToyAnime>("Anime", "a");
    EXPECT_EQ(anime->x, 0);  // an anime's position comes from whoever draws it, not from its record
    EXPECT_EQ(anime->y, 0);
    EXPECT_EQ(anime->hitRect, (THitRect{0, 0, 16, 16}));  // the frame for time 0

    anime->x = 160;
    anime->y = 128;
    anime->DrawFrame(150);
    EXPECT_EQ(Markers(draw), CellsAt({{124, 96, 4}}));
    EXPECT_EQ(anime->hitRect, (THitRect{-36, -32, 28, 32}));
}

TEST_F(ToyAnimeTest, NothingToDrawLeavesTheHitRectangleAlone) {
    for (const char* body : {"seqNum 0\n", "seqNum 2\nghost 100\nframe4 100\n"}) {
        SCOPED_TRACE(body);
        draw.Clear();
        auto box = LoadAnime(body);
        auto* anime = box->FindToyAs<TToyAnime>("Anime", "a");
        EXPECT_EQ(anime->hitRect, (THitRect{0, 0, 0, 0}));
        anime->SetHitRect({1, 2, 3, 4});
        anime->DrawFrame(0);
        EXPECT_TRUE(Markers(draw).empty());
        EXPECT_EQ(anime->hitRect, (THitRect{1, 2, 3, 4}));
    }
}

}  // namespace
