#pragma once
// Drawing for the game's art: true-colour canvases whose value 0 is transparent (it becomes palette
// entry 0, black, in the written bitmap), boolean masks built from shapes, and the shading that gives
// every sprite the same look: hard bands of a material's shades, light from the top left, a dark outline.
#include <cstdint>
#include <string>
#include <vector>

namespace art {

// 0xRRGGBB; 0 is reserved for "transparent".
using Rgb = std::uint32_t;

constexpr Rgb RGB(int r, int g, int b) {
    return (static_cast<Rgb>(r) << 16) | (static_cast<Rgb>(g) << 8) | static_cast<Rgb>(b);
}
constexpr int Red(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int Green(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int Blue(Rgb c) { return static_cast<int>(c & 0xFF); }

// A colour that stays non-zero when the screen truncates it to 5 bits a channel.
constexpr bool SurvivesTruncation(Rgb c) { return ((Red(c) >> 3) | (Green(c) >> 3) | (Blue(c) >> 3)) != 0; }

// Shades of one material, darkest first.
struct Ramp {
    std::vector<Rgb> shades;
    Rgb operator[](int i) const;
    int Size() const { return static_cast<int>(shades.size()); }
};

// Deterministic: integer state only.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state(seed ? seed : 1u) {}
    std::uint32_t Next();
    int Below(int n);                 // 0 .. n-1
    int Range(int lo, int hi);        // lo .. hi inclusive
    bool Chance(int percent);

private:
    std::uint32_t state;
};

// Sine and cosine of an angle in degrees from basic IEEE operations only, so every compiler and
// library gives the same bits.
double SinDeg(double degrees);
double CosDeg(double degrees);

class Mask {
public:
    Mask() = default;
    Mask(int width, int height) : w(width), h(height), bits(static_cast<std::size_t>(width * height), 0) {}
    int Width() const { return w; }
    int Height() const { return h; }
    bool Get(int x, int y) const {
        return x >= 0 && y >= 0 && x < w && y < h && bits[static_cast<std::size_t>(y * w + x)] != 0;
    }
    void Set(int x, int y, bool on = true) {
        if (x >= 0 && y >= 0 && x < w && y < h) bits[static_cast<std::size_t>(y * w + x)] = on ? 1 : 0;
    }
    bool Empty() const;
    Mask& operator|=(const Mask& other);
    Mask& operator&=(const Mask& other);
    Mask& Subtract(const Mask& other);
    Mask Shifted(int dx, int dy) const;
    Mask Dilated(int radius) const;   // round pen
    Mask Eroded(int radius) const;
    Mask Edge() const;                // pixels with a 4-neighbour outside
    Mask Outside() const;             // pixels outside with a 4-neighbour inside

private:
    int w = 0, h = 0;
    std::vector<std::uint8_t> bits;
};

struct Point {
    double x, y;
};

// Shapes, in canvas pixels; a pixel (x, y) is inside when its centre (x, y) is.
Mask Ellipse(int w, int h, double cx, double cy, double rx, double ry);
Mask RotatedEllipse(int w, int h, double cx, double cy, double rx, double ry, double degrees);
Mask Rect(int w, int h, int x0, int y0, int x1, int y1);  // inclusive
Mask RoundRect(int w, int h, int x0, int y0, int x1, int y1, int radius);
Mask Polygon(int w, int h, const std::vector<Point>& points);
// A stroke along the points whose radius runs linearly from r0 at the first to r1 at the last point.
Mask Stroke(int w, int h, const std::vector<Point>& points, double r0, double r1);
// Points along an elliptical arc, degrees measured clockwise from +x (y grows downwards).
std::vector<Point> Arc(double cx, double cy, double rx, double ry, double fromDeg, double toDeg, int steps);

class Image {
public:
    Image() = default;
    Image(int width, int height) : w(width), h(height), px(static_cast<std::size_t>(width * height), 0) {}
    int Width() const { return w; }
    int Height() const { return h; }
    Rgb Get(int x, int y) const {
        return (x >= 0 && y >= 0 && x < w && y < h) ? px[static_cast<std::size_t>(y * w + x)] : 0;
    }
    void Set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[static_cast<std::size_t>(y * w + x)] = c;
    }
    void Fill(const Mask& mask, Rgb c);
    Mask Opaque() const;
    // Copies the opaque pixels of src with its top left at (x, y).
    void Blit(const Image& src, int x, int y);
    Image Crop(int x, int y, int width, int height) const;
    const std::vector<Rgb>& Pixels() const { return px; }

private:
    int w = 0, h = 0;
    std::vector<Rgb> px;
};

// Lit like a ball of the given centre and radii: the ramp's bands from the shadow side (bottom right)
// to a highlight at the top left.
void ShadeBall(Image& img, const Mask& mask, double cx, double cy, double rx, double ry, const Ramp& ramp,
               double bias = 0.0);
// Lit like a cushion: flat in the middle, rounded within `rim` pixels of the edge.
void ShadeCushion(Image& img, const Mask& mask, const Ramp& ramp, double rim, double bias = 0.0);
// Bands by height: the top of the mask light, the bottom dark (for flat shapes such as lettering).
void ShadeVertical(Image& img, const Mask& mask, const Ramp& ramp, int top, int bottom);
// Where the mask meets pixels already drawn, its own edge gets `line`: the separation between parts.
void InnerLines(Image& img, const Mask& mask, Rgb line);
// Every transparent pixel beside an opaque one (4-neighbours) becomes `c`.
void Outline(Image& img, Rgb c);

// An uncompressed 8-bit bottom-up BMP whose colour table holds black first and then the image's colours
// in order of first use from the top left. Fails (empty result) beyond 255 colours.
std::vector<std::uint8_t> EncodeBmp8(const Image& img);
// 24-bit BMP, for the contact sheet and the mock scene.
std::vector<std::uint8_t> EncodeBmp24(const Image& img);

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace art
