// The squirrel: sitting up when it stands, on all fours when it walks, with a big bushy tail.
#include <cmath>

#include "Art.h"

namespace art {

const Material& Fur() {
    static const Material m{{{RGB(128, 54, 26), RGB(186, 90, 36), RGB(222, 132, 54), RGB(246, 180, 100)}},
                            RGB(92, 38, 22)};
    return m;
}
const Material& TailFur() {
    static const Material m{{{RGB(140, 62, 28), RGB(198, 104, 42), RGB(234, 150, 70), RGB(252, 204, 130)}},
                            RGB(104, 44, 24)};
    return m;
}
const Material& Cream() {
    static const Material m{{{RGB(206, 156, 110), RGB(238, 206, 160), RGB(252, 238, 206)}}, RGB(176, 120, 80)};
    return m;
}
const Material& EarPink() {
    static const Material m{{{RGB(196, 104, 96), RGB(232, 146, 132)}}, RGB(150, 70, 60)};
    return m;
}

namespace {
constexpr Rgb kEye = RGB(34, 18, 24);
constexpr Rgb kNose = RGB(88, 36, 36);
}  // namespace

Mask Painter::Oval(double cx, double cy, double rx, double ry) const {
    return Ellipse(img.Width(), img.Height(), X(cx), Y(cy), rx * s, ry * s);
}
Mask Painter::Oval(double cx, double cy, double rx, double ry, double degrees) const {
    return RotatedEllipse(img.Width(), img.Height(), X(cx), Y(cy), rx * s, ry * s, degrees);
}
Mask Painter::Line(const std::vector<Point>& pts, double r0, double r1) const {
    std::vector<Point> q;
    for (const Point& p : pts) q.push_back({X(p.x), Y(p.y)});
    return Stroke(img.Width(), img.Height(), q, r0 * s, r1 * s);
}
Mask Painter::Poly(const std::vector<Point>& pts) const {
    std::vector<Point> q;
    for (const Point& p : pts) q.push_back({X(p.x), Y(p.y)});
    return Polygon(img.Width(), img.Height(), q);
}
void Painter::Ball(const Mask& m, double cx, double cy, double rx, double ry, const Material& mat, double bias) {
    ShadeBall(img, m, X(cx), Y(cy), rx * s, ry * s, mat.ramp, bias);
    InnerLines(img, m, mat.line);
}
void Painter::Cushion(const Mask& m, const Material& mat, double rim, double bias) {
    ShadeCushion(img, m, mat.ramp, rim * s, bias);
    InnerLines(img, m, mat.line);
}
void Painter::Dot(double x, double y, Rgb c) {
    // One cell pixel becomes a square of the scale's size.
    const int n = std::max(1, static_cast<int>(s + 0.5));
    const int px = static_cast<int>(std::floor(X(x))), py = static_cast<int>(std::floor(Y(y)));
    for (int dy = 0; dy < n; ++dy)
        for (int dx = 0; dx < n; ++dx) img.Set(px + dx, py + dy, c);
}

namespace {

// A bushy tail along a path: a soft stroke, fur tufts along its outer edge and a few strands inside.
void Tail(Painter& p, const std::vector<Point>& path, double rBase, double rMid, double rTip) {
    const Material& fur = TailFur();
    // Radius rises from the base to the middle and falls to the tip.
    std::vector<Point> first(path.begin(), path.begin() + static_cast<long>(path.size() / 2 + 1));
    std::vector<Point> second(path.begin() + static_cast<long>(path.size() / 2), path.end());
    Mask m = p.Line(first, rBase, rMid);
    m |= p.Line(second, rMid, rTip);
    // Tufts: small bumps where the stroke is widest give the edge a furry, scalloped look.
    for (std::size_t i = 1; i + 1 < path.size(); ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(path.size() - 1);
        const double r = t < 0.5 ? rBase + (rMid - rBase) * (t / 0.5) : rMid + (rTip - rMid) * ((t - 0.5) / 0.5);
        const double dx = path[i + 1].x - path[i - 1].x, dy = path[i + 1].y - path[i - 1].y;
        const double len = std::sqrt(dx * dx + dy * dy);
        if (len <= 0) continue;
        const double nx = -dy / len, ny = dx / len;
        for (int side = -1; side <= 1; side += 2) {
            const double bx = path[i].x + side * nx * (r - 0.6), by = path[i].y + side * ny * (r - 0.6);
            m |= p.Oval(bx, by, 2.0, 2.0);
        }
    }
    p.Cushion(m, fur, 5.0, -0.1);
    // Strands: darker curves following the tail a little inside its middle.
    std::vector<Point> strand;
    for (std::size_t i = 1; i + 1 < path.size(); ++i) strand.push_back(path[i]);
    if (strand.size() >= 2) {
        std::vector<Point> inner;
        for (std::size_t i = 0; i < strand.size(); ++i) {
            const Point& a = strand[i];
            inner.push_back({a.x + 1.5, a.y + 1.0});
        }
        Mask line = p.Line(inner, 0.4, 0.4);
        line &= m.Eroded(static_cast<int>(3 * p.S()));
        p.Flat(line, fur.ramp[0]);
    }
}

void Eye(Painter& p, double x, double y) {
    p.Flat(p.Oval(x, y, 1.3, 1.8), kEye);
    p.Dot(x - 1, y - 1, kWhite);
}

void Ear(Painter& p, double x, double y, double degrees) {
    p.Ball(p.Oval(x, y, 2.6, 4.2, degrees), x - 1, y - 2, 3, 5, Fur());
    p.Flat(p.Oval(x + 0.2, y + 0.8, 1.1, 2.3, degrees), EarPink().ramp[1]);
    // Ear tuft.
    p.Flat(p.Line({{x + 0.5, y - 3.5}, {x + 1.2, y - 6.0}}, 0.7, 0.3), Fur().ramp[0]);
}

// Sitting up, facing left; feet centre at (20, 40).
void SitSide(Painter& p, double tailLift) {
    const Material& fur = Fur();
    Tail(p, {{26, 37}, {35, 35}, {42, 30}, {46, 23}, {47, 16 - tailLift}, {45, 11 - tailLift},
             {41, 8.5 - tailLift}, {37.5, 9 - tailLift}, {35.5, 11.5 - tailLift}},
         3.5, 8.0, 3.5);
    p.Ball(p.Oval(22, 29, 9, 11, -12), 18, 24, 11, 14, fur);
    {
        Mask belly = p.Oval(16, 31, 5, 8, -10);
        belly &= p.Oval(22, 29, 9, 11, -12);
        p.Ball(belly, 14, 27, 7, 10, Cream());
    }
    p.Ball(p.Oval(25.5, 33, 7, 6.5), 23, 31, 8, 8, fur);
    p.Ball(p.Oval(17, 38.6, 6.5, 2.3), 16, 37, 7, 3, fur);
    p.Ball(p.Line({{18, 23}, {13.5, 27}}, 2.0, 1.8), 14, 24, 5, 5, fur);
    p.Ball(p.Oval(12, 27.5, 2.6, 2.3), 11, 27, 3, 3, fur);
    p.Ball(p.Oval(17.5, 14, 8, 7.5), 15, 11, 9, 9, fur);
    p.Ball(p.Oval(10.5, 17, 5, 4), 9, 15, 6, 5, fur);
    {
        Mask cheek = p.Oval(11.5, 19.5, 4.5, 2.6);
        Mask head = p.Oval(17.5, 14, 8, 7.5);
        head |= p.Oval(10.5, 17, 5, 4);
        cheek &= head;
        p.Ball(cheek, 10, 18, 5, 3, Cream(), 0.1);
    }
    Ear(p, 21, 6.5, -12);
    Eye(p, 13.5, 13);
    p.Flat(p.Oval(6.2, 16.2, 1.2, 1.0), kNose);
}

// Sitting up, seen from the front; feet centre at (22, 40).
void SitFront(Painter& p, double tailLift) {
    const Material& fur = Fur();
    Tail(p, {{28, 36}, {36, 33}, {42, 27}, {45, 20}, {45, 14 - tailLift}, {42.5, 10 - tailLift},
             {39, 8.5 - tailLift}, {36, 9.5 - tailLift}, {34.5, 12 - tailLift}},
         3.5, 7.5, 3.5);
    p.Ball(p.Oval(22, 29, 10, 11), 19, 25, 12, 14, fur);
    p.Ball(p.Oval(22, 31.5, 6, 8), 20, 28, 7, 10, Cream());
    p.Ball(p.Oval(14.5, 35, 4.5, 4.5), 13, 33, 5, 5, fur);
    p.Ball(p.Oval(29.5, 35, 4.5, 4.5), 28, 33, 5, 5, fur);
    p.Ball(p.Oval(16, 39, 4.6, 2.1), 15, 38, 5, 3, fur);
    p.Ball(p.Oval(28, 39, 4.6, 2.1), 27, 38, 5, 3, fur);
    p.Ball(p.Oval(19.3, 25.5, 2.6, 2.4), 18.5, 24.5, 3, 3, fur);
    p.Ball(p.Oval(24.7, 25.5, 2.6, 2.4), 24, 24.5, 3, 3, fur);
    Ear(p, 15, 6, -18);
    Ear(p, 29, 6, 18);
    p.Ball(p.Oval(22, 14, 9.5, 8), 19, 10, 11, 10, fur);
    {
        Mask muzzle = p.Oval(22, 18.5, 5, 3.2);
        muzzle |= p.Oval(17, 17.5, 3.6, 2.6);
        muzzle |= p.Oval(27, 17.5, 3.6, 2.6);
        muzzle &= p.Oval(22, 14, 9.5, 8);
        p.Ball(muzzle, 21, 17, 6, 4, Cream(), 0.1);
    }
    Eye(p, 18, 13);
    Eye(p, 26.5, 13);
    p.Flat(p.Oval(22.2, 16.4, 1.4, 0.9), kNose);
    p.Dot(21.6, 18.6, Cream().line);
}

// Sitting up, seen from behind; feet centre at (32, 34). The tail stands up the middle of the back
// and curls over, leaving the head and ears in view above it.
void SitBack(Painter& p, double tailSway) {
    const Material& fur = Fur();
    p.Ball(p.Oval(25.5, 33, 3.8, 2.0), 25, 32, 4, 3, fur);
    p.Ball(p.Oval(38.5, 33, 3.8, 2.0), 38, 32, 4, 3, fur);
    // From behind the back is in its own shade, which sets the tail off against it.
    p.Ball(p.Oval(32, 24, 10.5, 9.5), 29, 20, 12, 12, fur, -0.18);
    Ear(p, 26, 4.5, -14);
    Ear(p, 38, 4.5, 14);
    p.Ball(p.Oval(32, 11, 8, 7), 30, 8, 9, 8, fur);
    Tail(p, {{32, 28.5}, {33.5, 26}, {35 + tailSway, 23}, {35.5 + tailSway, 19.5}, {33.5 + tailSway, 17},
             {30.5 + tailSway, 17.5}, {29 + tailSway, 20}},
         5.0, 6.5, 3.0);
}

// On all fours facing left; feet centre at (36, 32). Phase 0 and 1 swap the legs.
void WalkSide(Painter& p, int phase) {
    const Material& fur = Fur();
    const double stride = phase == 0 ? 4.0 : -4.0;
    const double bob = phase == 0 ? 0.0 : 1.0;
    const double lift = phase == 0 ? 0.0 : 2.0;
    Tail(p, {{47, 20 + bob}, {52, 17 + bob}, {55, 12 + bob - lift}, {54.5, 8 + bob - lift},
             {51, 6.5 + bob - lift}, {47.5, 7.5 + bob - lift}, {46, 10 + bob - lift}},
         4.0, 6.5, 3.5);
    const Material far{{{fur.ramp[0], fur.ramp[0], fur.ramp[1]}}, fur.line};
    // Far legs first, a shade darker.
    p.Ball(p.Line({{29, 23 + bob}, {29 - stride, 30.5}}, 2.2, 1.8), 28, 25, 4, 6, far);
    p.Ball(p.Oval(29 - stride, 31, 2.8, 1.5), 28 - stride, 30, 3, 2, far);
    p.Ball(p.Line({{44, 23 + bob}, {44 + stride, 30.5}}, 2.5, 1.8), 43, 25, 4, 6, far);
    p.Ball(p.Oval(43.5 + stride, 31, 3.2, 1.5), 43 + stride, 30, 3, 2, far);
    p.Ball(p.Oval(37, 21 + bob, 13, 6.5, -4), 33, 17 + bob, 15, 9, fur);
    {
        Mask belly = p.Oval(35, 26 + bob, 9, 2.6);
        belly &= p.Oval(37, 21 + bob, 13, 6.5, -4);
        p.Ball(belly, 34, 25 + bob, 10, 4, Cream());
    }
    p.Ball(p.Oval(45, 21 + bob, 6, 6.5), 43, 19 + bob, 7, 8, fur);
    p.Ball(p.Line({{30, 24 + bob}, {30 + stride, 30.5}}, 2.3, 2.0), 29, 25, 4, 6, fur);
    p.Ball(p.Oval(29 + stride, 31, 3, 1.6), 28 + stride, 30, 4, 2, fur);
    p.Ball(p.Line({{46, 24 + bob}, {46 - stride, 30.5}}, 2.8, 2.0), 45, 25, 4, 6, fur);
    p.Ball(p.Oval(44.5 - stride, 31, 3.5, 1.6), 44 - stride, 30, 4, 2, fur);
    p.Ball(p.Oval(24, 15 + bob, 7.2, 6.6), 22, 12 + bob, 8, 8, fur);
    p.Ball(p.Oval(17.5, 17.5 + bob, 4.5, 3.5), 16, 16 + bob, 5, 4, fur);
    {
        Mask cheek = p.Oval(18.5, 19.5 + bob, 4.2, 2.2);
        Mask head = p.Oval(24, 15 + bob, 7.2, 6.6);
        head |= p.Oval(17.5, 17.5 + bob, 4.5, 3.5);
        cheek &= head;
        p.Ball(cheek, 17, 18 + bob, 5, 3, Cream(), 0.1);
    }
    Ear(p, 27, 8 + bob, -10);
    Eye(p, 21, 14 + bob);
    p.Flat(p.Oval(13.6, 16.8 + bob, 1.1, 1.0), kNose);
}

// On all fours walking away from the viewer; feet centre at (32, 32).
void WalkBack(Painter& p, int phase) {
    const Material& fur = Fur();
    const double sway = phase == 0 ? -1.5 : 1.5;
    const double lf = phase == 0 ? -2.0 : 0.0, rf = phase == 0 ? 0.0 : -2.0;
    Ear(p, 27, 4.5, -14);
    Ear(p, 37, 4.5, 14);
    p.Ball(p.Oval(32, 10, 7, 6), 30, 8, 8, 7, fur);
    p.Ball(p.Oval(24.5, 22, 2.6, 2.2), 24, 21, 3, 3, fur);
    p.Ball(p.Oval(39.5, 22, 2.6, 2.2), 39, 21, 3, 3, fur);
    p.Ball(p.Oval(32, 20, 9, 8), 29, 17, 11, 10, fur, -0.18);
    p.Ball(p.Oval(25.5, 27.5 + lf, 4.5, 4.5), 24, 25.5 + lf, 5, 5, fur);
    p.Ball(p.Oval(38.5, 27.5 + rf, 4.5, 4.5), 37, 25.5 + rf, 5, 5, fur);
    p.Ball(p.Oval(25, 31 + lf, 3.4, 1.6), 24, 30, 4, 2, Cream());
    p.Ball(p.Oval(39, 31 + rf, 3.4, 1.6), 38, 30, 4, 2, Cream());
    Tail(p, {{32, 27.5}, {32.5 + sway * 0.3, 25}, {33.5 + sway * 0.6, 21}, {34 + sway, 17.5}, {32 + sway, 15},
             {29 + sway, 15.5}, {28 + sway, 18}},
         4.5, 6.0, 3.0);
}

// On all fours walking towards the viewer; feet centre at (32, 32).
void WalkFront(Painter& p, int phase) {
    const Material& fur = Fur();
    const double sway = phase == 0 ? -2.0 : 2.0;
    const double lf = phase == 0 ? -2.0 : 0.0, rf = phase == 0 ? 0.0 : -2.0;
    Tail(p, {{34, 18}, {38 + sway * 0.3, 14}, {41 + sway * 0.6, 10}, {44 + sway, 8}, {47 + sway, 8.5},
             {48.5 + sway, 11}, {48 + sway, 14}},
         4.0, 6.0, 3.5);
    p.Ball(p.Oval(32, 20, 9, 7.5), 29, 17, 11, 9, fur);
    p.Ball(p.Oval(26, 29 + lf, 3.2, 3.5), 25, 28 + lf, 4, 4, fur);
    p.Ball(p.Oval(38, 29 + rf, 3.2, 3.5), 37, 28 + rf, 4, 4, fur);
    p.Ball(p.Oval(26, 31.2 + lf, 3.2, 1.5), 25, 30, 4, 2, fur);
    p.Ball(p.Oval(38, 31.2 + rf, 3.2, 1.5), 37, 30, 4, 2, fur);
    Ear(p, 25.5, 9, -18);
    Ear(p, 38.5, 9, 18);
    p.Ball(p.Oval(32, 18.5, 8.8, 7.8), 29, 15, 10, 9, fur);
    {
        Mask muzzle = p.Oval(32, 23, 4.6, 3.0);
        muzzle |= p.Oval(27.5, 22, 3.3, 2.5);
        muzzle |= p.Oval(36.5, 22, 3.3, 2.5);
        muzzle &= p.Oval(32, 18.5, 8.8, 7.8);
        p.Ball(muzzle, 31, 21, 6, 4, Cream(), 0.1);
    }
    Eye(p, 28.3, 17.5);
    Eye(p, 36.2, 17.5);
    p.Flat(p.Oval(32.2, 21, 1.4, 0.9), kNose);
}

// Extra poses the sheet carries after the twelve the game uses.
void HoldNut(Painter& p) {
    SitFront(p, 1.0);
    const Mask mask = p.Oval(22, 25, 4.5, 4.2);
    p.Ball(mask, 21, 23, 5, 5, {{{RGB(112, 64, 26), RGB(164, 100, 40), RGB(206, 142, 66), RGB(238, 190, 116)}},
                                RGB(80, 44, 20)});
    p.Ball(p.Oval(22, 22, 5, 2.2), 21, 21, 5, 3, {{{RGB(66, 44, 26), RGB(104, 72, 42), RGB(140, 104, 62)}},
                                                   RGB(50, 32, 20)});
    p.Ball(p.Oval(18.3, 26.5, 2.6, 2.4), 17.5, 25.5, 3, 3, Fur());
    p.Ball(p.Oval(25.7, 26.5, 2.6, 2.4), 25, 25.5, 3, 3, Fur());
}

void Cheer(Painter& p) {
    SitFront(p, 2.0);
    p.Ball(p.Line({{15, 24}, {10, 16}}, 2.2, 2.0), 12, 19, 4, 6, Fur());
    p.Ball(p.Line({{29, 24}, {34, 16}}, 2.2, 2.0), 32, 19, 4, 6, Fur());
    p.Ball(p.Oval(9.5, 15, 2.6, 2.4), 9, 14, 3, 3, Fur());
    p.Ball(p.Oval(34.5, 15, 2.6, 2.4), 34, 14, 3, 3, Fur());
}

}  // namespace

void PaintSquirrel(Painter& p, Pose pose, int phase) {
    switch (pose) {
        case Pose::kSitSide: SitSide(p, phase ? 1.5 : 0.0); break;
        case Pose::kSitFront: SitFront(p, phase ? 1.5 : 0.0); break;
        case Pose::kSitBack: SitBack(p, phase ? 1.5 : 0.0); break;
        case Pose::kWalkSide: WalkSide(p, phase); break;
        case Pose::kWalkBack: WalkBack(p, phase); break;
        case Pose::kWalkFront: WalkFront(p, phase); break;
        case Pose::kHoldNut: HoldNut(p); break;
        case Pose::kCheer: Cheer(p); break;
    }
}

Image MakeSquirrelSheet() {
    Image sheet(256, 256);
    struct Cell {
        Pose pose;
        int phase;
        bool mirrored;
    };
    // Cells in the order the frames expect them: standing left, right, front, back; walking left (2),
    // right (2), away (2), towards (2); then two spare poses.
    const Cell cells[] = {{Pose::kSitSide, 0, false},  {Pose::kSitSide, 0, true},   {Pose::kSitFront, 0, false},
                          {Pose::kSitBack, 0, false},  {Pose::kWalkSide, 0, false}, {Pose::kWalkSide, 1, false},
                          {Pose::kWalkSide, 0, true},  {Pose::kWalkSide, 1, true},  {Pose::kWalkBack, 0, false},
                          {Pose::kWalkBack, 1, false}, {Pose::kWalkFront, 0, false}, {Pose::kWalkFront, 1, false},
                          {Pose::kHoldNut, 0, false},  {Pose::kCheer, 0, false}};
    int index = 0;
    for (const Cell& c : cells) {
        Image cell(64, 64);
        Painter p(cell, 0, 0, 1.0);
        PaintSquirrel(p, c.pose, c.phase);
        Outline(cell, kInk);
        const int x = (index % 4) * 64, y = (index / 4) * 64;
        if (c.mirrored) {
            // Mirrored about x = 32 so that a feet centre at x lands at 64 - x.
            Image flipped(64, 64);
            for (int yy = 0; yy < 64; ++yy)
                for (int xx = 1; xx < 64; ++xx) flipped.Set(64 - xx, yy, cell.Get(xx, yy));
            sheet.Blit(flipped, x, y);
        } else {
            sheet.Blit(cell, x, y);
        }
        ++index;
    }
    return sheet;
}

}  // namespace art
