#pragma once
// The game's texts are Shift-JIS; what a person reads is UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The number of bytes of the Shift-JIS character that starts at `at`: 2 for a lead byte with a byte
// after it, else 1. Whether they make a character is the converter's to say.
std::size_t ShiftJisCharacterLength(std::string_view bytes, std::size_t at);

// Shift-JIS (code page 932) bytes as UTF-8; a byte sequence that is not valid Shift-JIS becomes '?'.
std::string ShiftJisToUtf8(std::string_view bytes);

}  // namespace platform
