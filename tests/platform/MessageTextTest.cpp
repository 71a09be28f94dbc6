#include "platform/MessageText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* what;
    std::string in;
    std::string shiftJis;  // as ShiftJisForMessage quotes it
    std::string utf8;      // as Utf8ForMessage quotes it
};

TEST(MessageText, QuotesValidTextAsItIsAndEscapesWhatCannotBeShown) {
    const Case cases[] = {
        {"plain ASCII", "toybox 12", "toybox 12", "toybox 12"},
        {"Shift-JIS kana", "\x83\x65\x83\x58\x83\x67", "テスト", "\\x83e\\x83X\\x83g"},
        {"half-width katakana", "\xb1", "ｱ", "\\xB1"},
        {"a lead byte without its trail", "a\x81", "a\\x81", "a\\x81"},
        {"a lead byte before a byte that cannot trail it", "\x81 b", "\\x81 b", "\\x81 b"},
        {"a byte no encoding uses", "\xff\x62", "\\xFFb", "\\xFFb"},
        {"a NUL and a line break", std::string("k\0e\ny", 5), "k\\x00e\\x0Ay", "k\\x00e\\x0Ay"},
        {"UTF-8 read as Shift-JIS is half-width katakana", "café", "cafﾃｩ", "café"},
        {"a cut-off sequence", "x\xe3", "x\\xE3", "x\\xE3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::ShiftJisForMessage(c.in), c.shiftJis) << c.what;
        EXPECT_EQ(platform::Utf8ForMessage(c.in), c.utf8) << c.what;
    }
}

TEST(MessageText, QuotesAtMost64CharactersAndMarksTheCut) {
    const std::string tenMegabytes(10u << 20, '7');
    const std::string expected = std::string(64, '7') + "…";
    EXPECT_EQ(platform::ShiftJisForMessage(tenMegabytes), expected);
    EXPECT_EQ(platform::Utf8ForMessage(tenMegabytes), expected);
    // Characters are counted, not bytes: 64 two-byte kana are quoted whole.
    std::string kana;
    for (int i = 0; i < 64; ++i) kana += "\x83\x65";
    EXPECT_EQ(platform::ShiftJisForMessage(kana).find("…"), std::string::npos);
    EXPECT_NE(platform::ShiftJisForMessage(kana + "x").find("…"), std::string::npos);
    EXPECT_EQ(platform::Utf8ForMessage(std::string(64, 'a')), std::string(64, 'a'));
}

}  // namespace
