// Picture toys: one cell of an image at a position, with the image's cell size as hit rectangle.
#include "toys/Toypicture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toys/ToyScene.h"
#include "toys/Toyimage.h"

namespace {

using toytest::Bitmap;
using toytest::CellColour;
using toytest::CellsAt;
using toytest::Markers;

const std::string kHaikei = "\x94\x77\x8c\x69";                  // 背景
const std::string kKinomi = "\x96\xd8\x82\xcc\x8e\xc0";          // 木の実
const std::string kFukidashi = "\x90\x81\x82\xab\x8f\x6f\x82\xb5";  // 吹き出し

class ToyPictureTest : public toytest::ToyScene {
protected:
    testmedia::ScopedResources resources{{Bitmap("bg", toytest::SolidSheet(1, 1, 320, 240)),
                                          Bitmap("kinomi", toytest::MarkerSheet(4, 2, 32, 32)),
                                          Bitmap("baloon", toytest::MarkerSheet(2, 1, 96, 96))}};
    std::string images = "{\nclass Command\nchdir Resource\n}\n"
                         "{\nclass Image\nname " + kHaikei + "\nfileName bg\n}\n"
                         "{\nclass Image\nname " + kKinomi + "\nfileName kinomi\nsize 32 32\n}\n"
                         "{\nclass Image\nname " + kFukidashi + "\nfileName baloon\n}\n";
};

TEST_F(ToyPictureTest, ShownBackgroundCoversTheScreenFromTheFirstDraw) {
    auto box = Load(images + "{\nclass Picture\nname " + kHaikei + "\nimageId " + kHaikei + "\nshow 1\n}\n");
    auto* picture = box->FindToyAs<TToyPicture>("Picture", kHaikei);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->image, box->FindToy("Image", kHaikei));
    box->DrawAll();
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}, {160, 120}}) {
        EXPECT_EQ(draw.RgbAt(x, y), CellColour(0)) << x << "," << y;
    }
}

TEST_F(ToyPictureTest, NutsShowTheirCellsWithTheCellSizeAsHitRectangle) {
    std::string text = images;
    for (int i = 0; i < 8; ++i) {
        text += "{\nclass Picture\nname kinomi" + std::to_string(i) + "\nimageId " + kKinomi + "\npos " +
                std::to_string(i * 36) + ",100\nnum " + std::to_string(i) + "\nshow 1\n}\n";
    }
    auto box = Load(text);
    for (int i = 0; i < 8; ++i) {
        const auto* nut = box->FindToyAs<TToyPicture>("Picture", "kinomi" + std::to_string(i));
        ASSERT_NE(nut, nullptr);
        EXPECT_EQ(nut->cell, i);
        EXPECT_EQ(nut->hitRect, (THitRect{0, 0, 32, 32}));
    }
    box->DrawAll();
    EXPECT_EQ(Markers(draw), CellsAt({{0, 100, 0}, {36, 100, 1}, {72, 100, 2}, {108, 100, 3}, {144, 100, 4},
                                      {180, 100, 5}, {216, 100, 6}, {252, 100, 7}}));
}

TEST_F(ToyPictureTest, BalloonOfAnImageWithoutSizeDrawsTheWholeBitmapAndHasNoHitArea) {
    auto box = Load(images + "{\nclass Picture\nname " + kFukidashi + "\nimageId " + kFukidashi +
                    "\npos\t\t60,60\nshow 1\n}\n");
    const auto* balloon = box->FindToyAs<TToyPicture>("Picture", kFukidashi);
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->hitRect, (THitRect{0, 0, 0, 0}));
    box->DrawAll();
    // Both marker pixels of the 192-pixel-wide bitmap: it is one cell, drawn whole.
    EXPECT_EQ(Markers(draw), CellsAt({{60, 60, 0}, {156, 60, 1}}));
}

TEST_F(ToyPictureTest, HiddenPicturesKeepTheirStateAndStillHit) {
    auto box = Load(images + "{\nclass Picture\nname a\nimageId " + kKinomi + "\npos 10,10\nnum 2\n}\n"
                    "{\nclass Picture\nname b\nimageId " + kKinomi + "\npos 42,42\n}\n");
    auto* a = box->FindToyAs<TToyPicture>("Picture", "a");
    auto* b = box->FindToyAs<TToyPicture>("Picture", "b");
    box->DrawAll();
    EXPECT_TRUE(Markers(draw).empty());
    EXPECT_EQ(a->x, 10);
    EXPECT_EQ(a->cell, 2);
    EXPECT_TRUE(a->HitTest(*b));  // (10..42) meets (42..74)

    a->Show();
    box->DrawAll();
    EXPECT_EQ(Markers(draw), CellsAt({{10, 10, 2}}));
}

TEST_F(ToyPictureTest, NewCellAndPositionShowAtTheNextDraw) {
    auto box = Load(images + "{\nclass Picture\nname p\nimageId " + kKinomi + "\nshow 1\n}\n");
    auto* p = box->FindToyAs<TToyPicture>("Picture", "p");
    p->cell = 3;
    p->x = 100;
    box->DrawAll();
    EXPECT_EQ(Markers(draw), CellsAt({{100, 0, 3}}));
    EXPECT_EQ(p->hitRect, (THitRect{0, 0, 32, 32}));

    draw.Clear();
    p->Draw(5, 7);  // an offset moves the picture
    p->cell = 8;    // past the last cell: nothing
    p->Draw(0, 0);
    EXPECT_EQ(Markers(draw), CellsAt({{105, 7, 3}}));
}

TEST_F(ToyPictureTest, MissingImageDrawsNothing) {
    auto box = Load(images + "{\nclass Picture\nname early\nimageId later\nshow 1\npos 3,4\nnum 1\n}\n"
                    "{\nclass Image\nname later\nfileName kinomi\nsize 32,32\n}\n");
    const auto* p = box->FindToyAs<TToyPicture>("Picture", "early");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->image, nullptr);  // an image standing later is not found
    EXPECT_EQ(p->hitRect, (THitRect{0, 0, 0, 0}));
    box->DrawAll();
    EXPECT_TRUE(Markers(draw).empty());
}

}  // namespace
