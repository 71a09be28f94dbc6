#include "game/Difficulty.h"

#include <cstddef>

#include "data/DataError.h"
#include "data/Texdb.h"
#include "game/Names.h"

namespace {

// Messages name the record as a person reads it.
const std::string kRecord = "難易度データ";

// A key printed in a message only when it is plain ASCII: the keys of this record are Shift-JIS bytes,
// and a message is UTF-8.
std::string PrintableKey(const std::string& key) {
    if (key.empty()) return {};
    for (unsigned char c : key) {
        if (c < 0x20 || c > 0x7E) return {};
    }
    return " (" + key + ")";
}

void CheckColumn(std::int32_t row, const std::string& key, const char* column, std::int32_t value,
                 std::int32_t high) {
    if (value >= 0 && value <= high) return;
    throw EDataError(kRecord + ": " + std::to_string(row) + " 行目" + PrintableKey(key) + " の" + column + " " +
                     std::to_string(value) + " が 0 … " + std::to_string(high) + " の外です");
}

}  // namespace

std::vector<DifficultyRow> LoadDifficulty(const std::string& name, std::int32_t& levelCount,
                                          std::int32_t& startLevel) {
    TTexDb db(name);
    return LoadDifficulty(db, levelCount, startLevel);
}

std::vector<DifficultyRow> LoadDifficulty(TTexDb& db, std::int32_t& levelCount, std::int32_t& startLevel) {
    if (!db.FindBlock("name", TexValue::FromText(kDifficultyName))) {
        throw EDataError(kRecord + " のブロックがありません");
    }
    levelCount = db.ReadValue("max").Int(0);
    startLevel = db.ReadValue("start").Int(0);
    // The rows are the entries after the one the cursor now stands on ("start", or "max" without it).
    const TexBlock* block = db.Current();
    const std::int64_t following =
        static_cast<std::int64_t>(block->entries.size()) - 1 - static_cast<std::int64_t>(db.KeyCursor());

    if (levelCount <= 0) throw EDataError(kRecord + ": max が " + std::to_string(levelCount) + " です");
    if (following < levelCount) {
        throw EDataError(kRecord + ": lv の行が max (" + std::to_string(levelCount) + ") に足りません (" +
                         std::to_string(following) + ")");
    }
    if (startLevel == 0) startLevel = 1;
    // A start past max is playable (the last row holds); a negative one would index before the table.
    if (startLevel < 0) throw EDataError(kRecord + ": start が " + std::to_string(startLevel) + " です");

    std::vector<DifficultyRow> table(static_cast<std::size_t>(levelCount));
    for (std::int32_t i = 0; i < levelCount; ++i) {
        db.NextKey();
        const TexValue value = db.CursorValue();
        const std::string key = db.CursorKey();
        DifficultyRow& row = table[static_cast<std::size_t>(i)];
        row = {value.Int(0), value.Int(1), value.Int(2), value.Int(3)};
        CheckColumn(i + 1, key, "個数", row.count, kMaxNuts);
        CheckColumn(i + 1, key, "落下数", row.fall, kMaxNuts);
        CheckColumn(i + 1, key, "種類数", row.kinds, kMaxNuts);
        CheckColumn(i + 1, key, "時間（秒）", row.seconds, kMaxStageSeconds);
    }
    return table;
}
