#pragma once
// Where the player's captures may go: the user's pictures folder, and a name made of the moment that
// never overwrites an earlier capture.
#include <ctime>
#include <string>

namespace platform {

// The user's pictures folder: what `xdg-user-dir PICTURES` answers when that is a folder other than the
// home folder (its answer when no pictures folder is set), else ~/Pictures when it exists, else the
// working directory ("." when even that cannot be read).
std::string PicturesFolder();

// prefix-YYYYMMDD-HHMMSS.extension in local time, e.g. pelloro-20261208-061530.png; the extension may
// be given with or without its dot.
std::string TimestampedName(const std::string& prefix, std::time_t when, const std::string& extension);

// folder/name, or folder/stem-2.ext, -3 and so on when that file already exists: two captures made in
// the same second both survive.
std::string UnusedPath(const std::string& folder, const std::string& name);

}  // namespace platform
