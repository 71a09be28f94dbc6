// Signs: how their text is broken into lines, and the boxes they are drawn in, with and without a font.
#include "platform/SignPainter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace {

// Every character (UTF-8 sequence) is 1 wide, so widths can be read off the expected lines.
int Chars(const std::string& text) {
    int n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

TEST(SignPainterTest, WrapBreaksAtLineEndsThenWordsThenCharacters) {
    struct Case {
        const char* text;
        int width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"PAUSE", 10, {"PAUSE"}},
        {"Volume 70 %", 20, {"Volume 70 %"}},
        {"one two three four", 9, {"one two", "three", "four"}},
        {"one two three four", 7, {"one two", "three", "four"}},
        {"first line\nsecond", 40, {"first line", "second"}},
        {"crlf\r\nends", 40, {"crlf", "ends"}},
        {"para\n\nafter a blank", 40, {"para", "", "after a blank"}},
        {"trailing\n\n", 40, {"trailing"}},
        {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
        {"go abcdefghij", 4, {"go a", "bcde", "fghi", "j"}},
        // A path too wide for a line is cut after a folder's '/' or a '-' where it can be.
        {"to ~/Pictures/Pelloro/pelloro-2026.png", 14, {"to ~/Pictures/", "Pelloro/", "pelloro-", "2026.png"}},
        {"  spaced   out  ", 40, {"spaced out"}},
        // Multi-byte characters are never cut in two.
        {"ファイルがありません", 4, {"ファイル", "がありま", "せん"}},
        {"x", 0, {"x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto lines = platform::WrapText(c.text, c.width, Chars);
        EXPECT_EQ(lines, c.lines);
        for (const std::string& line : lines) {
            if (c.width > 0) {
                EXPECT_LE(Chars(line), c.width);
            }
        }
    }
    EXPECT_TRUE(platform::WrapText("", 10, Chars).empty());
}

bool Overlaps(const SDL_Rect& a, const SDL_Rect& b) { return SDL_HasIntersection(&a, &b) == SDL_TRUE; }

// Every place, short and long texts, several scales: the sign lies inside the picture, off the score,
// time, level and lives, in whole picture pixels (each a unit x unit square of one colour).
TEST(SignPainterTest, SignsKeepOffTheFiguresAndLivesAtEveryScale) {
    platform::SignPainter painter;
    ASSERT_TRUE(painter.HasFont()) << "the SIGNFONT resource did not load";
    std::string flood;
    for (int i = 0; i < 60; ++i) flood += "overflowing words ";
    const char* texts[] = {"Muted", "Volume 70 % (muted)", "PAUSE\nPress a key to play on",
                           "Saved to ~/Pictures/Pelloro/pelloro-20261208-133015.png", flood.c_str()};
    const SDL_Rect picture{0, 0, 320, 240};
    for (const auto place : {platform::SignPlace::kCentre, platform::SignPlace::kTopRight, platform::SignPlace::kBottom}) {
        for (const char* text : texts) {
            SDL_Rect once{};
            for (const int unit : {1, 2, 3}) {
                SCOPED_TRACE(std::string(text).substr(0, 40) + " at unit " + std::to_string(unit) + ", place " +
                             std::to_string(static_cast<int>(place)));
                SDL_Point at{-1, -1};
                SDL_Surface* sign = painter.Paint(place, text, 320, 240, unit, &at);
                ASSERT_NE(sign, nullptr);
                ASSERT_EQ(sign->w % unit, 0);
                ASSERT_EQ(sign->h % unit, 0);
                ASSERT_EQ(at.x % unit, 0);
                ASSERT_EQ(at.y % unit, 0);
                const SDL_Rect box{at.x / unit, at.y / unit, sign->w / unit, sign->h / unit};
                if (unit == 1) once = box;
                EXPECT_TRUE(box.x == once.x && box.y == once.y && box.w == once.w && box.h == once.h) << "the layout moved with the scale";
                SDL_Rect inside{};
                EXPECT_TRUE(SDL_IntersectRect(&box, &picture, &inside) && inside.w == box.w && inside.h == box.h);
                for (const SDL_Rect& kept : platform::KeptClear()) EXPECT_FALSE(Overlaps(box, kept)) << kept.x << "," << kept.y;
                const auto* px = static_cast<const Uint32*>(sign->pixels);
                const int stride = sign->pitch / 4;
                for (int y = 0; y < sign->h; ++y)
                    for (int x = 0; x < sign->w; ++x)
                        ASSERT_EQ(px[y * stride + x], px[(y - y % unit) * stride + x - x % unit]) << "blurred at " << x << "," << y;
                SDL_FreeSurface(sign);
            }
        }
    }
}

// The lettering writes every printable character; a text wider than the room wraps at its spaces.
TEST(SignPainterTest, TheLetteringWritesAsciiAndWrapsBetweenWords) {
    platform::SignPainter painter;
    ASSERT_TRUE(painter.HasFont());
    for (char c = 33; c < 127; ++c) {
        const std::string one(1, c);
        EXPECT_TRUE(painter.Writes(one)) << c;
        EXPECT_GE(painter.Measure(one), 3) << "no glyph for '" << c << "'";
        EXPECT_LE(painter.Measure(one), 7) << c;
    }
    EXPECT_TRUE(painter.Writes("\u25CF REC"));
    EXPECT_FALSE(painter.Writes("\u30D5\u30A1\u30A4\u30EB"));
    // Two glyphs share the dark column between them.
    EXPECT_EQ(painter.Measure("AB"), painter.Measure("A") + painter.Measure("B") - 1);
    const SDL_Rect corner = platform::SignRoom(platform::SignPlace::kTopRight, 320, 240);
    const auto measure = [&](const std::string& text) { return painter.Measure(text); };
    const auto lines = platform::WrapText("Clip of 30 s saved to your downloads folder", corner.w - 2 * platform::SignPainter::kPadding, measure);
    ASSERT_GE(lines.size(), 2u);
    for (const std::string& line : lines) {
        EXPECT_NE(line.front(), ' ');
        EXPECT_NE(line.back(), ' ');
        EXPECT_EQ(line.find("ownloads"), line.find("downloads") == std::string::npos ? std::string::npos : line.find("downloads") + 1)
            << "a word was cut: " << line;
    }
}

}  // namespace
