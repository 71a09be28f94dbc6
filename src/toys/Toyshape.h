#pragma once
// A toy with a place on the playfield: an anchor point and a hit rectangle relative to it.
#include <cstdint>
#include <limits>

#include "toys/Toyobject.h"

// Right and bottom are inclusive.
struct THitRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const THitRect&) const = default;
};

// Record data can put a toy anywhere an int32 reaches; points computed from it that leave that range
// are off every screen, so drawing code skips them instead of wrapping.
inline bool FitsDrawCoord(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

class TToyShape : public TToyObject {
public:
    TToyShape(TToyBox* box, std::string className, std::string name, std::int32_t x, std::int32_t y);

    void WriteRecord(std::vector<std::string>& lines) const override;
    virtual void SetHitRect(const THitRect& rect);
    virtual void ExtendHitRect(const THitRect& rect);
    virtual bool HitTest(const TToyShape& other) const;

    THitRect hitRect;
    std::int32_t x;
    std::int32_t y;
};
