// The cost of recording a clip: what AddFrame takes from the frame that calls it while the worker
// encodes (mean and worst over a 30 s clip of the attract mode), and the worker's encode time of one
// frame of the game and of one picture of many colours (the quantiser's worst case).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "game/Demo.h"
#include "platform/ClipRecorder.h"
#include "shell/Mainunit.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 320;
constexpr int kHeight = 240;

std::string ScratchPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("pelloro-bench-") + name + ".gif")).string();
}

// The attract mode on the headless main window, one presented picture a step.
class DemoGame {
public:
    DemoGame() {
        SDL_Init(0);
        TMainOptions options;
        options.headless = true;
        options.seed = 1;
        options.demo = true;
        form = std::make_unique<TMainForm>(options);
        form->BeforeFrame = [this](TMainForm& f) { pilot.Steer(f.MainMode(), f.Script()); };
        for (int i = 0; i < 10 && form->Draw().PresentedPicture().empty(); ++i) Step();
    }
    // False when the frame failed.
    bool Step() { return form->RunHeadlessFrame(); }
    const std::vector<std::uint32_t>& Picture() const { return form->Draw().PresentedPicture(); }
    std::string Error() const { return form->FrameError(); }

private:
    std::unique_ptr<TMainForm> form;
    TDemoPilot pilot;
};

struct Timings {
    std::vector<double> all;
    double sum = 0;
    double worst = 0;
    void Add(double microseconds) {
        all.push_back(microseconds);
        sum += microseconds;
        worst = std::max(worst, microseconds);
    }
    double Mean() const { return all.empty() ? 0 : sum / static_cast<double>(all.size()); }
    double Percentile(double p) const {
        if (all.empty()) return 0;
        std::vector<double> sorted = all;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, static_cast<std::size_t>(p * static_cast<double>(sorted.size())))];
    }
};

// A 30 s clip at the game's own pace: a frame every 20 ms, AddFrame timed on the caller's thread.
// paced = 0 feeds frames back to back instead, so that the worker encodes beside every call.
void BM_AddFrameWhileRecording(benchmark::State& state) {
    const bool paced = state.range(0) != 0;
    const std::string path = ScratchPath("addframe");
    for (auto _ : state) {
        DemoGame game;
        platform::ClipRecorder recorder(platform::ClipRecorder::kMaxFrames);
        if (!recorder.Start(path)) {
            state.SkipWithError(recorder.Error().c_str());
            return;
        }
        Timings add;
        Timings step;  // the game's own frame beside it: on a busy machine both see the scheduler's stalls
        int over1ms = 0;
        auto next = Clock::now();
        for (int i = 0; i < platform::ClipRecorder::kMaxFrames; ++i) {
            const auto stepStart = Clock::now();
            if (!game.Step()) {
                state.SkipWithError(game.Error().c_str());
                return;
            }
            // The presenter decodes its picture when first asked: that is the presenter's cost, not the clip's.
            const std::vector<std::uint32_t>& picture = game.Picture();
            const auto start = Clock::now();
            recorder.AddFrame(picture, kWidth, kHeight);
            const auto end = Clock::now();
            step.Add(std::chrono::duration<double, std::micro>(start - stepStart).count());
            const double took = std::chrono::duration<double, std::micro>(end - start).count();
            add.Add(took);
            if (took > 1000) ++over1ms;
            if (paced) {
                next += std::chrono::milliseconds(20);
                std::this_thread::sleep_until(next);
            }
        }
        const auto stopStart = Clock::now();
        if (!recorder.Stop()) state.SkipWithError(recorder.Error().c_str());
        state.counters["add_mean_us"] = add.Mean();
        state.counters["add_max_us"] = add.worst;
        state.counters["add_median_us"] = add.Percentile(0.5);
        state.counters["add_p99_us"] = add.Percentile(0.99);
        state.counters["add_over_1ms"] = over1ms;
        state.counters["game_frame_mean_us"] = step.Mean();
        state.counters["game_frame_max_us"] = step.worst;
        state.counters["stop_ms"] = std::chrono::duration<double, std::milli>(Clock::now() - stopStart).count();
        state.counters["clip_bytes"] = static_cast<double>(std::filesystem::file_size(path));
        state.SetIterationTime(add.sum / 1e6);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_AddFrameWhileRecording)->ArgName("paced")->Arg(1)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The worker's work for each of the 1500 frames of the attract mode's first 30 s.
void BM_EncodeGameFrame(benchmark::State& state) {
    const std::string path = ScratchPath("encode");
    Timings encode;
    for (auto _ : state) {
        DemoGame game;
        platform::GifWriter writer;
        if (!writer.Open(path)) {
            state.SkipWithError(writer.Error().c_str());
            return;
        }
        for (int i = 0; i < platform::ClipRecorder::kMaxFrames; ++i) {
            if (!game.Step()) {
                state.SkipWithError(game.Error().c_str());
                return;
            }
            const std::vector<std::uint32_t>& picture = game.Picture();
            const auto start = Clock::now();
            writer.Write(picture, kWidth, kHeight);
            const double took = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
            encode.Add(took);
        }
        state.counters["quantised_frames"] = writer.QuantisedFrames();
        writer.Close();
        state.SetIterationTime(encode.sum / 1e6);
    }
    state.counters["encode_mean_us"] = encode.Mean();
    state.counters["encode_median_us"] = encode.Percentile(0.5);
    state.counters["encode_p99_us"] = encode.Percentile(0.99);
    state.counters["encode_max_us"] = encode.worst;
    std::filesystem::remove(path);
}
BENCHMARK(BM_EncodeGameFrame)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A full frame of smooth gradients and noise, different every frame: every pixel changes and the
// colours do not fit a palette, so each frame goes through the quantiser.
void BM_EncodeManyColourFrame(benchmark::State& state) {
    std::vector<std::vector<std::uint32_t>> pictures;
    std::mt19937 random(1);
    std::uniform_int_distribution<int> noise(-2, 2);
    for (int k = 0; k < 4; ++k) {
        std::vector<std::uint32_t> picture(static_cast<std::size_t>(kWidth * kHeight));
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const auto channel = [&](double v) { return static_cast<std::uint32_t>(std::clamp(static_cast<int>(v) + noise(random), 0, 255)); };
                picture[static_cast<std::size_t>(y * kWidth + x)] =
                    (channel(255.0 * x / kWidth) << 16) | (channel(127.5 + 120 * std::sin((x + y + k) / 25.0)) << 8) |
                    channel(255.0 * y / kHeight);
            }
        pictures.push_back(std::move(picture));
    }
    const std::string path = ScratchPath("many");
    platform::GifWriter writer;
    if (!writer.Open(path)) {
        state.SkipWithError(writer.Error().c_str());
        return;
    }
    std::size_t k = 0;
    for (auto _ : state) writer.Write(pictures[k++ % pictures.size()], kWidth, kHeight);
    if (writer.QuantisedFrames() != writer.Frames()) state.SkipWithError("a frame missed the quantiser");
    writer.Close();
    std::filesystem::remove(path);
}
BENCHMARK(BM_EncodeManyColourFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
