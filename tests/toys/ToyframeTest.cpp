// Frame and anime toys: cells at offsets, the hit rectangle they span, and frames chosen by time.
#include "toys/Toyframe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toys/ToyScene.h"
#include "toys/Toyimage.h"

namespace {

using toytest::Bitmap;
using toytest::CellsAt;
using toytest::Markers;

using toytest::kRisu;

class ToyFrameTest : public toytest::FrameScene {};

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

}  // namespace
