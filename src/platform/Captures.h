#pragma once
// How the player's captures are kept, which differs by platform: PNG files in a Pelloro folder of the
// pictures folder on the desktop, downloads the page offers in the browser (web/platform/Captures.cpp).
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The largest picture side SavePng writes (pixels, after scaling).
constexpr int kMaxSavedSide = 16384;

// Writes `rgb` (0xRRGGBB, row by row, width × height) as a PNG, every pixel a scale × scale square.
// False with one English line in *error (when given) for a bad size or a file that cannot be written.
bool SavePng(const std::string& path, const std::vector<std::uint32_t>& rgb, int width, int height, int scale,
             std::string* error);

// The folder the player's captures go to, made when missing; where it cannot be made, the pictures
// folder itself.
std::string CapturesFolder();

// A capture's path as the player would look for it: the home folder written "~".
std::string ShownPath(const std::string& path);

}  // namespace platform
