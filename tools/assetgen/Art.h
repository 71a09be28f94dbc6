#pragma once
// The game's pictures: one shared set of materials and the routines that paint each bitmap.
#include <string>
#include <vector>

#include "Raster.h"

namespace art {

// A material: its shades, darkest first, and the line that separates it from parts behind it.
struct Material {
    Ramp ramp;
    Rgb line;
};

// Every sprite's silhouette.
inline constexpr Rgb kInk = RGB(40, 22, 20);
inline constexpr Rgb kWhite = RGB(255, 255, 255);

const Material& Fur();
const Material& TailFur();
const Material& Cream();
const Material& EarPink();

// Draws in cell coordinates scaled by `scale` and moved to (ox, oy), so one pose serves both a
// 64 x 64 cell and the title's large squirrel.
class Painter {
public:
    Painter(Image& image, double ox, double oy, double scale) : img(image), x0(ox), y0(oy), s(scale) {}
    Image& Target() { return img; }
    double X(double x) const { return x0 + x * s; }
    double Y(double y) const { return y0 + y * s; }
    double S() const { return s; }
    Mask Oval(double cx, double cy, double rx, double ry) const;
    Mask Oval(double cx, double cy, double rx, double ry, double degrees) const;
    Mask Line(const std::vector<Point>& pts, double r0, double r1) const;
    Mask Poly(const std::vector<Point>& pts) const;
    // Shaded like a ball around (cx, cy) with radii (rx, ry), lined where it meets earlier parts.
    void Ball(const Mask& m, double cx, double cy, double rx, double ry, const Material& mat, double bias = 0.0);
    void Cushion(const Mask& m, const Material& mat, double rim, double bias = 0.0);
    void Flat(const Mask& m, Rgb c) { img.Fill(m, c); }
    void Dot(double x, double y, Rgb c);

private:
    Image& img;
    double x0, y0, s;
};

// Squirrel poses, each painted with its feet where the frame offsets expect them.
enum class Pose { kSitSide, kSitFront, kSitBack, kWalkSide, kWalkBack, kWalkFront, kHoldNut, kCheer };
void PaintSquirrel(Painter& p, Pose pose, int phase);

Image MakeSquirrelSheet();                 // risu 256 x 256
Image MakeNutSheet();                      // kinomi 128 x 64
void PaintNut(Painter& p, int kind);       // into a 32 x 32 cell
Image MakeBackground();                    // bg 320 x 240
Image MakeLeaves();                        // leaf 320 x 80
Image MakeBalloon();                       // baloon 192 x 96
Image MakeShadow();                        // shadow 32 x 32
Image MakeCursor();                        // cursor32 160 x 40
Image MakeRest();                          // rest 32 x 32
Image MakeCross();                         // batsu 32 x 32
Image MakeDigits();                        // suuji 160 x 16
Image MakeCaption();                       // caption 242 x 35
Image MakeTitle();                         // title 223 x 156
Image MakeClear();                         // clear 215 x 65
Image MakeMiss();                          // miss 200 x 62
Image MakeGameOver();                      // gameover 209 x 70
Image MakePushSpace();                     // pushspc 285 x 35
Image MakeSignFont();                      // signfont 128 x 72: the signs' glyphs, codes 32-127 in 8 x 12 cells

// Lettering.
struct LetterStyle {
    Ramp fill;          // top to bottom bands, darkest first
    Rgb shine;          // a highlight along the upper left inside edge
    Rgb rim;            // first outline ring
    Rgb outline;        // outer outline
    Rgb depth;          // extrusion below the letters
    double stroke;      // pen radius in pixels
    int depthPixels;
    int outlinePixels;
};
// Stroke-font text: `height` is the capital height in pixels, `width` stretches the glyphs; the
// result is cropped to the styled letters.
Image PaintWords(const std::string& text, double height, double width, double spacing, const LetterStyle& style);
// The 5 x 7 pixel font of the labels, each pixel a `scale` square.
Mask PixelText(int w, int h, const std::string& text, int x, int y, int scale);
int PixelTextWidth(const std::string& text, int scale);

}  // namespace art
