#pragma once
// Which way the window puts its picture on the screen. With a hardware GL driver, SDL's accelerated
// renderer uploads the small picture once a frame and the GPU enlarges it; with a GL driver that runs
// on the CPU (llvmpipe, softpipe, swrast) or none at all, enlarging it ourselves straight into the
// window's surface costs far less than a GL context.
#include <string>
#include <string_view>

namespace platform {

enum class RenderPath { kSoftware, kAccelerated };

struct RendererChoice {
    RenderPath path = RenderPath::kSoftware;
    std::string driver;  // the SDL render driver to ask for; empty: SDL's first accelerated one
    std::string reason;  // one line for --verbose: what was chosen and why
};

// True when a GL_RENDERER string names a driver that rasterises on the CPU.
bool IsSoftwareGlRenderer(std::string_view glRenderer);

// The choice for an SDL_RENDER_DRIVER value (empty when unset; it wins) and a GL_RENDERER string
// (empty when no GL context could be made).
RendererChoice DecideRenderer(std::string_view renderDriverVariable, std::string_view glRenderer);

// GL_RENDERER of a context on a hidden window, or empty when GL is not available. Video must be up.
std::string ProbeGlRenderer();

// Decides for this machine (reads SDL_RENDER_DRIVER, probes GL only when it is unset), remembers the
// choice for the windows created after it and returns it. Video must be up.
const RendererChoice& ChooseRenderer();

// What windows use: the last ChooseRenderer or UseRenderer, else the software path.
const RendererChoice& CurrentRenderer();
void UseRenderer(const RendererChoice& choice);

}  // namespace platform
