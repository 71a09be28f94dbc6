#include "data/Texdb.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "support/TestMedia.h"

namespace {

using namespace std::string_literals;

TexValue Ints(std::initializer_list<std::int32_t> v) {
    TexValue cell;
    int slot = 0;
    for (auto x : v) cell.SetInt(slot++, x);
    return cell;
}

TexValue Shorts(std::initializer_list<std::int16_t> v) {
    TexValue cell;
    int slot = 0;
    for (auto x : v) cell.SetShort(slot++, x);
    return cell;
}

TexValue Floats(std::initializer_list<float> v) {
    TexValue cell;
    int slot = 0;
    for (auto x : v) cell.SetFloat(slot++, x);
    return cell;
}

std::string Error(const std::string& text) {
    try {
        TTexDb::FromText(text);
    } catch (const EDataError& e) {
        return e.what();
    }
    return "(loaded)";
}

std::string Hex(const TexValue& v) {
    std::string out;
    char buf[4];
    for (auto b : v.bytes) {
        std::snprintf(buf, sizeof buf, "%02x ", b);
        out += buf;
    }
    return out;
}

struct ValueCase {
    std::string valuePart;
    TexValue expected;
};

TEST(TexdbTest, ValuePartsReadAsTheirCells) {
    TexValue textThenInt = TexValue::FromText("abc");
    textThenInt.SetInt(1, 5);
    TexValue floatThenInt = Floats({1.5f});
    floatThenInt.SetInt(1, 2);
    const std::vector<ValueCase> cases = {
        {"40,40", Ints({40, 40})},
        {"40 40", Ints({40, 40})},
        {"40, 40", Ints({40, 40})},
        {"40\t,\t40\t", Ints({40, 40})},
        {"-20, -40, 0", Ints({-20, -40, 0, 0})},
        {"2, 2, 3, 45 #lv", Ints({2, 2, 3, 45})},
        {"2,2,3,45\t# 7 8", Ints({2, 2, 3, 45})},
        {"a#b", TexValue::FromText("a#b")},
        {"foo bar", TexValue::FromText("bar")},
        {"16 abc", TexValue::FromText("abc")},
        {"abc 5", textThenInt},
        {"-", TexValue{}},
        {"---, -", TexValue{}},
        {"", TexValue{}},
        {"# 1 2", TexValue{}},
        {"- 7", Ints({0, 7})},
        {"12ab", TexValue::FromText("12ab")},
        {"007 -0", Ints({7, 0})},
        {"2147483647 -2147483648", Ints({2147483647, -2147483647 - 1})},
        {"1 2 3 4 5", Shorts({1, 2, 3, 4, 5, 0, 4, 0})},
        {"1 2 3 4 5 6", Shorts({1, 2, 3, 4, 5, 6, 4, 0})},
        {"1 2 -3 4 5", Shorts({1, 2, -3, 4, 5, -1, 4, 0})},
        {"1 2 70000 -4 5", Shorts({1, 2, 4464, -4, 5, 1, -4, -1})},
        {"1 2 3 4 5 6 7 8", Shorts({1, 2, 3, 4, 5, 6, 7, 8})},
        {"1 2 3 4 5 6 7 -1", Shorts({1, 2, 3, 4, 5, 6, 7, -1})},
        {"0.5", Floats({0.5f})},
        {"-1.25, 2.5 .5 5.", Floats({-1.25f, 2.5f, 0.5f, 5.0f})},
        {"-.5 1.5e3 2.5E-1", Floats({-0.5f, 1500.0f, 0.25f})},
        {"1.5 2", floatThenInt},
        {"1 2 3 4 5 6 7 1.5", Shorts({1, 2, 3, 4, 5, 6, 7, 0})},
        {"0.1e-99", Floats({0.0f})},
        {"\x83\x7B\x83\x7D", TexValue::FromText("\x83\x7B\x83\x7D")},  // Shift-JIS with braces as second bytes
    };
    for (const auto& c : cases) {
        auto db = TTexDb::FromText("{\r\n\tkey\t\t" + c.valuePart + "\r\n}\r\n");
        ASSERT_EQ(db.Count(), 1) << c.valuePart;
        EXPECT_EQ(Hex(db.ReadValue("key")), Hex(c.expected)) << c.valuePart;
    }
}

// Malformed texts kept as files under tests/inputs/text, each beside the message its load must end
// with: tokens that are no number (the token named) and texts that run past their last line (the
// line count).
TEST(TexdbTest, EveryMalformedTextEndsWithItsExpectedMessage) {
    const std::filesystem::path inputs = std::filesystem::path(PELLORO_SOURCE_DIR) / "tests" / "inputs" / "text";
    std::ifstream manifest(inputs / "expected.txt");
    ASSERT_TRUE(manifest) << "missing " << (inputs / "expected.txt");
    std::size_t listed = 0;
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' ');
        const std::string file = line.substr(0, space);
        std::ifstream in(inputs / file, std::ios::binary);
        ASSERT_TRUE(in) << file;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(Error(text), line.substr(space + 1)) << file;
        ++listed;
    }
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(inputs)) files += entry.path().extension() == ".txt";
    EXPECT_EQ(listed + 1, files) << "every text there is in the table";  // the table itself is a .txt
    EXPECT_GE(listed, 20u);
}

// What a message quotes is one line of UTF-8: a long token is cut, bytes that are not Shift-JIS are
// escaped, and valid Shift-JIS is converted.
TEST(TexdbTest, MessagesQuoteAShortEscapedExcerpt) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string(10u << 20, '7'), "'" + std::string(64, '7') + "…' は整数ではありません"},
        {"1.\x81\x7f", "'1.\\x81\\x7F' は浮動小数点数ではありません"},
        {"1.\x83\x65", "'1.テ' は浮動小数点数ではありません"},
    };
    for (const auto& [value, message] : cases) EXPECT_EQ(Error("{\nk " + value + "\n}\n"), message) << value.substr(0, 80);
}

TEST(TexdbTest, LinesEndAtCrLfLoneCrAndLoneLf) {
    for (const std::string br : {"\r\n", "\r", "\n", "\n\r"}) {
        auto db = TTexDb::FromText("# head" + br + "{" + br + "a 1" + br + "b 2" + br + "}" + br + "{" + br + "c 3" +
                                   br + "}");
        ASSERT_EQ(db.Count(), 2);
        EXPECT_EQ(db.ReadValue("a").Int(0), 1);
        EXPECT_EQ(db.ReadValue("b").Int(0), 2);
        ASSERT_TRUE(db.NextBlock());
        EXPECT_EQ(db.ReadValue("c").Int(0), 3);
    }
    auto mixed = TTexDb::FromText("{\ra 1\r\nb 2\n}");
    EXPECT_EQ(mixed.ReadValue("b").Int(0), 2);
    auto cut = TTexDb::FromBytes(testmedia::Bytes("{\na 1\n}\n\0{\na 2\n}\n"s));
    EXPECT_EQ(cut.Count(), 1);
}

TEST(TexdbTest, OnlyABraceAloneOnItsLineIsABoundary) {
    // " {" before a block: everything up to the next "}" lies outside any block.
    auto before = TTexDb::FromText("x 9\n{ \nk 1\n}\n{\nk 2\n}\nk 3\n");
    ASSERT_EQ(before.Count(), 1);
    EXPECT_EQ(before.ReadValue("k").Int(0), 2);

    // Inside a block such lines are ignored and the block runs on to the real "}".
    auto inside = TTexDb::FromText("{\nk 1\n }\n} \n{x 5\n}x 6\nm 2\n    \t# 個数, 落下数\n#n 3\n}\n");
    ASSERT_EQ(inside.Count(), 1);
    ASSERT_TRUE(inside.SelectBlock(0));
    EXPECT_EQ(inside.ReadValue("m").Int(0), 2);
    EXPECT_FALSE(inside.NextKey());  // k and m are the only entries
    EXPECT_EQ(inside.Current()->entries.size(), 2u);
    EXPECT_EQ(inside.Current()->entries[0].key, "k");
}

TEST(TexdbTest, DuplicateKeysAndTheKeyCursor) {
    auto db = TTexDb::FromText("{\nseqNum 2\nseq 1\nseq 2\nk#x 7\n}\n");
    EXPECT_EQ(db.ReadValue("seq").Int(0), 1);
    EXPECT_EQ(db.KeyCursor(), 1);
    ASSERT_TRUE(db.NextKey());
    EXPECT_EQ(db.CursorKey(), "seq");
    EXPECT_EQ(db.CursorValue().Int(0), 2);
    ASSERT_TRUE(db.NextKey());
    EXPECT_EQ(db.CursorKey(), "k#x");
    // Past the end the cursor goes back to 0, so the next step lands on entry 1, not 0.
    EXPECT_FALSE(db.NextKey());
    EXPECT_EQ(db.KeyCursor(), 0);
    EXPECT_EQ(db.CursorKey(), "seqNum");
    ASSERT_TRUE(db.NextKey());
    EXPECT_EQ(db.KeyCursor(), 1);
    // A missing key reads as zero and leaves the cursor alone.
    EXPECT_TRUE(db.ReadValue("nothing").IsZero());
    EXPECT_EQ(db.KeyCursor(), 1);
}

TEST(TexdbTest, BlockSearch) {
    auto db = TTexDb::FromText(
        "{\nname a\n}\n{\nclass X\nname b\n}\n{\nclass Y\n}\n{\nx 1\nclass X\nname b\n}\n");
    ASSERT_EQ(db.Count(), 4);
    ASSERT_TRUE(db.FindBlock("name", TexValue::FromText("b")));
    EXPECT_EQ(db.CurrentIndex(), 1);
    EXPECT_EQ(db.KeyCursor(), 1);
    ASSERT_TRUE(db.NextBlock());
    EXPECT_EQ(db.CurrentIndex(), 3);
    EXPECT_EQ(db.KeyCursor(), 2);
    EXPECT_FALSE(db.NextBlock());
    EXPECT_EQ(db.CurrentIndex(), -1);
    EXPECT_TRUE(db.ReadValue("name").IsZero());
    EXPECT_EQ(db.CursorKey(), "");
    ASSERT_TRUE(db.NextBlock());  // the search starts again at block 0
    EXPECT_EQ(db.CurrentIndex(), 1);

    // The all-zero value matches a block that lacks the key.
    ASSERT_TRUE(db.FindBlock("name", TexValue{}));
    EXPECT_EQ(db.CurrentIndex(), 2);
    EXPECT_FALSE(db.FindBlock("class", TexValue::FromText("Z")));
    EXPECT_EQ(db.CurrentIndex(), -1);

    // An empty key selects block 0 and then steps through every block.
    ASSERT_TRUE(db.FindBlock("", TexValue::FromText("b")));
    EXPECT_EQ(db.CurrentIndex(), 0);
    ASSERT_TRUE(db.NextBlock());
    EXPECT_EQ(db.CurrentIndex(), 1);

    // SelectBlock ends a search; out-of-range indices change nothing.
    ASSERT_TRUE(db.FindBlock("class", TexValue::FromText("X")));
    ASSERT_TRUE(db.SelectBlock(0));
    ASSERT_TRUE(db.NextBlock());
    EXPECT_EQ(db.CurrentIndex(), 1);
    ASSERT_TRUE(db.NextBlock());
    EXPECT_EQ(db.CurrentIndex(), 2);
    EXPECT_FALSE(db.SelectBlock(4));
    EXPECT_FALSE(db.SelectBlock(-1));
    EXPECT_EQ(db.CurrentIndex(), 2);
}

TEST(TexdbTest, TextWithoutBlocks) {
    for (const std::string& text : {""s, "# Images\r\nname a\r\n{ \r\n"s, "\0{\n}\n"s}) {
        auto db = TTexDb::FromText(text);
        EXPECT_EQ(db.Count(), 0);
        EXPECT_FALSE(db.SelectBlock(0));
        EXPECT_FALSE(db.NextBlock());
        EXPECT_TRUE(db.ReadValue("name").IsZero());
        EXPECT_FALSE(db.NextKey());
        EXPECT_EQ(db.Current(), nullptr);
    }
}

TEST(TexdbTest, ReadsTheResourceBeforeTheFile) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("texdb-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path oldCwd = fs::current_path();
    fs::current_path(dir);
    std::ofstream("probe.txt", std::ios::binary) << "{\nfrom file\n}\n";
    {
        testmedia::ScopedResources res({{"TEXT", "PROBE.TXT", testmedia::Bytes("{\nfrom resource\n}\n")}});
        EXPECT_EQ(TTexDb("probe.txt").ReadValue("from").Text(), "resource");
    }
    {
        testmedia::ScopedResources res({{"BMP", "probe.txt", testmedia::Bytes("{\nfrom bitmap\n}\n")}});
        EXPECT_EQ(TTexDb("probe.txt").ReadValue("from").Text(), "file");
        try {
            TTexDb missing("absent.txt");
            ADD_FAILURE() << "loaded a text that does not exist";
        } catch (const EDataError& e) {
            EXPECT_STREQ(e.what(), "TTexDb : ファイルがありません");
        }
    }
    fs::current_path(oldCwd);
    fs::remove_all(dir);
}

TEST(TexdbTest, InputBeyondTheLimitsIsCut) {
    const std::string longKey = "abcdefghijklmnopqrstuvwxyz";  // 26 bytes
    auto db = TTexDb::FromText("{\n" + longKey + " 0123456789ABCDEFGHIJ\nk 1 2 3 4 5 6 7 8 9 1-2 x\n}\n");
    EXPECT_EQ(db.Current()->entries[0].key, longKey.substr(0, 15));
    EXPECT_EQ(db.ReadValue(longKey).Text(), "0123456789ABCDE");
    EXPECT_EQ(db.ReadValue(longKey.substr(0, 15)).Text(), "0123456789ABCDE");
    EXPECT_EQ(Hex(db.ReadValue("k")), Hex(Shorts({1, 2, 3, 4, 5, 6, 7, 8})));
    EXPECT_TRUE(db.FindBlock(longKey, TexValue::FromText("0123456789ABCDEFGHIJ")));

    // A line of 100 000 tokens and 1 MB tokens load like short ones; tokens after the eighth are not read.
    std::string line = "many";
    for (int i = 0; i < 100000; ++i) line += i < 8 ? " 7" : i % 2 ? ",9" : " 1-2";
    const std::string huge(1 << 20, 'z');
    auto wide = TTexDb::FromText("{\n" + line + "\n" + huge + " " + huge + "\n}\n");
    EXPECT_EQ(Hex(wide.ReadValue("many")), Hex(Shorts({7, 7, 7, 7, 7, 7, 7, 7})));
    EXPECT_EQ(wide.ReadValue(huge).Text(), huge.substr(0, 15));
}

TEST(TexdbTest, CopiesAndMovesKeepTheirOwnCurrentBlock) {
    auto db = TTexDb::FromText("{\nname a\n}\n{\nname b\nnum 3\n}\n");
    ASSERT_TRUE(db.SelectBlock(1));
    TTexDb moved = std::move(db);
    EXPECT_EQ(moved.ReadValue("name").Text(), "b");
    ASSERT_TRUE(moved.NextKey());
    EXPECT_EQ(moved.CursorValue().Int(0), 3);
    TTexDb copy = moved;
    ASSERT_TRUE(copy.SelectBlock(0));
    EXPECT_EQ(copy.ReadValue("name").Text(), "a");
    EXPECT_EQ(moved.ReadValue("name").Text(), "b");
    EXPECT_NE(copy.Current(), moved.Current());
}

TEST(TexdbTest, ReadsBackWhatARecordWriterWrote) {
    const std::string name = "\x94\x77\x8C\x69";  // 背景
    auto db = TTexDb::FromText("\r\n{\r\n\tclass\t\tImage\r\n\tname\t\t" + name +
                               "\r\n\tshow\t\t1\r\n\tpos\t\t\t10,-20\r\n\tfileName\tbg.bmp\r\n\tsize\t\t320,240\r\n"
                               "\timageId\t\tback\r\n}\r\n\r\n{\r\n\tclass\t\tImage\r\n\tname\t\thidden\r\n}\r\n");
    ASSERT_EQ(db.Count(), 2);
    ASSERT_TRUE(db.FindBlock("name", TexValue::FromText(name)));
    EXPECT_EQ(db.ReadValue("class").Text(), "Image");
    EXPECT_EQ(db.ReadValue("show").Int(0), 1);
    EXPECT_EQ(Hex(db.ReadValue("pos")), Hex(Ints({10, -20})));
    EXPECT_EQ(db.ReadValue("fileName").Text(), "bg.bmp");
    EXPECT_EQ(Hex(db.ReadValue("size")), Hex(Ints({320, 240})));
    EXPECT_EQ(db.ReadValue("imageId").Text(), "back");
    ASSERT_TRUE(db.SelectBlock(1));
    EXPECT_EQ(db.ReadValue("show").Int(0), 0);
    EXPECT_TRUE(db.ReadValue("pos").IsZero());
}

}  // namespace
