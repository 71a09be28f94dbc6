// The forest: the floor the squirrel walks on and the canopy drawn over everything that moves.
#include <algorithm>
#include <cmath>

#include "Art.h"

namespace art {

namespace {

std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

double Lattice(int x, int y, std::uint32_t seed) {
    return (Hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) & 0xFFFF) / 65536.0;
}

// Smooth value noise in 0..1.
double Noise(double x, double y, std::uint32_t seed) {
    const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    const double fx = x - ix, fy = y - iy;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = Lattice(ix, iy, seed), b = Lattice(ix + 1, iy, seed);
    const double c = Lattice(ix, iy + 1, seed), d = Lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

double Fractal(double x, double y, std::uint32_t seed) {
    return Noise(x, y, seed) * 0.55 + Noise(x * 2.1, y * 2.1, seed + 1) * 0.3 + Noise(x * 4.3, y * 4.3, seed + 2) * 0.15;
}

// Ordered dither threshold 0..1 for a 4 x 4 Bayer matrix.
double Bayer(int x, int y) {
    static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (m[y & 3][x & 3] + 0.5) / 16.0;
}

// A leaf: a lens from base to tip, lit on the half that faces the light, with a midrib.
void Leaf(Image& img, double bx, double by, double length, double width, double degrees, const Ramp& ramp, Rgb rib,
          Rgb edge) {
    const double c = CosDeg(degrees), s = SinDeg(degrees);
    std::vector<Point> outline;
    const int n = 10;
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double half = width * 0.5 * SinDeg(180.0 * t) * (1.0 - 0.25 * t);
        outline.push_back({t * length, -half});
    }
    for (int i = n; i >= 0; --i) {
        const double t = static_cast<double>(i) / n;
        const double half = width * 0.5 * SinDeg(180.0 * t) * (1.0 - 0.25 * t);
        outline.push_back({t * length, half});
    }
    std::vector<Point> pts;
    for (const Point& p : outline) pts.push_back({bx + p.x * c - p.y * s, by + p.x * s + p.y * c});
    const Mask m = Polygon(img.Width(), img.Height(), pts);
    if (m.Empty()) return;
    // Which side of the midrib faces the light (the top left)?
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            if (!m.Get(x, y)) continue;
            const double dx = x - bx, dy = y - by;
            const double across = -dx * s + dy * c;  // signed distance from the midrib
            const double along = dx * c + dy * s;
            // The normal of the side: rotate the leaf's direction by -90 or +90 degrees.
            const double nx = across < 0 ? s : -s, ny = across < 0 ? -c : c;
            const double facing = -(nx * 0.6 + ny * 0.8);  // light from the top left
            int band = facing > 0.3 ? 2 : facing > -0.3 ? 1 : 0;
            if (along > length * 0.8) band = std::max(0, band - 1);
            img.Set(x, y, ramp[band + (ramp.Size() > 3 ? 1 : 0)]);
        }
    Mask e = m.Edge();
    img.Fill(e, edge);
    img.Fill(Stroke(img.Width(), img.Height(), {{bx + c * 1.5, by + s * 1.5}, {bx + c * length * 0.75, by + s * length * 0.75}},
                    0.45, 0.45) &= m.Eroded(1),
             rib);
}

}  // namespace

Image MakeBackground() {
    const int w = 320, h = 240;
    Image img(w, h);
    Rng rng(20240611);
    // Moss and earth: four close greens with patches of bare soil; darker under the canopy at the top.
    const Rgb moss[] = {RGB(50, 74, 38), RGB(62, 90, 44), RGB(76, 106, 50), RGB(92, 122, 56), RGB(106, 136, 62)};
    const Rgb soil[] = {RGB(74, 58, 40), RGB(94, 74, 50), RGB(112, 90, 60)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // A little flattened vertically: the floor is seen at a slant.
            const double n = Fractal(x / 38.0, y / 26.0, 7);
            const double fine = Noise(x / 5.0, y / 3.6, 11);
            const double shade = y < 70 ? (70 - y) / 70.0 * 0.9 : 0.0;  // the canopy's shade
            double v = 1.2 + (n - 0.5) * 2.6 + (fine - 0.5) * 0.9 - shade + (y > 120 ? (y - 120) / 220.0 : 0);
            v += (Bayer(x, y) - 0.5) * 0.7;
            const int band = std::clamp(static_cast<int>(std::floor(v)), 0, 4);
            Rgb c = moss[band];
            const double dirt = Fractal(x / 30.0 + 40, y / 22.0, 19);
            if (dirt > 0.66 + (Bayer(x + 1, y + 2) - 0.5) * 0.06) {
                const int sb = std::clamp(static_cast<int>((dirt - 0.66) * 14 + fine * 1.2 - shade * 1.5), 0, 2);
                c = soil[sb];
            }
            img.Set(x, y, c);
        }

    // Litter: fallen leaves, twigs, pebbles, clover and tufts of grass. Few in the landing field so
    // that nuts stand out there, more towards the edges; no yellows, which belong to the ginkgo nut.
    auto inField = [](double x, double y) { return x >= 0 && x < 256 && y >= 60 && y < 190; };
    const Ramp autumn[] = {{{RGB(120, 58, 30), RGB(160, 82, 38), RGB(196, 114, 50), RGB(224, 154, 72)}},
                           {{RGB(92, 62, 36), RGB(120, 84, 48), RGB(148, 106, 62), RGB(172, 130, 80)}},
                           {{RGB(104, 46, 30), RGB(140, 62, 36), RGB(178, 86, 46), RGB(206, 118, 64)}}};
    for (int i = 0; i < 60; ++i) {
        const double x = rng.Range(-6, 326), y = rng.Range(-4, 200);
        if (inField(x, y) && !rng.Chance(22)) continue;
        const Ramp& r = autumn[rng.Below(3)];
        // One draw a line: argument order is not fixed, and the picture must not depend on the compiler.
        const int length = rng.Range(10, 14);
        const int width = rng.Range(6, 8);
        const int angle = rng.Range(0, 359);
        Leaf(img, x, y, length, width, angle, r, r[0], r[0]);
    }
    for (int i = 0; i < 140; ++i) {
        const int x = rng.Range(0, 319), y = rng.Range(2, 200);
        if (inField(x, y) && !rng.Chance(35)) continue;
        const int kind = rng.Below(10);
        if (kind < 5) {  // grass tuft
            const Rgb dark = RGB(56, 92, 36), light = RGB(118, 160, 64);
            img.Set(x, y, dark);
            img.Set(x - 1, y - 1, light);
            img.Set(x - 2, y - 2, light);
            img.Set(x + 1, y - 1, dark);
            img.Set(x + 2, y - 3, light);
            img.Set(x, y - 2, light);
            img.Set(x, y - 3, light);
        } else if (kind < 7) {  // pebble
            const Mask m = Ellipse(w, h, x, y, rng.Range(2, 3), 1.6);
            ShadeBall(img, m, x - 0.5, y - 0.7, 3, 2, {{RGB(96, 96, 90), RGB(134, 132, 122), RGB(176, 174, 162)}});
            img.Fill(m.Outside() &= Rect(w, h, 0, y + 1, w - 1, h - 1), RGB(40, 48, 30));
        } else if (kind < 9) {  // clover: three round leaves
            const Ramp clover{{RGB(58, 104, 40), RGB(84, 140, 54), RGB(122, 176, 74)}};
            for (int k = 0; k < 3; ++k) {
                const double a = k * 120.0 - 90.0;
                const double cx = x + 2.2 * CosDeg(a), cy = y + 1.8 * SinDeg(a);
                ShadeBall(img, Ellipse(w, h, cx, cy, 1.8, 1.5), cx - 0.5, cy - 0.5, 2.2, 2.0, clover);
            }
            if (rng.Chance(40)) img.Set(x, y, RGB(250, 244, 210));
        } else {  // twig
            const double a = rng.Range(0, 179);
            const double len = rng.Range(6, 12);
            img.Fill(Stroke(w, h, {{x - len / 2 * CosDeg(a), y - len / 2 * SinDeg(a)}, {x + len / 2 * CosDeg(a), y + len / 2 * SinDeg(a)}},
                            0.5, 0.5),
                     RGB(88, 62, 40));
        }
    }

    // A tree stands at the right edge, its roots spreading into the moss, with a ring of mushrooms.
    {
        const Ramp bark{{RGB(52, 36, 28), RGB(74, 52, 36), RGB(98, 70, 46), RGB(124, 92, 60)}};
        Mask trunk = Polygon(w, h, {{292, -1}, {321, -1}, {321, 150}, {284, 150}, {288, 90}});
        trunk |= Stroke(w, h, {{296, 138}, {282, 150}, {268, 158}}, 6, 2);
        trunk |= Stroke(w, h, {{306, 142}, {302, 158}, {296, 168}}, 6, 2);
        trunk |= Stroke(w, h, {{316, 140}, {318, 160}, {321, 170}}, 5, 3);
        ShadeCushion(img, trunk, bark, 9.0, -0.05);
        // Bark furrows.
        for (int i = 0; i < 9; ++i) {
            const double x = 290 + i * 3.6 + rng.Range(0, 2);
            img.Fill(Stroke(w, h, {{x, -1.0 * rng.Range(0, 10)}, {x + rng.Range(-2, 2), 60.0 + rng.Range(0, 30)}, {x - 2, 140}}, 0.5, 0.5) &=
                     trunk.Eroded(2),
                     bark[0]);
        }
        Mask edge = trunk.Outside();
        img.Fill(edge, RGB(34, 42, 26));
        // Moss at the foot of the trunk.
        const Ramp mossy{{RGB(66, 104, 40), RGB(96, 138, 52), RGB(132, 170, 70)}};
        for (int i = 0; i < 26; ++i) {
            const double x = 282 + rng.Range(0, 38), y = 128 + rng.Range(0, 24);
            Mask m = Ellipse(w, h, x, y, 2.5, 1.8);
            m &= trunk;
            ShadeBall(img, m, x - 0.6, y - 0.6, 3, 2.2, mossy);
        }
        // Mushrooms.
        const Ramp cap{{RGB(150, 24, 24), RGB(202, 44, 36), RGB(238, 96, 70)}};
        const Ramp stem{{RGB(196, 184, 160), RGB(232, 224, 204), RGB(250, 248, 236)}};
        const double spots[][3] = {{266, 174, 1.0}, {276, 180, 0.8}, {258, 166, 0.7}, {302, 178, 0.9}};
        for (const auto& sp : spots) {
            const double x = sp[0], y = sp[1], k = sp[2];
            Image m(w, h);
            const Mask st = Rect(w, h, static_cast<int>(x - 1.5 * k), static_cast<int>(y - 3 * k),
                                 static_cast<int>(x + 1.5 * k), static_cast<int>(y + 2));
            ShadeVertical(m, st, stem, static_cast<int>(y - 3 * k), static_cast<int>(y + 2));
            Mask cp = Ellipse(w, h, x, y - 4 * k, 5 * k, 3.4 * k);
            cp &= Rect(w, h, 0, 0, w - 1, static_cast<int>(y - 3 * k));
            ShadeBall(m, cp, x - 2 * k, y - 6 * k, 6 * k, 4 * k, cap);
            m.Set(static_cast<int>(x - 2 * k), static_cast<int>(y - 5 * k), RGB(255, 246, 230));
            m.Set(static_cast<int>(x + 1.5 * k), static_cast<int>(y - 6 * k), RGB(255, 246, 230));
            m.Set(static_cast<int>(x + 2.5 * k), static_cast<int>(y - 4 * k), RGB(255, 246, 230));
            Outline(m, RGB(42, 30, 26));
            img.Blit(m, 0, 0);
        }
    }

    // A fallen log along the bottom: the shelf for caught nuts and the lives.
    {
        const Ramp wood{{RGB(46, 30, 22), RGB(64, 42, 28), RGB(84, 56, 36), RGB(106, 74, 46)}};
        Mask log = Rect(w, h, 0, 205, w - 1, h - 1);
        // Its shadow on the moss just above.
        for (int x = 0; x < w; ++x)
            for (int y = 200; y < 205; ++y)
                if ((x + y) % 2 == 0 || y >= 203) img.Set(x, y, RGB(36, 52, 30));
        for (int y = 205; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Round in section: light on the top, dark underneath.
                const double t = (y - 205) / 34.0;
                double v = t < 0.15 ? 3.0 : t < 0.45 ? 2.0 : t < 0.8 ? 1.0 : 0.0;
                const double grain = Noise(x / 14.0, y / 1.6, 31);
                v += (grain - 0.5) * 1.4 + (Bayer(x, y) - 0.5) * 0.5;
                img.Set(x, y, wood[std::clamp(static_cast<int>(std::floor(v)), 0, 3)]);
            }
        // Bark cracks.
        for (int i = 0; i < 26; ++i) {
            const double x = rng.Range(0, 319), y = rng.Range(212, 236);
            const double len = rng.Range(8, 22);
            img.Fill(Stroke(w, h, {{x, y}, {x + len * 0.5, y + rng.Range(-1, 1)}, {x + len, y}}, 0.5, 0.5) &= log,
                     wood[0]);
        }
        // Moss and a few sprouts on its top.
        const Ramp mossy{{RGB(58, 96, 40), RGB(88, 132, 50), RGB(124, 166, 66)}};
        for (int i = 0; i < 40; ++i) {
            const double x = rng.Range(0, 319), y = 206 + rng.Range(0, 3);
            Mask m = Ellipse(w, h, x, y, rng.Range(2, 5), 1.6);
            m &= log;
            ShadeBall(img, m, x - 1, y - 1, 5, 2.5, mossy);
        }
        Mask top = Rect(w, h, 0, 204, w - 1, 204);
        img.Fill(top, RGB(34, 26, 20));
    }
    return img;
}

Image MakeLeaves() {
    const int w = 320, h = 80;
    Image img(w, h);
    Rng rng(77);
    const Ramp greens[] = {{{RGB(20, 50, 28), RGB(32, 76, 34), RGB(52, 106, 42), RGB(84, 140, 52)}},
                           {{RGB(24, 58, 30), RGB(40, 88, 38), RGB(66, 122, 46), RGB(110, 164, 62)}},
                           {{RGB(28, 64, 30), RGB(50, 100, 40), RGB(84, 140, 52), RGB(140, 186, 78)}}};
    const Rgb edge = RGB(16, 38, 24);
    // The lower edge of the dense part wanders; it dips at the sides and stays high in the middle,
    // where the balloon and a squirrel at its top bound must stay in view.
    auto boundary = [](int x) {
        const double side = x < 64 ? (64 - x) / 64.0 : x > 256 ? (x - 256) / 64.0 : 0.0;
        return 24.0 + 9.0 * Noise(x / 22.0, 0.5, 5) + 22.0 * side;
    };
    // A dark mass behind the leaves so the canopy has no holes.
    Mask mass(w, h);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < static_cast<int>(boundary(x)) - 4; ++y) mass.Set(x, y);
    img.Fill(mass, greens[0][0]);
    // Branches.
    const Ramp bark{{RGB(56, 38, 28), RGB(82, 58, 38), RGB(112, 82, 52)}};
    const std::vector<std::vector<Point>> branches = {
        {{-2, 10}, {30, 16}, {60, 22}, {84, 30}, {98, 38}},
        {{322, 6}, {296, 14}, {270, 26}, {252, 40}, {244, 52}},
        {{150, -2}, {158, 10}, {172, 16}}};
    for (const auto& b : branches) {
        const Mask m = Stroke(w, h, b, 3.2, 1.4);
        ShadeCushion(img, m, bark, 2.0, 0.0);
        img.Fill(m.Outside(), edge);
    }
    // Layers of leaves, from the back (dark, high) to the front (light, along the lower edge).
    for (int layer = 0; layer < 3; ++layer) {
        const int count = layer == 0 ? 260 : layer == 1 ? 200 : 110;
        for (int i = 0; i < count; ++i) {
            const int x = rng.Range(-8, 327);
            const double b = boundary(std::clamp(x, 0, w - 1));
            const double y = layer == 0 ? rng.Range(-6, static_cast<int>(b) - 6)
                                        : rng.Range(-4, static_cast<int>(b) + (layer == 2 ? 2 : -2));
            // Leaves hang: mostly pointing down and out.
            const double angle = 90 + rng.Range(-70, 70);
            const double len = rng.Range(9, 14) - (layer == 0 ? 2 : 0);
            Leaf(img, x, y, len, len * 0.55, angle, greens[layer], greens[layer][layer == 2 ? 1 : 0], edge);
        }
    }
    // Sprigs hanging below the dense part at the sides, and a few short ones in the middle.
    struct Sprig {
        double x, y, length;
    };
    const Sprig sprigs[] = {{10, 30, 40}, {34, 34, 34}, {58, 30, 26}, {96, 36, 20}, {176, 20, 14},
                            {226, 28, 18}, {262, 38, 30}, {286, 34, 38}, {308, 30, 44}};
    for (const Sprig& s : sprigs) {
        const double sway = rng.Range(-6, 6);
        std::vector<Point> stem = {{s.x, s.y}, {s.x + sway * 0.5, s.y + s.length * 0.5}, {s.x + sway, s.y + s.length}};
        const Mask st = Stroke(w, h, stem, 1.0, 0.6);
        img.Fill(st, bark[1]);
        for (int k = 1; k <= 5; ++k) {
            const double t = k / 5.5;
            const double px = s.x + sway * t, py = s.y + s.length * t;
            const double len = 11 - k * 0.6;
            Leaf(img, px, py, len, len * 0.55, 90 + (k % 2 ? -55 : 55) + rng.Range(-10, 10), greens[2], greens[2][1], edge);
        }
        Leaf(img, s.x + sway, s.y + s.length - 1, 10, 5.5, 90 + rng.Range(-10, 10), greens[1], greens[1][1], edge);
    }
    // Keep the band below y = 60 clear in the middle, where the balloon sits.
    for (int y = 56; y < h; ++y)
        for (int x = 60; x < 252; ++x)
            if (y >= 62 || (x > 70 && x < 240)) img.Set(x, y, 0);
    return img;
}

Image MakeAutumnBackground() {
    Image img = MakeBackground();
    for (int y = 0; y < img.Height(); ++y) {
        for (int x = 0; x < img.Width(); ++x) {
            const Rgb c = img.Get(x, y);
            // Greens turn to reds and ochres; every colour stays above black so none turns transparent.
            Rgb autumn = RGB(std::min(255, Green(c) * 9 / 8 + 10), (Red(c) + Green(c)) * 3 / 8, Blue(c) / 2);
            if (!SurvivesTruncation(autumn)) autumn = RGB(8, 8, 8);
            img.Set(x, y, autumn);
        }
    }
    return img;
}

}  // namespace art
