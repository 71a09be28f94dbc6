#pragma once
// The pictures of the signs the window shows over the game (pause, volume, messages): light text on a
// translucent dark box, drawn at the window's own pixels so that they stay crisp at any scale. They are
// never part of the game's picture.
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct SDL_Surface;
typedef struct _TTF_Font TTF_Font;

namespace platform {

enum class SignPlace { kCentre, kTopRight, kBottom };

// Splits UTF-8 text into lines no wider than `maxWidth` as `measure` counts width: at line breaks,
// then between words, and inside a word (between characters) only when the word alone is too wide.
// Never returns an empty list for non-empty text; every line holds at least one character.
std::vector<std::string> WrapText(std::string_view utf8, int maxWidth,
                                  const std::function<int(const std::string&)>& measure);

class SignPainter {
public:
    // Sizes in the game picture's pixels; the window multiplies them by its unit.
    static constexpr int kTextPixels = 12;
    static constexpr int kLargePixels = 32;  // a short word alone in the centre, such as "PAUSE"
    static constexpr int kMaxLines = 8;

    // The font of the game's text (TextFontPath()), or the one at `fontPath`; none when it is empty.
    SignPainter();
    explicit SignPainter(std::string fontPath);
    ~SignPainter();
    SignPainter(const SignPainter&) = delete;
    SignPainter& operator=(const SignPainter&) = delete;

    // A new ARGB8888 surface holding the sign (the caller frees it), at most `maxWidth` × `maxHeight`
    // window pixels; `unit` is how many window pixels a picture pixel takes. Without a font the box is
    // drawn with a light frame and no text, so that the sign still shows. Null for empty text.
    SDL_Surface* Paint(SignPlace place, std::string_view utf8, int unit, int maxWidth, int maxHeight);

    // False when no font could be opened (signs are then plain boxes).
    bool HasFont();

private:
    TTF_Font* Font(int pixels);

    std::string fontPath;
    std::map<int, TTF_Font*> fonts;
    bool ttfStarted = false;
    bool ttfFailed = false;
};

}  // namespace platform
