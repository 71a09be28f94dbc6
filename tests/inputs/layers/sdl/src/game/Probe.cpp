#include <SDL.h>  // the rules may not see SDL
