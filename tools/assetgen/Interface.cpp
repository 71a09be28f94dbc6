// The small pieces of the play screen: the speech balloon, a nut's shadow, the catch cursor, the life
// icon and the cross that strikes it out.
#include <cmath>

#include "Art.h"

namespace art {

Image MakeBalloon() {
    const int w = 192, h = 96;
    Image img(w, h);
    // The body leaves x 16..176, y 24..56 free for five nuts; the tail points down towards the squirrel,
    // whose head stands just below the balloon's lower left.
    Mask body = RoundRect(w, h, 3, 6, 188, 74, 18);
    Mask tail = Polygon(w, h, {{112, 66}, {138, 66}, {104, 93}});
    Mask shape = body;
    shape |= tail;
    Mask inner = shape.Eroded(1);
    const Ramp paper{{RGB(196, 204, 222), RGB(226, 232, 244), RGB(246, 248, 252), RGB(255, 255, 255)}};
    ShadeCushion(img, shape, paper, 6.0, 0.12);
    // A soft inner band along the lower right edge, drawn as a second, offset outline.
    Mask lower = shape;
    lower.Subtract(shape.Shifted(-2, -2));
    lower &= inner;
    img.Fill(lower, paper[0]);
    // A glint on the upper left.
    img.Fill(Stroke(w, h, Arc(22, 24, 12, 12, 190, 250, 8), 1.2, 1.2), kWhite);
    Mask edge = shape.Edge();
    img.Fill(edge, RGB(70, 60, 80));
    Outline(img, kInk);
    return img;
}

Image MakeShadow() {
    Image img(32, 32);
    // Centred where a landed nut's bottom meets the ground: the shadow stands 16 pixels below the nut.
    const Mask oval = Ellipse(32, 32, 15.5, 11, 12.5, 4.6);
    const Mask core = Ellipse(32, 32, 15.5, 11, 8, 2.6);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (!oval.Get(x, y)) continue;
            // Every other pixel is left clear so the ground shows through; the middle is a little denser.
            const bool on = ((x + y) % 2 == 0) || (core.Get(x, y) && (x % 2 == 0));
            if (on) img.Set(x, y, RGB(22, 30, 16));
        }
    return img;
}

Image MakeCursor() {
    Image img(160, 40);
    for (int cell = 0; cell < 4; ++cell) {
        const int phase = cell % 2;
        Image c(40, 40);
        // Corner brackets around a 32 x 32 nut placed at (4, 4); the second phase pulls them in and
        // turns them warmer, so the pair blinks.
        const int in = phase == 0 ? 1 : 3;
        const int a = in, b = 39 - in, len = phase == 0 ? 10 : 9;
        Mask m(40, 40);
        auto corner = [&](int x, int y, int dx, int dy) {
            m |= Stroke(40, 40, {{double(x + dx * len), double(y)}, {double(x), double(y)}, {double(x), double(y + dy * len)}},
                        1.6, 1.6);
        };
        corner(a + 1, a + 1, 1, 1);
        corner(b - 1, a + 1, -1, 1);
        corner(a + 1, b - 1, 1, -1);
        corner(b - 1, b - 1, -1, -1);
        const Ramp bright{{RGB(250, 190, 40), RGB(255, 232, 90), RGB(255, 255, 210)}};
        const Ramp warm{{RGB(226, 102, 28), RGB(250, 156, 44), RGB(255, 214, 120)}};
        ShadeVertical(c, m, phase == 0 ? bright : warm, 0, 39);
        Outline(c, kInk);
        img.Blit(c, cell * 40, 0);
    }
    return img;
}

Image MakeRest() {
    Image img(32, 32);
    Painter p(img, 0, 0, 1.0);
    // The squirrel's head, as on the front-facing frames.
    const Material& fur = Fur();
    auto ear = [&](double x, double y, double deg) {
        p.Ball(p.Oval(x, y, 3.2, 5.2, deg), x - 1, y - 2, 4, 6, fur);
        p.Flat(p.Oval(x + 0.2, y + 1, 1.4, 3.0, deg), EarPink().ramp[1]);
        p.Flat(p.Line({{x + (deg < 0 ? -0.5 : 0.5), y - 4.5}, {x + (deg < 0 ? -1.5 : 1.5), y - 7.5}}, 0.8, 0.4),
               fur.ramp[0]);
    };
    ear(8, 10, -20);
    ear(24, 10, 20);
    p.Ball(p.Oval(16, 18.5, 11, 9.5), 13, 14, 13, 12, fur);
    Mask muzzle = p.Oval(16, 23.5, 5.5, 3.6);
    muzzle |= p.Oval(10, 22, 4.2, 3);
    muzzle |= p.Oval(22, 22, 4.2, 3);
    muzzle &= p.Oval(16, 18.5, 11, 9.5);
    p.Ball(muzzle, 15, 21, 7, 5, Cream(), 0.1);
    for (double ex : {11.0, 21.0}) {
        p.Flat(p.Oval(ex, 17, 1.6, 2.2), RGB(34, 18, 24));
        img.Set(static_cast<int>(ex) - 1, 16, kWhite);
    }
    p.Flat(p.Oval(16.2, 21, 1.7, 1.1), RGB(88, 36, 36));
    p.Flat(p.Oval(6.5, 21.5, 1.5, 1.0), RGB(232, 146, 132));
    p.Flat(p.Oval(25.5, 21.5, 1.5, 1.0), RGB(232, 146, 132));
    Outline(img, kInk);
    return img;
}

Image MakeCross() {
    Image img(32, 32);
    Mask m = Stroke(32, 32, {{6, 6}, {25, 25}}, 3.6, 3.6);
    m |= Stroke(32, 32, {{25, 6}, {6, 25}}, 3.6, 3.6);
    Mask ring = m.Dilated(1);
    ring.Subtract(m);
    img.Fill(ring, RGB(96, 10, 16));
    const Ramp red{{RGB(150, 16, 24), RGB(206, 30, 36), RGB(240, 66, 56), RGB(255, 150, 130)}};
    ShadeCushion(img, m, red, 2.5, 0.0);
    Outline(img, kInk);
    return img;
}

}  // namespace art
