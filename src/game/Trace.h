#pragma once
// One line of the headless trace: the main game mode's state after a frame, as a JSON object.
#include <cstdint>
#include <string>

class TGameMainMode;

// A single-line JSON object without a trailing newline.
std::string TraceLine(const TGameMainMode& game, std::int64_t frame);
