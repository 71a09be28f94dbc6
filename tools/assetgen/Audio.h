#pragma once
// The game's sounds and song, as the bytes of their files.
#include <cstdint>
#include <vector>

namespace audio {

std::vector<std::uint8_t> MakeGet();   // get.wav: mono 8-bit, a two-note pick-up
std::vector<std::uint8_t> MakeChime();  // the example mod's get.wav: mono 8-bit, three rising notes
std::vector<std::uint8_t> MakeWalk();  // walk.wav: stereo 16-bit, steps on leaves, loopable
std::vector<std::uint8_t> MakeMiss();  // miss.wav: stereo 16-bit, a falling phrase
std::vector<std::uint8_t> MakeSong();  // bgm0.mid: format 0, three channels, 15 bars
// pelloro.sf2: the song's three instruments (bank 0, programs 8, 12 and 79), for the browser build
std::vector<std::uint8_t> MakeSoundFont();

}  // namespace audio
