#include "kernel/Kernel.h"
#include "game/Gamemain.h"  // the kernel may not know the game
