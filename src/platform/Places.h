#pragma once
// Where this system keeps what the program needs but does not carry (the General MIDI SoundFont, the
// Japanese font), and what to tell a player who lacks one. The build compiles platform/posix/Places.cpp
// or platform/windows/Places.cpp; PicturesFolder (platform/Screenshot.h) is there too.
#include <string>
#include <vector>

namespace platform {

// Files tried in order; the first that exists wins.
std::vector<std::string> SoundFontPlaces();
std::vector<std::string> FontPlaces();

// The folders, best first, under which the player's captures may go in a folder of the game's own:
// they need not exist yet.
std::vector<std::string> PictureFolders();

// What a player without a SoundFont can do, a few words to go before "or set PELLORO_SOUNDFONT".
std::string SoundFontRemedy();

}  // namespace platform
