#include "platform/RendererChoice.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>

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

bool HasGpuDevice(const std::string& driDirectory) {
    std::error_code failed;
    for (std::filesystem::directory_iterator entry(driDirectory, failed), end; !failed && entry != end;
         entry.increment(failed)) {
        const std::string name = entry->path().filename().string();
        if (name.rfind("renderD", 0) == 0 || name.rfind("card", 0) == 0) return true;
    }
    return false;
}

const RendererChoice& ChooseRenderer() {
    const char* variable = std::getenv("SDL_RENDER_DRIVER");
    const std::string asked = variable ? variable : "";
    if (!asked.empty()) {
        Current() = DecideRenderer(asked, {});
        return Current();
    }
    const char* forced = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (forced && *forced && std::strcmp(forced, "0") != 0) {
        Current() = DecideRenderer({}, {});
        Current().reason = "software (LIBGL_ALWAYS_SOFTWARE is set)";
        return Current();
    }
    // Without a GPU device the GL driver can only be a software one: no need to load it to ask.
    if (const std::string none = NoGpuReason(); !none.empty()) {
        Current() = DecideRenderer({}, {});
        Current().reason = "software (" + none + ")";
        return Current();
    }
    // Asked in a child process so that a software GL driver, which we will not use, never takes
    // this process's memory; with video already up, asked here.
    const std::string glRenderer = SDL_WasInit(SDL_INIT_VIDEO) ? ProbeGlRenderer() : ProbeGlRendererApart(3000);
    Current() = DecideRenderer({}, glRenderer);
    return Current();
}

const RendererChoice& CurrentRenderer() { return Current(); }

void UseRenderer(const RendererChoice& choice) { Current() = choice; }

}  // namespace platform
