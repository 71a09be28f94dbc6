#pragma once
// A palette of at most 256 colours for a picture of more, through libimagequant, without dithering:
// dithered pixel art shimmers from frame to frame and compresses badly.
#include <cstdint>
#include <string>
#include <vector>

struct liq_attr;

namespace platform {

class Quantiser {
public:
    Quantiser() = default;
    ~Quantiser();
    Quantiser(const Quantiser&) = delete;
    Quantiser& operator=(const Quantiser&) = delete;

    // `rgba`: width × height pixels of 4 bytes (alpha 0 where the pixel is to be transparent). Writes one
    // palette index a pixel into `indices` and the palette into `argb` (0xAARRGGBB). False, with
    // Error(), when the quantiser cannot start or cannot quantise the picture.
    bool Remap(const std::uint8_t* rgba, int width, int height, std::uint8_t* indices, std::vector<std::uint32_t>& argb);
    const std::string& Error() const { return error; }

private:
    liq_attr* attributes = nullptr;
    std::string error;
};

}  // namespace platform
