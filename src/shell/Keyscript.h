#pragma once
// Key scripts for headless runs: "FRAME KEY down|up" a line, '#' starts a comment.
#include <cstdint>
#include <string>
#include <vector>

struct TKeyEvent {
    std::int64_t frame = 0;
    int code = 0;  // DirectInput key code
    bool down = false;
};

// The last frame a script may name: the most frames a headless run takes (--frames).
inline constexpr std::int64_t kMaxFrame = std::int64_t{1} << 40;

// Appends the script's events sorted by frame (events of one frame keep their order); false with
// a message naming the line when a line is malformed.
bool ParseKeyScript(const std::string& text, std::vector<TKeyEvent>& events, std::string& error);
