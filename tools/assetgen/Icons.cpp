// The desktop icons: the squirrel's head, as on the life marks, drawn smooth at 32, 64 and 128 pixels
// and written as RGBA PNG files. The PNG writer is our own (stored deflate blocks need no compressor),
// and the drawing uses basic IEEE arithmetic only, so every build writes the same bytes.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Colour {
    double r, g, b;
};

constexpr Colour Rgb(int r, int g, int b) { return {double(r), double(g), double(b)}; }

Colour Mix(Colour a, Colour b, double t) {
    if (t < 0) t = 0;
    if (t > 1) t = 1;
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// The life mark's materials, darkest first.
constexpr Colour kInk = Rgb(40, 22, 20);
constexpr Colour kFur[] = {Rgb(128, 54, 26), Rgb(186, 90, 36), Rgb(222, 132, 54), Rgb(246, 180, 100)};
constexpr Colour kCream[] = {Rgb(206, 156, 110), Rgb(238, 206, 160), Rgb(252, 238, 206)};
constexpr Colour kEarPink = Rgb(232, 146, 132);
constexpr Colour kCheek = Rgb(232, 146, 132);
constexpr Colour kEye = Rgb(34, 18, 24);
constexpr Colour kNose = Rgb(88, 36, 36);
constexpr Colour kWhite = Rgb(255, 255, 255);

// 20 degrees, for the tilted ears; literals rather than the maths library keep the bits fixed.
constexpr double kCos20 = 0.93969262078590838;
constexpr double kSin20 = 0.34202014332566873;

// An ellipse in the 32-unit design grid, tilted by +-20 degrees or not at all.
struct Oval {
    double cx, cy, rx, ry;
    int tilt;  // -1, 0 or +1: 20 degrees anticlockwise, upright, clockwise

    bool Contains(double x, double y, double grow = 0.0) const {
        double dx = x - cx, dy = y - cy;
        if (tilt != 0) {
            const double s = tilt * kSin20;
            const double u = dx * kCos20 + dy * s;
            const double v = -dx * s + dy * kCos20;
            dx = u;
            dy = v;
        }
        const double a = rx + grow, b = ry + grow;
        return (dx * dx) / (a * a) + (dy * dy) / (b * b) <= 1.0;
    }
    // 0 at the centre, 1 on the rim.
    double Depth(double x, double y) const {
        const double dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy;
    }
};

// A stroke of round ends between two points, its radius going from r0 to r1.
struct Stroke {
    double x0, y0, x1, y1, r0, r1;

    bool Contains(double x, double y, double grow = 0.0) const {
        const double vx = x1 - x0, vy = y1 - y0;
        double t = ((x - x0) * vx + (y - y0) * vy) / (vx * vx + vy * vy);
        if (t < 0) t = 0;
        if (t > 1) t = 1;
        const double px = x0 + vx * t - x, py = y0 + vy * t - y;
        const double r = r0 + (r1 - r0) * t + grow;
        return px * px + py * py <= r * r;
    }
};

constexpr Oval kHead{16.0, 18.5, 11.0, 9.5, 0};
constexpr Oval kEars[] = {{8.0, 10.0, 3.2, 5.2, -1}, {24.0, 10.0, 3.2, 5.2, +1}};
constexpr Oval kInnerEars[] = {{8.2, 11.0, 1.4, 3.0, -1}, {24.2, 11.0, 1.4, 3.0, +1}};
constexpr Stroke kTufts[] = {{7.5, 5.5, 6.3, 2.4, 0.9, 0.35}, {24.5, 5.5, 25.7, 2.4, 0.9, 0.35}};
constexpr Oval kMuzzle[] = {{16.0, 23.5, 5.5, 3.6, 0}, {10.0, 22.0, 4.2, 3.0, 0}, {22.0, 22.0, 4.2, 3.0, 0}};
constexpr Oval kEyes[] = {{11.0, 17.0, 1.6, 2.2, 0}, {21.0, 17.0, 1.6, 2.2, 0}};
constexpr Oval kGlints[] = {{10.4, 16.1, 0.55, 0.6, 0}, {20.4, 16.1, 0.55, 0.6, 0}};
constexpr Oval kNoseOval{16.2, 21.0, 1.7, 1.1, 0};
constexpr Oval kCheeks[] = {{6.5, 21.5, 1.5, 1.0, 0}, {25.5, 21.5, 1.5, 1.0, 0}};
constexpr Stroke kMouth[] = {{16.2, 21.8, 16.2, 23.0, 0.32, 0.32}, {16.2, 23.0, 15.2, 23.8, 0.3, 0.3},
                             {15.2, 23.8, 14.2, 23.3, 0.3, 0.3},   {16.2, 23.0, 17.2, 23.8, 0.3, 0.3},
                             {17.2, 23.8, 18.2, 23.3, 0.3, 0.3}};

// Fur shaded like a ball lit from the top left: brightest around (hx, hy), darkest at the rim.
Colour FurAt(const Oval& o, double x, double y, double hx, double hy) {
    const double lit = ((x - hx) * (x - hx) + (y - hy) * (y - hy)) / (o.rx * o.ry * 1.6);
    const double rim = o.Depth(x, y);
    double t = 1.0 - lit;            // 1 at the highlight
    t -= rim > 0.75 ? (rim - 0.75) * 1.6 : 0.0;
    if (t > 0.72) return Mix(kFur[2], kFur[3], (t - 0.72) / 0.28);
    if (t > 0.30) return Mix(kFur[1], kFur[2], (t - 0.30) / 0.42);
    return Mix(kFur[0], kFur[1], t / 0.30);
}

// The colour under one point of the design grid; false where the icon is transparent.
bool Sample(double x, double y, double outline, Colour& out) {
    bool inside = false;
    if (kHead.Contains(x, y, outline)) inside = true;
    for (const Oval& e : kEars) inside = inside || e.Contains(x, y, outline);
    for (const Stroke& t : kTufts) inside = inside || t.Contains(x, y, outline);
    if (!inside) return false;
    out = kInk;
    for (int i = 0; i < 2; ++i) {
        if (kEars[i].Contains(x, y)) {
            out = FurAt(kEars[i], x, y, kEars[i].cx - 1.0, kEars[i].cy - 2.0);
            if (kInnerEars[i].Contains(x, y)) out = kEarPink;
        }
        if (kTufts[i].Contains(x, y)) out = kFur[0];
    }
    if (kHead.Contains(x, y)) {
        out = FurAt(kHead, x, y, 12.5, 13.5);
        bool muzzle = false;
        for (const Oval& m : kMuzzle) muzzle = muzzle || m.Contains(x, y);
        if (muzzle) {
            // Lit from above: the cream darkens towards the chin.
            const double t = (y - 19.0) / 8.0;
            out = t < 0.5 ? Mix(kCream[2], kCream[1], t * 2.0) : Mix(kCream[1], kCream[0], (t - 0.5) * 2.0);
            // A soft edge where the cream meets the fur.
            bool deep = false;
            for (const Oval& m : kMuzzle) deep = deep || m.Contains(x, y, -0.45);
            if (!deep) out = Mix(out, kFur[1], 0.45);
        }
        for (const Oval& c : kCheeks) {
            if (c.Contains(x, y)) out = kCheek;
        }
        for (int i = 0; i < 2; ++i) {
            if (kEyes[i].Contains(x, y)) out = kGlints[i].Contains(x, y) ? kWhite : kEye;
        }
        if (kNoseOval.Contains(x, y)) out = kNose;
        for (const Stroke& m : kMouth) {
            if (m.Contains(x, y)) out = kNose;
        }
    }
    return true;
}

// size x size RGBA, rows top first, straight (not premultiplied) alpha.
std::vector<std::uint8_t> DrawIcon(int size) {
    constexpr int kSub = 4;  // samples a side of each pixel
    const double unit = 32.0 / size;
    // The outline stays about one pixel of the 32-pixel icon wide, thinner in units as the icon grows.
    const double outline = size <= 32 ? 1.0 : (size <= 64 ? 0.75 : 0.6);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0;
            int covered = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const double x = (px + (sx + 0.5) / kSub) * unit;
                    const double y = (py + (sy + 0.5) / kSub) * unit;
                    Colour c{};
                    if (!Sample(x, y, outline, c)) continue;
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    ++covered;
                }
            }
            std::uint8_t* p = &rgba[(static_cast<std::size_t>(py) * size + px) * 4];
            if (covered == 0) continue;
            p[0] = static_cast<std::uint8_t>(r / covered + 0.5);
            p[1] = static_cast<std::uint8_t>(g / covered + 0.5);
            p[2] = static_cast<std::uint8_t>(b / covered + 0.5);
            p[3] = static_cast<std::uint8_t>((covered * 255 + kSub * kSub / 2) / (kSub * kSub));
        }
    }
    return rgba;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& png, const char type[4], const std::vector<std::uint8_t>& data) {
    Put32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    Put32(png, Crc32(&png[start], png.size() - start));
}

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
    // Each row behind filter type 0 (none).
    std::vector<std::uint8_t> raw;
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + static_cast<long>(y * stride), rgba.begin() + static_cast<long>((y + 1) * stride));
    }
    // A zlib stream of stored blocks, at most 65535 bytes each.
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::size_t offset = 0;
    do {
        const std::size_t n = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
        const bool last = offset + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n & 0xFF));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n & 0xFF));
        z.push_back(static_cast<std::uint8_t>((~n >> 8) & 0xFF));
        z.insert(z.end(), raw.begin() + static_cast<long>(offset), raw.begin() + static_cast<long>(offset + n));
        offset += n;
    } while (offset < raw.size());
    Put32(z, Adler32(raw));

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    Put32(header, static_cast<std::uint32_t>(width));
    Put32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits a channel, RGBA, deflate, no filter choice, no interlace
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    return png;
}

}  // namespace

// A 32-bit bitmap with an alpha channel (BITMAPV4HEADER, bit fields), the one kind of image with
// alpha that SDL reads without an image library: the window's icon is embedded in this form.
static std::vector<std::uint8_t> EncodeBmp32(int width, int height, const std::vector<std::uint8_t>& rgba) {
    constexpr std::uint32_t kFileHeader = 14, kInfoHeader = 108;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 4;
    std::vector<std::uint8_t> out;
    auto le16 = [&](std::uint32_t v) { out.push_back(v & 0xFF), out.push_back((v >> 8) & 0xFF); };
    auto le32 = [&](std::uint32_t v) { le16(v & 0xFFFF), le16(v >> 16); };
    out.push_back('B');
    out.push_back('M');
    le32(kFileHeader + kInfoHeader + pixelBytes);
    le32(0);
    le32(kFileHeader + kInfoHeader);
    le32(kInfoHeader);
    le32(static_cast<std::uint32_t>(width));
    le32(static_cast<std::uint32_t>(height));  // bottom-up
    le16(1);
    le16(32);
    le32(3);  // BI_BITFIELDS
    le32(pixelBytes);
    le32(2835), le32(2835), le32(0), le32(0);
    le32(0x00FF0000), le32(0x0000FF00), le32(0x000000FF), le32(0xFF000000);
    le32(0x73524742);  // 'sRGB'
    for (int i = 0; i < 12; ++i) le32(0);  // endpoints and gamma, unused with sRGB
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    return out;
}

std::vector<std::uint8_t> WindowIcon() { return EncodeBmp32(64, 64, DrawIcon(64)); }

// Writes icon-32.png, icon-64.png and icon-128.png into `dir`; false when a file cannot be written.
bool WriteIcons(const std::string& dir) {
    for (int size : {32, 64, 128}) {
        const std::vector<std::uint8_t> png = EncodePng(size, size, DrawIcon(size));
        const std::string path = dir + "/icon-" + std::to_string(size) + ".png";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return false;
        const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
        if (std::fclose(f) != 0 || !ok) return false;
    }
    return true;
}
