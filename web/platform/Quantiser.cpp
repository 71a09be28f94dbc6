// The browser build has no libimagequant; nothing asks it for a palette there (its GIF writer refuses
// every clip). Takes the place of src/platform/Quantiser.cpp in web/CMakeLists.txt only.
#include "platform/Quantiser.h"

namespace platform {

Quantiser::~Quantiser() = default;

bool Quantiser::Remap(const std::uint8_t*, int, int, std::uint8_t*, std::vector<std::uint32_t>& argb) {
    argb.clear();
    attributes = nullptr;  // never made here
    error = "no colour quantiser in the browser build";
    return false;
}

}  // namespace platform
