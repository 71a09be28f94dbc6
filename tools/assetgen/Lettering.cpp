// Lettering: a rounded stroke font for the big words and the logo, a 5 x 7 pixel font for the labels,
// and bold 8 x 11 digits for the counters.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "Art.h"

namespace art {

namespace {

// A glyph in units of the capital height: x from 0 to `width`, y from 0 (top) to 1 (baseline).
struct Glyph {
    double width;
    std::vector<std::vector<Point>> strokes;
};

std::vector<Point> Seg(std::initializer_list<Point> pts) { return std::vector<Point>(pts); }

std::vector<Point> Join(std::vector<Point> a, const std::vector<Point>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::map<char, Glyph>& StrokeFont() {
    static const std::map<char, Glyph> font = [] {
        std::map<char, Glyph> f;
        const double w = 0.62;
        f['A'] = {0.68, {Seg({{0, 1}, {0.22, 0.08}, {0.34, 0}, {0.46, 0.08}, {0.68, 1}}), Seg({{0.13, 0.64}, {0.55, 0.64}})}};
        f['C'] = {w, {Arc(w / 2, 0.5, w / 2, 0.5, -38, -322, 24)}};
        f['E'] = {0.52, {Seg({{0.52, 0}, {0, 0}, {0, 1}, {0.52, 1}}), Seg({{0, 0.5}, {0.44, 0.5}})}};
        f['G'] = {w, {Join(Arc(w / 2, 0.5, w / 2, 0.5, -38, -360, 24), Seg({{w, 0.5}, {w * 0.55, 0.5}}))}};
        f['H'] = {0.6, {Seg({{0, 0}, {0, 1}}), Seg({{0.6, 0}, {0.6, 1}}), Seg({{0, 0.5}, {0.6, 0.5}})}};
        f['I'] = {0.0, {Seg({{0, 0}, {0, 1}})}};
        f['K'] = {0.58, {Seg({{0, 0}, {0, 1}}), Seg({{0.58, 0}, {0.04, 0.58}}), Seg({{0.2, 0.42}, {0.6, 1}})}};
        f['L'] = {0.5, {Seg({{0, 0}, {0, 1}, {0.5, 1}})}};
        f['M'] = {0.74, {Seg({{0, 1}, {0, 0}, {0.37, 0.62}, {0.74, 0}, {0.74, 1}})}};
        f['O'] = {0.7, {Arc(0.35, 0.5, 0.35, 0.5, 0, 360, 32)}};
        f['P'] = {0.56, {Join(Join(Seg({{0, 1}, {0, 0}, {0.3, 0}}), Arc(0.3, 0.27, 0.26, 0.27, -90, 90, 12)),
                              Seg({{0.3, 0.54}, {0, 0.54}}))}};
        f['R'] = {0.58, {Join(Join(Seg({{0, 1}, {0, 0}, {0.3, 0}}), Arc(0.3, 0.26, 0.26, 0.26, -90, 90, 12)),
                              Seg({{0.3, 0.52}, {0, 0.52}})),
                         Seg({{0.26, 0.52}, {0.58, 1}})}};
        f['S'] = {0.56, {Join(Arc(0.28, 0.26, 0.28, 0.26, -25, -270, 16), Arc(0.28, 0.76, 0.28, 0.24, -90, 155, 16))}};
        f['T'] = {0.62, {Seg({{0, 0}, {0.62, 0}}), Seg({{0.31, 0}, {0.31, 1}})}};
        f['U'] = {0.6, {Join(Join(Seg({{0, 0}, {0, 0.62}}), Arc(0.3, 0.62, 0.3, 0.38, 180, 0, 16)), Seg({{0.6, 0.62}, {0.6, 0}}))}};
        f['V'] = {0.66, {Seg({{0, 0}, {0.33, 1}, {0.66, 0}})}};
        f['Y'] = {0.64, {Seg({{0, 0}, {0.32, 0.5}, {0.64, 0}}), Seg({{0.32, 0.5}, {0.32, 1}})}};
        f['!'] = {0.0, {Seg({{0, 0}, {0, 0.62}}), Seg({{0, 1}, {0, 1}})}};
        // Lower case, x-height 0.58.
        f['e'] = {0.52, {Join(Seg({{0.02, 0.71}, {0.52, 0.71}}), Arc(0.26, 0.71, 0.26, 0.29, 0, -300, 22))}};
        f['l'] = {0.0, {Seg({{0, 0}, {0, 1}})}};
        f['o'] = {0.54, {Arc(0.27, 0.71, 0.27, 0.29, 0, 360, 28)}};
        f['r'] = {0.36, {Seg({{0, 0.42}, {0, 1}}), Seg({{0, 0.66}, {0.08, 0.52}, {0.2, 0.44}, {0.36, 0.43}})}};
        f[' '] = {0.32, {}};
        return f;
    }();
    return font;
}

// 5 x 7 capitals and digits, one string per row.
const std::map<char, std::vector<const char*>>& PixelFont() {
    static const std::map<char, std::vector<const char*>> font = {
        {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
        {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
        {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
        {'I', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
        {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
        {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
        {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
        {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
        {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
        {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
        {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
        {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    };
    return font;
}

const char* const kDigitRows[10][11] = {
    {"..####..", ".######.", "###..###", "##....##", "##....##", "##....##", "##....##", "##....##", "###..###",
     ".######.", "..####.."},
    {"...##...", "..###...", ".####...", "...##...", "...##...", "...##...", "...##...", "...##...", "...##...",
     ".######.", ".######."},
    {"..####..", ".######.", "###..###", ".....###", "....###.", "...###..", "..###...", ".###....", "###.....",
     "########", "########"},
    {"..####..", ".######.", "##...###", ".....###", "...####.", "...####.", ".....###", ".....###", "##...###",
     ".######.", "..####.."},
    {"....###.", "...####.", "..#####.", ".###.##.", "###..##.", "##...##.", "########", "########", ".....##.",
     ".....##.", ".....##."},
    {"########", "########", "##......", "##......", "######..", "#######.", ".....###", "......##", "##...###",
     ".######.", "..####.."},
    {"..#####.", ".######.", "###.....", "##......", "######..", "#######.", "###..###", "##....##", "###..###",
     ".######.", "..####.."},
    {"########", "########", "##...###", ".....##.", "....###.", "....##..", "...###..", "...##...", "...##...",
     "...##...", "...##..."},
    {"..####..", ".######.", "###..###", "##....##", ".######.", ".######.", "###..###", "##....##", "###..###",
     ".######.", "..####.."},
    {"..####..", ".######.", "###..###", "##....##", "###..###", ".#######", "..######", "......##", ".....###",
     ".######.", ".#####.."},
};

Mask StrokeText(int w, int h, const std::string& text, double x, double baseline, double height, double widthScale,
                double pen, double spacing) {
    Mask m(w, h);
    for (char ch : text) {
        auto it = StrokeFont().find(ch);
        if (it == StrokeFont().end()) {
            std::fprintf(stderr, "assetgen: no glyph for '%c'\n", ch);
            std::exit(1);
        }
        const Glyph& g = it->second;
        for (const auto& stroke : g.strokes) {
            std::vector<Point> pts;
            for (const Point& p : stroke)
                pts.push_back({x + pen + p.x * height * widthScale, baseline - height + p.y * height});
            m |= Stroke(w, h, pts, pen, pen);
        }
        x += g.width * height * widthScale + 2 * pen + spacing;
    }
    return m;
}

struct Box {
    int x0, y0, x1, y1;
};

Box Bounds(const Image& img) {
    Box b{img.Width(), img.Height(), -1, -1};
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (img.Get(x, y)) {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x);
                b.y1 = std::max(b.y1, y);
            }
    return b;
}

// Letters over their outline and extrusion: the look shared by the logo and every caption word.
void StyleLetters(Image& img, const Mask& letters, const LetterStyle& s) {
    Mask ring = letters.Dilated(s.outlinePixels);
    Mask depth(img.Width(), img.Height());
    for (int k = 1; k <= s.depthPixels; ++k) depth |= ring.Shifted(0, k);
    depth.Subtract(ring);
    img.Fill(depth, s.depth);
    Mask outer = ring;
    outer.Subtract(letters);
    img.Fill(outer, s.outline);
    Mask inner = letters.Dilated(1);
    inner.Subtract(letters);
    inner &= ring;
    img.Fill(inner, s.rim);
    // Bands from the top of the letters to their baseline.
    int top = img.Height(), bottom = 0;
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (letters.Get(x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ShadeVertical(img, letters, s.fill, top, bottom);
    // Shine on the edges that face the light.
    Mask shine(img.Width(), img.Height());
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (letters.Get(x, y) && letters.Get(x + 1, y + 1) && (!letters.Get(x, y - 1) || !letters.Get(x - 1, y)))
                shine.Set(x, y);
    img.Fill(shine, s.shine);
    // Shade on the edges away from it.
    Mask shade(img.Width(), img.Height());
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (letters.Get(x, y) && !shine.Get(x, y) && (!letters.Get(x, y + 1) || !letters.Get(x + 1, y)))
                shade.Set(x, y);
    img.Fill(shade, s.fill[0]);
    Outline(img, kInk);
}

}  // namespace

Image PaintWords(const std::string& text, double height, double width, double spacing, const LetterStyle& style) {
    const int w = static_cast<int>(text.size() * height * 1.2 + 64), h = static_cast<int>(height * 2 + 32);
    Image canvas(w, h);
    const Mask letters = StrokeText(w, h, text, 16, 16 + height, height, width, style.stroke, spacing);
    StyleLetters(canvas, letters, style);
    const Box b = Bounds(canvas);
    return canvas.Crop(b.x0, b.y0, b.x1 - b.x0 + 1, b.y1 - b.y0 + 1);
}

Mask PixelText(int w, int h, const std::string& text, int x, int y, int scale) {
    Mask m(w, h);
    for (char ch : text) {
        auto it = PixelFont().find(ch);
        if (it == PixelFont().end()) {
            std::fprintf(stderr, "assetgen: no pixel glyph for '%c'\n", ch);
            std::exit(1);
        }
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (it->second[static_cast<std::size_t>(row)][col] == '#')
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx) m.Set(x + col * scale + dx, y + row * scale + dy);
        x += 6 * scale;
    }
    return m;
}

int PixelTextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * scale - scale;
}

namespace {
// Places a finished word image centred in a bitmap of the required size; a word that does not fit is
// a fault in the tuning above, so it stops the generator.
Image Centre(const Image& word, int w, int h, const char* what) {
    if (word.Width() > w || word.Height() > h) {
        std::fprintf(stderr, "assetgen: %s is %dx%d, more than %dx%d\n", what, word.Width(), word.Height(), w, h);
        std::exit(1);
    }
    Image out(w, h);
    out.Blit(word, (w - word.Width()) / 2, (h - word.Height()) / 2);
    return out;
}
}  // namespace

Image MakeClear() {
    const LetterStyle s{{{RGB(226, 106, 20), RGB(246, 150, 30), RGB(255, 196, 52), RGB(255, 230, 120)}},
                        RGB(255, 252, 222), RGB(170, 70, 20), RGB(110, 36, 18), RGB(70, 22, 14), 5.0, 4, 3};
    return Centre(PaintWords("CLEAR", 42, 1.0, 3, s), 215, 65, "clear");
}

Image MakeMiss() {
    const LetterStyle s{{{RGB(36, 84, 196), RGB(62, 124, 228), RGB(104, 166, 248), RGB(166, 208, 255)}},
                        RGB(236, 246, 255), RGB(30, 50, 130), RGB(18, 26, 84), RGB(12, 16, 56), 5.0, 4, 3};
    return Centre(PaintWords("MISS", 39, 1.05, 6, s), 200, 62, "miss");
}

Image MakeGameOver() {
    const LetterStyle s{{{RGB(150, 22, 44), RGB(200, 40, 52), RGB(236, 84, 70), RGB(255, 146, 120)}},
                        RGB(255, 220, 200), RGB(96, 16, 36), RGB(58, 10, 30), RGB(36, 8, 24), 3.6, 3, 2};
    const Image game = PaintWords("GAME", 22, 1.1, 3, s);
    const Image over = PaintWords("OVER", 22, 1.1, 3, s);
    Image out(209, 70);
    // Two staggered lines read bigger than one long one in this box; the second may tuck under the
    // first's extrusion by a pixel or two.
    out.Blit(game, 6, 0);
    out.Blit(over, 209 - 6 - over.Width(), 70 - over.Height());
    if (game.Width() + 6 > 209 || over.Width() + 6 > 209 || game.Height() + over.Height() > 76) {
        std::fprintf(stderr, "assetgen: gameover does not fit\n");
        std::exit(1);
    }
    return out;
}

Image MakePushSpace() {
    const LetterStyle s{{{RGB(206, 196, 170), RGB(232, 226, 204), RGB(248, 246, 232), RGB(255, 255, 255)}},
                        RGB(255, 255, 255), RGB(96, 60, 36), RGB(60, 36, 24), RGB(40, 24, 18), 2.6, 2, 2};
    return Centre(PaintWords("PUSH SPACE KEY", 20, 0.92, 2, s), 285, 35, "pushspc");
}

Image MakeDigits() {
    const Ramp fill{{RGB(232, 176, 60), RGB(250, 214, 96), RGB(255, 240, 170), RGB(255, 255, 236)}};
    Image out(160, 16);
    for (int d = 0; d < 10; ++d) {
        Image cell(16, 16);
        Mask m(16, 16);
        for (int row = 0; row < 11; ++row)
            for (int col = 0; col < 8; ++col)
                if (kDigitRows[d][row][col] == '#') m.Set(4 + col, 2 + row);
        // A dark rim thick enough to read over leaves, then the ink line.
        Mask rim = m.Dilated(1);
        rim.Subtract(m);
        cell.Fill(rim, RGB(72, 40, 24));
        Mask drop = m.Shifted(1, 1);
        drop.Subtract(m);
        drop &= rim;
        cell.Fill(drop, RGB(52, 28, 18));
        ShadeVertical(cell, m, fill, 2, 12);
        Outline(cell, kInk);
        out.Blit(cell, d * 16, 0);
    }
    return out;
}

Image MakeCaption() {
    Image out(242, 35);
    // Label centres in caption pixels (the caption stands at x = 32): over the typical width of each
    // number, which grows leftwards from its units digit.
    struct Label {
        const char* text;
        int centre;
    };
    const Label labels[] = {{"SCORE", 88 - 32}, {"TIME", 160 - 32}, {"LEVEL", 240 - 32}};
    const Ramp fill{{RGB(168, 214, 110), RGB(214, 240, 160), RGB(250, 255, 226)}};
    for (const Label& l : labels) {
        const int width = PixelTextWidth(l.text, 2);
        const int x = l.centre - width / 2;
        // A wooden plaque behind the label keeps it readable over the canopy.
        Mask plaque = RoundRect(242, 35, x - 6, 12, x + width + 5, 31, 5);
        ShadeCushion(out, plaque, {{RGB(58, 40, 24), RGB(84, 58, 34), RGB(110, 78, 46)}}, 3.0, -0.1);
        Mask text = PixelText(242, 35, l.text, x, 15, 2);
        Mask rim = text.Dilated(1);
        rim.Subtract(text);
        out.Fill(rim, RGB(36, 22, 16));
        ShadeVertical(out, text, fill, 15, 28);
    }
    Outline(out, kInk);
    return out;
}

}  // namespace art
