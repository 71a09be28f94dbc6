#pragma once
// A positioned text drawn with a font toy.
#include <string>

#include "toys/Toyshape.h"

class TTexDb;
class TToyFont;

class TToyCaption : public TToyShape {
public:
    TToyCaption(TToyBox* box, TTexDb& db);

    void Draw(std::int32_t offsetX, std::int32_t offsetY) override;
    void WriteRecord(std::vector<std::string>& lines) const override;

    TToyFont* font = nullptr;  // not owned
    std::string text;
};
