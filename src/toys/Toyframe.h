#pragma once
// One picture of a sprite: cells of an image toy, each at an offset from the sprite's reference point.
#include <cstdint>
#include <vector>

#include "toys/Toyshape.h"

class TTexDb;
class TToyImage;

struct TFrameCell {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint16_t cell = 0;
};

class TToyFrame : public TToyShape {
public:
    TToyFrame(TToyBox* box, TTexDb& db);

    void WriteRecord(std::vector<std::string>& lines) const override;
    // Draws every cell with the reference point at (x, y) plus the frame's own position.
    void DrawCells(std::int32_t x, std::int32_t y) const;

    TToyImage* image = nullptr;  // not owned; without it the frame draws nothing
    std::vector<TFrameCell> cells;
};
