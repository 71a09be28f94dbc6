#pragma once
// The game's tuning: one row per level, read once from the record named 難易度データ.
#include <cstdint>
#include <string>
#include <vector>

class TProblems;
class TTexDb;

struct DifficultyRow {
    std::int32_t count = 0;    // nuts shown in the balloon, to be caught in that order
    std::int32_t fall = 0;     // nuts that fall: the shown ones and the decoys
    std::int32_t kinds = 0;    // size of the pool of nut kinds the stage draws from
    std::int32_t seconds = 0;  // time limit of the stage
    bool operator==(const DifficultyRow&) const = default;
};

// Eight nut slots, eight kinds, eight entries of the order and caught rows: the rules index arrays of
// this size with count, fall and kinds.
inline constexpr std::int32_t kMaxNuts = 8;
// The largest time limit whose milliseconds still fit a signed 32-bit clock.
inline constexpr std::int32_t kMaxStageSeconds = 2147483;

// Reads the text database of that name (a "TEXT" resource or a file). The rows are the `levelCount`
// entries that follow "start", by position; their keys are never looked at. A start of 0 means 1.
// A record that the rules cannot play is refused with an EDataError: no block named 難易度データ,
// a max that is not positive, fewer entries after "start" than max, a negative start, or a row whose
// count, fall or kinds lies outside 0 … 8 or whose seconds lie outside 0 … 2147483. The text
// database's own errors pass through. Given `problems`, a row out of range is noted there and the
// reading goes on (a check that reports every row); the record's other faults still throw.
std::vector<DifficultyRow> LoadDifficulty(const std::string& name, std::int32_t& levelCount, std::int32_t& startLevel);
std::vector<DifficultyRow> LoadDifficulty(TTexDb& db, std::int32_t& levelCount, std::int32_t& startLevel,
                                          TProblems* problems = nullptr);
