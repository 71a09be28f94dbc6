#pragma once
// Numbers read out of a file's bytes: little-endian (RIFF waves, bitmaps, the text database's cells)
// and big-endian (standard MIDI files), whatever the host. Every read is checked against the span: a
// number that would reach past its end reads as 0 and is never read from beyond it, so a parser that
// forgot a length check gets a wrong number, not another buffer's bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace platform {

using ByteSpan = std::span<const std::uint8_t>;

// True when `count` bytes from `at` all lie inside `bytes`.
constexpr bool Fits(ByteSpan bytes, std::uint64_t at, std::uint64_t count) {
    return at <= bytes.size() && count <= bytes.size() - at;
}

// The unsigned number in `width` (1 .. 8) bytes at `at`, lowest byte first; 0 past the end.
constexpr std::uint64_t LoadLe(ByteSpan bytes, std::uint64_t at, int width) {
    if (width < 1 || width > 8 || !Fits(bytes, at, static_cast<std::uint64_t>(width))) return 0;
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | bytes[static_cast<std::size_t>(at) + static_cast<std::size_t>(i)];
    return v;
}

// The same, highest byte first.
constexpr std::uint64_t LoadBe(ByteSpan bytes, std::uint64_t at, int width) {
    if (width < 1 || width > 8 || !Fits(bytes, at, static_cast<std::uint64_t>(width))) return 0;
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i) v = (v << 8) | bytes[static_cast<std::size_t>(at) + static_cast<std::size_t>(i)];
    return v;
}

constexpr std::uint16_t Le16(ByteSpan b, std::uint64_t at) { return static_cast<std::uint16_t>(LoadLe(b, at, 2)); }
constexpr std::uint32_t Le24(ByteSpan b, std::uint64_t at) { return static_cast<std::uint32_t>(LoadLe(b, at, 3)); }
constexpr std::uint32_t Le32(ByteSpan b, std::uint64_t at) { return static_cast<std::uint32_t>(LoadLe(b, at, 4)); }
constexpr std::uint64_t Le64(ByteSpan b, std::uint64_t at) { return LoadLe(b, at, 8); }
constexpr std::uint16_t Be16(ByteSpan b, std::uint64_t at) { return static_cast<std::uint16_t>(LoadBe(b, at, 2)); }
constexpr std::uint32_t Be24(ByteSpan b, std::uint64_t at) { return static_cast<std::uint32_t>(LoadBe(b, at, 3)); }
constexpr std::uint32_t Be32(ByteSpan b, std::uint64_t at) { return static_cast<std::uint32_t>(LoadBe(b, at, 4)); }

// True when the four bytes at `at` are the chunk id `id` ("RIFF", "MThd"); false past the end.
inline bool HasId(ByteSpan bytes, std::uint64_t at, const char (&id)[5]) {
    return Fits(bytes, at, 4) && std::memcmp(bytes.data() + at, id, 4) == 0;
}

}  // namespace platform
