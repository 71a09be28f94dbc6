#include "toys/Toyshape.h"

#include <algorithm>
#include <utility>

TToyShape::TToyShape(TToyBox* box, std::string className, std::string name, std::int32_t x, std::int32_t y)
    : TToyObject(box, std::move(className), std::move(name)), x(x), y(y) {}

void TToyShape::WriteRecord(std::vector<std::string>& lines) const {
    TToyObject::WriteRecord(lines);
    if (x != 0 || y != 0) lines.push_back("\tpos\t\t\t" + std::to_string(x) + "," + std::to_string(y));
}

void TToyShape::SetHitRect(const THitRect& rect) { hitRect = rect; }

void TToyShape::ExtendHitRect(const THitRect& rect) {
    // No test for an empty rectangle: growing the initial all-zero one always keeps the origin inside.
    hitRect.left = std::min(hitRect.left, rect.left);
    hitRect.top = std::min(hitRect.top, rect.top);
    hitRect.right = std::max(hitRect.right, rect.right);
    hitRect.bottom = std::max(hitRect.bottom, rect.bottom);
}

bool TToyShape::HitTest(const TToyShape& other) const {
    // In 64 bits, so that a far-away position from the record data cannot wrap into an overlap.
    const std::int64_t aLeft = std::int64_t{hitRect.left} + x;
    const std::int64_t aRight = std::int64_t{hitRect.right} + x;
    const std::int64_t aTop = std::int64_t{hitRect.top} + y;
    const std::int64_t aBottom = std::int64_t{hitRect.bottom} + y;
    const std::int64_t bLeft = std::int64_t{other.hitRect.left} + other.x;
    const std::int64_t bRight = std::int64_t{other.hitRect.right} + other.x;
    const std::int64_t bTop = std::int64_t{other.hitRect.top} + other.y;
    const std::int64_t bBottom = std::int64_t{other.hitRect.bottom} + other.y;

    // Right and bottom are inclusive, so rectangles that only touch at an edge or a corner overlap.
    const bool horizontal = bLeft > aLeft ? bLeft <= aRight : aLeft <= bRight;
    const bool vertical = bTop > aTop ? bTop <= aBottom : aTop <= bBottom;
    return horizontal && vertical;
}
