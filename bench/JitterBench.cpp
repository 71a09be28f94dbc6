// How regularly the two clocks of the running game fire: the 20 ms frame timer (the periodic timer
// under the frame clock) and the audio device's callback, which runs the sequencer's 10 ms passes on
// the samples it renders. Each runs for PELLORO_JITTER_SECONDS (default 30) of wall time; the
// counters are milliseconds: p50 and p99 of |interval - nominal|, and the worst interval seen.
// The audio figures depend on SDL_AUDIODRIVER (dummy when unset: a sleeping thread, not a sound card).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/AudioOutput.h"
#include "platform/Timer.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds() {
    const char* text = std::getenv("PELLORO_JITTER_SECONDS");
    const double s = text ? std::atof(text) : 30.0;
    return s > 0 ? s : 30.0;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size()))) - 1;
    return values[std::min(rank, values.size() - 1)];
}

// Intervals between successive stamps, in ms.
std::vector<double> Intervals(const std::vector<Clock::time_point>& stamps) {
    std::vector<double> out;
    for (std::size_t i = 1; i < stamps.size(); ++i) {
        out.push_back(std::chrono::duration<double, std::milli>(stamps[i] - stamps[i - 1]).count());
    }
    return out;
}

void Report(benchmark::State& state, const std::vector<double>& intervals, double nominal) {
    std::vector<double> deviation;
    for (double v : intervals) deviation.push_back(std::fabs(v - nominal));
    state.counters["intervals"] = static_cast<double>(intervals.size());
    state.counters["nominal_ms"] = nominal;
    state.counters["median_ms"] = Percentile(intervals, 50);
    state.counters["p50_jitter_ms"] = Percentile(deviation, 50);
    state.counters["p99_jitter_ms"] = Percentile(deviation, 99);
    state.counters["max_ms"] = intervals.empty() ? 0.0 : *std::max_element(intervals.begin(), intervals.end());
}

void BM_FrameTimerJitter(benchmark::State& state) {
    constexpr std::uint32_t kPeriod = 20;  // ms, the frame clock's interval
    for (auto _ : state) {
        std::mutex mutex;
        std::vector<Clock::time_point> stamps;
        stamps.reserve(4096);
        platform::PeriodicTimer timer;
        timer.Start(kPeriod, [&] {
            std::lock_guard<std::mutex> hold(mutex);
            stamps.push_back(Clock::now());
        });
        std::this_thread::sleep_for(std::chrono::duration<double>(Seconds()));
        timer.Stop();
        Report(state, Intervals(stamps), kPeriod);
    }
}
BENCHMARK(BM_FrameTimerJitter)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_AudioCallbackJitter(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    for (auto _ : state) {
        std::string error;
        auto out = platform::AudioOutput::OpenDevice(22050, 16, true, &error);
        if (!out) {
            state.SkipWithError(error.c_str());
            break;
        }
        std::vector<Clock::time_point> stamps;
        std::vector<int> sizes;
        stamps.reserve(4096);
        sizes.reserve(4096);
        // Called on the audio thread under the output's lock, as the sequencer's passes are.
        out->Attach([&](std::int32_t*, int frames) {
            stamps.push_back(Clock::now());
            sizes.push_back(frames);
        });
        std::this_thread::sleep_for(std::chrono::duration<double>(Seconds()));
        std::vector<Clock::time_point> taken;
        int frames = 0;
        {
            std::lock_guard<std::recursive_mutex> hold(out->Lock());
            taken = stamps;
            if (!sizes.empty()) frames = sizes.front();
        }
        const double nominal = 1000.0 * frames / out->Rate();
        out.reset();
        Report(state, Intervals(taken), nominal);
        state.counters["frames_per_callback"] = frames;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
BENCHMARK(BM_AudioCallbackJitter)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
