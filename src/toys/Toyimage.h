#pragma once
// A bitmap registered on the draw device as a sprite under the toy's name, cut into equal cells.
#include <cstdint>
#include <string>

#include "toys/Toyobject.h"

class TTexDb;

class TToyImage : public TToyObject {
public:
    TToyImage(TToyBox* box, TTexDb& db);
    ~TToyImage() override;  // deletes the sprite registered under the toy's name

    void WriteRecord(std::vector<std::string>& lines) const override;
    // Draws one cell of the sprite with its top left corner at (x, y); ignores the image's own visibility.
    void DrawCell(std::int32_t x, std::int32_t y, std::int32_t cell) const;

    std::string fileName;
    std::int32_t cellWidth = 0;   // as the record says: 0 when it has no size
    std::int32_t cellHeight = 0;
};
