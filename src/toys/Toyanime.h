#pragma once
// A timed sequence of frame toys; it keeps no clock: whoever draws it says for which time.
#include <cstdint>
#include <string>
#include <vector>

#include "toys/Toyshape.h"

class TTexDb;
class TToyFrame;

struct TAnimeEntry {
    TToyFrame* frame = nullptr;  // not owned; none when the record named no earlier frame
    std::string frameName;       // as the record names it, so the entry writes back even without a frame
    std::int32_t duration = 0;   // ms
};

class TToyAnime : public TToyShape {
public:
    TToyAnime(TToyBox* box, TTexDb& db);

    void WriteRecord(std::vector<std::string>& lines) const override;
    // The frame on show `time` ms after the start; none for an empty sequence or a missing frame.
    TToyFrame* GetFrame(std::int32_t time) const;
    // Draws that frame at the anime's position and takes over its hit rectangle.
    void DrawFrame(std::int32_t time);

    std::vector<TAnimeEntry> sequence;
    std::int32_t totalDuration = 0;  // ms
};
