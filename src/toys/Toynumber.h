#pragma once
// A whole number drawn as a row of digit cells of an image toy, anchored at its right or left end.
#include <cstdint>

#include "toys/Toyshape.h"

class TTexDb;
class TToyImage;

class TToyNumber : public TToyShape {
public:
    TToyNumber(TToyBox* box, TTexDb& db);

    void Draw(std::int32_t offsetX, std::int32_t offsetY) override;
    void WriteRecord(std::vector<std::string>& lines) const override;

    TToyImage* image = nullptr;     // not owned
    std::int32_t rightBased = 1;    // 0 only for a base of exactly "left"
    std::int32_t num = 0;           // written by the game between frames
};
