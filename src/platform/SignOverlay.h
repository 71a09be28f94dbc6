#pragma once
// The shell's signs (pause, volume, messages) over the window's picture: painted at the picture's own
// scale, laid out so that they hide none of the score, time, level and lives, and never drawn into the
// picture itself. On the software path the overlay keeps the picture's pixels under each sign, so that
// the next frame can take the sign off again and a read-back can see the picture alone.
#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SignPainter.h"

namespace platform {

class SignOverlay {
public:
    SignOverlay() = default;
    ~SignOverlay();
    SignOverlay(const SignOverlay&) = delete;
    SignOverlay& operator=(const SignOverlay&) = delete;

    // Sets the sign at that place; "" removes it. Shown from the next Place and draw.
    void Set(SignPlace place, const std::string& utf8Text);
    // Lays the signs out over the picture at `picture` in an output of `outWidth` × `outHeight`,
    // `unit` output pixels to a picture pixel; a sign is painted again only when its unit or room changed.
    void Place(const SDL_Rect& picture, int unit, int outWidth, int outHeight);
    const std::string& Text(SignPlace place) const { return signs[Index(place)].text; }
    // Where the sign went at the last Place (empty when none), in output pixels.
    SDL_Rect Rect(SignPlace place) const { return signs[Index(place)].rect; }

    // Accelerated path: the signs over whatever the renderer holds.
    void Draw(SDL_Renderer* renderer);
    // Software path: the signs onto `surface` (locked if it must be), keeping what each covers;
    // the rectangles drawn are appended to `drawn`.
    void Draw(SDL_Surface* surface, std::vector<SDL_Rect>& drawn);
    // Software path: puts back what the signs covered; the rectangles restored are appended to `drawn`.
    void Lift(SDL_Surface* surface, std::vector<SDL_Rect>& drawn);
    // Software path: the picture was drawn over the signs, so nothing kept under them is current.
    void Forget();
    // Software path: copies what the signs cover, as 0xRRGGBB, into `shown` (a read-back of a surface
    // in `format`, `outWidth` pixels a row). False when a conversion fails.
    bool Uncover(std::uint32_t format, std::vector<std::uint32_t>& shown, int outWidth) const;

private:
    struct SignState {
        std::string text;
        SDL_Surface* image = nullptr;   // painted for `imageUnit` and `imageMaxWidth`
        SDL_Texture* texture = nullptr;  // accelerated path
        int imageUnit = 0, imageMaxWidth = 0, imageMaxHeight = 0;  // the unit and picture size painted for
        SDL_Point at{0, 0};  // where the painter put it, from the picture's corner
        SDL_Rect rect{0, 0, 0, 0};
        SDL_Rect savedRect{0, 0, 0, 0};   // software path: where `under` was taken from
        std::vector<std::uint8_t> under;  // software path: the picture's pixels under the sign
    };
    static constexpr std::size_t Index(SignPlace place) { return static_cast<std::size_t>(place); }
    static void Free(SignState& sign);

    std::array<SignState, 3> signs;
    SignPainter painter;
};

}  // namespace platform
