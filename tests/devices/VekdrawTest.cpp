#include "devices/Vekdraw.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/TextRenderer.h"
#include "support/TestMedia.h"

namespace {

using testmedia::MakeBmp24;
using testmedia::MakeBmp8;
using testmedia::Resource;
using testmedia::ScopedResources;

std::uint32_t Raw(const TVekDraw& draw, int x, int y) { return draw.PixelAt(x, y); }

// The four screen formats in the order of their old codes 1 to 4.
constexpr TPixelFormat kFormats[] = {TPixelFormat::kRgb555, TPixelFormat::kRgb565, TPixelFormat::kRgb24,
                                     TPixelFormat::kXrgb32};
TPixelFormat FormatFor(int code) { return kFormats[code - 1]; }

void PutRaw(TVekDraw& draw, int x, int y, std::uint32_t value) {
    SDL_Surface* s = draw.BackBuffer();
    const int bpp = s->format->BytesPerPixel;
    auto* p = static_cast<std::uint8_t*>(s->pixels) + y * s->pitch + x * bpp;
    for (int i = 0; i < bpp; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Every back-buffer pixel as 0xRRGGBB.
std::vector<std::uint32_t> Picture(const TVekDraw& draw) {
    std::vector<std::uint32_t> out;
    for (int y = 0; y < draw.SurfaceHeight(); ++y)
        for (int x = 0; x < draw.SurfaceWidth(); ++x) out.push_back(draw.RgbAt(x, y));
    return out;
}

// A 24-bit bitmap whose pixel (x, y) is 0x40 + x in red and 0x40 + y in green: where a pixel came
// from can be read off its colour. Pixels listed in `holes` are black.
std::vector<std::uint8_t> CoordinateBitmap(int w, int h, const std::function<bool(int, int)>& hole = nullptr) {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px.push_back(hole && hole(x, y) ? 0u : ((0x40u + x) << 16) | ((0x40u + y) << 8) | 0x11u);
    return MakeBmp24(w, h, px);
}

std::uint32_t CoordinateColour(int x, int y) { return ((0x40u + x) << 16) | ((0x40u + y) << 8) | 0x11u; }

class DrawTest : public ::testing::Test {
protected:
    TVekDraw draw;
    void SetUp() override { ASSERT_TRUE(draw.InitHeadless(TPixelFormat::kXrgb32, 320, 240)); }
};

// ---- Init, properties, clip ------------------------------------------------------------------

TEST(DrawInit, SizeRulesAndScreenOffsets) {
    struct Case {
        int width, height;
        int expectW, expectH, offX, offY;
    } cases[] = {
        {320, 240, 320, 240, 160, 120}, {0, 240, 640, 240, 0, 120},   {700, 240, 640, 240, 0, 120},
        {320, -5, 320, 480, 160, 0},    {640, 480, 640, 480, 0, 0},   {1, 1, 1, 1, 319, 239},
        {321, 481, 321, 480, 159, 0},   {-1, 0, 640, 480, 0, 0},
    };
    for (const Case& c : cases) {
        TVekDraw draw;
        ASSERT_TRUE(draw.Init(nullptr, c.width, c.height, true, 16)) << c.width << "x" << c.height;
        EXPECT_EQ(draw.SurfaceWidth(), c.expectW);
        EXPECT_EQ(draw.SurfaceHeight(), c.expectH);
        EXPECT_EQ(draw.ScreenOffsetX(), c.offX);
        EXPECT_EQ(draw.ScreenOffsetY(), c.offY);
        int l, t, r, b;
        draw.GetClip(l, t, r, b);
        EXPECT_EQ(l, 0);
        EXPECT_EQ(t, 0);
        EXPECT_EQ(r, c.expectW);
        EXPECT_EQ(b, c.expectH);
    }
    // Through the properties: a size above the screen is ignored, so the one set before is built.
    TVekDraw draw;
    draw.SetWidth(320);
    draw.SetHeight(200);
    draw.SetWidth(641);
    draw.SetHeight(481);
    ASSERT_TRUE(draw.Init(nullptr));
    EXPECT_EQ(draw.SurfaceWidth(), 320);
    EXPECT_EQ(draw.SurfaceHeight(), 200);
    EXPECT_EQ(draw.Format(), TPixelFormat::kXrgb32);  // no window: 32-bit
}

TEST(DrawInit, InitHeadlessGivesEachFormat) {
    const std::uint32_t green[] = {0, 0x03E0, 0x07E0, 0x00FF00, 0x00FF00};
    const std::uint32_t red[] = {0, 0x7C00, 0xF800, 0xFF0000, 0xFF0000};
    for (int code = 1; code <= 4; ++code) {
        TVekDraw draw;
        ASSERT_TRUE(draw.InitHeadless(FormatFor(code), 320, 240));
        EXPECT_EQ(draw.Format(), FormatFor(code));
        EXPECT_EQ(draw.BackBuffer()->format->Gmask, green[code]);
        EXPECT_EQ(draw.BackBuffer()->format->Rmask, red[code]);
    }
    TVekDraw draw;
    EXPECT_FALSE(draw.InitHeadless(TPixelFormat::kNone, 320, 240));
    EXPECT_FALSE(draw.InitHeadless(static_cast<TPixelFormat>(5), 320, 240));
    EXPECT_FALSE(draw.IsReady());
}

TEST_F(DrawTest, SetClipMinusOneMeansTheBufferEdgeOnEachSide) {
    int l, t, r, b;
    draw.SetClip(5, -1, -1, 100);
    draw.GetClip(l, t, r, b);
    EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({5, 0, 320, 100}));
    draw.SetClip(-1, 7, 200, -1);
    draw.GetClip(l, t, r, b);
    EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({0, 7, 200, 240}));
    draw.SetClip(-2, -3, 400, 500);  // stored as given
    draw.GetClip(l, t, r, b);
    EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({-2, -3, 400, 500}));
}

TEST(DrawReady, OnlyStateFreeOperationsWorkBeforeInitAndAfterReleaseAll) {
    ScopedResources res({{"BITMAP", "pic", CoordinateBitmap(8, 8)}});
    for (int round = 0; round < 2; ++round) {
        TVekDraw draw;
        if (round == 1) {
            ASSERT_TRUE(draw.InitHeadless(TPixelFormat::kXrgb32, 64, 64));
            ASSERT_TRUE(draw.CreateSprite("s", "pic", 0, 0));
            ASSERT_TRUE(draw.ReleaseAll());
            EXPECT_EQ(draw.GetSpriteSurf("s"), nullptr);
        }
        EXPECT_FALSE(draw.IsReady());
        EXPECT_FALSE(draw.CreateSprite("s", "pic", 0, 0));
        EXPECT_EQ(draw.GetSpriteSurf("s"), nullptr);
        EXPECT_FALSE(draw.DeleteSprite("s"));
        EXPECT_FALSE(draw.Draw(0, 0, "s", 0, 0, 0));
        EXPECT_FALSE(draw.Clear());
        EXPECT_FALSE(draw.Fade(100));
        EXPECT_FALSE(draw.WhiteFade(100));
        EXPECT_FALSE(draw.Update());
        EXPECT_FALSE(draw.UpdateTmp());
        EXPECT_FALSE(draw.TextOutA(0, 0, "A"));
        EXPECT_TRUE(draw.MoveTo(3, 4));
        EXPECT_FALSE(draw.LineTo(10, 10));
        EXPECT_EQ(draw.PenX(), 3);  // a refused line leaves the pen where it was
        EXPECT_EQ(draw.PenY(), 4);
        EXPECT_TRUE(draw.SetClip(-1, -1, -1, -1));
        EXPECT_EQ(draw.PresentCount(), 0);
    }
}

// ---- sprites ---------------------------------------------------------------------------------

TEST_F(DrawTest, CellsAreCutRowByRowAndPartialColumnsAreNeverDrawn) {
    // 100 × 40 in 30 × 20 cells: 3 columns, 2 rows; pixel columns 90..99 lie beyond the last cell.
    ScopedResources res({{"BITMAP", "grid", CoordinateBitmap(100, 40)}});
    ASSERT_TRUE(draw.CreateSprite("g", "grid", 30, 20));
    TSpriteSurf* g = draw.GetSpriteSurf("g");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->columns, 3);
    EXPECT_EQ(g->cellCount, 6);
    for (int cell = 0; cell < 6; ++cell) {
        ASSERT_TRUE(draw.Clear());
        ASSERT_TRUE(draw.Draw(0, 0, g, cell));
        const int sx = (cell % 3) * 30, sy = (cell / 3) * 20;
        EXPECT_EQ(draw.RgbAt(0, 0), CoordinateColour(sx, sy)) << cell;
        EXPECT_EQ(draw.RgbAt(29, 19), CoordinateColour(sx + 29, sy + 19)) << cell;
        EXPECT_EQ(draw.RgbAt(30, 0), 0u) << cell;
        EXPECT_EQ(draw.RgbAt(0, 20), 0u) << cell;
    }
    EXPECT_FALSE(draw.Draw(0, 0, g, 6));
    EXPECT_FALSE(draw.Draw(0, 0, g, -1));

    ASSERT_TRUE(draw.CreateSprite("whole", "grid", 0, 0));
    TSpriteSurf* whole = draw.GetSpriteSurf("whole");
    EXPECT_EQ(whole->cellWidth, 100);
    EXPECT_EQ(whole->cellHeight, 40);
    EXPECT_EQ(whole->cellCount, 1);
    EXPECT_FALSE(draw.Draw(0, 0, "whole", 1, 0, 0));
    EXPECT_FALSE(draw.Draw(0, 0, "nothing", 0, 0, 0));

    // A cell wider than the bitmap gives no cells at all.
    ASSERT_TRUE(draw.CreateSprite("wide", "grid", 101, 0));
    EXPECT_EQ(draw.GetSpriteSurf("wide")->cellCount, 0);
    EXPECT_FALSE(draw.Draw(0, 0, "wide", 0, 0, 0));
}

TEST_F(DrawTest, ClippedDrawsShowExactlyThePartInsideTheClip) {
    // A 20 × 10 cell (cell 1 of a 40 × 10 strip) with a hole, against a brute-force per-pixel model.
    auto hole = [](int x, int y) { return x % 7 == 3 && y % 3 == 1; };
    ScopedResources res({{"BITMAP", "strip", CoordinateBitmap(40, 10, hole)}});
    ASSERT_TRUE(draw.CreateSprite("s", "strip", 20, 10));
    const int cl = 10, ct = 10, cr = 50, cb = 40;
    struct Case {
        int x, y;
        bool drawsSomething;
    } cases[] = {
        {20, 20, true},                                                   // inside
        {5, 20, true},   {-9, 20, true},  {-10, 20, false}, {-30, 20, false},  // left edge
        {20, 5, true},   {20, 1, true},   {20, 0, false},                     // top edge
        {40, 20, true},  {49, 20, true},  {50, 20, false},                    // right edge
        {20, 35, true},  {20, 39, true},  {20, 40, false},                    // bottom edge
        {5, 5, true},    {45, 38, true},  {300, 200, false},                  // corners, far away
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(draw.Clear());
        draw.SetClip(cl, ct, cr, cb);
        EXPECT_TRUE(draw.Draw(c.x, c.y, "s", 1, 0, 0)) << c.x << "," << c.y;
        bool any = false;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                const int u = x - c.x, v = y - c.y;  // position inside the cell
                std::uint32_t expect = 0;
                if (x >= cl && x < cr && y >= ct && y < cb && u >= 0 && u < 20 && v >= 0 && v < 10 &&
                    !hole(20 + u, v))
                    expect = CoordinateColour(20 + u, v);
                any |= expect != 0;
                ASSERT_EQ(draw.RgbAt(x, y), expect) << "draw at " << c.x << "," << c.y << " pixel " << x << "," << y;
            }
        }
        EXPECT_EQ(any, c.drawsSomething) << c.x << "," << c.y;
    }
}

TEST_F(DrawTest, ClipReachingOutsideTheBufferMakesThoseDrawsFail) {
    ScopedResources res({{"BITMAP", "pic", CoordinateBitmap(20, 10)}, {"BITMAP", "wide", CoordinateBitmap(200, 10)}});
    ASSERT_TRUE(draw.CreateSprite("s", "pic", 0, 0));
    ASSERT_TRUE(draw.CreateSprite("w", "wide", 0, 0));
    draw.SetClip(-5, -5, 400, 300);
    EXPECT_FALSE(draw.Draw(-10, 50, "s", 0, 0, 0));
    EXPECT_FALSE(draw.Draw(50, -8, "s", 0, 0, 0));
    EXPECT_FALSE(draw.Draw(310, 50, "s", 0, 0, 0));
    EXPECT_FALSE(draw.Draw(50, 235, "s", 0, 0, 0));
    EXPECT_EQ(Picture(draw), std::vector<std::uint32_t>(320 * 240, 0u));  // nothing of them was drawn
    EXPECT_TRUE(draw.Draw(100, 100, "s", 0, 0, 0));
    EXPECT_EQ(draw.RgbAt(100, 100), CoordinateColour(0, 0));
    // An inverted clip rectangle: a cell spanning it asks for an inverted blit, others miss it.
    draw.SetClip(100, 0, 50, 240);
    EXPECT_FALSE(draw.Draw(0, 0, "w", 0, 0, 0));
    EXPECT_TRUE(draw.Draw(60, 0, "s", 0, 0, 0));
}

TEST(DrawColourKey, OnlyPixelsThatBecomeZeroInTheScreenFormatAreTransparent) {
    // Palette: 0 black, 1 near-black (4,3,4): below one step of 5 and 6 bits, 2 red, 3 dark blue (0,0,9).
    const std::vector<std::uint32_t> palette = {0x000000, 0x040304, 0xFF0000, 0x000009};
    ScopedResources res({{"BITMAP", "keyed", MakeBmp8(4, 1, palette, {0, 1, 2, 3})}});
    struct Case {
        int code;
        bool nearBlackOpaque, darkBlueOpaque;
    } cases[] = {{1, false, true}, {2, false, true}, {3, true, true}, {4, true, true}};
    for (const Case& c : cases) {
        TVekDraw draw;
        ASSERT_TRUE(draw.InitHeadless(FormatFor(c.code), 16, 4));
        ASSERT_TRUE(draw.CreateSprite("k", "keyed", 0, 0));
        const std::uint32_t background = SDL_MapRGB(draw.BackBuffer()->format, 0x20, 0xC0, 0x60);
        SDL_FillRect(draw.BackBuffer(), nullptr, background);
        ASSERT_TRUE(draw.Draw(2, 1, "k", 0, 0, 0));
        EXPECT_EQ(Raw(draw, 2, 1), background) << "black is transparent, code " << c.code;
        EXPECT_EQ(Raw(draw, 3, 1) == background, !c.nearBlackOpaque) << "code " << c.code;
        EXPECT_EQ(draw.RgbAt(4, 1), 0xFF0000u) << "code " << c.code;
        EXPECT_EQ(Raw(draw, 5, 1) == background, !c.darkBlueOpaque) << "code " << c.code;
        EXPECT_EQ(Raw(draw, 6, 1), background);
    }
}

TEST(DrawColourKey, WideRowsUseTheKeyOnEveryPixel) {
    // 37 pixels: the 16-byte steps and the tail, on every format.
    std::vector<std::uint8_t> idx;
    for (int x = 0; x < 37; ++x) idx.push_back(static_cast<std::uint8_t>((x * 5) % 3));
    ScopedResources res({{"BITMAP", "row", MakeBmp8(37, 1, {0x000000, 0x3060F0, 0xF0F0F0}, idx)}});
    for (int code = 1; code <= 4; ++code) {
        TVekDraw draw;
        ASSERT_TRUE(draw.InitHeadless(FormatFor(code), 64, 2));
        ASSERT_TRUE(draw.CreateSprite("r", "row", 0, 0));
        const std::uint32_t background = SDL_MapRGB(draw.BackBuffer()->format, 0x80, 0x40, 0x20);
        SDL_FillRect(draw.BackBuffer(), nullptr, background);
        ASSERT_TRUE(draw.Draw(3, 1, "r", 0, 0, 0));
        for (int x = 0; x < 37; ++x) {
            const std::uint32_t expect = idx[x] == 0 ? background
                                         : idx[x] == 1 ? SDL_MapRGB(draw.BackBuffer()->format, 0x30, 0x60, 0xF0)
                                                       : SDL_MapRGB(draw.BackBuffer()->format, 0xF0, 0xF0, 0xF0);
            ASSERT_EQ(Raw(draw, 3 + x, 1), expect) << "code " << code << " x " << x;
        }
        EXPECT_EQ(Raw(draw, 2, 1), background);
        EXPECT_EQ(Raw(draw, 40, 1), background);
    }
}

TEST_F(DrawTest, SameNameKeepsOrReloadsTheSpriteAndAFailedReloadRemovesIt) {
    ScopedResources res({{"BITMAP", "one", CoordinateBitmap(40, 20)}, {"BITMAP", "two", CoordinateBitmap(60, 30)}});
    ASSERT_TRUE(draw.CreateSprite("a", "one", 20, 10));
    ASSERT_TRUE(draw.CreateSprite("b", "two", 0, 0));
    TSpriteSurf* a = draw.GetSpriteSurf("a");
    SDL_Surface* firstSurface = a->surface;

    // Same name and source: nothing is reloaded, the old cell size stays.
    ASSERT_TRUE(draw.CreateSprite("a", "one", 5, 5));
    EXPECT_EQ(draw.GetSpriteSurf("a"), a);
    EXPECT_EQ(a->surface, firstSurface);
    EXPECT_EQ(a->cellWidth, 20);
    EXPECT_EQ(a->cellCount, 4);

    // Names are case-sensitive; the source is looked up without regard to case.
    ASSERT_TRUE(draw.CreateSprite("A", "ONE", 40, 20));
    EXPECT_NE(draw.GetSpriteSurf("A"), a);
    EXPECT_EQ(draw.GetSpriteSurf("A")->cellCount, 1);

    // A new source reloads in place with the new cells.
    ASSERT_TRUE(draw.CreateSprite("a", "two", 30, 30));
    EXPECT_EQ(draw.GetSpriteSurf("a"), a);
    EXPECT_EQ(a->source, "two");
    EXPECT_EQ(a->surface->w, 60);
    EXPECT_EQ(a->cellCount, 2);

    // A new source that cannot be loaded takes the old sprite with it.
    EXPECT_FALSE(draw.CreateSprite("a", "missing", 0, 0));
    EXPECT_EQ(draw.GetSpriteSurf("a"), nullptr);
    EXPECT_FALSE(draw.Draw(0, 0, "a", 0, 0, 0));
    ASSERT_NE(draw.GetSpriteSurf("b"), nullptr);
    EXPECT_TRUE(draw.DeleteSprite("b"));
    EXPECT_FALSE(draw.DeleteSprite("b"));
    EXPECT_NE(draw.GetSpriteSurf("A"), nullptr);
}

TEST_F(DrawTest, BitmapsAreReadFromAFileWhenNoResourceHasTheName) {
    const auto path = std::filesystem::temp_directory_path() / "vekdraw-file-test.bmp";
    const auto bytes = CoordinateBitmap(12, 6);
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ASSERT_TRUE(draw.CreateSprite("f", path.string(), 6, 6));
    EXPECT_EQ(draw.GetSpriteSurf("f")->cellCount, 2);
    ASSERT_TRUE(draw.Draw(0, 0, "f", 1, 0, 0));
    EXPECT_EQ(draw.RgbAt(0, 0), CoordinateColour(6, 0));
    std::filesystem::remove(path);
}

void Poke32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
// Shortens to `size` bytes (erase rather than resize: nothing is ever filled in).
void CutTo(std::vector<std::uint8_t>& b, std::size_t size) {
    if (size < b.size()) b.erase(b.begin() + static_cast<std::ptrdiff_t>(size), b.end());
}
void Poke16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

TEST_F(DrawTest, BitmapFilesCostOnlyWhatTheirHeaderDeclares) {
    // A picture at the start of a 1 GiB sparse file loads from its first bytes; a header declaring
    // 4 GiB is refused before anything of the file is read.
    const auto path = std::filesystem::temp_directory_path() / "vekdraw-sparse-test.bmp";
    const auto picture = CoordinateBitmap(6, 4);
    for (const bool hugeDeclared : {false, true}) {
        auto bytes = picture;
        if (hugeDeclared) Poke32(bytes, 2, 0xFFFFFFFFu);
        {
            std::FILE* f = std::fopen(path.string().c_str(), "wb");
            ASSERT_NE(f, nullptr);
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        std::filesystem::resize_file(path, hugeDeclared ? (4ull << 30) + 16 : 1ull << 30);
        EXPECT_EQ(draw.CreateSprite("sparse", path.string(), 0, 0), !hugeDeclared);
        if (!hugeDeclared) {
            ASSERT_TRUE(draw.Draw(0, 0, "sparse", 0, 0, 0));
            EXPECT_EQ(draw.RgbAt(5, 3), CoordinateColour(5, 3));
            EXPECT_TRUE(draw.DeleteSprite("sparse"));
        }
    }
    std::filesystem::remove(path);
}

TEST_F(DrawTest, AStripOfCellsWiderThan4096PixelsLoads) {
    // 5000 × 2 in 50 × 2 cells: 100 cells, the last one starting at pixel 4950.
    std::vector<std::uint32_t> px;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5000; ++x) px.push_back(0x010101u + static_cast<std::uint32_t>(x / 50) * 0x020000u + y);
    ScopedResources res({{"BITMAP", "strip", MakeBmp24(5000, 2, px)}});
    ASSERT_TRUE(draw.CreateSprite("strip", "strip", 50, 2));
    EXPECT_EQ(draw.GetSpriteSurf("strip")->cellCount, 100);
    ASSERT_TRUE(draw.Draw(0, 0, "strip", 99, 0, 0));
    EXPECT_EQ(draw.RgbAt(0, 0), 0x010101u + 99u * 0x020000u);
    EXPECT_EQ(draw.RgbAt(49, 1), 0x010102u + 99u * 0x020000u);
}

TEST_F(DrawTest, SpriteNamesFindTheirOwnRecordAmongManyThroughDeletesAndReloads) {
    ScopedResources res({{"BITMAP", "one", CoordinateBitmap(4, 4)}, {"BITMAP", "two", CoordinateBitmap(8, 2)}});
    std::vector<TSpriteSurf*> records;
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(draw.CreateSprite("s" + std::to_string(i), i % 2 ? "one" : "two", 0, 0));
        records.push_back(draw.GetSpriteSurf("s" + std::to_string(i)));
    }
    for (int i = 0; i < 50; i += 7) ASSERT_TRUE(draw.DeleteSprite("s" + std::to_string(i)));
    for (int i = 0; i < 50; ++i) {
        TSpriteSurf* found = draw.GetSpriteSurf("s" + std::to_string(i));
        if (i % 7 == 0) {
            EXPECT_EQ(found, nullptr) << i;
        } else {
            ASSERT_EQ(found, records[i]) << i;
            EXPECT_EQ(found->name, "s" + std::to_string(i));
            EXPECT_EQ(found->source, i % 2 ? "one" : "two");
        }
    }
    // A deleted name can be made again; a failed reload removes exactly its own record.
    ASSERT_TRUE(draw.CreateSprite("s7", "one", 0, 0));
    EXPECT_EQ(draw.GetSpriteSurf("s7")->surface->w, 4);
    EXPECT_FALSE(draw.CreateSprite("s8", "missing", 0, 0));
    EXPECT_EQ(draw.GetSpriteSurf("s8"), nullptr);
    EXPECT_EQ(draw.GetSpriteSurf("s9"), records[9]);
    EXPECT_FALSE(draw.DeleteSprite("s8"));
}

// ---- malformed bitmaps -----------------------------------------------------------------------

TEST_F(DrawTest, MalformedBitmapsAreRefusedAndLeaveNoRecord) {
    const std::vector<std::uint32_t> pal = {0x000000, 0xFFFFFF};
    const auto good8 = MakeBmp8(8, 4, pal, std::vector<std::uint8_t>(32, 1));
    const auto good24 = CoordinateBitmap(5, 3);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    auto with = [&](const char* what, std::vector<std::uint8_t> b, const std::function<void(std::vector<std::uint8_t>&)>& edit) {
        edit(b);
        cases.push_back({what, std::move(b)});
    };
    with("empty", {}, [](auto&) {});
    with("header only", good8, [](auto& b) { CutTo(b, 54); });
    with("pixels cut short", good8, [](auto& b) { CutTo(b, b.size() - 1); });
    with("24-bit cut short", good24, [](auto& b) { CutTo(b, b.size() - 3); });
    with("not BM", good8, [](auto& b) { b[0] = 'X'; });
    with("declared file size past the data", good8, [](auto& b) { Poke32(b, 2, static_cast<std::uint32_t>(b.size() + 1)); });
    with("pixel offset past the data", good8, [](auto& b) { Poke32(b, 10, 0x7FFFFFF0); });
    with("pixel offset inside the header", good8, [](auto& b) { Poke32(b, 10, 20); });
    with("image size past the data", good8, [](auto& b) { Poke32(b, 34, 100000); });
    with("zero width", good8, [](auto& b) { Poke32(b, 18, 0); });
    with("negative width", good8, [](auto& b) { Poke32(b, 18, 0xFFFFFFF8); });
    with("huge width", good8, [](auto& b) { Poke32(b, 18, 5000); });
    with("zero height", good8, [](auto& b) { Poke32(b, 22, 0); });
    with("huge height", good8, [](auto& b) { Poke32(b, 22, 0x80000000); });
    with("two planes", good8, [](auto& b) { Poke16(b, 26, 2); });
    with("32-bit", good24, [](auto& b) { Poke16(b, 28, 32); });
    with("RLE8", good8, [](auto& b) { Poke32(b, 30, 1); });
    with("bit fields", good24, [](auto& b) { Poke32(b, 30, 3); });
    with("palette of 300", good8, [](auto& b) { Poke32(b, 46, 300); });
    with("palette past the pixel offset", good8, [](auto& b) { Poke32(b, 46, 200); });
    with("index outside the palette", good8, [](auto& b) { b[b.size() - 1] = 2; });
    with("OS/2 header", good8, [](auto& b) { Poke32(b, 14, 12); });
    with("header larger than the data", good8, [](auto& b) { Poke32(b, 14, 124); CutTo(b, 100); });

    for (const Case& c : cases) {
        ScopedResources res({{"BITMAP", "bad", c.bytes}});
        EXPECT_FALSE(draw.CreateSprite("bad", "bad", 0, 0)) << c.what;
        EXPECT_EQ(draw.GetSpriteSurf("bad"), nullptr) << c.what;
        draw.DeleteSprite("bad");  // so one that loaded by mistake cannot hide the next
    }
    EXPECT_FALSE(draw.CreateSprite("bad", "/nonexistent/picture.bmp", 0, 0));
    EXPECT_EQ(draw.GetSpriteSurf("bad"), nullptr);

    // Other depths over the same bytes are whole bitmaps of their own: a 1-bit and a 4-bit 8 × 4
    // (rows of 4 bytes inside the 8-bit rows) and a 16-bit 5 × 3 (rows of 12 bytes, as the 24-bit's).
    struct Reread {
        const char* what;
        std::vector<std::uint8_t> bytes;
        int width, height;
    };
    auto reread = [](std::vector<std::uint8_t> b, std::uint16_t bits) {
        Poke16(b, 28, bits);
        return b;
    };
    const Reread rereads[] = {{"1-bit", reread(good8, 1), 8, 4}, {"4-bit", reread(good8, 4), 8, 4},
                              {"16-bit", reread(good24, 16), 5, 3}};
    for (const Reread& r : rereads) {
        ScopedResources res({{"BITMAP", r.what, r.bytes}});
        ASSERT_TRUE(draw.CreateSprite(r.what, r.what, 0, 0)) << r.what;
        EXPECT_EQ(draw.GetSpriteSurf(r.what)->surface->w, r.width) << r.what;
        EXPECT_EQ(draw.GetSpriteSurf(r.what)->surface->h, r.height) << r.what;
    }

    // The untouched bitmaps, and a top-down one, load.
    auto topDown = good24;
    Poke32(topDown, 22, static_cast<std::uint32_t>(-3));
    ScopedResources res({{"BITMAP", "g8", good8}, {"BITMAP", "g24", good24}, {"BITMAP", "td", topDown}});
    EXPECT_TRUE(draw.CreateSprite("g8", "g8", 0, 0));
    EXPECT_TRUE(draw.CreateSprite("g24", "g24", 0, 0));
    ASSERT_TRUE(draw.CreateSprite("td", "td", 0, 0));
    ASSERT_TRUE(draw.Draw(0, 0, "td", 0, 0, 0));
    EXPECT_EQ(draw.RgbAt(0, 2), CoordinateColour(0, 0));  // rows stored top first are the other way up
}

// ---- fades -----------------------------------------------------------------------------------

struct Layout {
    int code;
    int bits[3];   // red, green, blue widths
    int shift[3];  // positions
};
constexpr Layout kLayouts[] = {
    {1, {5, 5, 5}, {10, 5, 0}},
    {2, {5, 6, 5}, {11, 5, 0}},
    {3, {8, 8, 8}, {16, 8, 0}},
    {4, {8, 8, 8}, {16, 8, 0}},
};

// The fade in channel terms: the level's low byte, cut to each channel's width, taken off (or added).
std::uint32_t ExpectedFade(const Layout& l, std::uint32_t p, int level, bool white) {
    std::uint32_t out = 0, all = 0;
    for (int c = 0; c < 3; ++c) {
        const std::uint32_t max = (1u << l.bits[c]) - 1;
        const std::uint32_t v = (p >> l.shift[c]) & max;
        const std::uint32_t a = static_cast<std::uint32_t>(level & 0xFF) >> (8 - l.bits[c]);
        const std::uint32_t r = white ? std::min(v + a, max) : (v > a ? v - a : 0);
        out |= r << l.shift[c];
        all |= max << l.shift[c];
    }
    return (p & ~all) | out;
}

TEST(DrawFade, EveryFormatMovesEachChannelByTheLevelInItsScale) {
    const int width = 37, height = 3;  // the 16-byte steps and the tail
    for (const Layout& layout : kLayouts) {
        const int bpp = layout.code <= 2 ? 2 : layout.code == 3 ? 3 : 4;
        const std::uint32_t keepMask = bpp == 2 ? 0xFFFFu : bpp == 3 ? 0xFFFFFFu : 0xFFFFFFFFu;
        for (const bool white : {false, true}) {
            for (const int level : {0, 1, 3, 4, 7, 8, 16, 100, 128, 200, 255, 256, 264, -1}) {
                TVekDraw draw;
                ASSERT_TRUE(draw.InitHeadless(FormatFor(layout.code), width, height));
                std::vector<std::uint32_t> before;
                std::uint32_t seed = 12345u + static_cast<std::uint32_t>(level) * 7u;
                for (int i = 0; i < width * height; ++i) {
                    seed = seed * 1103515245u + 12345u;
                    std::uint32_t v = (seed >> 3) & keepMask;
                    if (i == 0) v = 0;
                    if (i == 1) v = keepMask;
                    before.push_back(v);
                    PutRaw(draw, i % width, i / width, v);
                }
                ASSERT_TRUE(white ? draw.WhiteFade(level) : draw.Fade(level));
                for (int i = 0; i < width * height; ++i) {
                    ASSERT_EQ(Raw(draw, i % width, i / width), ExpectedFade(layout, before[i], level, white))
                        << "code " << layout.code << (white ? " white" : " fade") << " level " << level << " pixel "
                        << i << " was " << std::hex << before[i];
                }
            }
        }
    }
}

TEST(DrawFade, FiveSixFiveStepsAtTheLevelsThatMatter) {
    TVekDraw draw;
    ASSERT_TRUE(draw.InitHeadless(TPixelFormat::kRgb565, 4, 1));
    const std::uint32_t start = (20u << 11) | (40u << 5) | 10u;
    struct Case {
        int level;
        std::uint32_t expect;
    } cases[] = {
        {0, start},
        {3, start},
        {7, (20u << 11) | (39u << 5) | 10u},
        {8, (19u << 11) | (38u << 5) | 9u},
        {256, start},
        {255, 0},
    };
    for (const Case& c : cases) {
        PutRaw(draw, 0, 0, start);
        PutRaw(draw, 1, 0, 0);
        ASSERT_TRUE(draw.Fade(c.level));
        EXPECT_EQ(Raw(draw, 0, 0), c.expect) << c.level;
        EXPECT_EQ(Raw(draw, 1, 0), 0u) << "not below 0, level " << c.level;
    }
    PutRaw(draw, 0, 0, start);
    PutRaw(draw, 1, 0, 0);
    ASSERT_TRUE(draw.WhiteFade(255));
    EXPECT_EQ(Raw(draw, 0, 0), 0xFFFFu);
    EXPECT_EQ(Raw(draw, 1, 0), 0xFFFFu);
}

TEST(DrawFade, BitsOutsideTheColourMaskAreLeftAlone) {
    TVekDraw draw;
    ASSERT_TRUE(draw.InitHeadless(TPixelFormat::kXrgb32, 8, 1));
    PutRaw(draw, 0, 0, 0xAB123456u);
    PutRaw(draw, 1, 0, 0x5AFFFFFFu);
    ASSERT_TRUE(draw.Fade(255));
    EXPECT_EQ(Raw(draw, 0, 0), 0xAB000000u);
    EXPECT_EQ(Raw(draw, 1, 0), 0x5A000000u);
    ASSERT_TRUE(draw.WhiteFade(0x10));
    EXPECT_EQ(Raw(draw, 0, 0), 0xAB101010u);

    TVekDraw d555;
    ASSERT_TRUE(d555.InitHeadless(TPixelFormat::kRgb555, 8, 1));
    PutRaw(d555, 0, 0, 0x8000u | (3u << 10));
    ASSERT_TRUE(d555.WhiteFade(255));
    EXPECT_EQ(Raw(d555, 0, 0), 0xFFFFu);
    ASSERT_TRUE(d555.Fade(255));
    EXPECT_EQ(Raw(d555, 0, 0), 0x8000u);
}

// ---- lines, text, presentation ---------------------------------------------------------------

TEST_F(DrawTest, LinesStopShortOfTheirEndPointAndMoveThePen) {
    draw.SetPenColor(0xFF00FF);
    struct Case {
        int x0, y0, x1, y1;
        std::vector<std::pair<int, int>> points;
    } cases[] = {
        {10, 5, 14, 5, {{10, 5}, {11, 5}, {12, 5}, {13, 5}}},
        {14, 5, 10, 5, {{14, 5}, {13, 5}, {12, 5}, {11, 5}}},
        {3, 3, 3, 6, {{3, 3}, {3, 4}, {3, 5}}},
        {0, 0, 4, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
        {0, 0, 2, 4, {{0, 0}, {1, 1}, {1, 2}, {2, 3}}},
        {7, 7, 7, 7, {}},
        {-2, 1, 2, 1, {{0, 1}, {1, 1}}},
        {318, 100, 322, 100, {{318, 100}, {319, 100}}},
        {-1000000000, 50, 1000000000, 50, {}},  // checked below: the row is drawn across the buffer
        {5, -1000000000, 5, -999999000, {}},    // far outside: nothing
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(draw.Clear());
        draw.MoveTo(c.x0, c.y0);
        ASSERT_TRUE(draw.LineTo(c.x1, c.y1));
        EXPECT_EQ(draw.PenX(), c.x1);
        EXPECT_EQ(draw.PenY(), c.y1);
        std::vector<std::pair<int, int>> lit;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                if (draw.RgbAt(x, y) != 0) {
                    EXPECT_EQ(draw.RgbAt(x, y), 0xFF00FFu);
                    lit.emplace_back(x, y);
                }
        std::sort(lit.begin(), lit.end());
        auto expect = c.points;
        if (c.x0 == -1000000000)
            for (int x = 0; x < 320; ++x) expect.emplace_back(x, 50);
        std::sort(expect.begin(), expect.end());
        EXPECT_EQ(lit, expect) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    }
    // Lines ignore the clip rectangle.
    ASSERT_TRUE(draw.Clear());
    draw.SetClip(100, 100, 110, 110);
    draw.MoveTo(0, 0);
    ASSERT_TRUE(draw.LineTo(3, 0));
    EXPECT_EQ(draw.RgbAt(2, 0), 0xFF00FFu);
}

TEST_F(DrawTest, TextIsDrawnInTheFontColourAndIgnoresTheClip) {
    if (platform::TextFontPath().empty()) GTEST_SKIP() << "no IPA gothic font installed (fonts-ipafont-gothic)";
    draw.SetFontColor(0x20E040);
    draw.SetClip(0, 0, 1, 1);
    // "Aテスト" in Shift-JIS.
    ASSERT_TRUE(draw.TextOutA(50, 60, "A\x83\x65\x83\x58\x83\x67"));
    int inColour = 0, lit = 0, minX = 320, maxX = -1, minY = 240, maxY = -1;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const std::uint32_t rgb = draw.RgbAt(x, y);
            if (rgb == 0) continue;
            ++lit;
            if (rgb == 0x20E040) ++inColour;
            minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    }
    EXPECT_GT(inColour, 10);
    EXPECT_GE(minX, 50);
    EXPECT_GE(minY, 60);
    EXPECT_GT(maxX - minX, 25);  // four characters, roughly 8 to 12 pixels each
    EXPECT_LT(maxX, 50 + 60);
    EXPECT_LE(maxY, 60 + 16);   // 12-pixel characters
    EXPECT_TRUE(draw.TextOutA(0, 0, ""));
    EXPECT_TRUE(draw.TextOutA(-500, 1000, "off the buffer"));
}

TEST(DrawText, ShiftJisBecomesUtf8AndInvalidBytesBecomeQuestionMarks) {
    EXPECT_EQ(platform::ShiftJisToUtf8("Pelloro 1"), "Pelloro 1");
    EXPECT_EQ(platform::ShiftJisToUtf8("\x83\x65\x83\x58\x83\x67"), "テスト");
    EXPECT_EQ(platform::ShiftJisToUtf8("\x8e\xe6\x82\xe9"), "取る");
    EXPECT_EQ(platform::ShiftJisToUtf8("\xb1"), "ｱ");  // half-width katakana
    EXPECT_EQ(platform::ShiftJisToUtf8("a\x83"), "a?");  // cut off after a lead byte
    EXPECT_EQ(platform::ShiftJisToUtf8("\xff" "b"), "?b");
}

TEST(DrawPresent, UpdateRecordsThePictureOnEveryFormatAndSavesIt) {
    ScopedResources res({{"BITMAP", "pic", CoordinateBitmap(30, 20)}});
    for (int code = 1; code <= 4; ++code) {
        TVekDraw draw;
        ASSERT_TRUE(draw.InitHeadless(FormatFor(code), 64, 48));
        ASSERT_TRUE(draw.CreateSprite("p", "pic", 0, 0));
        ASSERT_TRUE(draw.Draw(10, 5, "p", 0, 0, 0));
        ASSERT_TRUE(draw.Update());
        EXPECT_EQ(draw.PresentCount(), 1);
        ASSERT_EQ(draw.PresentedPicture(), Picture(draw)) << code;
        // 24 and 32 bits keep the colour exactly; 16 bits keep its top bits.
        const std::uint32_t shown = draw.PresentedPicture()[5 * 64 + 10];
        if (code >= 3) {
            EXPECT_EQ(shown, CoordinateColour(0, 0));
        }
        EXPECT_EQ(shown & 0xF8F8F8, CoordinateColour(0, 0) & 0xF8F8F8);

        // Drawing after Update does not change what was presented.
        ASSERT_TRUE(draw.Clear());
        EXPECT_NE(draw.PresentedPicture(), Picture(draw));

        const auto path = std::filesystem::temp_directory_path() / ("vekdraw-present-" + std::to_string(code) + ".bmp");
        ASSERT_TRUE(draw.SavePresentedBmp(path.string()));
        ASSERT_TRUE(draw.CreateSprite("saved", path.string(), 0, 0));
        ASSERT_TRUE(draw.Draw(0, 0, "saved", 0, 0, 0));
        EXPECT_EQ(Picture(draw), draw.PresentedPicture()) << "code " << code;
        std::filesystem::remove(path);
    }
}

TEST_F(DrawTest, UpdateTmpCopiesTheBackBuffer) {
    PutRaw(draw, 7, 9, 0x123456);
    PutRaw(draw, 319, 239, 0xFFFFFF);
    ASSERT_TRUE(draw.UpdateTmp());
    const SDL_Surface* tmp = draw.TmpSurface();
    const auto* p = static_cast<const std::uint8_t*>(tmp->pixels);
    std::uint32_t a, b;
    std::memcpy(&a, p + 9 * tmp->pitch + 7 * 4, 4);
    std::memcpy(&b, p + 239 * tmp->pitch + 319 * 4, 4);
    EXPECT_EQ(a, 0x123456u);
    EXPECT_EQ(b, 0xFFFFFFu);
}

}  // namespace
