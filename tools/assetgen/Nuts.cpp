// Eight nut kinds, each told apart by its outline as much as by its colour, since the player has to
// match them against the balloon at a glance.
#include <cmath>

#include "Art.h"

namespace art {

namespace {

const Material kAcorn{{{RGB(120, 66, 26), RGB(172, 104, 40), RGB(212, 146, 66), RGB(244, 200, 128)}}, RGB(86, 46, 20)};
const Material kAcornCap{{{RGB(70, 46, 28), RGB(108, 76, 44), RGB(146, 110, 66)}}, RGB(52, 34, 22)};
const Material kWalnut{{{RGB(132, 96, 56), RGB(176, 136, 84), RGB(210, 176, 118), RGB(236, 212, 164)}},
                       RGB(100, 70, 40)};
const Material kChestnut{{{RGB(74, 30, 22), RGB(122, 52, 32), RGB(166, 80, 44), RGB(226, 150, 104)}},
                         RGB(58, 24, 18)};
const Material kChestnutBase{{{RGB(170, 130, 86), RGB(214, 180, 128), RGB(238, 214, 170)}}, RGB(120, 86, 54)};
const Material kHazel{{{RGB(130, 70, 26), RGB(184, 108, 42), RGB(220, 150, 68), RGB(246, 200, 124)}}, RGB(94, 48, 20)};
const Material kHazelTop{{{RGB(168, 140, 96), RGB(206, 184, 136), RGB(232, 216, 176)}}, RGB(130, 104, 70)};
const Material kHusk{{{RGB(46, 98, 34), RGB(86, 146, 46), RGB(136, 190, 72)}}, RGB(30, 68, 26)};
const Material kCone{{{RGB(78, 44, 22), RGB(122, 74, 36), RGB(166, 110, 56), RGB(206, 156, 92)}}, RGB(60, 32, 18)};
const Material kAlmond{{{RGB(150, 96, 58), RGB(196, 140, 90), RGB(226, 182, 128), RGB(248, 222, 178)}},
                       RGB(116, 70, 40)};
const Material kPeanut{{{RGB(168, 126, 76), RGB(210, 170, 110), RGB(236, 206, 150), RGB(252, 236, 196)}},
                       RGB(132, 94, 54)};
const Material kGinkgo{{{RGB(170, 140, 24), RGB(222, 190, 44), RGB(246, 222, 90), RGB(255, 248, 176)}},
                       RGB(130, 100, 20)};
const Material kStem{{{RGB(70, 48, 30), RGB(112, 82, 50)}}, RGB(50, 34, 22)};

void Acorn(Painter& p) {
    Mask body = p.Oval(16, 19, 7.5, 8);
    body |= p.Poly({{10, 21}, {22, 21}, {16.5, 29.5}});
    p.Ball(body, 14, 16, 9, 11, kAcorn);
    // A dark point at the tip.
    p.Flat(p.Oval(16.3, 28.2, 1.0, 1.0), kAcorn.ramp[0]);
    Mask cap = p.Oval(16, 13.5, 9.6, 6.2);
    cap &= p.Poly({{-1, -1}, {33, -1}, {33, 15.5}, {-1, 15.5}});
    cap |= p.Oval(16, 15, 9.6, 1.6);
    p.Ball(cap, 13, 10, 11, 8, kAcornCap);
    // Cap scales: a chequer of darker dots.
    Mask inner = cap.Eroded(1);
    for (int y = 8; y < 17; ++y)
        for (int x = 6; x < 27; ++x)
            if (inner.Get(x, y) && ((x + (y / 2) * 1) % 3 == 0) && (y % 2 == 0)) p.Target().Set(x, y, kAcornCap.ramp[0]);
    p.Ball(p.Line({{16, 8}, {17.5, 4.5}}, 1.3, 1.0), 16, 6, 2, 3, kStem);
}

void Walnut(Painter& p) {
    Mask shell = p.Oval(16, 17, 10, 9.5);
    shell |= p.Oval(16, 7.8, 1.6, 1.6);
    p.Ball(shell, 13, 13, 12, 12, kWalnut);
    Image& img = p.Target();
    // The seam down the middle and the wrinkles either side.
    Mask seam = p.Line({{16, 8}, {16.5, 14}, {16, 20}, {16.5, 26.5}}, 0.6, 0.6);
    seam &= shell;
    img.Fill(seam, kWalnut.line);
    Mask ridge = seam.Shifted(-1, 0);
    ridge &= shell.Eroded(1);
    img.Fill(ridge, kWalnut.ramp[3]);
    const std::vector<std::vector<Point>> wrinkles = {
        {{9, 13}, {11, 12}, {12.5, 14}}, {{8, 19}, {10, 18}, {11, 20}, {13, 19}}, {{19, 12}, {21, 13.5}, {23, 12}},
        {{20, 19}, {22, 18}, {24, 20}},  {{11, 24}, {13, 23}, {14, 25}},          {{19, 24}, {21, 25}, {22, 23}},
        {{12, 9.5}, {14, 10.5}},         {{18.5, 9.5}, {20.5, 9}}};
    for (const auto& w : wrinkles) {
        Mask m = p.Line(w, 0.45, 0.45);
        m &= shell.Eroded(1);
        img.Fill(m, kWalnut.ramp[0]);
    }
}

void Chestnut(Painter& p) {
    Mask nut = p.Oval(16, 19.5, 10, 8.5);
    nut |= p.Poly({{8, 17}, {24, 17}, {17, 6}, {15, 6}});
    p.Ball(nut, 12, 14, 11, 11, kChestnut, 0.02);
    Mask base = p.Oval(16, 27.5, 9, 3.6);
    base &= nut;
    p.Ball(base, 14, 26, 9, 4, kChestnutBase);
    // Glossy streak and the little tuft at the point.
    p.Flat(p.Line({{11, 14}, {13, 11.5}}, 0.6, 0.6), kChestnut.ramp[3]);
    p.Flat(p.Line({{16, 6}, {16, 3.5}}, 0.9, 0.6), kChestnutBase.ramp[1]);
}

void Hazelnut(Painter& p) {
    Mask nut = p.Oval(16, 19, 8.8, 8.8);
    nut |= p.Poly({{11, 13}, {21, 13}, {16, 7.5}});
    p.Ball(nut, 13, 15, 10, 10, kHazel);
    Image& img = p.Target();
    for (int i = 0; i < 3; ++i) {
        Mask stripe = p.Line({{12.5 + 3.5 * i, 14}, {12.0 + 4 * i, 21}, {12.5 + 3.5 * i, 26}}, 0.4, 0.4);
        stripe &= nut.Eroded(2);
        img.Fill(stripe, kHazel.ramp[2]);
    }
    Mask top = p.Oval(16, 11, 5.5, 3.2);
    top &= nut;
    p.Ball(top, 15, 10, 6, 4, kHazelTop);
    // Frilly husk leaves hugging the top.
    Mask husk = p.Poly({{6, 10}, {9, 6}, {11, 9}, {13, 4}, {15.5, 10}, {11, 14}});
    husk |= p.Poly({{26, 10}, {23, 6}, {21, 9}, {19, 4}, {16.5, 10}, {21, 14}});
    p.Ball(husk, 14, 6, 10, 8, kHusk);
}

void PineCone(Painter& p) {
    Mask cone = p.Oval(16, 18, 7.5, 10.5);
    p.Ball(cone, 14, 14, 9, 12, kCone);
    Image& img = p.Target();
    // Scales in offset rows, each lit on top with a dark lip below.
    for (int row = 0; row < 6; ++row) {
        const double y = 10 + row * 3.4;
        const int count = (row % 2 == 0) ? 3 : 4;
        const double span = (row % 2 == 0) ? 9.0 : 12.0;
        for (int k = 0; k < count; ++k) {
            const double x = 16 - span / 2 + (count > 1 ? span * k / (count - 1) : 0);
            Mask scale = p.Oval(x, y, 2.6, 1.9);
            scale &= cone.Eroded(1);
            if (scale.Empty()) continue;
            ShadeBall(img, scale, x - 0.8, y - 0.8, 2.8, 2.2, kCone.ramp);
            Mask lip = scale;
            lip.Subtract(scale.Shifted(0, -1));
            img.Fill(lip, kCone.ramp[0]);
        }
    }
    p.Ball(p.Line({{16, 8}, {15.5, 4.5}}, 1.3, 1.0), 15, 6, 2, 3, kStem);
}

void Almond(Painter& p) {
    Mask nut = p.Oval(16, 19, 7, 8.5, 18);
    nut |= p.Poly({{10.5, 16}, {19.5, 12}, {11.5, 6.5}});
    p.Ball(nut, 13, 15, 9, 11, kAlmond);
    Image& img = p.Target();
    // Pitted surface.
    Rng rng(71);
    Mask inner = nut.Eroded(2);
    for (int i = 0; i < 16; ++i) {
        const int x = rng.Range(8, 24), y = rng.Range(8, 27);
        if (inner.Get(x, y)) img.Set(x, y, kAlmond.ramp[0]);
    }
    p.Flat(p.Line({{12, 10}, {16, 21}, {19.5, 26}}, 0.4, 0.4) &= inner, kAlmond.ramp[1]);
}

void Peanut(Painter& p) {
    Mask shell = p.Oval(16, 11.5, 6.2, 6);
    shell |= p.Oval(16, 22, 7, 6.5);
    shell |= p.Oval(16, 16.5, 4.8, 3);
    p.Ball(shell, 14, 14, 9, 12, kPeanut);
    Image& img = p.Target();
    // The net of the shell.
    Mask inner = shell.Eroded(2);
    for (int y = 6; y < 30; ++y)
        for (int x = 8; x < 25; ++x)
            if (inner.Get(x, y) && ((x + y) % 4 == 0 || (x - y + 64) % 4 == 0) && ((x + y) % 2 == 0))
                img.Set(x, y, kPeanut.ramp[1]);
    Mask waist = p.Line({{11.5, 16.5}, {20.5, 16.5}}, 0.5, 0.5);
    waist &= shell;
    img.Fill(waist, kPeanut.line);
}

void Ginkgo(Painter& p) {
    // A plump, shiny yellow stone with a blunt point and a short seam at the tip.
    Mask nut = p.Oval(16, 18.5, 8, 8.5);
    nut |= p.Oval(16, 12, 4.5, 4.5);
    p.Ball(nut, 13, 14, 10, 11, kGinkgo, 0.04);
    Mask ridge = p.Line({{16, 8.5}, {16.3, 13}}, 0.45, 0.45);
    ridge &= nut.Eroded(1);
    p.Flat(ridge, kGinkgo.ramp[1]);
    p.Flat(p.Oval(16.3, 26.6, 2.2, 0.9), kGinkgo.ramp[0]);
    p.Flat(p.Oval(12.5, 14, 1.2, 2.0), kGinkgo.ramp[3]);
}

}  // namespace

void PaintNut(Painter& p, int kind) {
    switch (kind) {
        case 0: Acorn(p); break;
        case 1: Walnut(p); break;
        case 2: Chestnut(p); break;
        case 3: Hazelnut(p); break;
        case 4: PineCone(p); break;
        case 5: Almond(p); break;
        case 6: Peanut(p); break;
        default: Ginkgo(p); break;
    }
}

Image MakeNutSheet() {
    Image sheet(128, 64);
    for (int kind = 0; kind < 8; ++kind) {
        Image cell(32, 32);
        Painter p(cell, 0, 0, 1.0);
        PaintNut(p, kind);
        Outline(cell, kInk);
        sheet.Blit(cell, (kind % 4) * 32, (kind / 4) * 32);
    }
    return sheet;
}

}  // namespace art
