#pragma once
// The pictures of the signs the window shows over the game (pause, volume, captures, messages): the
// game's own pixel lettering (the SIGNFONT bitmap the asset generator draws) on a translucent dark box,
// every font pixel a square of the picture's scale, so that a sign is as crisp as the picture under
// it. A text the lettering cannot write (the game's Japanese messages) is set in the game's text face
// where there is one. Signs are never part of the game's picture, and they keep off its score, time
// and level labels and figures and its lives.
#include <SDL.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class MessageFace;

enum class SignPlace { kCentre, kTopRight, kBottom };

// Splits UTF-8 text into lines no wider than `maxWidth` as `measure` counts width: at line breaks,
// then between words, and inside a word (between characters) only when the word alone is too wide.
// Never returns an empty list for non-empty text; every line holds at least one character.
std::vector<std::string> WrapText(std::string_view utf8, int maxWidth,
                                  const std::function<int(const std::string&)>& measure);

// The parts of the 320 x 240 picture that a sign never covers, in picture pixels: the labels, the
// score, time and level figures (growing leftwards from their right edges), the lives.
const std::vector<SDL_Rect>& KeptClear();

// Where a sign of `place` may go in a picture of `width` × `height`, in picture pixels: the band
// between what KeptClear keeps at the top and at the bottom, a margin in from the sides.
SDL_Rect SignRoom(SignPlace place, int width, int height);

class SignPainter {
public:
    static constexpr int kPadding = 3;  // picture pixels around the text
    static constexpr int kMaxLines = 8;

    SignPainter();
    ~SignPainter();
    SignPainter(const SignPainter&) = delete;
    SignPainter& operator=(const SignPainter&) = delete;

    // A new ARGB8888 surface holding the sign (the caller frees it), in output pixels, `unit` of them
    // to a picture pixel, laid out for a picture of `width` × `height`; *at receives its top left
    // corner in output pixels from the picture's. Inside SignRoom: what does not fit ends in "...".
    // Null for empty text.
    SDL_Surface* Paint(SignPlace place, std::string_view utf8, int width, int height, int unit, SDL_Point* at);

    // Width in picture pixels of one line in the lettering (its dark rim included).
    int Measure(std::string_view utf8) const;
    static constexpr int LineHeight() { return kLineHeight; }
    // Whether the lettering has every character of `utf8`.
    bool Writes(std::string_view utf8) const;
    // False when the lettering could not be loaded (a sign is then a framed box).
    bool HasFont() const { return font != nullptr; }

private:
    static constexpr int kLineHeight = 11;  // picture pixels
    struct Glyph {
        int left = 0, width = 0;  // columns of its cell that hold ink or rim; width 0: none
    };
    SDL_Surface* PaintLettering(const std::vector<std::string>& lines, int boxWidth, int boxHeight, int unit);

    SDL_Surface* font = nullptr;  // ARGB8888, transparent where the bitmap is black
    std::array<Glyph, 96> glyphs{};
    std::unique_ptr<MessageFace> face;  // made at the first text the lettering cannot write
};

}  // namespace platform
