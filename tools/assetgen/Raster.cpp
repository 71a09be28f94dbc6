#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

namespace art {

Rgb Ramp::operator[](int i) const {
    if (shades.empty()) return 0;
    return shades[static_cast<std::size_t>(std::clamp(i, 0, Size() - 1))];
}

std::uint32_t Rng::Next() {
    // xorshift32: a fixed sequence for a fixed seed on every platform.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

int Rng::Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
int Rng::Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
bool Rng::Chance(int percent) { return Below(100) < percent; }

namespace {
constexpr double kPi = 3.14159265358979323846;

// sin on [-pi/2, pi/2] by its Taylor series, Horner form.
double SinSmall(double x) {
    const double x2 = x * x;
    double t = 1.0 / 6227020800.0;  // 1/13!
    t = 1.0 / 39916800.0 - x2 * t;
    t = 1.0 / 362880.0 - x2 * t;
    t = 1.0 / 5040.0 - x2 * t;
    t = 1.0 / 120.0 - x2 * t;
    t = 1.0 / 6.0 - x2 * t;
    t = 1.0 - x2 * t;
    return x * t;
}
}  // namespace

double SinDeg(double degrees) {
    double d = degrees - 360.0 * std::floor(degrees / 360.0);  // 0 .. 360
    if (d > 180.0) d -= 360.0;                                 // -180 .. 180
    if (d > 90.0) d = 180.0 - d;
    if (d < -90.0) d = -180.0 - d;
    return SinSmall(d * kPi / 180.0);
}

double CosDeg(double degrees) { return SinDeg(degrees + 90.0); }

bool Mask::Empty() const {
    return std::none_of(bits.begin(), bits.end(), [](std::uint8_t b) { return b != 0; });
}

Mask& Mask::operator|=(const Mask& other) {
    for (std::size_t i = 0; i < bits.size() && i < other.bits.size(); ++i) bits[i] |= other.bits[i];
    return *this;
}

Mask& Mask::operator&=(const Mask& other) {
    for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = (i < other.bits.size()) ? (bits[i] & other.bits[i]) : 0;
    return *this;
}

Mask& Mask::Subtract(const Mask& other) {
    for (std::size_t i = 0; i < bits.size() && i < other.bits.size(); ++i)
        if (other.bits[i]) bits[i] = 0;
    return *this;
}

Mask Mask::Shifted(int dx, int dy) const {
    Mask out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (Get(x - dx, y - dy)) out.Set(x, y);
    return out;
}

Mask Mask::Dilated(int radius) const {
    Mask out(w, h);
    const int r2 = radius * radius + radius;  // a rounder pen than r*r
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!Get(x, y)) continue;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx)
                    if (dx * dx + dy * dy <= r2) out.Set(x + dx, y + dy);
        }
    return out;
}

Mask Mask::Eroded(int radius) const {
    Mask inverse(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) inverse.Set(x, y, !Get(x, y));
    Mask grown = inverse.Dilated(radius);
    Mask out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.Set(x, y, Get(x, y) && !grown.Get(x, y));
    return out;
}

Mask Mask::Edge() const {
    Mask out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (Get(x, y) && (!Get(x - 1, y) || !Get(x + 1, y) || !Get(x, y - 1) || !Get(x, y + 1))) out.Set(x, y);
    return out;
}

Mask Mask::Outside() const {
    Mask out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!Get(x, y) && (Get(x - 1, y) || Get(x + 1, y) || Get(x, y - 1) || Get(x, y + 1))) out.Set(x, y);
    return out;
}

Mask Ellipse(int w, int h, double cx, double cy, double rx, double ry) {
    Mask m(w, h);
    if (rx <= 0 || ry <= 0) return m;
    const int x0 = std::max(0, static_cast<int>(std::floor(cx - rx)) - 1);
    const int x1 = std::min(w - 1, static_cast<int>(std::ceil(cx + rx)) + 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(cy - ry)) - 1);
    const int y1 = std::min(h - 1, static_cast<int>(std::ceil(cy + ry)) + 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double u = (x - cx) / rx, v = (y - cy) / ry;
            if (u * u + v * v <= 1.0) m.Set(x, y);
        }
    return m;
}

Mask RotatedEllipse(int w, int h, double cx, double cy, double rx, double ry, double degrees) {
    Mask m(w, h);
    const double c = CosDeg(degrees), s = SinDeg(degrees);
    const double r = std::max(rx, ry) + 1;
    for (int y = std::max(0, static_cast<int>(cy - r)); y <= std::min(h - 1, static_cast<int>(cy + r)); ++y)
        for (int x = std::max(0, static_cast<int>(cx - r)); x <= std::min(w - 1, static_cast<int>(cx + r)); ++x) {
            const double dx = x - cx, dy = y - cy;
            const double u = (dx * c + dy * s) / rx, v = (-dx * s + dy * c) / ry;
            if (u * u + v * v <= 1.0) m.Set(x, y);
        }
    return m;
}

Mask Rect(int w, int h, int x0, int y0, int x1, int y1) {
    Mask m(w, h);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) m.Set(x, y);
    return m;
}

Mask RoundRect(int w, int h, int x0, int y0, int x1, int y1, int radius) {
    Mask m(w, h);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const int cx = std::clamp(x, x0 + radius, x1 - radius);
            const int cy = std::clamp(y, y0 + radius, y1 - radius);
            const int dx = x - cx, dy = y - cy;
            if (dx * dx + dy * dy <= radius * radius + radius / 2) m.Set(x, y);
        }
    return m;
}

Mask Polygon(int w, int h, const std::vector<Point>& pts) {
    Mask m(w, h);
    const std::size_t n = pts.size();
    if (n < 3) return m;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool inside = false;
            for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
                const Point& a = pts[i];
                const Point& b = pts[j];
                if ((a.y > y) != (b.y > y)) {
                    const double xc = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
                    if (x < xc) inside = !inside;
                }
            }
            if (inside) m.Set(x, y);
        }
    return m;
}

Mask Stroke(int w, int h, const std::vector<Point>& pts, double r0, double r1) {
    Mask m(w, h);
    if (pts.empty()) return m;
    double total = 0;
    std::vector<double> at(pts.size(), 0.0);
    for (std::size_t i = 1; i < pts.size(); ++i) {
        const double dx = pts[i].x - pts[i - 1].x, dy = pts[i].y - pts[i - 1].y;
        total += std::sqrt(dx * dx + dy * dy);
        at[i] = total;
    }
    auto radiusAt = [&](double s) { return total > 0 ? r0 + (r1 - r0) * (s / total) : r0; };
    const double rmax = std::max(r0, r1);
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const Point a = pts[i];
        const Point b = (i + 1 < pts.size()) ? pts[i + 1] : pts[i];
        const int xa = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - rmax - 1)));
        const int xb = std::min(w - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + rmax + 1)));
        const int ya = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - rmax - 1)));
        const int yb = std::min(h - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + rmax + 1)));
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double len2 = dx * dx + dy * dy;
        const double segLen = std::sqrt(len2);
        for (int y = ya; y <= yb; ++y)
            for (int x = xa; x <= xb; ++x) {
                double t = 0;
                if (len2 > 0) t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / len2, 0.0, 1.0);
                const double px = a.x + t * dx - x, py = a.y + t * dy - y;
                const double r = radiusAt(at[i] + t * segLen);
                if (px * px + py * py <= r * r) m.Set(x, y);
            }
    }
    return m;
}

std::vector<Point> Arc(double cx, double cy, double rx, double ry, double fromDeg, double toDeg, int steps) {
    std::vector<Point> pts;
    for (int i = 0; i <= steps; ++i) {
        const double a = fromDeg + (toDeg - fromDeg) * i / steps;
        pts.push_back({cx + rx * CosDeg(a), cy + ry * SinDeg(a)});
    }
    return pts;
}

void Image::Fill(const Mask& mask, Rgb c) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (mask.Get(x, y)) Set(x, y, c);
}

Mask Image::Opaque() const {
    Mask m(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (Get(x, y) != 0) m.Set(x, y);
    return m;
}

void Image::Blit(const Image& src, int x, int y) {
    for (int sy = 0; sy < src.h; ++sy)
        for (int sx = 0; sx < src.w; ++sx)
            if (Rgb c = src.Get(sx, sy)) Set(x + sx, y + sy, c);
}

Image Image::Crop(int x, int y, int width, int height) const {
    Image out(width, height);
    for (int yy = 0; yy < height; ++yy)
        for (int xx = 0; xx < width; ++xx) out.Set(xx, yy, Get(x + xx, y + yy));
    return out;
}

namespace {
// Light from the top left, a little in front.
constexpr double kLx = -0.50, kLy = -0.62, kLz = 0.60;

int Band(double intensity, int shades) {
    // Four shades: shadow, body, light, highlight. Thresholds chosen so that a ball shows a narrow
    // highlight and a crescent of shadow.
    static const double k4[] = {0.18, 0.55, 0.86};
    static const double k3[] = {0.25, 0.72};
    static const double k2[] = {0.35};
    const double* t = shades >= 4 ? k4 : shades == 3 ? k3 : k2;
    const int n = shades >= 4 ? 3 : shades - 1;
    int band = 0;
    for (int i = 0; i < n; ++i)
        if (intensity >= t[i]) band = i + 1;
    if (shades > 4) band = band * (shades - 1) / 3;
    return band;
}
}  // namespace

void ShadeBall(Image& img, const Mask& mask, double cx, double cy, double rx, double ry, const Ramp& ramp,
               double bias) {
    const double len = std::sqrt(kLx * kLx + kLy * kLy + kLz * kLz);
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            if (!mask.Get(x, y)) continue;
            double u = (x - cx) / rx, v = (y - cy) / ry;
            double q = u * u + v * v;
            if (q > 1.0) {
                const double s = 1.0 / std::sqrt(q);
                u *= s;
                v *= s;
                q = 1.0;
            }
            const double z = std::sqrt(1.0 - q);
            const double i = (u * kLx + v * kLy + z * kLz) / len + bias;
            img.Set(x, y, ramp[Band(i, ramp.Size())]);
        }
}

void ShadeCushion(Image& img, const Mask& mask, const Ramp& ramp, double rim, double bias) {
    const int w = img.Width(), h = img.Height();
    // Chamfer distance to the outside (3-4 weights, so 3 = one pixel).
    std::vector<int> d(static_cast<std::size_t>(w * h), 0);
    const int kBig = 1 << 20;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) d[static_cast<std::size_t>(y * w + x)] = mask.Get(x, y) ? kBig : 0;
    auto at = [&](int x, int y) -> int {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0;
        return d[static_cast<std::size_t>(y * w + x)];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int& v = d[static_cast<std::size_t>(y * w + x)];
            if (!v) continue;
            v = std::min({v, at(x - 1, y) + 3, at(x, y - 1) + 3, at(x - 1, y - 1) + 4, at(x + 1, y - 1) + 4});
        }
    for (int y = h - 1; y >= 0; --y)
        for (int x = w - 1; x >= 0; --x) {
            int& v = d[static_cast<std::size_t>(y * w + x)];
            if (!v) continue;
            v = std::min({v, at(x + 1, y) + 3, at(x, y + 1) + 3, at(x + 1, y + 1) + 4, at(x - 1, y + 1) + 4});
        }
    auto height = [&](int x, int y) {
        const double dist = at(x, y) / 3.0;
        const double t = std::min(dist / rim, 1.0);
        return std::sqrt(t * (2.0 - t)) * rim;  // a quarter circle profile
    };
    const double len = std::sqrt(kLx * kLx + kLy * kLy + kLz * kLz);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!mask.Get(x, y)) continue;
            const double gx = (height(x + 1, y) - height(x - 1, y)) / 2.0;
            const double gy = (height(x, y + 1) - height(x, y - 1)) / 2.0;
            const double nx = -gx, ny = -gy, nz = 1.0;
            const double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
            const double i = (nx * kLx + ny * kLy + nz * kLz) / (nl * len) + bias;
            img.Set(x, y, ramp[Band(i, ramp.Size())]);
        }
}

void ShadeVertical(Image& img, const Mask& mask, const Ramp& ramp, int top, int bottom) {
    const int n = ramp.Size();
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            if (!mask.Get(x, y)) continue;
            int band = bottom > top ? (bottom - y) * n / (bottom - top + 1) : n - 1;
            img.Set(x, y, ramp[std::clamp(band, 0, n - 1)]);
        }
}

void InnerLines(Image& img, const Mask& mask, Rgb line) {
    std::vector<Point> marks;
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            if (!mask.Get(x, y)) continue;
            const int nx[4] = {x - 1, x + 1, x, x};
            const int ny[4] = {y, y, y - 1, y + 1};
            for (int k = 0; k < 4; ++k)
                if (!mask.Get(nx[k], ny[k]) && img.Get(nx[k], ny[k]) != 0) {
                    marks.push_back({static_cast<double>(x), static_cast<double>(y)});
                    break;
                }
        }
    for (const Point& p : marks) img.Set(static_cast<int>(p.x), static_cast<int>(p.y), line);
}

void Outline(Image& img, Rgb c) {
    const Mask ring = img.Opaque().Outside();
    img.Fill(ring, c);
}

namespace {
void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutHeader(std::vector<std::uint8_t>& out, int w, int h, int bits, std::uint32_t colours, std::uint32_t imageSize) {
    const std::uint32_t offset = 14 + 40 + colours * 4;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + imageSize);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(w));
    Put32(out, static_cast<std::uint32_t>(h));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, colours);
    Put32(out, 0);
}
}  // namespace

std::vector<std::uint8_t> EncodeBmp8(const Image& img) {
    std::vector<Rgb> table{0};
    std::map<Rgb, std::uint8_t> index{{0, 0}};
    for (Rgb c : img.Pixels()) {
        if (index.count(c)) continue;
        if (!SurvivesTruncation(c)) {
            std::fprintf(stderr, "assetgen: colour %06X would turn transparent on a 16-bit screen\n", c);
            return {};
        }
        if (table.size() >= 256) return {};
        index[c] = static_cast<std::uint8_t>(table.size());
        table.push_back(c);
    }
    const int stride = (img.Width() + 3) & ~3;
    std::vector<std::uint8_t> out;
    PutHeader(out, img.Width(), img.Height(), 8, static_cast<std::uint32_t>(table.size()),
              static_cast<std::uint32_t>(stride * img.Height()));
    for (Rgb c : table) {
        out.push_back(static_cast<std::uint8_t>(Blue(c)));
        out.push_back(static_cast<std::uint8_t>(Green(c)));
        out.push_back(static_cast<std::uint8_t>(Red(c)));
        out.push_back(0);
    }
    for (int y = img.Height() - 1; y >= 0; --y)
        for (int x = 0; x < stride; ++x) out.push_back(x < img.Width() ? index[img.Get(x, y)] : 0);
    return out;
}

std::vector<std::uint8_t> EncodeBmp24(const Image& img) {
    const int stride = (img.Width() * 3 + 3) & ~3;
    std::vector<std::uint8_t> out;
    PutHeader(out, img.Width(), img.Height(), 24, 0, static_cast<std::uint32_t>(stride * img.Height()));
    for (int y = img.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < img.Width(); ++x) {
            const Rgb c = img.Get(x, y);
            out.push_back(static_cast<std::uint8_t>(Blue(c)));
            out.push_back(static_cast<std::uint8_t>(Green(c)));
            out.push_back(static_cast<std::uint8_t>(Red(c)));
        }
        for (int p = img.Width() * 3; p < stride; ++p) out.push_back(0);
    }
    return out;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

}  // namespace art
