#pragma once
// A bitmap registered on the draw device as a sprite under the toy's name, cut into equal cells.
#include <cstdint>
#include <string>

#include "toys/Toyobject.h"

class TTexDb;

// What an image and a font read of their record, in this order: name, fileName, then size, which
// leaves the key cursor on the size line. Reading it also asks the toy box to load the sprite under
// that name; a bitmap that fails to load is not examined, its cells simply draw nothing.
struct TSpriteRecord {
    std::string name;
    std::string fileName;
    std::int32_t cellWidth = 0;
    std::int32_t cellHeight = 0;

    static TSpriteRecord ReadAndLoad(TToyBox* box, TTexDb& db);

    // Gives an image or a font toy what it keeps of the record.
    template <class Toy>
    void CopyTo(Toy& toy) const {
        toy.name = name;
        toy.fileName = fileName;
        toy.cellWidth = cellWidth;
        toy.cellHeight = cellHeight;
    }
};

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
