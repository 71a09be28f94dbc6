// Image and sound toys: what they read, the sprite they own, DrawCell, and their records.
#include "toys/Toyimage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/Vekdraw.h"
#include "toys/ToyScene.h"

namespace {

using toytest::Bitmap;
using toytest::CellsAt;
using toytest::Markers;

class ToyImageTest : public toytest::ToyScene {
protected:
    testmedia::ScopedResources resources{{Bitmap("sheet", toytest::MarkerSheet(4, 2, 16, 16))}};
    std::unique_ptr<TToyBox> box = Load("{\nclass Command\nchdir Resource\n}\n");
};

TEST_F(ToyImageTest, ReadsSizeWithBlanksOrCommasAlike) {
    for (const char* size : {"16 16", "16,16", "16, 16", "16\t16"}) {
        SCOPED_TRACE(size);
        auto image = Make<TToyImage>(*box, std::string("{\nclass Image\nname img\nfileName sheet\nsize ") + size + "\n}\n");
        EXPECT_EQ(image->name, "img");
        EXPECT_EQ(image->fileName, "sheet");
        EXPECT_EQ(image->cellWidth, 16);
        EXPECT_EQ(image->cellHeight, 16);
        const TSpriteSurf* sprite = draw.GetSpriteSurf("img");
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(sprite->cellCount, 8);
    }
}

TEST_F(ToyImageTest, WithoutSizeKeepsZeroAndTheWholeBitmapIsOneCell) {
    auto image = Make<TToyImage>(*box, "{\nclass Image\nname whole\nfileName sheet\n}\n");
    EXPECT_EQ(image->cellWidth, 0);
    EXPECT_EQ(image->cellHeight, 0);
    const TSpriteSurf* sprite = draw.GetSpriteSurf("whole");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->cellCount, 1);
    EXPECT_EQ(sprite->cellWidth, 64);
}

TEST_F(ToyImageTest, DrawCellDrawsBySpriteNameWhateverTheImagesVisibility) {
    auto image = Make<TToyImage>(*box, "{\nclass Image\nname img\nfileName sheet\nsize 16,16\n}\n");
    ASSERT_EQ(image->visible, 0);
    image->DrawCell(10, 20, 0);
    image->DrawCell(100, 50, 5);
    image->DrawCell(200, 50, 8);   // one past the last cell
    image->DrawCell(200, 80, -1);
    EXPECT_EQ(Markers(draw), CellsAt({{10, 20, 0}, {100, 50, 5}}));
    // Drawing all toys draws nothing of an image itself.
    draw.Clear();
    image->Show();
    image->Draw(0, 0);
    EXPECT_TRUE(Markers(draw).empty());
}

TEST_F(ToyImageTest, MissingBitmapStillMakesAToyThatDrawsNothing) {
    for (const char* record : {"{\nclass Image\nname gone\nfileName nothing\nsize 16,16\n}\n",
                               "{\nclass Image\nname gone\n}\n"}) {
        auto image = Make<TToyImage>(*box, record);
        EXPECT_EQ(image->name, "gone");
        EXPECT_EQ(draw.GetSpriteSurf("gone"), nullptr);
        image->DrawCell(0, 0, 0);
        EXPECT_TRUE(Markers(draw).empty());
    }
}

TEST_F(ToyImageTest, DestroyingEitherOfTwoSameNamedImagesDeletesTheSprite) {
    auto first = Make<TToyImage>(*box, "{\nclass Image\nname dup\nfileName sheet\nsize 16,16\n}\n");
    auto second = Make<TToyImage>(*box, "{\nclass Image\nname dup\nfileName sheet\nsize 32,32\n}\n");
    ASSERT_NE(draw.GetSpriteSurf("dup"), nullptr);
    second.reset();
    EXPECT_EQ(draw.GetSpriteSurf("dup"), nullptr);
    first->DrawCell(0, 0, 0);
    EXPECT_TRUE(Markers(draw).empty());
}

}  // namespace
