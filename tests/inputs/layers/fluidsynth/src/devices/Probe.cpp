#include <fluidsynth.h>  // only the platform layer wraps the synthesizer
