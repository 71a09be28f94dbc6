// Number toys: decimal digits as cells of an image, anchored at the right or the left end.
#include "toys/Toynumber.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "toys/ToyScene.h"
#include "toys/Toyimage.h"

namespace {

using toytest::Bitmap;
using toytest::CellsAt;
using toytest::Markers;

const std::string kSuuji = "\x90\x94\x8e\x9a";  // 数字

class ToyNumberTest : public toytest::ToyScene {
protected:
    std::unique_ptr<TToyBox> LoadNumber(const std::string& extra) {
        return Load("{\nclass Command\nchdir Resource\n}\n"
                    "{\nclass Image\nname " + kSuuji + "\nfileName suuji\nsize 16 16\n}\n"
                    "{\nclass Image\nname whole\nfileName suuji\n}\n"
                    "{\nclass Number\nname n\npos 96, 32\nshow 1\n" + extra + "}\n");
    }
    TToyNumber& Number(TToyBox& box) { return *box.FindToyAs<TToyNumber>("Number", "n"); }

    testmedia::ScopedResources resources{{Bitmap("suuji", toytest::MarkerSheet(10, 1, 16, 16))}};
};

TEST_F(ToyNumberTest, LaysDigitsOutFromTheAnchor) {
    struct Case {
        const char* base;
        std::int32_t num;
        std::vector<toytest::Marker> cells;
    };
    const Case cases[] = {
        {"right", 1234, CellsAt({{96, 32, 4}, {80, 32, 3}, {64, 32, 2}, {48, 32, 1}})},
        {"left", 1234, CellsAt({{96, 32, 1}, {112, 32, 2}, {128, 32, 3}, {144, 32, 4}})},
        {"right", 100, CellsAt({{96, 32, 0}, {80, 32, 0}, {64, 32, 1}})},
        {"right", 99, CellsAt({{96, 32, 9}, {80, 32, 9}})},
        {"left", 100, CellsAt({{96, 32, 1}, {112, 32, 0}, {128, 32, 0}})},
        {"left", 99, CellsAt({{96, 32, 9}, {112, 32, 9}})},
        {"right", 0, CellsAt({{96, 32, 0}})},
        {"left", 0, CellsAt({{96, 32, 0}})},
        // The sign asks for a cell the device refuses: a gap of one cell width.
        {"right", -5, CellsAt({{96, 32, 5}})},
        {"left", -5, CellsAt({{112, 32, 5}})},
        {"left", -10, CellsAt({{112, 32, 1}, {128, 32, 0}})},
        // Only the exact text "left" turns the number round.
        {"Left", 12, CellsAt({{96, 32, 2}, {80, 32, 1}})},
        {"LEFT", 12, CellsAt({{96, 32, 2}, {80, 32, 1}})},
        {"centre", 12, CellsAt({{96, 32, 2}, {80, 32, 1}})},
        {"", 12, CellsAt({{96, 32, 2}, {80, 32, 1}})},
        // The far digits leave the screen on the left and are clipped.
        {"right", std::numeric_limits<std::int32_t>::min(),
         CellsAt({{96, 32, 8}, {80, 32, 4}, {64, 32, 6}, {48, 32, 3}, {32, 32, 8}, {16, 32, 4}, {0, 32, 7}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.base << " " << c.num);
        draw.Clear();
        auto box = LoadNumber("imageId " + kSuuji + "\nbase " + c.base + "\n");
        Number(*box).num = c.num;
        box->DrawAll();
        EXPECT_EQ(Markers(draw), c.cells);
    }
}

TEST_F(ToyNumberTest, ReadsItsKeysAndDefaults) {
    auto box = LoadNumber("imageId " + kSuuji + "\nnum 30\n");
    TToyNumber& n = Number(*box);
    EXPECT_EQ(n.num, 30);
    EXPECT_EQ(n.rightBased, 1);
    EXPECT_EQ(n.x, 96);
    EXPECT_EQ(n.y, 32);
    EXPECT_EQ(n.image, box->FindToy("Image", kSuuji));
    EXPECT_EQ(n.hitRect, (THitRect{0, 0, 0, 0}));
    box->DrawAll();
    EXPECT_EQ(Markers(draw), CellsAt({{96, 32, 0}, {80, 32, 3}}));
}

TEST_F(ToyNumberTest, ImageWithoutSizeDrawsEveryDigitAtTheAnchor) {
    auto box = LoadNumber("imageId whole\nbase left\nnum 1000\n");
    box->DrawAll();
    // The whole strip is cell 0; the other digits are refused, and none moves from the anchor.
    EXPECT_EQ(Markers(draw), CellsAt({{96, 32, 0}, {112, 32, 1}, {128, 32, 2}, {144, 32, 3}, {160, 32, 4},
                                      {176, 32, 5}, {192, 32, 6}, {208, 32, 7}, {224, 32, 8}, {240, 32, 9}}));
}

TEST_F(ToyNumberTest, HiddenOrImagelessNumbersDrawNothing) {
    auto box = LoadNumber("imageId " + kSuuji + "\nnum 7\n");
    TToyNumber& n = Number(*box);
    n.Hide();
    box->DrawAll();
    EXPECT_TRUE(Markers(draw).empty());
    n.num = 8;
    n.Show();
    box->DrawAll();
    EXPECT_EQ(Markers(draw), CellsAt({{96, 32, 8}}));

    draw.Clear();
    auto lost = LoadNumber("imageId nothing\nnum 7\n");
    Number(*lost).Show();
    lost->DrawAll();
    EXPECT_TRUE(Markers(draw).empty());
}

}  // namespace
