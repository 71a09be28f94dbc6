#include "toys/Toyplayer.h"

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "toys/Wrap.h"
#include "toys/Toyanime.h"

TToyPlayer::TToyPlayer(TToyBox* box, TTexDb& db) : TToyShape(box, kClassPlayer, "", 0, 0) {
    const std::string nameValue = db.ReadValue("name").Text();
    const TexValue pos = db.ReadValue("pos");
    const std::string animeId = db.ReadValue("animeId").Text();
    name = nameValue;
    x = pos.Int(0);
    y = pos.Int(1);
    PlayAnime(animeId, true);
}

void TToyPlayer::PlayAnime(const std::string& animeName, bool loopAnime) {
    anime = box != nullptr ? box->FindToyAs<TToyAnime>(kClassAnime, animeName) : nullptr;
    if (anime == nullptr) return;
    time = 0;
    playing = true;
    loop = loopAnime;
    length = anime->totalDuration;
}

void TToyPlayer::Update(std::int32_t ms) {
    if (!playing) return;
    time = WrapAdd(time, ms);
    if (time < length) return;
    // What lies beyond the end is dropped, so a cycle lasts the length rounded up to whole updates.
    if (loop) {
        time = 0;
    } else {
        playing = false;  // time stays, so the last frame stays on show
    }
}

void TToyPlayer::Draw(std::int32_t, std::int32_t) {
    if (anime == nullptr || visible == 0) return;
    // Set right before every draw, so several players can share one anime.
    anime->x = x;
    anime->y = y;
    anime->DrawFrame(time);
    hitRect = anime->hitRect;
}

void TToyPlayer::WriteRecord(std::vector<std::string>& lines) const {
    TToyShape::WriteRecord(lines);
    lines.push_back("\tanimeId\t\t" + (anime != nullptr ? anime->name : std::string()));
    lines.emplace_back("}");
}
