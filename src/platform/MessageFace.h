#pragma once
// The game's text face (IPA P Gothic, as the draw device's text) for the messages the signs' pixel
// lettering cannot write: the game's own Japanese texts. The page has none (web/platform/MessageFace.cpp).
#include <string>

struct SDL_Surface;
typedef struct _TTF_Font TTF_Font;

namespace platform {

class MessageFace {
public:
    explicit MessageFace(int pixels);
    ~MessageFace();
    MessageFace(const MessageFace&) = delete;
    MessageFace& operator=(const MessageFace&) = delete;

    bool Available() const { return font != nullptr; }
    int Measure(const std::string& utf8) const;
    int LineSkip() const;
    // The line in light ink on transparency (ARGB), or null.
    SDL_Surface* Render(const std::string& utf8) const;

private:
    TTF_Font* font = nullptr;  // while open, SDL_ttf is started for it
};

}  // namespace platform
