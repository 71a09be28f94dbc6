#pragma once
// The tuning the game ships with, level by level: count, fall, kinds, seconds. Written out here once,
// independently of the resource, so that the tests of the text and of its reader check against it.
#include <array>

namespace testlevels {

inline constexpr int kLevelCount = 50;
inline constexpr std::array<std::array<int, 4>, kLevelCount> kShippedLevels = {{
    {2, 2, 3, 45}, {2, 2, 3, 35}, {2, 3, 4, 30}, {3, 3, 4, 30}, {2, 4, 4, 35}, {2, 3, 4, 35}, {3, 3, 4, 30},
    {3, 3, 4, 35}, {3, 4, 4, 45}, {4, 4, 5, 45}, {2, 3, 4, 25}, {2, 4, 4, 25}, {3, 4, 4, 30}, {3, 4, 5, 30},
    {3, 5, 5, 30}, {4, 4, 6, 45}, {4, 5, 6, 40}, {3, 6, 6, 15}, {4, 5, 6, 30}, {4, 6, 6, 25}, {2, 4, 6, 15},
    {3, 4, 6, 20}, {4, 4, 6, 20}, {4, 5, 6, 20}, {4, 5, 7, 20}, {5, 5, 7, 25}, {2, 5, 7, 15}, {3, 6, 7, 15},
    {4, 6, 7, 20}, {5, 5, 7, 25}, {3, 5, 7, 15}, {3, 6, 7, 15}, {4, 4, 7, 25}, {4, 5, 7, 25}, {4, 6, 7, 20},
    {4, 7, 7, 20}, {4, 7, 8, 15}, {4, 8, 8, 15}, {5, 5, 8, 25}, {5, 6, 8, 15}, {3, 8, 8, 15}, {4, 7, 8, 20},
    {4, 8, 8, 20}, {4, 8, 8, 15}, {5, 5, 8, 25}, {5, 6, 8, 20}, {5, 7, 8, 15}, {3, 8, 8, 10}, {4, 8, 8, 10},
    {5, 8, 8, 10},
}};

}  // namespace testlevels
