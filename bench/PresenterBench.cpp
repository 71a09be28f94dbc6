// One present on the software path (the picture enlarged by whole numbers straight into the window's
// surface, only its rectangle pushed) at ×1, ×2, ×4 and on a 1920 × 1080 full screen (the 640 × 480
// full-screen frame at ×2), each beside a memcpy of the same window's bytes, in the same run.
// SDL's dummy video driver unless SDL_VIDEODRIVER names another (under Xvfb the push to the X server
// is timed too).
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace {

struct Video {
    Video() {
        ::setenv("SDL_VIDEODRIVER", "dummy", 0);
        up = SDL_Init(SDL_INIT_VIDEO) == 0;
    }
    ~Video() {
        if (up) SDL_Quit();
    }
    bool up = false;
};

Video& TheVideo() {
    static Video video;
    return video;
}

// A window of `outWidth` × `outHeight` output pixels on the software path, whatever the display holds.
std::unique_ptr<platform::Window> OpenWindow(int outWidth, int outHeight, std::string& why) {
    if (!TheVideo().up) {
        why = std::string("no video: ") + SDL_GetError();
        return nullptr;
    }
    platform::UseRenderer({});
    auto window = platform::Window::Create("Pelloro bench", 320, 240, 1, false, &why);
    if (!window) return nullptr;
    SDL_SetWindowSize(window->Handle(), outWidth, outHeight);
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window->Handle());
    if (!surface || surface->w != outWidth || surface->h != outHeight) {
        why = "the video driver would not make a " + std::to_string(outWidth) + " x " + std::to_string(outHeight) + " window";
        return nullptr;
    }
    return window;
}

SDL_Surface* Picture(int width, int height, std::uint32_t format, int seed) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, SDL_BITSPERPIXEL(format), format);
    if (!s) return nullptr;
    auto* bytes = static_cast<std::uint8_t*>(s->pixels);
    for (int i = 0; i < s->pitch * s->h; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + (i >> 9) + seed);
    return s;
}

struct Case {
    int outWidth, outHeight, pictureWidth, pictureHeight;
};

Case CaseOf(const benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    if (scale == 0) return {1920, 1080, 640, 480};  // full screen: the 640 × 480 frame, ×2, centred
    return {320 * scale, 240 * scale, 320, 240};
}

void Label(benchmark::State& state, const Case& c) {
    state.SetLabel(state.range(0) == 0 ? "full screen 1920x1080" : "x" + std::to_string(state.range(0)));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(c.outWidth) * c.outHeight * 4);
}

// Every row differs from the frame before (the worst case: unchanged rows are neither enlarged nor pushed).
void BM_Present(benchmark::State& state) {
    const Case c = CaseOf(state);
    std::string why;
    auto window = OpenWindow(c.outWidth, c.outHeight, why);
    if (!window) {
        state.SkipWithError(why.c_str());
        return;
    }
    SDL_Surface* pictures[2] = {Picture(c.pictureWidth, c.pictureHeight, window->PixelFormat(), 0),
                                Picture(c.pictureWidth, c.pictureHeight, window->PixelFormat(), 1)};
    window->Present(pictures[1]);  // the black around the picture, once
    int next = 0;
    for (auto _ : state) {
        window->Present(pictures[next]);
        next ^= 1;
        benchmark::ClobberMemory();
    }
    Label(state, c);
    SDL_FreeSurface(pictures[0]);
    SDL_FreeSurface(pictures[1]);
}
BENCHMARK(BM_Present)->Arg(1)->Arg(2)->Arg(4)->Arg(0)->Unit(benchmark::kMicrosecond);

// The yardstick: every byte of the same window written once from a buffer of its size.
void BM_MemcpyWindow(benchmark::State& state) {
    const Case c = CaseOf(state);
    std::string why;
    auto window = OpenWindow(c.outWidth, c.outHeight, why);
    if (!window) {
        state.SkipWithError(why.c_str());
        return;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window->Handle());
    const std::size_t bytes = static_cast<std::size_t>(surface->pitch) * surface->h;
    std::vector<std::uint8_t> source(bytes, 0x5A);
    for (auto _ : state) {
        std::memcpy(surface->pixels, source.data(), bytes);
        benchmark::ClobberMemory();
    }
    Label(state, c);
}
BENCHMARK(BM_MemcpyWindow)->Arg(1)->Arg(2)->Arg(4)->Arg(0)->Unit(benchmark::kMicrosecond);

// A repaint with a sign (pause): the picture is not enlarged again, only the sign's box is redrawn.
void BM_RepaintWithSign(benchmark::State& state) {
    const Case c = CaseOf(state);
    std::string why;
    auto window = OpenWindow(c.outWidth, c.outHeight, why);
    if (!window) {
        state.SkipWithError(why.c_str());
        return;
    }
    SDL_Surface* picture = Picture(c.pictureWidth, c.pictureHeight, window->PixelFormat(), 0);
    window->SetSign(platform::SignPlace::kCentre, "PAUSE");
    window->Present(picture);
    for (auto _ : state) {
        window->Repaint();
        benchmark::ClobberMemory();
    }
    Label(state, c);
    SDL_FreeSurface(picture);
}
BENCHMARK(BM_RepaintWithSign)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace
