#pragma once
// An animated sprite: plays one anime toy on its own clock and draws its current frame at its position.
#include <cstdint>
#include <string>

#include "toys/Toyshape.h"

class TTexDb;
class TToyAnime;

class TToyPlayer : public TToyShape {
public:
    TToyPlayer(TToyBox* box, TTexDb& db);

    void Draw(std::int32_t offsetX, std::int32_t offsetY) override;
    void Update(std::int32_t ms) override;
    void WriteRecord(std::vector<std::string>& lines) const override;
    // Switches to the anime of that name from time 0; a name that names none leaves the player without one.
    void PlayAnime(const std::string& animeName, bool loop);

    TToyAnime* anime = nullptr;  // not owned
    std::int32_t time = 0;       // ms since the anime started
    std::int32_t length = 0;     // ms, the anime's total duration when it started
    bool playing = false;
    bool loop = false;
};
