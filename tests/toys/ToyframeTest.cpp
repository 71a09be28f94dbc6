// Frame and anime toys: cells at offsets, the hit rectangle they span, and frames chosen by time.
#include "toys/Toyframe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toys/ToyScene.h"
#include "toys/Toyanime.h"
#include "toys/Toyimage.h"

namespace {

using toytest::Bitmap;
using toytest::CellsAt;
using toytest::Markers;

const std::string kRisu = "\x83\x8a\x83\x58";                 // リス
const std::string kHidariAruki = "\x8d\xb6\x95\xe0\x82\xab";  // 左歩き

class ToyFrameTest : public toytest::ToyScene {
protected:
    std::unique_ptr<TToyBox> LoadWith(const std::string& records) {
        return Load("{\nclass Command\nchdir Resource\n}\n"
                    "{\nclass Image\nname " + kRisu + "\nfileName risu\nsize 64 64\n}\n"
                    "{\nclass Image\nname small\nfileName small\nsize 16,16\n}\n" + records);
    }
    static std::string Frame(const std::string& name, const std::string& body) {
        return "{\nclass Frame\nname " + name + "\n" + body + "}\n";
    }

    testmedia::ScopedResources resources{{Bitmap("risu", toytest::MarkerSheet(4, 4, 64, 64)),
                                          Bitmap("small", toytest::MarkerSheet(4, 1, 16, 16))}};
};

TEST_F(ToyFrameTest, HitRectangleHoldsTheOriginAndEveryCell) {
    struct Case {
        std::string body;
        THitRect hit;
        std::size_t cells;
    };
    const Case cases[] = {
        {"imageId " + kRisu + "\ncellNum 1\ncell -20, -40, 0\n", {-20, -40, 44, 24}, 1},
        {"imageId small\ncellNum 1\ncell 10,10,0\n", {0, 0, 26, 26}, 1},
        {"imageId small\ncellNum 2\ncell -30,5,0\ncell 4,-8,1\n", {-30, -8, 20, 21}, 2},
        {"imageId small\npos 5,0\ncellNum 1\ncell 10,10,0\n", {0, 0, 26, 26}, 1},  // pos moves drawing only
        {"imageId small\ncellNum 2\ncell 10,10,0\n", {0, 0, 26, 26}, 1},           // fewer lines than cellNum
        {"imageId small\ncell 10,10,0\n", {0, 0, 0, 0}, 0},                        // no cellNum: no cells
        {"imageId small\ncellNum 0\ncell 10,10,0\n", {0, 0, 0, 0}, 0},
        {"imageId small\ncellNum -3\ncell 10,10,0\n", {0, 0, 0, 0}, 0},
        {"cellNum 1\ncell 10,-5,2\n", {0, -5, 10, 0}, 1},                          // no image: cells of no size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        auto box = LoadWith(Frame("f", c.body));
        const auto* frame = box->FindToyAs<TToyFrame>("Frame", "f");
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->hitRect, c.hit);
        EXPECT_EQ(frame->cells.size(), c.cells);
    }
}

TEST_F(ToyFrameTest, CellsAreTheLinesAfterCellNumWhateverTheirKeys) {
    auto box = LoadWith(Frame("f", "imageId small\ncellNum 2\nnote 7,8,1\ncell 20,0,3\nafter 50,50,2\n"));
    const auto* frame = box->FindToyAs<TToyFrame>("Frame", "f");
    ASSERT_EQ(frame->cells.size(), 2u);
    EXPECT_EQ(frame->cells[0].x, 7);
    EXPECT_EQ(frame->cells[0].y, 8);
    EXPECT_EQ(frame->cells[0].cell, 1);
    EXPECT_EQ(frame->cells[1].x, 20);
    EXPECT_EQ(frame->cells[1].cell, 3);
}

TEST_F(ToyFrameTest, DrawsEveryCellAtPointPlusPositionPlusOffsetInListOrder) {
    auto box = LoadWith(Frame("frame0", "imageId " + kRisu + "\ncellNum\t\t1\ncell\t\t-20, -40, 0\n") +
                        Frame("moved", "imageId " + kRisu + "\npos 5,0\ncellNum 1\ncell -20,-40,0\n") +
                        Frame("stack", "imageId small\ncellNum 3\ncell 0,0,0\ncell 0,0,1\ncell 16,-4,2\n") +
                        Frame("blind", "cellNum 1\ncell 0,0,0\n"));
    box->FindToyAs<TToyFrame>("Frame", "frame0")->DrawCells(160, 128);
    EXPECT_EQ(Markers(draw), CellsAt({{140, 88, 0}}));

    draw.Clear();
    box->FindToyAs<TToyFrame>("Frame", "moved")->DrawCells(160, 128);
    EXPECT_EQ(Markers(draw), CellsAt({{145, 88, 0}}));

    draw.Clear();
    box->FindToyAs<TToyFrame>("Frame", "stack")->DrawCells(100, 100);
    EXPECT_EQ(Markers(draw), CellsAt({{100, 100, 1}, {116, 96, 2}}));  // the second cell covers the first

    draw.Clear();
    box->FindToyAs<TToyFrame>("Frame", "blind")->DrawCells(100, 100);
    EXPECT_TRUE(Markers(draw).empty());
}

TEST_F(ToyFrameTest, FrameWritesImageCellNumAndCells) {
    auto box = LoadWith(Frame("f", "imageId small\npos 5,0\ncellNum 2\ncell -20,-40,0\ncell 3,4,65535\n") +
                        Frame("g", "imageId nothing\ncellNum 1\ncell 1,2,3\n"));
    std::vector<std::string> lines;
    box->FindToy("Frame", "f")->WriteRecord(lines);
    box->FindToy("Frame", "g")->WriteRecord(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"", "{", "\tclass\t\tFrame", "\tname\t\tf", "\tpos\t\t\t5,0",
                                               "\timageId\t\tsmall", "\tcellNum\t\t2", "\tcell\t\t-20,-40,0",
                                               "\tcell\t\t3,4,65535", "}",
                                               "", "{", "\tclass\t\tFrame", "\tname\t\tg", "\timageId\t\t",
                                               "\tcellNum\t\t1", "\tcell\t\t1,2,3", "}"}));
}

class ToyAnimeTest : public ToyFrameTest {
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

TEST_F(ToyAnimeTest, AnimeWritesItsStepsIncludingOnesWithoutAFrame) {
    auto box = LoadAnime("seqNum 3\nframe4 100\nghost 50\nframe5 -7\nshow 1\n");
    auto* anime = box->FindToyAs<TToyAnime>("Anime", "a");
    anime->Show();
    anime->x = 10;  // where it was last drawn is written like any shape's position
    std::vector<std::string> lines;
    anime->WriteRecord(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"", "{", "\tclass\t\tAnime", "\tname\t\ta", "\tshow\t\t1",
                                               "\tpos\t\t\t10,0", "\tseqNum\t\t3", "\tframe4\t\t100",
                                               "\tghost\t\t50", "\tframe5\t\t-7", "}"}));
}

}  // namespace
