#include "platform/SignPainter.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <utility>

#include "platform/TextRenderer.h"

namespace platform {

namespace {

constexpr Uint8 kBoxAlpha = 184;
constexpr SDL_Color kInk{0xF4, 0xF4, 0xF0, 0xFF};
constexpr int kPadding = 4;    // picture pixels around the text
constexpr int kFallbackAdvance = 6;  // picture pixels a character takes when no font is there

// Bytes of the UTF-8 character that starts with `lead` (a stray continuation byte counts as one).
std::size_t CharBytes(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

std::size_t CountChars(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); i += CharBytes(static_cast<unsigned char>(text[i]))) ++n;
    return n;
}

// Breaks one word that is too wide by itself into pieces that fit, a character at a time.
void BreakWord(const std::string& word, int maxWidth, const std::function<int(const std::string&)>& measure,
               std::vector<std::string>& lines, std::string& current) {
    for (std::size_t i = 0; i < word.size();) {
        const std::size_t n = std::min(CharBytes(static_cast<unsigned char>(word[i])), word.size() - i);
        const std::string next = current + word.substr(i, n);
        if (!current.empty() && measure(next) > maxWidth) {
            lines.push_back(current);
            current = word.substr(i, n);
        } else {
            current = next;
        }
        i += n;
    }
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

SignPainter::SignPainter() : fontPath(TextFontPath()) {}

SignPainter::SignPainter(std::string path) : fontPath(std::move(path)) {}

SignPainter::~SignPainter() {
    for (auto& [size, font] : fonts) {
        if (font) TTF_CloseFont(font);
    }
    if (ttfStarted) TTF_Quit();
}

TTF_Font* SignPainter::Font(int pixels) {
    if (auto found = fonts.find(pixels); found != fonts.end()) return found->second;
    TTF_Font* font = nullptr;
    const std::string& path = fontPath;
    if (!path.empty() && !ttfFailed) {
        if (!ttfStarted) {
            ttfStarted = TTF_Init() == 0;
            ttfFailed = !ttfStarted;
        }
        if (ttfStarted) font = TTF_OpenFont(path.c_str(), pixels);
    }
    fonts[pixels] = font;
    return font;
}

bool SignPainter::HasFont() { return Font(kTextPixels) != nullptr; }

SDL_Surface* SignPainter::Paint(SignPlace place, std::string_view utf8, int unit, int maxWidth, int maxHeight) {
    if (utf8.empty()) return nullptr;
    unit = std::max(1, unit);
    const int padding = kPadding * unit;
    maxWidth = std::max(maxWidth, 2 * padding + unit);
    maxHeight = std::max(maxHeight, 2 * padding + unit);
    const int textWidth = maxWidth - 2 * padding;

    // A short word alone in the middle is meant to be read from across the room.
    const bool oneWord = place == SignPlace::kCentre && utf8.find('\n') == std::string_view::npos && CountChars(utf8) <= 12;
    TTF_Font* font = oneWord ? Font(kLargePixels * unit) : nullptr;
    if (font) {
        int w = 0, h = 0;
        if (TTF_SizeUTF8(font, std::string(utf8).c_str(), &w, &h) != 0 || w > textWidth) font = nullptr;
    }
    if (!font) font = Font(kTextPixels * unit);

    std::function<int(const std::string&)> measure;
    int lineHeight = 0;
    if (font) {
        measure = [font](const std::string& text) {
            int w = 0, h = 0;
            return TTF_SizeUTF8(font, text.c_str(), &w, &h) == 0 ? w : 0;
        };
        lineHeight = TTF_FontLineSkip(font);
    } else {
        measure = [unit](const std::string& text) { return static_cast<int>(CountChars(text)) * kFallbackAdvance * unit; };
        lineHeight = (kTextPixels + 2) * unit;
    }
    std::vector<std::string> lines = WrapText(utf8, textWidth, measure);
    if (lines.empty()) return nullptr;
    const int fitLines = std::max(1, std::min(kMaxLines, (maxHeight - 2 * padding) / std::max(1, lineHeight)));
    if (static_cast<int>(lines.size()) > fitLines) {
        lines.resize(static_cast<std::size_t>(fitLines));
        lines.back() += "…";
    }
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, measure(line));
    const int boxWidth = std::min(maxWidth, widest + 2 * padding);
    const int boxHeight = std::min(maxHeight, static_cast<int>(lines.size()) * lineHeight + 2 * padding);

    SDL_Surface* box = SDL_CreateRGBSurfaceWithFormat(0, boxWidth, boxHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!box) return nullptr;
    SDL_FillRect(box, nullptr, SDL_MapRGBA(box->format, 0, 0, 0, kBoxAlpha));
    if (!font) {
        // No text can be drawn: a framed box at least says that something is being said.
        const Uint32 frame = SDL_MapRGBA(box->format, kInk.r, kInk.g, kInk.b, 0xFF);
        const SDL_Rect edges[4] = {{0, 0, boxWidth, unit},
                                   {0, boxHeight - unit, boxWidth, unit},
                                   {0, 0, unit, boxHeight},
                                   {boxWidth - unit, 0, unit, boxHeight}};
        SDL_FillRects(box, edges, 4, frame);
        return box;
    }
    // A message of several lines reads best from a straight left edge; one line sits in the middle.
    const bool centred = lines.size() == 1;
    int y = padding;
    for (const std::string& line : lines) {
        if (!line.empty()) {
            if (SDL_Surface* glyphs = TTF_RenderUTF8_Blended(font, line.c_str(), kInk)) {
                SDL_SetSurfaceBlendMode(glyphs, SDL_BLENDMODE_BLEND);
                SDL_Rect at{centred ? (boxWidth - glyphs->w) / 2 : padding, y, glyphs->w, glyphs->h};
                SDL_BlitSurface(glyphs, nullptr, box, &at);
                SDL_FreeSurface(glyphs);
            }
        }
        y += lineHeight;
    }
    return box;
}

}  // namespace platform
