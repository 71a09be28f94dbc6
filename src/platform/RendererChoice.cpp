#include "platform/RendererChoice.h"

#include <SDL.h>
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

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
    DIR* dir = ::opendir(driDirectory.c_str());
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, "renderD", 7) == 0 || std::strncmp(entry->d_name, "card", 4) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string ProbeGlRendererApart(int timeoutMs) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::string name;
        if (SDL_Init(SDL_INIT_VIDEO) == 0) name = ProbeGlRenderer();
        const char* at = name.data();
        std::size_t left = name.size();
        while (left > 0) {
            const ssize_t n = ::write(fds[1], at, left);
            if (n <= 0) break;
            at += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        return {};
    }
    std::string name;
    pollfd wait{fds[0], POLLIN, 0};
    char buffer[256];
    bool done = false;
    while (!done && name.size() < 4096 && ::poll(&wait, 1, timeoutMs) > 0) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) done = true;
        else name.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    // A driver that hangs is no driver to use.
    if (!done) {
        ::kill(child, SIGKILL);
        name.clear();
    }
    ::waitpid(child, nullptr, 0);
    return name;
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
    if (!HasGpuDevice("/dev/dri")) {
        Current() = DecideRenderer({}, {});
        Current().reason = "software (no GPU device in /dev/dri)";
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
