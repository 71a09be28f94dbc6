// The title: the "Pelloro" logo over a large squirrel holding an acorn on a mossy mound.
#include <cstdio>
#include <cstdlib>

#include "Art.h"

namespace art {

Image MakeTitle() {
    const int w = 223, h = 156;
    Image img(w, h);

    // The mound, with a few nuts lying about.
    {
        const Mask mound = Ellipse(w, h, 111, 150, 92, 16);
        const Ramp moss{{RGB(42, 82, 34), RGB(62, 110, 42), RGB(92, 144, 56), RGB(134, 182, 76)}};
        ShadeBall(img, mound, 90, 136, 110, 26, moss, 0.1);
        Rng rng(5);
        for (int i = 0; i < 60; ++i) {
            const int x = rng.Range(24, 198), y = rng.Range(136, 154);
            if (!mound.Eroded(2).Get(x, y)) continue;
            img.Set(x, y, moss[3]);
            img.Set(x, y - 1, moss[3]);
            img.Set(x + 1, y - 2, moss[2]);
        }
    }
    Image squirrel(w, h);
    {
        Painter p(squirrel, 62, 70, 2.0);
        PaintSquirrel(p, Pose::kHoldNut, 0);
        Outline(squirrel, kInk);
    }
    img.Blit(squirrel, 0, 0);
    const int nutKinds[] = {2, 4, 1, 7};
    const int nutPos[][2] = {{24, 118}, {50, 124}, {150, 124}, {176, 118}};
    for (int i = 0; i < 4; ++i) {
        Image nut(32, 32);
        Painter p(nut, 0, 0, 1.0);
        PaintNut(p, nutKinds[i]);
        Outline(nut, kInk);
        img.Blit(nut, nutPos[i][0], nutPos[i][1]);
    }

    // The logo, over the squirrel's ears.
    const LetterStyle style{{{RGB(228, 104, 22), RGB(244, 142, 30), RGB(252, 180, 44), RGB(255, 214, 80),
                              RGB(255, 236, 140)}},
                            RGB(255, 252, 226), RGB(150, 56, 18), RGB(96, 34, 16), RGB(62, 22, 12), 5.5, 5, 3};
    const Image logo = PaintWords("Pelloro", 46, 1.0, 3, style);
    if (logo.Width() > w) {
        std::fprintf(stderr, "assetgen: the logo is %d wide, more than %d\n", logo.Width(), w);
        std::exit(1);
    }
    img.Blit(logo, (w - logo.Width()) / 2, 2);
    return img;
}

}  // namespace art
