#pragma once
// Bytes from a file or a command line quoted inside a one-line message: never longer than a line and
// never raw bytes the terminal would garble.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// At most this many characters of the input are quoted; a longer input ends in "…".
inline constexpr std::size_t kMessageQuoteChars = 64;

// Shift-JIS text (the game's data) as UTF-8 for a message: a byte that is not part of a valid
// character, or is a control character, is written as \xNN.
std::string ShiftJisForMessage(std::string_view bytes, std::size_t maxChars = kMessageQuoteChars);

// Text that should be UTF-8 (a command line, a key script) for a message, the same way: invalid
// sequences and control characters as \xNN.
std::string Utf8ForMessage(std::string_view bytes, std::size_t maxChars = kMessageQuoteChars);

}  // namespace platform
