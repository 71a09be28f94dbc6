#pragma once
// A stand-in for a library the browser build does without: no layer, so no layer's rule.
#include <fluidsynth.h>
