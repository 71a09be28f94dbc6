// A browser build's replacement of a device that reaches up into the rules.
#include "game/Gamemain.h"
