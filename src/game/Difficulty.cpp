#include "game/Difficulty.h"

#include <cstddef>

#include "data/DataError.h"
#include "data/Problems.h"
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

struct Column {
    const char* japanese;  // as the message names it
    const char* english;
    std::int32_t high;
};

const Column kColumns[] = {
    {"個数", "the number of nuts to catch (first value)", kMaxNuts},
    {"落下数", "the number of nuts that fall (second value)", kMaxNuts},
    {"種類数", "the number of nut kinds (third value)", kMaxNuts},
    {"時間（秒）", "the stage's seconds (fourth value)", kMaxStageSeconds},
};

// The record's whereabouts for an English line: "file:line: record 難易度データ".
std::string Where(const TTexDb& db, std::int32_t line) {
    return db.Source() + ":" + std::to_string(line) + ": the difficulty record";
}

void CheckColumn(const TTexDb& db, const TexEntry& entry, std::int32_t row, const Column& column,
                 std::int32_t value, TProblems* problems) {
    if (value >= 0 && value <= column.high) return;
    const std::string english = "level " + std::to_string(row) + " (key " + ForMessage(entry.key) + "): " +
                                column.english + " is " + std::to_string(value) + ", outside 0 to " +
                                std::to_string(column.high);
    if (problems) {
        problems->Error(db.Source(), entry.line, english);
        return;
    }
    throw EDataError(kRecord + ": " + std::to_string(row) + " 行目" + PrintableKey(entry.key) + " の" +
                         column.japanese + " " + std::to_string(value) + " が 0 … " + std::to_string(column.high) +
                         " の外です",
                     Where(db, entry.line) + ", " + english, entry.line);
}

}  // namespace

std::vector<DifficultyRow> LoadDifficulty(const std::string& name, std::int32_t& levelCount,
                                          std::int32_t& startLevel) {
    TTexDb db(name);
    return LoadDifficulty(db, levelCount, startLevel);
}

std::vector<DifficultyRow> LoadDifficulty(TTexDb& db, std::int32_t& levelCount, std::int32_t& startLevel,
                                          TProblems* problems) {
    if (!db.FindBlock("name", TexValue::FromText(kDifficultyName))) {
        throw EDataError(kRecord + " のブロックがありません",
                         db.Source() + ": no record has the line 'name 難易度データ' (in Shift-JIS); the "
                                       "difficulty text needs one, with max, start and a line per level");
    }
    levelCount = db.ReadValue("max").Int(0);
    startLevel = db.ReadValue("start").Int(0);
    // The rows are the entries after the one the cursor now stands on ("start", or "max" without it).
    const TexBlock* block = db.Current();
    const std::int64_t following =
        static_cast<std::int64_t>(block->entries.size()) - 1 - static_cast<std::int64_t>(db.KeyCursor());
    const std::int32_t cursorLine = block->entries.empty() ? block->line : db.Current()->entries[db.KeyCursor()].line;

    if (levelCount <= 0) {
        throw EDataError(kRecord + ": max が " + std::to_string(levelCount) + " です",
                         Where(db, block->line) + ": max is " + std::to_string(levelCount) +
                             "; it must be the number of levels, 1 or more (a missing max reads as 0)",
                         block->line);
    }
    if (following < levelCount) {
        throw EDataError(kRecord + ": lv の行が max (" + std::to_string(levelCount) + ") に足りません (" +
                             std::to_string(following) + ")",
                         Where(db, cursorLine) + ": max is " + std::to_string(levelCount) + " but only " +
                             std::to_string(following) + " level lines follow this one; add lines or lower max",
                         cursorLine);
    }
    if (startLevel == 0) startLevel = 1;
    // A start past max is playable (the last row holds); a negative one would index before the table.
    if (startLevel < 0) {
        throw EDataError(kRecord + ": start が " + std::to_string(startLevel) + " です",
                         Where(db, cursorLine) + ": start is " + std::to_string(startLevel) +
                             "; it must be the first level to play, from 1 (0 also means 1)",
                         cursorLine);
    }

    std::vector<DifficultyRow> table(static_cast<std::size_t>(levelCount));
    for (std::int32_t i = 0; i < levelCount; ++i) {
        db.NextKey();
        const TexEntry& entry = db.Current()->entries[static_cast<std::size_t>(db.KeyCursor())];
        const TexValue value = entry.value;
        DifficultyRow& row = table[static_cast<std::size_t>(i)];
        row = {value.Int(0), value.Int(1), value.Int(2), value.Int(3)};
        const std::int32_t values[] = {row.count, row.fall, row.kinds, row.seconds};
        for (int c = 0; c < 4; ++c) CheckColumn(db, entry, i + 1, kColumns[c], values[c], problems);
    }
    return table;
}
