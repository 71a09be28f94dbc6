#pragma once
// A bitmap font of 29 character cells (A to Z, "?", "!", space) with an advance width each.
#include <array>
#include <cstdint>
#include <string>

#include "toys/Toyobject.h"

class TTexDb;

class TToyFont : public TToyObject {
public:
    static constexpr int kCellCount = 29;
    static constexpr int kSpaceCell = 28;

    TToyFont(TToyBox* box, TTexDb& db);
    ~TToyFont() override;  // deletes its sprite, as an image toy does

    void WriteRecord(std::vector<std::string>& lines) const override;
    // Draws `text` with its first cell's top left corner at (x, y), bobbing on the wave when it is set.
    virtual void DrawString(std::int32_t x, std::int32_t y, const std::string& text);

    // The cell of a character, or -1 for one the font has no cell for.
    static int CellOf(unsigned char character);
    // The vertical offset of character i (counted from 1) at total time T while the wave is on.
    static std::int32_t WaveOffset(std::int32_t totalTime, std::int32_t i);

    std::string fileName;
    std::int32_t cellWidth = 0;
    std::int32_t cellHeight = 0;
    std::array<std::int32_t, kCellCount> widths{};  // advance per cell, pixels
    bool wave = false;  // switched on by a caption, never off
};
