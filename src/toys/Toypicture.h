#pragma once
// One cell of an image toy at a position; the game moves it and changes its cell directly.
#include <cstdint>

#include "toys/Toyshape.h"

class TTexDb;
class TToyImage;

class TToyPicture : public TToyShape {
public:
    TToyPicture(TToyBox* box, TTexDb& db);

    void Draw(std::int32_t offsetX, std::int32_t offsetY) override;
    void WriteRecord(std::vector<std::string>& lines) const override;

    TToyImage* image = nullptr;  // not owned; none when imageId named no earlier image
    std::int32_t cell = 0;
};
