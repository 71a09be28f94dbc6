#pragma once
// Decimal text of floating-point numbers, the same on every platform and in any locale: the browser
// build's C++ library has neither of the standard's floating-point conversions in <charconv>.
#include <string>
#include <string_view>

namespace platform {

// The shortest text that reads back as the same float, as the standard's to_chars writes it: the
// fewest characters, plain notation when that is no longer than the exponent form ("1e+05", "0.001",
// "-0"), a whole number in plain notation with its exact digits ("123456792"). Infinities and NaNs as "inf", "-inf" and "nan".
std::string ShortestDecimal(float value);

// A decimal number: an optional '-', digits with an optional point, an optional exponent, nothing
// else. False for any other text or a value beyond a double's range.
bool ParseDecimal(std::string_view text, double& value);

}  // namespace platform
