// Decimal text of floats, which the traces of both builds must write alike.
#include "platform/Decimal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace {

std::string StandardText(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

float FromBits(std::uint32_t bits) {
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(Decimal, ShortestTextIsTheStandardsOwnForEveryKindOfFloat) {
    const float chosen[] = {0.0f, -0.0f, 1.0f, -1.5f, 0.1f, 0.001f, 1e-05f, 100000.0f, 123456790.0f, 1e10f,
                            3.4028235e38f, 1.17549435e-38f, 1e-45f, 16777216.0f, 0.3f, 2.0f / 3.0f, 4.0f, 1024.5f,
                            std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max()};
    for (const float value : chosen) EXPECT_EQ(platform::ShortestDecimal(value), StandardText(value)) << value;
    // Powers of two, where a float's neighbours are not equally far, and random bit patterns.
    for (int e = -149; e <= 127; ++e) {
        const float value = std::ldexp(1.0f, e);
        ASSERT_EQ(platform::ShortestDecimal(value), StandardText(value)) << "2^" << e;
    }
    std::mt19937 random(20261208);
    for (int i = 0; i < 40000; ++i) {
        const float value = FromBits(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(value)) continue;
        ASSERT_EQ(platform::ShortestDecimal(value), StandardText(value)) << std::hexfloat << value;
    }
}

TEST(Decimal, ParsesPlainDecimalsAndRefusesTheRest) {
    const struct {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"0", true, 0.0},        {"12.5", true, 12.5},     {"-3", true, -3.0},    {".5", true, 0.5},
        {"5.", true, 5.0},       {"1e3", true, 1000.0},    {"2.5E-1", true, 0.25}, {"1e+2", true, 100.0},
        {"", false, 0},          {"-", false, 0},          {".", false, 0},        {"+1", false, 0},
        {"1e", false, 0},        {"1e+", false, 0},        {"1.2.3", false, 0},    {" 1", false, 0},
        {"0x10", false, 0},      {"inf", false, 0},        {"nan", false, 0},      {"1e999", false, 0},
    };
    for (const auto& c : cases) {
        double value = -7.0;
        EXPECT_EQ(platform::ParseDecimal(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        }
    }
}

}  // namespace
