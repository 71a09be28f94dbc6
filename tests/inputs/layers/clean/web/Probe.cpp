// The browser's entry stands where the shell does: it may include the shell, every layer below it and SDL.
#include <SDL.h>

#include "shell/Mainunit.h"
#include "platform/Resources.h"
