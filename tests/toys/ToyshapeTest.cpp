// The toy base classes: visibility, the hit rectangle operations and the common record lines.
#include "toys/Toyshape.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

struct Placed : TToyShape {
    Placed(THitRect rect, std::int32_t x, std::int32_t y) : TToyShape(nullptr, "Shape", "s", x, y) { SetHitRect(rect); }
};

TEST(ToyObjectTest, StartsHiddenAndShowsAndHides) {
    TToyObject toy(nullptr, "Image", "name");
    EXPECT_EQ(toy.visible, 0);
    toy.Show();
    EXPECT_EQ(toy.visible, 1);
    toy.Show();
    EXPECT_EQ(toy.visible, 1);
    toy.Hide();
    EXPECT_EQ(toy.visible, 0);
}

TEST(ToyShapeTest, HitTestCountsTouchingEdgesAsOverlap) {
    struct Case {
        THitRect a;
        std::int32_t ax, ay;
        THitRect b;
        std::int32_t bx, by;
        bool hit;
    };
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const Case cases[] = {
        {{0, 0, 32, 32}, 0, 0, {32, 32, 64, 64}, 0, 0, true},    // corners touch
        {{0, 0, 32, 32}, 0, 0, {33, 0, 40, 10}, 0, 0, false},    // one pixel apart
        {{0, 0, 32, 32}, 0, 0, {0, 33, 10, 40}, 0, 0, false},
        {{0, 0, 32, 32}, 0, 0, {5, 5, 10, 10}, 0, 0, true},      // inside
        {{0, 0, 10, 10}, 100, 100, {0, 0, 10, 10}, 110, 110, true},  // moved by the positions
        {{0, 0, 10, 10}, 100, 100, {0, 0, 10, 10}, 111, 100, false},
        {{0, 0, 10, 10}, 100, 100, {0, 0, 10, 10}, 90, 89, false},
        {{0, 0, 0, 0}, 5, 5, {0, 0, 32, 32}, 0, 0, true},        // a point covered by the other
        {{0, 0, 0, 0}, 40, 5, {0, 0, 32, 32}, 0, 0, false},
        {{-20, -40, 44, 24}, 160, 128, {0, 0, 32, 32}, 200, 150, true},
        {{-20, -40, 44, 24}, 160, 128, {0, 0, 32, 32}, 205, 150, false},
        // Far out at the edge of int32 the moved rectangles must not wrap round.
        {{0, 0, 10, 10}, kMax, 0, {5, 0, 10, 10}, kMax, 0, true},
        {{0, 0, 10, 10}, kMax - 5, 0, {0, 0, 10, 10}, kMin, 0, false},
        {{0, -10, 0, 10}, 0, kMin, {0, -10, 0, 10}, 0, kMin, true},
    };
    for (const Case& c : cases) {
        const Placed a(c.a, c.ax, c.ay);
        const Placed b(c.b, c.bx, c.by);
        SCOPED_TRACE(testing::Message() << "A at " << c.ax << "," << c.ay << " B at " << c.bx << "," << c.by);
        EXPECT_EQ(a.HitTest(b), c.hit);
        EXPECT_EQ(b.HitTest(a), c.hit);  // symmetric for well-formed rectangles
    }
}

TEST(ToyShapeTest, ExtendHitRectGrowsEachSideAndAlwaysKeepsTheOrigin) {
    struct Case {
        THitRect start;
        THitRect by;
        THitRect result;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, {-20, -40, 44, 24}, {-20, -40, 44, 24}},
        {{0, 0, 0, 0}, {10, 10, 20, 20}, {0, 0, 20, 20}},
        {{0, 0, 0, 0}, {-30, -30, -10, -10}, {-30, -30, 0, 0}},
        {{-5, -5, 5, 5}, {0, 0, 1, 1}, {-5, -5, 5, 5}},
        {{-5, -5, 5, 5}, {3, -9, 12, 2}, {-5, -9, 12, 5}},
    };
    for (const Case& c : cases) {
        TToyShape shape(nullptr, "Frame", "f", 0, 0);
        shape.SetHitRect(c.start);
        shape.ExtendHitRect(c.by);
        EXPECT_EQ(shape.hitRect, c.result);
    }
}

TEST(ToyShapeTest, WritesTheCommonLinesAndPosOnlyWhenNotAtTheOrigin) {
    struct Case {
        std::int32_t x, y;
        bool visible;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {0, 0, false, {"", "{", "\tclass\t\tShape", "\tname\t\tn"}},
        {0, 0, true, {"", "{", "\tclass\t\tShape", "\tname\t\tn", "\tshow\t\t1"}},
        {0, 7, false, {"", "{", "\tclass\t\tShape", "\tname\t\tn", "\tpos\t\t\t0,7"}},
        {-20, 0, true, {"", "{", "\tclass\t\tShape", "\tname\t\tn", "\tshow\t\t1", "\tpos\t\t\t-20,0"}},
    };
    for (const Case& c : cases) {
        TToyShape shape(nullptr, "Shape", "n", c.x, c.y);
        if (c.visible) shape.Show();
        std::vector<std::string> lines{"kept"};
        shape.WriteRecord(lines);
        lines.erase(lines.begin());
        EXPECT_EQ(lines, c.lines);
    }
}

}  // namespace
