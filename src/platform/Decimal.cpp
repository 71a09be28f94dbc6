#include "platform/Decimal.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

// The digits and the decimal exponent of "d.ddde±x", as printf writes it.
void SplitScientific(const char* text, std::string& digits, int& exponent) {
    digits.clear();
    const char* p = text;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') digits.push_back(*p);
    }
    exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

// Adds one to the last of `digits`, carrying; a carry out of the first digit raises the exponent.
void NextUp(std::string& digits, int& exponent) {
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
    if (i < 0) {
        digits.insert(digits.begin(), '1');
        digits.pop_back();
        ++exponent;
    } else {
        ++digits[static_cast<std::size_t>(i)];
    }
}

bool ReadsBack(const std::string& digits, int exponent, float value) {
    const std::string text = digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(exponent);
    return std::strtof(text.c_str(), nullptr) == value;
}

}  // namespace

std::string ShortestDecimal(float value) {
    if (std::isnan(value)) return "nan";
    const std::string sign = std::signbit(value) ? "-" : "";
    if (std::isinf(value)) return sign + "inf";
    if (value == 0.0f) return sign + "0";
    const float magnitude = std::fabs(value);
    std::string digits;
    int exponent = 0;
    // The fewest significant digits that read back: the nearest such number, or, where the float's
    // neighbours are not equally far (at a power of two), the one just above it.
    for (int precision = 1; precision <= 9; ++precision) {
        char text[48];
        std::snprintf(text, sizeof text, "%.*e", precision - 1, static_cast<double>(magnitude));
        SplitScientific(text, digits, exponent);
        if (ReadsBack(digits, exponent, magnitude)) break;
        std::string up = digits;
        int upExponent = exponent;
        up.resize(static_cast<std::size_t>(precision), '0');
        NextUp(up, upExponent);
        while (up.size() > 1 && up.back() == '0') up.pop_back();
        if (ReadsBack(up, upExponent, magnitude)) {
            digits = up;
            exponent = upExponent;
            break;
        }
    }
    const int count = static_cast<int>(digits.size());

    std::string scientific = digits.substr(0, 1);
    if (count > 1) scientific += "." + digits.substr(1);
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    scientific += exponentText;

    std::string plain;
    if (exponent >= count - 1) {
        plain = digits + std::string(static_cast<std::size_t>(exponent - count + 1), '0');
    } else if (exponent >= 0) {
        plain = digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." + digits.substr(static_cast<std::size_t>(exponent) + 1);
    } else {
        plain = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    if (plain.size() > scientific.size()) return sign + scientific;
    if (exponent >= count - 1) {
        // A whole number in plain notation is written exactly, all its digits, not the shortest ones
        // padded with zeros; it is as long either way.
        char whole[64];
        std::snprintf(whole, sizeof whole, "%.0f", static_cast<double>(magnitude));
        plain = whole;
    }
    return sign + plain;
}

bool ParseDecimal(std::string_view text, double& value) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, digits = true;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, digits = true;
    }
    if (!digits) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        bool exponentDigits = false;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, exponentDigits = true;
        if (!exponentDigits) return false;
    }
    if (i != text.size()) return false;
    // strtod reads the point of the C locale, which the program never changes.
    const std::string copy(text);
    errno = 0;
    const double parsed = std::strtod(copy.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(parsed)) return false;
    value = parsed;
    return true;
}

}  // namespace platform
