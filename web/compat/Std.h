#pragma once
// What the C++ library of Debian's emscripten (3.1.6, a libc++ of 2021) lacks of the standard that
// the game's sources use: std::bit_cast, and from_chars / to_chars for floating point. Force-included
// into the browser build only (web/CMakeLists.txt); the desktop compilers have all of it.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <string>
#include <system_error>
#include <type_traits>
#include <version>

#ifndef __cpp_lib_bit_cast
namespace std {
template <class To, class From>
    requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

namespace std {

// Decimal text only, as from_chars reads it: an optional '-', digits with an optional point, an
// optional exponent; no blanks, '+', hexadecimal, infinities or NaNs.
inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format = chars_format::general) {
    const char* p = first;
    if (p != last && *p == '-') ++p;
    const char* digitsStart = p;
    bool digits = false;
    while (p != last && *p >= '0' && *p <= '9') ++p, digits = true;
    if (p != last && *p == '.') {
        ++p;
        while (p != last && *p >= '0' && *p <= '9') ++p, digits = true;
    }
    if (!digits || digitsStart == last) return {first, errc::invalid_argument};
    if (p != last && (*p == 'e' || *p == 'E')) {
        const char* e = p + 1;
        if (e != last && (*e == '-' || *e == '+')) ++e;
        if (e != last && *e >= '0' && *e <= '9') {
            while (e != last && *e >= '0' && *e <= '9') ++e;
            p = e;
        }
    }
    const string text(first, p);
    errno = 0;
    const double parsed = strtod(text.c_str(), nullptr);
    if (errno == ERANGE) return {p, errc::result_out_of_range};
    value = parsed;
    return {p, errc()};
}

// The shortest text that reads back as the same float.
inline to_chars_result to_chars(char* first, char* last, float value) {
    char text[64];
    int length = 0;
    for (int precision = 1; precision <= 9; ++precision) {
        length = snprintf(text, sizeof text, "%.*g", precision, static_cast<double>(value));
        if (strtof(text, nullptr) == value) break;
    }
    if (length <= 0 || length > last - first) return {last, errc::value_too_large};
    memcpy(first, text, static_cast<size_t>(length));
    return {first + length, errc()};
}

}  // namespace std
