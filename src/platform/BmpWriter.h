#pragma once
// Pictures saved as uncompressed bitmaps: what a headless run's screenshots are, so that any tool can
// compare them byte for byte.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Writes 0xRRGGBB pixels, row by row, as a bottom-up 24-bit bitmap; false when there is no picture or
// the file cannot be written whole.
bool WriteBmp24(const std::string& path, int width, int height, const std::vector<std::uint32_t>& picture);

}  // namespace platform
