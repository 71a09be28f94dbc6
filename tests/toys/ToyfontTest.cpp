// Font and caption toys: advance widths from the width lines, strings of cells, and the wave.
#include "toys/Toyfont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toys/ToyScene.h"
#include "toys/Toycaption.h"

namespace {

using toytest::Bitmap;
using toytest::CellsAt;
using toytest::Markers;

std::vector<std::int32_t> Widths(std::initializer_list<std::int32_t> first) {
    std::vector<std::int32_t> widths(first);
    widths.resize(TToyFont::kCellCount, 0);
    return widths;
}

class ToyFontTest : public toytest::ToyScene {
protected:
    std::unique_ptr<TToyBox> LoadFont(const std::string& fontBody, const std::string& more = "") {
        return Load("{\nclass Command\nchdir Resource\n}\n"
                    "{\nclass Font\nname font\n" + fontBody + "}\n" + more);
    }
    static std::vector<std::int32_t> WidthsOf(const TToyFont& font) {
        return {font.widths.begin(), font.widths.end()};
    }
    // Every width 16 but the space's, which is 5.
    static std::string EvenWidths() {
        return "width 16 16 16 16 16 16 16 16\nwidth 16 16 16 16 16 16 16 16\n"
               "width 16 16 16 16 16 16 16 16\nwidth 16 16 16 16 5\n";
    }

    testmedia::ScopedResources resources{{Bitmap("font", toytest::MarkerSheet(8, 4, 8, 8))}};
};

TEST_F(ToyFontTest, TakesWidthsFromEveryLineAfterSizeUpToEachLinesFirstZero) {
    struct Case {
        std::string body;
        std::vector<std::int32_t> widths;
    };
    const Case cases[] = {
        {"fileName font\nsize 8 8\nwidth 1,2,3,4,5,6,7,8\nwidth 9,10,11,12,13,14,15,16\n"
         "width 17,18,19,20,21,22,23,24\nwidth 25,26,27,28,29\n",
         Widths({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27,
                 28, 29})},
        {"fileName font\nsize 8 8\nwidth 12 12 12 12 0 12 12 12\nwidth 7 7 7 7 7\n",
         Widths({12, 12, 12, 12, 7, 7, 7, 7, 7})},
        // One to four values are int32 slots: the high half of the first is the second int16, a zero.
        {"fileName font\nsize 8 8\nwidth 5 6\nwidth 9\n", Widths({5, 9})},
        // Six values leave the fourth's low half in slot 6.
        {"fileName font\nsize 8 8\nwidth 1 2 3 4 5 6\n", Widths({1, 2, 3, 4, 5, 6, 4})},
        {"fileName font\nsize 8 8\nwidth -3 2 1 1 1\n", Widths({-3, 2, 1, 1, 1})},
        // Whatever the key; and no more than 29.
        {"fileName font\nsize 8 8\na 1 1 1 1 1 1 1 1\nb 2 2 2 2 2 2 2 2\nc 3 3 3 3 3 3 3 3\nd 4 4 4 4 4 4 4 4\n"
         "e 9 9 9 9 9 9 9 9\n",
         Widths({1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4})},
        // A fileName after size is a width line too: its bytes two at a time ("AB" is 0x4241).
        {"size 8 8\nfileName AB\n", Widths({0x4241})},
        {"fileName font\nsize 8 8\n", Widths({})},
        // Without size the lines after fileName are width lines.
        {"fileName font\nwidth 3 3 3 3 3\n", Widths({3, 3, 3, 3, 3})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        auto box = LoadFont(c.body);
        const auto* font = box->FindToyAs<TToyFont>("Font", "font");
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(WidthsOf(*font), c.widths);
        EXPECT_FALSE(font->wave);
    }
    auto box = LoadFont("size 8 8\nfileName AB\n");
    EXPECT_EQ(box->FindToyAs<TToyFont>("Font", "font")->fileName, "AB");
}

TEST_F(ToyFontTest, DrawsCellsAdvancingByEachCharactersWidth) {
    auto box = LoadFont("fileName font\nsize 8 8\n" + EvenWidths());
    auto* font = box->FindToyAs<TToyFont>("Font", "font");
    font->DrawString(10, 20, "AB");
    EXPECT_EQ(Markers(draw), CellsAt({{10, 20, 0}, {26, 20, 1}}));

    draw.Clear();
    font->DrawString(0, 100, "Z? !");
    EXPECT_EQ(Markers(draw), CellsAt({{0, 100, 25}, {16, 100, 26}, {32, 100, 28}, {37, 100, 27}}));

    // Characters without a cell draw nothing and take the room of a space.
    draw.Clear();
    font->DrawString(0, 200, "AaB1\x82\xa0" "C");
    EXPECT_EQ(Markers(draw), CellsAt({{0, 200, 0}, {21, 200, 1}, {52, 200, 2}}));
}

TEST_F(ToyFontTest, WaveOffsetsFollowTheTravellingCosine) {
    struct Case {
        std::int32_t totalTime;
        std::int32_t i;
        std::int32_t offset;
    };
    const Case cases[] = {
        {0, 1, 7},     // 8 cos(2 pi 0.05) = 7.6
        {0, 10, -8},   // half a period
        {0, 20, 8},
        {0, 5, 0},     // 8 cos(pi / 2) is a hair above zero
        {0, 15, 0},
        {0, 6, -2},    // 8 cos(0.6 pi) = -2.47, truncated towards zero
        {760, 1, 8},   // the phase wraps at 800
        {380, 1, -7},
        {20, 1, 7},    // 8 cos(2 pi 0.075) = 7.13
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TToyFont::WaveOffset(c.totalTime, c.i), c.offset) << "T " << c.totalTime << " i " << c.i;
    }
}

TEST_F(ToyFontTest, WavingTextMovesEachCharacterByTheKernelsTime) {
    auto box = LoadFont("fileName font\nsize 8 8\n" + EvenWidths(),
                        "{\nclass Caption\nname c\nfontId font\npos 0,100\ntext AAAAAAAAAA\nwave 1\nshow 1\n}\n");
    ASSERT_TRUE(box->FindToyAs<TToyFont>("Font", "font")->wave);
    box->DrawAll();
    // At time 0 character i sits 8 cos(2 pi 40 i / 800) pixels down, truncated towards zero.
    const int offsets[10] = {7, 6, 4, 2, 0, -2, -4, -6, -7, -8};
    std::vector<toytest::Marker> expected;
    for (int i = 1; i <= 10; ++i) expected.push_back({(i - 1) * 16, 100 + offsets[i - 1], toytest::CellColour(0)});
    EXPECT_EQ(Markers(draw), toytest::Sorted(expected));
    EXPECT_EQ(draw.RgbAt(0, 107), toytest::CellColour(0));
    EXPECT_EQ(draw.RgbAt(144, 92), toytest::CellColour(0));

    for (int i = 0; i < 19; ++i) kernel.Poll(20);  // T = 380
    ASSERT_EQ(kernel.TotalTime(), 380);
    draw.Clear();
    box->DrawAll();
    EXPECT_EQ(draw.RgbAt(0, 93), toytest::CellColour(0));
}

TEST_F(ToyFontTest, OneWavingCaptionMakesEveryCaptionOfItsFontWave) {
    auto box = LoadFont("fileName font\nsize 8 8\n" + EvenWidths(),
                        "{\nclass Caption\nname still\nfontId font\npos 20,30\ntext AB\nshow 1\n}\n"
                        "{\nclass Caption\nname waving\nfontId font\npos 200,200\ntext Z\nwave 1\n}\n");
    box->DrawAll();
    // Only the visible caption draws, but it waves: 7 down for its first character, 6 for its second.
    EXPECT_EQ(Markers(draw), CellsAt({{20, 37, 0}, {36, 36, 1}}));
}

TEST_F(ToyFontTest, CaptionWithoutAFontDrawsNothingAndItsWaveGoesNowhere) {
    auto box = LoadFont("fileName font\nsize 8 8\n" + EvenWidths(),
                        "{\nclass Caption\nname c\nfontId later\ntext AB\nwave 1\nshow 1\n}\n"
                        "{\nclass Font\nname later\nfileName font\nsize 8 8\n}\n");
    const auto* caption = box->FindToyAs<TToyCaption>("Caption", "c");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->font, nullptr);
    EXPECT_EQ(caption->text, "AB");
    EXPECT_FALSE(box->FindToyAs<TToyFont>("Font", "later")->wave);
    EXPECT_FALSE(box->FindToyAs<TToyFont>("Font", "font")->wave);
    box->DrawAll();
    EXPECT_TRUE(Markers(draw).empty());
}

TEST_F(ToyFontTest, CaptionDrawsAtItsPositionPlusTheOffset) {
    auto box = LoadFont("fileName font\nsize 8 8\n" + EvenWidths(),
                        "{\nclass Caption\nname c\nfontId font\npos 40,50\ntext HI\n}\n");
    auto* caption = box->FindToyAs<TToyCaption>("Caption", "c");
    box->DrawAll();
    EXPECT_TRUE(Markers(draw).empty());
    caption->Show();
    caption->Draw(3, 4);
    EXPECT_EQ(Markers(draw), CellsAt({{43, 54, 7}, {59, 54, 8}}));
}

TEST_F(ToyFontTest, DestroyingAFontDeletesItsSprite) {
    auto box = LoadFont("fileName font\nsize 8 8\n");
    ASSERT_NE(draw.GetSpriteSurf("font"), nullptr);
    box.reset();
    EXPECT_EQ(draw.GetSpriteSurf("font"), nullptr);
}

}  // namespace
