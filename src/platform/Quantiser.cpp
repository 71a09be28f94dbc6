#include "platform/Quantiser.h"

#include <libimagequant.h>

#include "platform/System.h"

namespace platform {

namespace {

// libimagequant's speed (1 best .. 10 fastest). The game's frames hardly ever need the quantiser;
// when one does (a picture of many colours), 8 halves the time of 6 for a mean error larger by a tenth.
constexpr int kQuantiserSpeed = 8;

// Debian's libimagequant spreads a frame over every core through OpenMP; a clip's encoder must leave
// the other core to the game's frames, so each thread that quantises asks OpenMP for a team of one.
// Looked up at run time: a libimagequant built without OpenMP needs nothing.
void QuantiseOnThisThreadOnly() {
    using SetThreads = void (*)(int);
    static const auto setThreads = reinterpret_cast<SetThreads>(OptionalSymbol("omp_set_num_threads"));
    thread_local bool done = false;
    if (setThreads && !done) setThreads(1);
    done = true;
}

}  // namespace

Quantiser::~Quantiser() {
    if (attributes) liq_attr_destroy(attributes);
}

bool Quantiser::Remap(const std::uint8_t* rgba, int width, int height, std::uint8_t* indices,
                      std::vector<std::uint32_t>& argb) {
    argb.clear();
    if (!attributes) {
        attributes = liq_attr_create();
        if (!attributes) {
            error = "Cannot start the colour quantiser (out of memory); close other programs and try again.";
            return false;
        }
        liq_set_speed(attributes, kQuantiserSpeed);
    }
    QuantiseOnThisThreadOnly();
    liq_image* image = liq_image_create_rgba(attributes, rgba, width, height, 0);
    if (!image) {
        error = "Cannot quantise a frame of the clip (out of memory); close other programs and try again.";
        return false;
    }
    liq_result* result = nullptr;
    bool ok = liq_image_quantize(image, attributes, &result) == LIQ_OK;
    if (ok) ok = liq_set_dithering_level(result, 0.0f) == LIQ_OK &&
                 liq_write_remapped_image(result, image, indices,
                                          static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) == LIQ_OK;
    if (!ok) {
        if (result) liq_result_destroy(result);
        liq_image_destroy(image);
        error = "Cannot quantise a frame of the clip; record it again.";
        return false;
    }
    const liq_palette* palette = liq_get_palette(result);
    for (unsigned i = 0; i < palette->count && i < 256; ++i) {
        const liq_color& c = palette->entries[i];
        argb.push_back((std::uint32_t{c.a} << 24) | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b);
    }
    liq_result_destroy(result);
    liq_image_destroy(image);
    return true;
}

}  // namespace platform
