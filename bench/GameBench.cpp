// One whole frame of the game over the headless main window: the kernel's poll, the root's tick (the
// game's step and draw) and the present into memory; on the title and in play with eight nuts falling.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "game/Demo.h"
#include "game/Gamemain.h"
#include "game/Names.h"
#include "kernel/Kernel.h"
#include "platform/Keycodes.h"
#include "platform/Resources.h"
#include "shell/Mainunit.h"

namespace {

// The program's resources with one difficulty row in front: eight nuts from eight kinds, and a time
// limit that outlasts any run.
class EightNutTable {
public:
    EightNutTable() {
        text = "{\r\n\tname\t" + std::string(kDifficultyName) + "\r\n\tmax\t1\r\n\tstart\t1\r\n\tlv1\t4, 8, 8, 2000000\r\n}\r\n";
        entries.push_back({"TEXT", "DIFICULTY", reinterpret_cast<const unsigned char*>(text.c_str()), text.size()});
        const platform::ResourceTable& program = platform::kProgramResourceTable;
        entries.insert(entries.end(), program.entries, program.entries + program.count);
        table = {entries.data(), entries.size()};
        platform::SetResourceTable(&table);
    }
    ~EightNutTable() { platform::SetResourceTable(nullptr); }

private:
    std::string text;
    std::vector<platform::ResourceEntry> entries;
    platform::ResourceTable table{};
};

std::unique_ptr<TMainForm> MakeForm(const std::string& audioOut = "") {
    SDL_Init(0);
    TMainOptions options;
    options.test.headless = true;
    options.player.seed = 1;
    options.test.audioOut = audioOut;
    return std::make_unique<TMainForm>(options);
}

TGameMainMode* GameOf(TMainForm& form) { return form.MainMode(); }

// What the frame handler does, without the headless driver's audio rendering.
void OneFrame(TMainForm& form) {
    form.Kernel()->Poll(20);
    form.Root()->Tick(20);
}

void TapSpace(TMainForm& form) {
    form.Script().SetKey(platform::kDikSpace, true);
    OneFrame(form);
    form.Script().SetKey(platform::kDikSpace, false);
    OneFrame(form);
}

void BM_FrameOnTheTitle(benchmark::State& state) {
    auto form = MakeForm();
    OneFrame(*form);
    OneFrame(*form);
    if (GameOf(*form) == nullptr) {
        state.SkipWithError(form->FrameError().c_str());
        return;
    }
    for (auto _ : state) OneFrame(*form);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameOnTheTitle);

void BM_FrameInPlayWithEightNutsFalling(benchmark::State& state) {
    EightNutTable table;
    auto form = MakeForm();
    OneFrame(*form);
    OneFrame(*form);
    TGameMainMode* game = GameOf(*form);
    if (game == nullptr) {
        state.SkipWithError(form->FrameError().c_str());
        return;
    }
    TapSpace(*form);
    for (int i = 0; i < 400 && game->PhaseNumber() != TGameMainMode::kPhasePlay; ++i) OneFrame(*form);
    // The squirrel walks back and forth while the nuts fall, so the whole play frame runs.
    form->Script().SetKey(platform::kDikLeft, true);
    int frame = 0;
    for (auto _ : state) {
        if (game->Slot(0).falling == 0) {
            state.PauseTiming();
            for (int i = 0; i < kMaxNuts; ++i) {
                const NutSlot& slot = game->Slot(i);
                game->PlaceNut(i, slot.x, slot.groundY, slot.kind);
            }
            state.ResumeTiming();
        }
        if (++frame % 50 == 0) {
            const bool left = form->Script().IsKeyDown(platform::kDikLeft);
            form->Script().SetKey(platform::kDikLeft, !left);
            form->Script().SetKey(platform::kDikRight, left);
        }
        OneFrame(*form);
    }
    if (game->PhaseNumber() != TGameMainMode::kPhasePlay) state.SkipWithError("left the play phase");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameInPlayWithEightNutsFalling);

// The headless driver's whole frame with the demo pilot playing: unheard (no --audio-out: the song's
// passes run but nothing is synthesized) and heard (--audio-out to /dev/null: every sample is made
// and written).
void BM_DemoHeadless10000Frames(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto form = MakeForm(state.range(0) != 0 ? "/dev/null" : "");
        state.ResumeTiming();
        TDemoPilot pilot;
        form->BeforeFrame = [&pilot](TMainForm& f) {
            pilot.Steer(f.MainMode(), f.Script());
        };
        for (int i = 0; i < 10000; ++i) {
            if (!form->RunHeadlessFrame()) {
                state.SkipWithError(form->FrameError().c_str());
                return;
            }
        }
        const TGameMainMode* game = GameOf(*form);
        state.counters["level"] = game ? game->Level() + 1 : 0;
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(10000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemoHeadless10000Frames)->ArgName("heard")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
