// The draw device's per-frame work on a 320 × 240 back buffer: a full picture of the game's density,
// the fades, and a plain copy of the back buffer as the yardstick for the fades.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstring>
#include <string>
#include <vector>

#include "devices/Bitmap.h"
#include "devices/Vekdraw.h"
#include "platform/Resources.h"

namespace {

std::vector<std::uint8_t> Bmp24(int w, int h, std::uint32_t (*colour)(int, int)) {
    const int stride = (w * 3 + 3) & ~3;
    std::vector<std::uint8_t> out(54 + static_cast<std::size_t>(stride) * h, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    out[0] = 'B', out[1] = 'M';
    put32(2, static_cast<std::uint32_t>(out.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w));
    put32(22, static_cast<std::uint32_t>(h));
    out[26] = 1, out[28] = 24;
    put32(34, static_cast<std::uint32_t>(stride * h));
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = out.data() + 54 + static_cast<std::size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = colour(x, y);
            row[3 * x] = static_cast<std::uint8_t>(c), row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
        }
    }
    return out;
}

// Field: opaque everywhere. Band: a 320 × 80 strip with holes. Sheets: round sprites on black.
std::uint32_t Field(int x, int y) { return 0x204010u + static_cast<std::uint32_t>((x * 7 + y * 3) & 0x3F); }
std::uint32_t Band(int x, int y) { return ((x / 4 + y / 4) % 3 == 0) ? 0u : 0x806040u + static_cast<std::uint32_t>(x & 15); }
std::uint32_t Sheet32(int x, int y) {
    const int dx = x % 32 - 16, dy = y % 32 - 16;
    return dx * dx + dy * dy < 14 * 14 ? 0xC08020u + static_cast<std::uint32_t>(x & 7) : 0u;
}
std::uint32_t Sheet64(int x, int y) {
    const int dx = x % 64 - 32, dy = y % 64 - 32;
    return dx * dx + dy * dy < 28 * 28 ? 0xC08020u + static_cast<std::uint32_t>(x & 7) : 0u;
}

struct Scene {
    std::vector<std::uint8_t> field = Bmp24(320, 240, Field);
    std::vector<std::uint8_t> band = Bmp24(320, 80, Band);
    std::vector<std::uint8_t> sheet32 = Bmp24(256, 160, Sheet32);
    std::vector<std::uint8_t> sheet64 = Bmp24(512, 320, Sheet64);
    platform::ResourceEntry entries[4] = {
        {"BITMAP", "field", field.data(), field.size()},
        {"BITMAP", "band", band.data(), band.size()},
        {"BITMAP", "sheet32", sheet32.data(), sheet32.size()},
        {"BITMAP", "sheet64", sheet64.data(), sheet64.size()},
    };
    platform::ResourceTable table{entries, 4};
    TVekDraw draw;

    // Benchmark arguments: 2 is 5-6-5, anything else 32-bit.
    explicit Scene(std::int64_t format) {
        platform::SetResourceTable(&table);
        draw.InitHeadless(format == 2 ? TPixelFormat::kRgb565 : TPixelFormat::kXrgb32, 320, 240);
        draw.CreateSprite("field", "field", 0, 0);
        draw.CreateSprite("band", "band", 0, 0);
        draw.CreateSprite("sheet32", "sheet32", 32, 32);
        draw.CreateSprite("sheet64", "sheet64", 64, 64);
        platform::SetResourceTable(nullptr);
    }

    void DrawFrame(const char* sheet, int cellSide) {
        draw.Draw(0, 0, "field", 0, 0, 0);
        draw.Draw(0, 160, "band", 0, 0, 0);
        // 40 sprites spread over the field, some of them cut by its edges.
        for (int i = 0; i < 40; ++i) {
            const int x = (i * 53) % (320 + cellSide) - cellSide / 2;
            const int y = (i * 37) % (240 + cellSide) - cellSide / 2;
            draw.Draw(x, y, sheet, i % 40, 0, 0);
        }
    }
};

void BM_DrawFullPicture32x32Sprites(benchmark::State& state) {
    Scene scene(state.range(0));
    for (auto _ : state) {
        scene.DrawFrame("sheet32", 32);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawFullPicture32x32Sprites)->Arg(4)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_DrawFullPicture64x64Sprites(benchmark::State& state) {
    Scene scene(state.range(0));
    for (auto _ : state) {
        scene.DrawFrame("sheet64", 64);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawFullPicture64x64Sprites)->Arg(4)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_Fade128(benchmark::State& state) {
    Scene scene(state.range(0));
    scene.DrawFrame("sheet32", 32);
    for (auto _ : state) {
        scene.draw.Fade(128);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Fade128)->Arg(4)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_WhiteFade128(benchmark::State& state) {
    Scene scene(state.range(0));
    scene.DrawFrame("sheet32", 32);
    for (auto _ : state) {
        scene.draw.WhiteFade(128);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WhiteFade128)->Arg(4)->Arg(2)->Unit(benchmark::kMicrosecond);

// The yardstick: one plain copy of a back buffer of the same format.
void BM_MemcpyBackBuffer(benchmark::State& state) {
    Scene scene(state.range(0));
    SDL_Surface* back = scene.draw.BackBuffer();
    const std::size_t bytes = static_cast<std::size_t>(back->pitch) * back->h;
    std::vector<std::uint8_t> copy(bytes);
    for (auto _ : state) {
        std::memcpy(copy.data(), back->pixels, bytes);
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyBackBuffer)->Arg(4)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_Update(benchmark::State& state) {
    Scene scene(state.range(0));
    scene.DrawFrame("sheet32", 32);
    for (auto _ : state) {
        scene.draw.Update();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Update)->Arg(4)->Arg(2)->Unit(benchmark::kMicrosecond);

// A scene text of N image records: N sprites of distinct names from one small bitmap must cost N
// times one, not N² name comparisons.
void BM_CreateDistinctSprites(benchmark::State& state) {
    const auto picture = Bmp24(4, 4, Field);
    platform::ResourceEntry entry{"BITMAP", "pic", picture.data(), picture.size()};
    const platform::ResourceTable table{&entry, 1};
    platform::SetResourceTable(&table);
    std::vector<std::string> names;
    for (std::int64_t i = 0; i < state.range(0); ++i) names.push_back("sprite" + std::to_string(i));
    TVekDraw draw;
    for (auto _ : state) {
        state.PauseTiming();
        draw.InitHeadless(TPixelFormat::kXrgb32, 320, 240);
        state.ResumeTiming();
        for (const std::string& name : names) draw.CreateSprite(name, "pic", 0, 0);
        benchmark::DoNotOptimize(draw.GetSpriteSurf(names.back()));
    }
    platform::SetResourceTable(nullptr);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CreateDistinctSprites)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// Decoding a whole picture near the top of the art's sizes into the 32-bit screen format: an 8-bit
// 2048 × 2048 sheet, and a run-length one of the same size that is almost all one run.
void BM_DecodeLargeBitmap(benchmark::State& state) {
    const int side = 2048;
    const bool runs = state.range(0) == 1;
    std::vector<std::uint8_t> pixels;
    if (runs) {
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; x += 256) pixels.insert(pixels.end(), {255, static_cast<std::uint8_t>(1 + y % 7)});
            pixels.insert(pixels.end(), {0, 0});  // 8 runs of 255 leave 8 pixels of index 0 a row
        }
        pixels.insert(pixels.end(), {0, 1});
    } else {
        for (int i = 0; i < side * side; ++i) pixels.push_back(static_cast<std::uint8_t>(i * 7 % 251 + 1));
    }
    std::vector<std::uint8_t> file = {'B', 'M'};
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) file.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const std::uint32_t offset = 14 + 40 + 256 * 4;
    put(offset + static_cast<std::uint32_t>(pixels.size()), 4), put(0, 4), put(offset, 4);
    put(40, 4), put(side, 4), put(side, 4), put(1, 2), put(8, 2), put(runs ? 1 : 0, 4);
    put(static_cast<std::uint32_t>(pixels.size()), 4), put(0, 4), put(0, 4), put(0, 4), put(0, 4);
    for (std::uint32_t i = 0; i < 256; ++i) put(i * 0x010101u, 4);
    file.insert(file.end(), pixels.begin(), pixels.end());
    SDL_PixelFormat* format = SDL_AllocFormat(SDL_PIXELFORMAT_RGB888);
    for (auto _ : state) {
        const TDecodedBitmap decoded = bitmap::Decode(file, format);
        if (!decoded.surface) state.SkipWithError(RefusalName(decoded.refusal));
        SDL_FreeSurface(decoded.surface);
    }
    SDL_FreeFormat(format);
}
BENCHMARK(BM_DecodeLargeBitmap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
