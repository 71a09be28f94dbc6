#include "platform/ByteReader.h"

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr std::array<std::uint8_t, 9> kBytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0xFF};

TEST(ByteReader, ReadsEitherOrderAndNothingPastTheEnd) {
    const platform::ByteSpan bytes(kBytes);
    struct Case {
        const char* what;
        std::uint64_t got;
        std::uint64_t want;
    } cases[] = {
        {"Le16 at 0", platform::Le16(bytes, 0), 0x0201},
        {"Le24 at 1", platform::Le24(bytes, 1), 0x040302},
        {"Le32 at 5 (last whole)", platform::Le32(bytes, 5), 0xFF080706},
        {"Le64 at 0", platform::Le64(bytes, 0), 0x0807060504030201},
        {"Be16 at 7", platform::Be16(bytes, 7), 0x08FF},
        {"Be24 at 0", platform::Be24(bytes, 0), 0x010203},
        {"Be32 at 2", platform::Be32(bytes, 2), 0x03040506},
        {"Le32 one byte short", platform::Le32(bytes, 6), 0},
        {"Be16 at the end", platform::Be16(bytes, 9), 0},
        {"Le64 past the end", platform::Le64(bytes, 2), 0},
        {"offset near 2^64", platform::Le32(bytes, ~std::uint64_t{0} - 1), 0},
        {"empty span", platform::Le16(platform::ByteSpan(), 0), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;

    EXPECT_TRUE(platform::Fits(bytes, 9, 0));
    EXPECT_FALSE(platform::Fits(bytes, 10, 0));
    EXPECT_FALSE(platform::Fits(bytes, 8, ~std::uint64_t{0}));  // no wrap-around to "fits"
    const std::uint8_t riff[] = {'R', 'I', 'F', 'F', 'W', 'A', 'V'};
    EXPECT_TRUE(platform::HasId(riff, 0, "RIFF"));
    EXPECT_FALSE(platform::HasId(riff, 4, "WAVE"));  // cut short by one byte
    EXPECT_FALSE(platform::HasId(riff, 1, "RIFF"));
}

}  // namespace
