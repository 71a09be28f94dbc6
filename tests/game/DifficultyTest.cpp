#include "game/Difficulty.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/DataError.h"
#include "data/Texdb.h"
#include "game/Names.h"
#include "support/ShippedLevels.h"

namespace {

// The shipped tuning as the reader's rows.
const std::vector<DifficultyRow> kShippedRows = [] {
    std::vector<DifficultyRow> rows;
    for (const auto& r : testlevels::kShippedLevels) rows.push_back({r[0], r[1], r[2], r[3]});
    return rows;
}();

// A difficulty record in the game's layout: CR LF, tab-separated, the name in Shift-JIS.
std::string Record(const std::vector<std::string>& lines) {
    std::string text = "{\r\n\tname\t" + std::string(kDifficultyName) + "\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text + "}\r\n";
}

struct Loaded {
    std::vector<DifficultyRow> rows;
    std::int32_t levelCount = -99;
    std::int32_t startLevel = -99;
};

Loaded LoadText(const std::string& text) {
    TTexDb db = TTexDb::FromText(text);
    Loaded result;
    result.rows = LoadDifficulty(db, result.levelCount, result.startLevel);
    return result;
}

std::string RejectionOf(const std::string& text) {
    try {
        LoadText(text);
    } catch (const EDataError& e) {
        return e.what();
    }
    return "(accepted)";
}

TEST(Difficulty, ShippedRecordHoldsFiftyRowsStartingAtLevelOne) {
    std::int32_t levelCount = 0;
    std::int32_t startLevel = 0;
    const std::vector<DifficultyRow> rows = LoadDifficulty(kDifficultyText, levelCount, startLevel);
    EXPECT_EQ(levelCount, 50);
    EXPECT_EQ(startLevel, 1);
    EXPECT_EQ(rows, kShippedRows);
}

TEST(Difficulty, RowsAreTakenByPositionAfterStartWhateverTheirKeys) {
    const Loaded plain = LoadText(Record({"\tmax\t3", "\tstart\t1", "\tlv1\t2, 2, 3, 45", "\tlv2\t2, 3, 4, 30",
                                          "\tlv3\t4, 8, 8, 10"}));
    const std::vector<DifficultyRow> expected = {{2, 2, 3, 45}, {2, 3, 4, 30}, {4, 8, 8, 10}};
    EXPECT_EQ(plain.rows, expected);

    // Renamed keys, keys out of numeric order, a comment and blank lines between: the same rows.
    const Loaded renamed = LoadText(Record({"\tmax\t3", "\tstart\t1", "    \t# comment", "\tlv9\t2, 2, 3, 45", "",
                                            "\tzz\t2, 3, 4, 30", "\tlv1\t4, 8, 8, 10"}));
    EXPECT_EQ(renamed.rows, expected);

    // max and start moved above the name: the rows are still the entries after start.
    const Loaded moved = LoadText("{\r\n\tmax\t2\r\n\tstart\t1\r\n\tlv1\t2, 2, 3, 45\r\n\tlv2\t2, 3, 4, 30\r\n\tname\t" +
                                  std::string(kDifficultyName) + "\r\n}\r\n");
    EXPECT_EQ(moved.rows, (std::vector<DifficultyRow>{{2, 2, 3, 45}, {2, 3, 4, 30}}));
}

TEST(Difficulty, AnEntryInsertedAfterStartShiftsEveryRow) {
    const Loaded shifted = LoadText(Record({"\tmax\t3", "\tstart\t1", "\tnote\t1, 1, 1, 1", "\tlv1\t2, 2, 3, 45",
                                            "\tlv2\t2, 3, 4, 30", "\tlv3\t4, 8, 8, 10"}));
    EXPECT_EQ(shifted.rows, (std::vector<DifficultyRow>{{1, 1, 1, 1}, {2, 2, 3, 45}, {2, 3, 4, 30}}));
}

TEST(Difficulty, StartLevelAndShortRows) {
    const Loaded ten = LoadText(Record({"\tmax\t1", "\tstart\t10", "\tlv1\t2, 2, 3, 45"}));
    EXPECT_EQ(ten.startLevel, 10);
    EXPECT_EQ(ten.levelCount, 1);

    const Loaded zero = LoadText(Record({"\tmax\t1", "\tstart\t0", "\tlv1\t2, 2, 3, 45"}));
    EXPECT_EQ(zero.startLevel, 1);

    // Without start the cursor stays on max, and the rows follow it.
    const Loaded absent = LoadText(Record({"\tmax\t1", "\tlv1\t2, 2, 3, 45"}));
    EXPECT_EQ(absent.startLevel, 1);
    EXPECT_EQ(absent.rows, (std::vector<DifficultyRow>{{2, 2, 3, 45}}));

    // Missing columns read as 0.
    const Loaded shortRow = LoadText(Record({"\tmax\t1", "\tstart\t1", "\tlv1\t2, 3"}));
    EXPECT_EQ(shortRow.rows, (std::vector<DifficultyRow>{{2, 3, 0, 0}}));
}

TEST(Difficulty, RecordsTheRulesCannotPlayAreRefusedWithAReason) {
    struct Case {
        std::string text;
        std::string message;
    };
    const std::string otherName = "{\r\n\tname\tother\r\n\tmax\t1\r\n\tstart\t1\r\n\tlv1\t2, 2, 3, 45\r\n}\r\n";
    const std::vector<Case> cases = {
        {otherName, "難易度データ のブロックがありません"},
        {"", "難易度データ のブロックがありません"},
        {Record({"\tmax\t0", "\tstart\t1", "\tlv1\t2, 2, 3, 45"}), "難易度データ: max が 0 です"},
        {Record({"\tstart\t1", "\tlv1\t2, 2, 3, 45"}), "難易度データ: max が 0 です"},
        {Record({"\tmax\t-2", "\tstart\t1", "\tlv1\t2, 2, 3, 45"}), "難易度データ: max が -2 です"},
        {Record({"\tmax\t3", "\tstart\t1", "\tlv1\t2, 2, 3, 45", "\tlv2\t2, 2, 3, 45"}),
         "難易度データ: lv の行が max (3) に足りません (2)"},
        {Record({"\tmax\t1", "\tstart\t-1", "\tlv1\t2, 2, 3, 45"}), "難易度データ: start が -1 です"},
        {Record({"\tmax\t2", "\tstart\t1", "\tlv1\t2, 2, 3, 45", "\tlv2\t9, 9, 9, 45"}),
         "難易度データ: 2 行目 (lv2) の個数 9 が 0 … 8 の外です"},
        {Record({"\tmax\t1", "\tstart\t1", "\tlv1\t2, -1, 3, 45"}), "難易度データ: 1 行目 (lv1) の落下数 -1 が 0 … 8 の外です"},
        {Record({"\tmax\t1", "\tstart\t1", "\tlv1\t2, 2, 9, 45"}), "難易度データ: 1 行目 (lv1) の種類数 9 が 0 … 8 の外です"},
        {Record({"\tmax\t1", "\tstart\t1", "\tlv1\t2, 2, 3, -5"}),
         "難易度データ: 1 行目 (lv1) の時間（秒） -5 が 0 … 2147483 の外です"},
        {Record({"\tmax\t1", "\tstart\t1", "\tlv1\t2, 2, 3, 2147484"}),
         "難易度データ: 1 行目 (lv1) の時間（秒） 2147484 が 0 … 2147483 の外です"},
        // A text value read as integers is far outside the range: the row is named by its position.
        {Record({"\tmax\t1", "\tstart\t1", "\t\x8d\x73\tabcdefgh"}), "難易度データ: 1 行目 の個数 1684234849 が 0 … 8 の外です"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RejectionOf(c.text), c.message);
    }
}

TEST(Difficulty, LimitsThemselvesArePlayable) {
    const Loaded edge = LoadText(Record({"\tmax\t2", "\tstart\t2", "\tlv1\t0, 0, 0, 0", "\tlv2\t8, 8, 8, 2147483"}));
    EXPECT_EQ(edge.rows, (std::vector<DifficultyRow>{{0, 0, 0, 0}, {8, 8, 8, 2147483}}));
    EXPECT_EQ(edge.startLevel, 2);
}

TEST(Difficulty, AMissingTextIsTheTextDatabasesError) {
    std::int32_t levelCount = 0;
    std::int32_t startLevel = 0;
    try {
        LoadDifficulty("no-such-difficulty-text", levelCount, startLevel);
        FAIL() << "accepted a missing text";
    } catch (const EDataError& e) {
        EXPECT_STREQ(e.what(), "TTexDb : ファイルがありません");
    }
}

}  // namespace
