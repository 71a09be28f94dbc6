// Signs: how their text is broken into lines, and the boxes they are drawn in, with and without a font.
#include "platform/SignPainter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TextRenderer.h"

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

TEST(SignPainterTest, BoxesStayInsideTheirRoomAndGrowWithTheScale) {
    platform::SignPainter painter;
    EXPECT_EQ(painter.Paint(platform::SignPlace::kCentre, "", 2, 600, 400), nullptr);
    SDL_Surface* small = painter.Paint(platform::SignPlace::kTopRight, "Muted", 1, 160, 60);
    SDL_Surface* large = painter.Paint(platform::SignPlace::kTopRight, "Muted", 4, 640, 240);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_LE(small->w, 160);
    EXPECT_LE(small->h, 60);
    EXPECT_EQ(small->format->format, static_cast<Uint32>(SDL_PIXELFORMAT_ARGB8888));
    // Drawn at the window's pixels, not enlarged afterwards: about four times each way.
    EXPECT_NEAR(large->w, 4 * small->w, 8);
    EXPECT_NEAR(large->h, 4 * small->h, 8);
    // The box is translucent and dark; text, when there is a font, is light.
    const auto* px = static_cast<const Uint32*>(small->pixels);
    Uint8 r, g, b, a;
    SDL_GetRGBA(px[0], small->format, &r, &g, &b, &a);
    EXPECT_GT(a, 100);
    EXPECT_LT(a, 255);
    EXPECT_LT(r + g + b, 60);
    int light = 0;
    for (int i = 0; i < small->w * small->h; ++i) {
        SDL_GetRGBA(px[i], small->format, &r, &g, &b, &a);
        if (r > 200 && a > 200) ++light;
    }
    EXPECT_GT(light, 0) << (platform::TextFontPath().empty() ? "the frame of the plain box" : "the text");
    SDL_FreeSurface(small);
    SDL_FreeSurface(large);

    // Far more text than the room holds ends in an ellipsis inside the room rather than spilling out.
    std::string flood;
    for (int i = 0; i < 60; ++i) flood += "overflowing words ";
    SDL_Surface* full = painter.Paint(platform::SignPlace::kCentre, flood, 1, 300, 100);
    ASSERT_NE(full, nullptr);
    EXPECT_LE(full->w, 300);
    EXPECT_LE(full->h, 100);
    SDL_FreeSurface(full);
}

TEST(SignPainterTest, AShortWordInTheCentreIsLargeAndALongOneIsNot) {
    platform::SignPainter painter;
    if (!painter.HasFont()) GTEST_SKIP() << "no font installed (fonts-ipafont-gothic)";
    SDL_Surface* word = painter.Paint(platform::SignPlace::kCentre, "PAUSE", 1, 300, 220);
    SDL_Surface* corner = painter.Paint(platform::SignPlace::kTopRight, "PAUSE", 1, 300, 220);
    SDL_Surface* sentence = painter.Paint(platform::SignPlace::kCentre, "The game is paused", 1, 300, 220);
    ASSERT_NE(word, nullptr);
    ASSERT_NE(corner, nullptr);
    ASSERT_NE(sentence, nullptr);
    const int padding = 8;  // 4 picture pixels above and below the text
    EXPECT_GE(word->h - padding, 2 * (corner->h - padding));
    EXPECT_EQ(sentence->h, corner->h);
    SDL_FreeSurface(word);
    SDL_FreeSurface(corner);
    SDL_FreeSurface(sentence);
}

TEST(SignPainterTest, WithoutAFontASignIsStillAFramedBox) {
    for (const char* path : {"", "/nonexistent/font.ttf", "/dev/null"}) {
        SCOPED_TRACE(path);
        platform::SignPainter painter(path);
        EXPECT_FALSE(painter.HasFont());
        SDL_Surface* box = painter.Paint(platform::SignPlace::kCentre, "PAUSE", 2, 600, 400);
        ASSERT_NE(box, nullptr);
        // Sized for the text it cannot show, with a light frame at its edges and the dark box inside.
        EXPECT_GE(box->w, 5 * 6 * 2);
        EXPECT_LE(box->w, 600);
        const auto* px = static_cast<const Uint32*>(box->pixels);
        const int stride = box->pitch / 4;
        Uint8 r, g, b, a;
        SDL_GetRGBA(px[0], box->format, &r, &g, &b, &a);
        EXPECT_GT(r, 200);
        EXPECT_EQ(a, 255);
        SDL_GetRGBA(px[(box->h / 2) * stride + box->w / 2], box->format, &r, &g, &b, &a);
        EXPECT_LT(r, 40);
        EXPECT_LT(a, 255);
        SDL_FreeSurface(box);
    }
}

}  // namespace
