// Loading scene texts of many records: the toy box, the draw device's sprite names and the toys'
// lookups of each other must grow linearly with the number of records.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/Toybox.h"
#include "devices/Vekdraw.h"
#include "kernel/Kernel.h"
#include "platform/Resources.h"
#include "toys/Toyclasses.h"

namespace {

// An 8 × 8 8-bit bitmap, every pixel palette entry 1.
std::vector<std::uint8_t> TinyBitmap() {
    const std::uint32_t paletteBytes = 2 * 4, pixelBytes = 8 * 8, offset = 14 + 40 + paletteBytes;
    std::vector<std::uint8_t> b(offset + pixelBytes, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, 8);
    put32(22, 8);
    b[26] = 1, b[28] = 8;
    put32(46, 2);
    put32(54 + 4, 0x00C08040);  // entry 1
    for (std::uint32_t i = 0; i < pixelBytes; ++i) b[offset + i] = 1;
    return b;
}

std::string Records(const char* body, int count) {
    std::string text = "{\nclass Command\nchdir Resource\n}\n";
    text.reserve(text.size() + static_cast<std::size_t>(count) * 64);
    for (int i = 0; i < count; ++i) {
        text += "{\nclass ";
        text += body;
        text += "\nname n" + std::to_string(i) + "\n}\n";
    }
    return text;
}

void LoadRecords(benchmark::State& state, const char* body) {
    const std::vector<std::uint8_t> bitmap = TinyBitmap();
    const platform::ResourceEntry entries[] = {{"BITMAP", "tiny", bitmap.data(), bitmap.size()}};
    const platform::ResourceTable table{entries, 1};
    platform::SetResourceTable(&table);
    SDL_Init(0);
    const std::string text = Records(body, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TVekDraw draw;
        draw.InitHeadless(TPixelFormat::kXrgb32, 320, 240);
        TKernel kernel(&draw, nullptr, nullptr, nullptr);
        auto box = TToyBox::FromText(&kernel, text, GameToyClasses());
        benchmark::DoNotOptimize(box->Count());
    }
    state.SetComplexityN(state.range(0));
    platform::SetResourceTable(nullptr);
}

// Every image makes a sprite of its own name from the same small bitmap.
void BM_LoadImageRecords(benchmark::State& state) { LoadRecords(state, "Image\nfileName tiny\nsize 8 8"); }
BENCHMARK(BM_LoadImageRecords)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();

// Every picture looks for an image that no record names.
void BM_LoadPicturesOfAMissingImage(benchmark::State& state) { LoadRecords(state, "Picture\nimageId none"); }
BENCHMARK(BM_LoadPicturesOfAMissingImage)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
