#include "platform/RendererChoice.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform {

namespace {

RendererChoice& Current() {
    static RendererChoice choice{RenderPath::kSoftware, {}, "software: no renderer was chosen"};
    return choice;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

constexpr unsigned kGlRenderer = 0x1F01;  // GL_RENDERER, without pulling in the GL headers

}  // namespace

bool IsSoftwareGlRenderer(std::string_view glRenderer) {
    const std::string name = Lower(glRenderer);
    // Mesa's CPU rasterisers, the Windows and Apple software fallbacks, and an empty answer.
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "gdi generic",
                                 "apple software renderer", "swiftshader", "lavapipe"}) {
        if (name.find(software) != std::string::npos) return true;
    }
    return name.find_first_not_of(" \t") == std::string::npos;
}

RendererChoice DecideRenderer(std::string_view renderDriverVariable, std::string_view glRenderer) {
    RendererChoice choice;
    const std::string asked = Lower(renderDriverVariable);
    if (!asked.empty()) {
        if (asked == "software") {
            choice.reason = "software (SDL_RENDER_DRIVER=software)";
            return choice;
        }
        choice.path = RenderPath::kAccelerated;
        choice.driver = asked;
        choice.reason = "accelerated, " + asked + " (SDL_RENDER_DRIVER)";
        return choice;
    }
    if (glRenderer.empty()) {
        choice.reason = "software (no GL driver answered)";
    } else if (IsSoftwareGlRenderer(glRenderer)) {
        choice.reason = "software (the GL driver, " + std::string(glRenderer) + ", draws on the CPU)";
    } else {
        choice.path = RenderPath::kAccelerated;
        choice.reason = "accelerated (GL driver " + std::string(glRenderer) + ")";
    }
    return choice;
}

std::string ProbeGlRenderer() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return {};
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!probe) return {};
    std::string name;
    if (SDL_GLContext context = SDL_GL_CreateContext(probe)) {
        using GetString = const unsigned char* (*)(unsigned);
        if (auto get = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"))) {
            if (const unsigned char* text = get(kGlRenderer)) name = reinterpret_cast<const char*>(text);
        }
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(probe);
    return name;
}

const RendererChoice& ChooseRenderer() {
    const char* variable = std::getenv("SDL_RENDER_DRIVER");
    const std::string asked = variable ? variable : "";
    Current() = DecideRenderer(asked, asked.empty() ? ProbeGlRenderer() : std::string());
    return Current();
}

const RendererChoice& CurrentRenderer() { return Current(); }

void UseRenderer(const RendererChoice& choice) { Current() = choice; }

}  // namespace platform
