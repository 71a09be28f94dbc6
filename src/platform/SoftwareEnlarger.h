#pragma once
// The software path's enlarger: keeps a copy of the last back buffer and enlarges it by a whole number
// straight into a target surface (the window's), each enlarged row built once, in the target's format,
// and copied for the rows that repeat it. Only the rows that changed since the last picture need to be
// enlarged again: most of a frame is the frame before.
#include <SDL.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

class SoftwareEnlarger {
public:
    SoftwareEnlarger() = default;
    ~SoftwareEnlarger();
    SoftwareEnlarger(const SoftwareEnlarger&) = delete;
    SoftwareEnlarger& operator=(const SoftwareEnlarger&) = delete;

    // Keeps a copy of `backBuffer` and notes the rows that differ from the picture kept before (all of
    // them when its size or format changed). False, keeping nothing, when no copy could be made.
    bool Keep(const SDL_Surface* backBuffer);
    bool HasPicture() const { return picture != nullptr; }

    // The whole picture into `target` at `at`, enlarged by `scale`; below 1 it is shrunk to `at` by SDL.
    // `target` is locked when it must be; it is unlocked only around SDL's own blit.
    void DrawAll(SDL_Surface* target, const SDL_Rect& at, int scale);
    // Only the rows the last Keep changed (scale at least 1); appends the rectangles drawn to `drawn`.
    void DrawChanged(SDL_Surface* target, const SDL_Rect& at, int scale, std::vector<SDL_Rect>& drawn);

private:
    void Enlarge(SDL_Surface* target, const SDL_Rect& at, int scale, int firstRow, int endRow);

    SDL_Surface* picture = nullptr;
    std::vector<std::uint8_t> rowBuffer;
    std::vector<std::pair<int, int>> changedBands;  // rows [first, end) of the last Keep that changed
};

}  // namespace platform
