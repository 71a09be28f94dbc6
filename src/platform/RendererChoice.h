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
// The same asked apart from this program's video (call it before SDL_Init): on POSIX systems from a
// child process; empty when the probe fails or takes longer than `timeoutMs` to answer.
std::string ProbeGlRendererApart(int timeoutMs);
// True when `driDirectory` (/dev/dri) holds a GPU device node (card*, renderD*).
bool HasGpuDevice(const std::string& driDirectory);
// Why this machine surely has no hardware GL driver, for --verbose (empty: it may have one).
std::string NoGpuReason();

// Decides for this machine, remembers the choice for the windows created after it and returns it:
// SDL_RENDER_DRIVER when set; software when LIBGL_ALWAYS_SOFTWARE is set or there is no GPU device;
// else by the GL driver's name, asked in a child process. Call it after the video hints and before
// SDL_Init (afterwards it asks in this process).
const RendererChoice& ChooseRenderer();

// What windows use: the last ChooseRenderer or UseRenderer, else the software path.
const RendererChoice& CurrentRenderer();
void UseRenderer(const RendererChoice& choice);

}  // namespace platform
