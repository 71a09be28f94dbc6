#include "platform/SignPainter.h"

#include <algorithm>
#include <utility>

#include "platform/MessageFace.h"
#include "platform/Resources.h"

namespace platform {

namespace {

// Bytes of the UTF-8 character that starts with `lead` (a stray continuation byte counts as one).
std::size_t CharBytes(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// Breaks one word that is too wide by itself into pieces that fit: after a '/' or '-' of it where
// there is one (a path reads best cut at its folders), else between any two characters.
void BreakWord(const std::string& word, int maxWidth, const std::function<int(const std::string&)>& measure,
               std::vector<std::string>& lines, std::string& current) {
    std::size_t wordStart = current.size();  // where the word's part in `current` begins
    for (std::size_t i = 0; i < word.size();) {
        const std::size_t n = std::min(CharBytes(static_cast<unsigned char>(word[i])), word.size() - i);
        const std::string next = current + word.substr(i, n);
        if (!current.empty() && measure(next) > maxWidth) {
            const std::size_t cut = current.find_last_of("/-");
            if (cut != std::string::npos && cut >= wordStart && cut + 1 < current.size()) {
                lines.push_back(current.substr(0, cut + 1));
                current = current.substr(cut + 1) + word.substr(i, n);
            } else {
                lines.push_back(current);
                current = word.substr(i, n);
            }
            wordStart = 0;
        } else {
            current = next;
        }
        i += n;
    }
}

constexpr Uint8 kBoxAlpha = 184;
constexpr int kCellWidth = 8;    // the lettering's cells, picture pixels
constexpr int kCellHeight = 12;
constexpr int kCellColumns = 16;
constexpr int kFirstCode = 32;
constexpr int kRecordingDot = 127;  // the lettering's cell for U+25CF
constexpr int kSpaceWidth = 4;      // picture pixels, overlapping its neighbours' rims as any glyph
constexpr int kFaceUnitPixels = 12;  // the text face's size per unit, as the draw device's text
constexpr int kFallbackAdvance = 6;  // picture pixels a character takes when the lettering is missing

// The cells of the lettering `utf8` is written in: code points 32-126 as themselves, U+25CF as the
// recording dot, U+2026 as three points; -1 for a character the lettering lacks.
std::vector<int> Cells(std::string_view utf8) {
    std::vector<int> cells;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = std::min(CharBytes(lead), utf8.size() - i);
        std::uint32_t code = lead;
        if (n > 1) {
            code = lead & (0xFFu >> (n + 1));
            for (std::size_t k = 1; k < n; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        i += n;
        if (code >= 32 && code <= 126) {
            cells.push_back(static_cast<int>(code));
        } else if (code == 0x25CF) {
            cells.push_back(kRecordingDot);
        } else if (code == 0x2026) {
            cells.insert(cells.end(), {'.', '.', '.'});
        } else {
            cells.push_back(-1);
        }
    }
    return cells;
}

// Drops the last UTF-8 character of `text`.
void PopChar(std::string& text) {
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
    if (!text.empty()) text.pop_back();
}

// Keeps the first `most` lines; the last one kept then ends in "..." within `maxWidth`.
void Shorten(std::vector<std::string>& lines, std::size_t most, int maxWidth,
             const std::function<int(const std::string&)>& measure) {
    if (lines.size() <= most) return;
    lines.resize(std::max<std::size_t>(1, most));
    std::string& last = lines.back();
    while (!last.empty() && measure(last + "...") > maxWidth) PopChar(last);
    last += "...";
}

}  // namespace

std::vector<std::string> WrapText(std::string_view utf8, int maxWidth,
                                  const std::function<int(const std::string&)>& measure) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos) end = utf8.size();
        std::string_view paragraph = utf8.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
        std::string current;
        std::size_t pos = 0;
        while (pos < paragraph.size()) {
            const std::size_t space = paragraph.find(' ', pos);
            const std::size_t wordEnd = space == std::string_view::npos ? paragraph.size() : space;
            const std::string word(paragraph.substr(pos, wordEnd - pos));
            pos = wordEnd + 1;
            if (word.empty()) continue;
            const std::string joined = current.empty() ? word : current + " " + word;
            if (measure(joined) <= maxWidth) {
                current = joined;
            } else if (measure(word) <= maxWidth) {
                if (!current.empty()) lines.push_back(current);
                current = word;
            } else {
                if (!current.empty()) current += " ";
                BreakWord(word, maxWidth, measure, lines, current);
            }
        }
        // An empty paragraph between two others is a blank line that the writer meant.
        if (!current.empty() || end < utf8.size()) lines.push_back(current);
        if (end >= utf8.size()) break;
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}


const std::vector<SDL_Rect>& KeptClear() {
    // Where the scene puts them: the caption picture at (32, 0), 242 x 35; the three numbers' right
    // edges at x 96, 160 and 240, y 32, in 16-pixel digits (the score may grow to six); the lives at
    // x 220, 254 and 288, y 212, 32 pixels each.
    static const std::vector<SDL_Rect> kept = {{32, 0, 242, 35}, {0, 32, 256, 16}, {220, 212, 100, 28}};
    return kept;
}

SDL_Rect SignRoom(SignPlace place, int width, int height) {
    constexpr int kMargin = 4;  // picture pixels
    int top = kMargin, bottom = height - kMargin;
    for (const SDL_Rect& r : KeptClear()) {
        if (r.x >= width || r.y >= height) continue;
        if (r.y < height / 2) {
            top = std::max(top, r.y + r.h + 2);
        } else {
            bottom = std::min(bottom, r.y - 2);
        }
    }
    // A picture too small for the game's own layout has the whole of it.
    if (bottom - top < 2 * SignPainter::LineHeight()) top = kMargin, bottom = height - kMargin;
    const SDL_Rect band{kMargin, top, std::max(1, width - 2 * kMargin), std::max(1, bottom - top)};
    switch (place) {
    case SignPlace::kTopRight:
        return SDL_Rect{width / 2, band.y, std::max(1, band.x + band.w - width / 2), std::max(1, band.h * 2 / 5)};
    case SignPlace::kBottom:
        return SDL_Rect{band.x, band.y + band.h / 2, band.w, band.h - band.h / 2};
    case SignPlace::kCentre:
        break;
    }
    return band;
}

SignPainter::SignPainter() {
    auto bytes = FindResource("BITMAP", "SIGNFONT");
    if (!bytes) return;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
    SDL_Surface* loaded = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
    if (!loaded) return;
    font = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!font) return;
    // Black is the bitmap's background.
    auto* px = static_cast<Uint32*>(font->pixels);
    const int stride = font->pitch / 4;
    for (int y = 0; y < font->h; ++y)
        for (int x = 0; x < font->w; ++x) {
            Uint32& p = px[y * stride + x];
            p = (p & 0xFFFFFF) == 0 ? 0 : (p | 0xFF000000u);
        }
    for (std::size_t g = 0; g < glyphs.size(); ++g) {
        const int cx = static_cast<int>(g % kCellColumns) * kCellWidth, cy = static_cast<int>(g / kCellColumns) * kCellHeight;
        int left = kCellWidth, right = -1;
        for (int y = cy; y < cy + kCellHeight && y < font->h; ++y)
            for (int x = cx; x < cx + kCellWidth && x < font->w; ++x)
                if (px[y * stride + x] != 0) left = std::min(left, x - cx), right = std::max(right, x - cx);
        if (right >= left) glyphs[g] = Glyph{left, right - left + 1};
    }
}

SignPainter::~SignPainter() {
    if (font) SDL_FreeSurface(font);
}

bool SignPainter::Writes(std::string_view utf8) const {
    std::size_t lineStart = 0;
    // Line breaks only separate the lines.
    while (lineStart <= utf8.size()) {
        std::size_t end = utf8.find_first_of("\r\n", lineStart);
        if (end == std::string_view::npos) end = utf8.size();
        for (const int cell : Cells(utf8.substr(lineStart, end - lineStart))) {
            if (cell < 0) return false;
        }
        lineStart = end + 1;
    }
    return true;
}

int SignPainter::Measure(std::string_view utf8) const {
    int width = 0, count = 0;
    for (int cell : Cells(utf8)) {
        if (cell < 0) cell = '?';
        const int w = !font ? kFallbackAdvance : cell == ' ' ? kSpaceWidth : glyphs[static_cast<std::size_t>(cell - kFirstCode)].width;
        width += w;
        ++count;
    }
    // Neighbours share the column of dark rim between them.
    return font && count > 1 ? width - (count - 1) : width;
}

SDL_Surface* SignPainter::PaintLettering(const std::vector<std::string>& lines, int boxWidth, int boxHeight, int unit) {
    SDL_Surface* box = SDL_CreateRGBSurfaceWithFormat(0, boxWidth * unit, boxHeight * unit, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!box) return nullptr;
    SDL_FillRect(box, nullptr, SDL_MapRGBA(box->format, 0, 0, 0, kBoxAlpha));
    const Uint32 light = SDL_MapRGBA(box->format, 0xF4, 0xF4, 0xF0, 0xFF);
    if (!font) {
        // No lettering: a framed box at least says that something is being said.
        const SDL_Rect edges[4] = {{0, 0, box->w, unit}, {0, box->h - unit, box->w, unit}, {0, 0, unit, box->h}, {box->w - unit, 0, unit, box->h}};
        SDL_FillRects(box, edges, 4, light);
        return box;
    }
    const auto* px = static_cast<const Uint32*>(font->pixels);
    const int stride = font->pitch / 4;
    // A message of several lines reads best from a straight left edge; one line sits in the middle.
    const bool centred = lines.size() == 1;
    int y = kPadding;
    for (const std::string& line : lines) {
        int x = centred ? (boxWidth - Measure(line)) / 2 : kPadding;
        for (int cell : Cells(line)) {
            if (cell < 0) cell = '?';
            if (cell == ' ') {
                x += kSpaceWidth - 1;
                continue;
            }
            const std::size_t g = static_cast<std::size_t>(cell - kFirstCode);
            const Glyph& glyph = glyphs[g];
            const int cx = static_cast<int>(g % kCellColumns) * kCellWidth + glyph.left, cy = static_cast<int>(g / kCellColumns) * kCellHeight;
            for (int gy = 0; gy < kCellHeight - 1; ++gy)
                for (int gx = 0; gx < glyph.width; ++gx) {
                    const Uint32 p = px[(cy + gy) * stride + cx + gx];
                    if (p == 0) continue;
                    SDL_Rect at{(x + gx) * unit, (y + gy) * unit, unit, unit};
                    SDL_FillRect(box, &at, p);
                }
            x += glyph.width - 1;
        }
        y += kLineHeight;
    }
    return box;
}

SDL_Surface* SignPainter::Paint(SignPlace place, std::string_view utf8, int width, int height, int unit, SDL_Point* at) {
    if (utf8.empty()) return nullptr;
    unit = std::max(1, unit);
    const SDL_Rect room = SignRoom(place, width, height);
    const int roomWidth = room.w * unit, roomHeight = room.h * unit;
    SDL_Surface* box = nullptr;
    if (!Writes(utf8) && !face) face = std::make_unique<MessageFace>(kFaceUnitPixels * unit);
    if (!Writes(utf8) && face && face->Available()) {
        // The game's face at the output's own pixels, as crisp as a face can be.
        if (face->LineSkip() == 0) return nullptr;
        const int padding = kPadding * unit;
        auto measure = [this](const std::string& text) { return face->Measure(text); };
        std::vector<std::string> lines = WrapText(utf8, roomWidth - 2 * padding, measure);
        Shorten(lines, static_cast<std::size_t>(std::clamp((roomHeight - 2 * padding) / face->LineSkip(), 1, kMaxLines)),
                roomWidth - 2 * padding, measure);
        if (lines.empty()) return nullptr;
        int widest = 0;
        for (const std::string& line : lines) widest = std::max(widest, measure(line));
        box = SDL_CreateRGBSurfaceWithFormat(0, std::min(roomWidth, widest + 2 * padding),
                                             std::min(roomHeight, static_cast<int>(lines.size()) * face->LineSkip() + 2 * padding),
                                             32, SDL_PIXELFORMAT_ARGB8888);
        if (!box) return nullptr;
        SDL_FillRect(box, nullptr, SDL_MapRGBA(box->format, 0, 0, 0, kBoxAlpha));
        int y = padding;
        for (const std::string& line : lines) {
            if (SDL_Surface* glyphs = face->Render(line)) {
                SDL_Rect dst{lines.size() == 1 ? (box->w - glyphs->w) / 2 : padding, y, glyphs->w, glyphs->h};
                SDL_BlitSurface(glyphs, nullptr, box, &dst);
                SDL_FreeSurface(glyphs);
            }
            y += face->LineSkip();
        }
    } else {
        auto measure = [this](const std::string& text) { return Measure(text); };
        const int textWidth = std::max(1, room.w - 2 * kPadding);
        std::vector<std::string> lines = WrapText(utf8, textWidth, measure);
        Shorten(lines, static_cast<std::size_t>(std::clamp((room.h - 2 * kPadding) / kLineHeight, 1, kMaxLines)), textWidth,
                measure);
        if (lines.empty()) return nullptr;
        int widest = 0;
        for (const std::string& line : lines) widest = std::max(widest, measure(line));
        box = PaintLettering(lines, std::min(room.w, widest + 2 * kPadding),
                             std::min(room.h, static_cast<int>(lines.size()) * kLineHeight + 2 * kPadding), unit);
        if (!box) return nullptr;
    }
    if (at) {
        // On whole picture pixels, so that the sign's pixels sit on the picture's.
        auto snap = [unit](int outputPixels) { return outputPixels / unit * unit; };
        *at = SDL_Point{room.x * unit + snap((roomWidth - box->w) / 2), room.y * unit + snap((roomHeight - box->h) / 2)};
        if (place == SignPlace::kTopRight) *at = SDL_Point{room.x * unit + snap(roomWidth - box->w), room.y * unit};
        if (place == SignPlace::kBottom) at->y = room.y * unit + snap(roomHeight - box->h);
    }
    return box;
}

}  // namespace platform
