// The page's captures: a page writes no files the player could find, so a picture is encoded by the
// browser (a canvas makes the PNG) and offered as a download. Takes the place of
// src/platform/Captures.cpp in web/CMakeLists.txt.
#include "platform/Captures.h"

#include <emscripten.h>

#include <cstddef>

namespace platform {

bool SavePng(const std::string& path, const std::vector<std::uint32_t>& rgb, int width, int height, int scale,
             std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    if (width <= 0 || height <= 0 || scale <= 0 || width > kMaxSavedSide / scale || height > kMaxSavedSide / scale ||
        rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return fail("Cannot save a " + std::to_string(width) + " x " + std::to_string(height) + " picture at scale " +
                    std::to_string(scale) + ".");
    }
    // The canvas takes RGBA bytes.
    std::vector<std::uint8_t> rgba(rgb.size() * 4);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgba[4 * i] = static_cast<std::uint8_t>(rgb[i] >> 16);
        rgba[4 * i + 1] = static_cast<std::uint8_t>(rgb[i] >> 8);
        rgba[4 * i + 2] = static_cast<std::uint8_t>(rgb[i]);
        rgba[4 * i + 3] = 0xFF;
    }
    const std::string name = path.substr(path.rfind('/') + 1);
    // The page (index.html) encodes it with the browser's own PNG encoder, through a canvas the
    // picture is drawn on pixel for pixel, and offers the result as a download, as its screenshot
    // button does: the program needs nothing of its own for it.
    const int taken = EM_ASM_INT(
        {
            if (!Module.pelloroSavePng) return 0;
            return Module.pelloroSavePng(UTF8ToString($0), HEAPU8.slice($1, $1 + $2 * $3 * 4), $2, $3, $4) ? 1 : 0;
        },
        name.c_str(), rgba.data(), width, height, scale);
    return taken == 1 || fail("This page cannot make pictures; use the browser's own screenshot.");
}

// The page's file system is the page's alone: what a capture is named is all that matters.
std::string CapturesFolder(std::string* fallback) {
    if (fallback) fallback->clear();
    return "/";
}

std::string ShownPath(const std::string& path) { return "your downloads: " + path.substr(path.rfind('/') + 1); }

}  // namespace platform
