#pragma once
// The nine toy classes the game's scene is built from, as the toy box's class table.
#include "data/ToyClassTable.h"

TToyClasses GameToyClasses();
