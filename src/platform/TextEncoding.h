#pragma once
// The game's texts are Shift-JIS; what a person reads is UTF-8.
#include <string>
#include <string_view>

namespace platform {

// Shift-JIS (code page 932) bytes as UTF-8; a byte sequence that is not valid Shift-JIS becomes '?'.
std::string ShiftJisToUtf8(std::string_view bytes);

}  // namespace platform
