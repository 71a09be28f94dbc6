// What the audio costs: the sound device's mixing, the sequencer's passes and the synthesizer's
// rendering, each for one second of output at the output's rate (44100 Hz stereo); the whole render
// step with the game's music and effects, as the device's callback runs it; the sound device's
// name lookups over many sound records; and five seconds of a song whose thousand notes all sit at
// tick 0, heard and unheard.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "devices/Veksound.h"
#include "devices/Vekmidi.h"
#include "platform/AudioOutput.h"
#include "platform/FluidSynthOutput.h"
#include "platform/MidiOutput.h"
#include "platform/Resources.h"

namespace {

constexpr int kRate = platform::AudioOutput::kOfflineRate;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// 16-bit stereo at the output's rate.
std::vector<std::uint8_t> Wave(std::uint32_t frames) {
    std::vector<std::uint8_t> w{'R', 'I', 'F', 'F'};
    Put32(w, 36 + frames * 4);
    for (char c : std::string("WAVEfmt ")) w.push_back(static_cast<std::uint8_t>(c));
    Put32(w, 16);
    Put16(w, 1);
    Put16(w, 2);
    Put32(w, kRate);
    Put32(w, kRate * 4);
    Put16(w, 4);
    Put16(w, 16);
    for (char c : std::string("data")) w.push_back(static_cast<std::uint8_t>(c));
    Put32(w, frames * 4);
    for (std::uint32_t i = 0; i < frames * 2; ++i) Put16(w, (i * 37) & 0x1FFF);
    return w;
}

// Two seconds.
std::vector<std::uint8_t> LongWave() { return Wave(2 * kRate); }

// (a) Sixteen sounds, one voice each, mixed for one second.
void BM_MixSixteenVoicesOneSecond(benchmark::State& state) {
    auto output = platform::AudioOutput::OpenOffline(kRate, 16, true);
    TVekSound sound;
    sound.Init(output.get());
    const auto wave = LongWave();
    for (int i = 0; i < 16; ++i) sound.LoadFile(wave.data(), wave.size());
    std::vector<std::int16_t> sink;
    sink.reserve(kRate * 2);
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 16; ++i) {
            sound.Stop(i);
            sound.Play(i);
        }
        sink.clear();
        state.ResumeTiming();
        output->RenderOffline(kRate, &sink);
        benchmark::DoNotOptimize(sink.data());
    }
}
BENCHMARK(BM_MixSixteenVoicesOneSecond)->Unit(benchmark::kMicrosecond);

void PutBe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A dense song: eight tracks, a note-on or note-off every 24 ticks on each (320 events a second).
std::vector<std::uint8_t> DenseSong() {
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
    PutBe(out, 6, 4);
    PutBe(out, 1, 2);
    PutBe(out, 8, 2);
    PutBe(out, 480, 2);
    for (int t = 0; t < 8; ++t) {
        std::vector<std::uint8_t> track;
        for (int i = 0; i < 2000; ++i) {
            track.push_back(24);
            track.push_back(static_cast<std::uint8_t>(0x90 | t));
            track.push_back(static_cast<std::uint8_t>(48 + (i % 24)));
            track.push_back(i % 2 ? 0 : 100);
        }
        track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        PutBe(out, static_cast<std::uint32_t>(track.size()), 4);
        out.insert(out.end(), track.begin(), track.end());
    }
    return out;
}

// (b) The sequencer's hundred passes of one second of a dense song, into the recorder.
void BM_SequencerPassesOneSecond(benchmark::State& state) {
    auto log = std::make_shared<platform::MidiLog>(0);  // counts, keeps nothing
    TVekMidi midi;
    midi.Init(std::make_unique<platform::MidiRecorder>(log), false, nullptr);
    const auto song = DenseSong();
    midi.LoadFile(song.data(), song.size());
    midi.Play(true);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) midi.MyTimeProc();
    }
    state.counters["events/s of song"] = static_cast<double>(log->Count()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SequencerPassesOneSecond)->Unit(benchmark::kMicrosecond);

std::string BenchSoundFont() {
    std::string soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    if (std::FILE* f = std::fopen(soundFont.c_str(), "rb")) {
        std::fclose(f);
        return soundFont;
    }
    return platform::FluidSynthOutput::FindSoundFont();
}

// (c) FluidSynth rendering one second of three channels of held notes.
void BM_SynthesizerThreeChannelsOneSecond(benchmark::State& state) {
    platform::FluidSynthOutput synth(kRate, true, BenchSoundFont());
    std::string error;
    if (!synth.Open(&error)) {
        state.SkipWithError(("no SoundFont: " + error).c_str());
        return;
    }
    const std::uint32_t program[] = {0xC0 | (0 << 8), 0xC1 | (33 << 8), 0xC2 | (48 << 8)};  // piano, bass, strings
    for (std::uint32_t p : program) synth.ShortMsg(p);
    std::vector<std::int32_t> mix(kRate * 2);
    for (auto _ : state) {
        state.PauseTiming();
        synth.Reset();
        for (std::uint32_t n : {60u, 64u, 67u}) synth.ShortMsg(0x90 | (n << 8) | (100u << 16));
        synth.ShortMsg(0x91 | (36u << 8) | (100u << 16));
        for (std::uint32_t n : {48u, 55u}) synth.ShortMsg(0x92 | (n << 8) | (90u << 16));
        std::fill(mix.begin(), mix.end(), 0);
        state.ResumeTiming();
        synth.Render(mix.data(), kRate, 2);
        benchmark::DoNotOptimize(mix.data());
    }
}
BENCHMARK(BM_SynthesizerThreeChannelsOneSecond)->Unit(benchmark::kMicrosecond);

// (d) The audio callback's work for one second of output: the game's song on the synthesizer with
// its sequencer passes, four effects sounding, the volume and the limiter; rendered in the device's
// blocks. The CPU time per iteration is that of one second of play: 15 ms is 1.5 % of a core.
void BM_AudioCallbackWithMusicOneSecond(benchmark::State& state) {
    const std::string soundFont = BenchSoundFont();
    if (soundFont.empty()) {
        state.SkipWithError("no SoundFont");
        return;
    }
    auto output = platform::AudioOutput::OpenOffline(kRate, 16, true);
    output->SetVolume(80);
    TVekMidi midi;
    TVekSound sound;
    if (!midi.Init(std::make_unique<platform::FluidSynthOutput>(kRate, true, soundFont), false, output.get()) ||
        !sound.Init(output.get()) || !midi.Play("BGM0", true)) {
        state.SkipWithError("the game's song does not play");
        return;
    }
    const auto wave = LongWave();
    for (int i = 0; i < 4; ++i) sound.LoadFile(wave.data(), wave.size());
    std::vector<std::int16_t> sink;
    sink.reserve(kRate * 2);
    output->RenderOffline(kRate, &sink);  // past the song's first notes, heard so the synthesizer moves on
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 4; ++i) sound.Play(i);
        sink.clear();
        state.ResumeTiming();
        for (int done = 0; done < kRate; done += 1024) output->RenderOffline(std::min(1024, kRate - done), &sink);
        benchmark::DoNotOptimize(sink.data());
    }
}
BENCHMARK(BM_AudioCallbackWithMusicOneSecond)->Unit(benchmark::kMillisecond);

// (e) A scene of N sound records: each loads a wave under its own name (the first 16 fill the
// slots, the rest are refused before any wave is read) and is then looked up by name, as the game
// plays them. Linear in N: the names are found through an index, not by walking the slots.
void BM_SoundRecords(benchmark::State& state) {
    std::vector<std::uint8_t> small = Wave(100);
    small.push_back(0);  // a resource is followed by a zero byte
    const platform::ResourceEntry entry{"WAVE", "se", small.data(), small.size() - 1};
    const platform::ResourceTable table{&entry, 1};
    platform::SetResourceTable(&table);
    const auto records = static_cast<int>(state.range(0));
    std::vector<std::string> names;
    for (int i = 0; i < records; ++i) names.push_back("Sound" + std::to_string(i));
    auto output = platform::AudioOutput::OpenOffline(kRate, 16, true);
    TVekSound sound;
    int found = 0;
    for (auto _ : state) {
        sound.Init(output.get());
        for (const std::string& name : names) sound.CreateBuffer(name, "se");
        found = 0;
        for (const std::string& name : names) found += sound.IsPlaying(name) || sound.Stop(name);
    }
    platform::SetResourceTable(nullptr);
    state.counters["found"] = found;
    state.SetComplexityN(records);
}
BENCHMARK(BM_SoundRecords)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// (f) Five seconds of play of a song whose 1000 notes all sit at tick 0, rendered as the headless
// frames do (20 ms each): with the samples kept (heard, as --audio-out does) and without (unheard).
// A pass's events are bounded, so this costs a fixed share of real time whatever the song's length.
void BM_ZeroTickSongFiveSeconds(benchmark::State& state) {
    const bool heard = state.range(0) != 0;
    const std::string soundFont = BenchSoundFont();
    std::vector<std::uint8_t> song;
    if (soundFont.empty() ||
        !platform::ReadWholeFile(std::string(PELLORO_SOURCE_DIR) + "/tests/inputs/song/zero-tick-1000-notes.mid", song)) {
        state.SkipWithError("no SoundFont or no song");
        return;
    }
    for (auto _ : state) {
        auto output = platform::AudioOutput::OpenOffline(kRate, 16, true);
        TVekMidi midi;
        if (!midi.Init(std::make_unique<platform::FluidSynthOutput>(kRate, true, soundFont), false, output.get()) ||
            !midi.LoadFile(song.data(), song.size()) || !midi.Play(true)) {
            state.SkipWithError("the song does not play");
            return;
        }
        std::vector<std::int16_t> sink;
        for (int frame = 0; frame < 5 * 50; ++frame) {
            sink.clear();
            output->RenderOffline(kRate / 50, heard ? &sink : nullptr);
        }
        benchmark::DoNotOptimize(sink.data());
    }
}
BENCHMARK(BM_ZeroTickSongFiveSeconds)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
