#include "platform/AudioConvert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using platform::SampleFormat;
using Encoding = SampleFormat::Encoding;
using Bytes = std::vector<std::uint8_t>;

SampleFormat Kind(Encoding encoding, int bits, int channels, int rate) {
    SampleFormat f;
    f.encoding = encoding;
    f.bits = bits;
    f.channels = channels;
    f.rate = rate;
    return f;
}

Bytes Le(std::uint64_t v, int bytes) {
    Bytes out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return out;
}

Bytes Floats(const std::vector<float>& values) {
    Bytes out;
    for (float v : values) {
        std::uint32_t raw;
        std::memcpy(&raw, &v, 4);
        const Bytes b = Le(raw, 4);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

// At the same rate and channel count every kind lands on the 16-bit scale as its top bits say.
TEST(AudioConvert, EachKindLandsOnTheSixteenBitScale) {
    struct Case {
        const char* what;
        SampleFormat format;
        Bytes bytes;
        std::vector<std::int16_t> expected;
    };
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const Case cases[] = {
        {"8-bit is unsigned", Kind(Encoding::kInteger, 8, 1, 44100), {0, 128, 255, 129}, {-32768, 0, 32512, 256}},
        {"16-bit as it stands", Kind(Encoding::kInteger, 16, 1, 44100), join({Le(0x8000, 2), Le(0x7FFF, 2), Le(1, 2)}),
         {-32768, 32767, 1}},
        {"24-bit keeps its top 16 bits", Kind(Encoding::kInteger, 24, 1, 44100),
         join({Le(0x800000, 3), Le(0x7FFFFF, 3), Le(0x012345, 3), Le(0xFFFFFF, 3)}), {-32768, 32767, 0x0123, -1}},
        {"32-bit keeps its top 16 bits", Kind(Encoding::kInteger, 32, 1, 44100),
         join({Le(0x80000000, 4), Le(0x7FFFFFFF, 4), Le(0x01234567, 4)}), {-32768, 32767, 0x0123}},
        {"float at full scale and half", Kind(Encoding::kFloat, 32, 1, 44100), Floats({-1.0f, 1.0f, 0.5f, 0.0f}),
         {-32767, 32767, 16383, 0}},
        {"float past full scale is held and NaN is silence", Kind(Encoding::kFloat, 32, 1, 44100),
         Floats({8.0f, -8.0f, std::nanf(""), INFINITY}), {32767, -32767, 0, 32767}},
    };
    for (const Case& c : cases) {
        std::vector<std::int16_t> out;
        ASSERT_TRUE(platform::ConvertSamples(c.format, c.bytes.data(), c.bytes.size(), 44100, 1, 1000, out)) << c.what;
        ASSERT_EQ(out.size(), c.expected.size()) << c.what;
        for (std::size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], c.expected[i], 1) << c.what << " sample " << i;
    }
}

TEST(AudioConvert, ChannelsAndRateAreConverted) {
    std::vector<std::int16_t> out;
    const Bytes stereo = {0x10, 0x00, 0x30, 0x00, 0x10, 0x00, 0x30, 0x00};  // two frames of (16, 48)
    ASSERT_TRUE(platform::ConvertSamples(Kind(Encoding::kInteger, 16, 2, 44100), stereo.data(), stereo.size(), 44100, 1, 10, out));
    ASSERT_EQ(out.size(), 2u);
    for (std::int16_t v : out) EXPECT_NEAR(v, 32, 1) << "stereo mixed down to its mean";
    Bytes second(22050 * 2, 0);
    ASSERT_TRUE(platform::ConvertSamples(Kind(Encoding::kInteger, 16, 1, 22050), second.data(), second.size(), 48000, 2,
                                         100000, out));
    EXPECT_NEAR(static_cast<double>(out.size()) / 2, 48000, 16) << "a second stays a second";
}

TEST(AudioConvert, RefusalsLeaveNothing) {
    struct Case {
        const char* what;
        SampleFormat format;
        std::size_t size;
        int outRate;
        int outChannels;
        std::size_t maxFrames;
    };
    const Case cases[] = {
        {"12-bit", Kind(Encoding::kInteger, 12, 1, 22050), 64, 44100, 2, 1000},
        {"64-bit integer", Kind(Encoding::kInteger, 64, 1, 22050), 64, 44100, 2, 1000},
        {"16-bit float", Kind(Encoding::kFloat, 16, 1, 22050), 64, 44100, 2, 1000},
        {"three channels", Kind(Encoding::kInteger, 16, 3, 22050), 66, 44100, 2, 1000},
        {"no channels", Kind(Encoding::kInteger, 16, 0, 22050), 64, 44100, 2, 1000},
        {"rate under 100 Hz", Kind(Encoding::kInteger, 16, 1, 99), 64, 44100, 2, 1000},
        {"rate over 200 kHz", Kind(Encoding::kInteger, 16, 1, 200001), 64, 44100, 2, 1000},
        {"no output rate", Kind(Encoding::kInteger, 16, 1, 22050), 64, 0, 2, 1000},
        {"three output channels", Kind(Encoding::kInteger, 16, 1, 22050), 64, 44100, 3, 1000},
        {"less than a frame", Kind(Encoding::kInteger, 24, 2, 22050), 5, 44100, 2, 1000},
        {"longer than allowed", Kind(Encoding::kInteger, 16, 1, 22050), 64, 44100, 2, 63},
    };
    const Bytes zeros(256, 0);
    for (const Case& c : cases) {
        std::vector<std::int16_t> out = {1, 2, 3};
        EXPECT_FALSE(platform::ConvertSamples(c.format, zeros.data(), c.size, c.outRate, c.outChannels, c.maxFrames, out))
            << c.what;
        EXPECT_TRUE(out.empty()) << c.what;
    }
    std::vector<std::int16_t> out;
    EXPECT_FALSE(platform::ConvertSamples(Kind(Encoding::kInteger, 16, 1, 22050), nullptr, 0, 44100, 2, 1000, out));
    // A partial frame at the end is dropped, the whole ones kept.
    ASSERT_TRUE(platform::ConvertSamples(Kind(Encoding::kInteger, 24, 2, 44100), zeros.data(), 13, 44100, 2, 1000, out));
    EXPECT_EQ(out.size(), 4u);
}

}  // namespace
