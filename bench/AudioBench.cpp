// What the audio costs: the sound device's mixing, the sequencer's passes and the synthesizer's
// rendering, each for one second of output at 22050 Hz stereo.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "devices/Veksound.h"
#include "devices/Vekmidi.h"
#include "platform/AudioOutput.h"
#include "platform/FluidSynthOutput.h"
#include "platform/MidiOutput.h"

namespace {

constexpr int kRate = 22050;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Two seconds of 16-bit stereo at the output's rate.
std::vector<std::uint8_t> LongWave() {
    const std::uint32_t frames = 2 * kRate;
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

// (c) FluidSynth rendering one second of three channels of held notes.
void BM_SynthesizerThreeChannelsOneSecond(benchmark::State& state) {
    std::string soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    if (std::FILE* f = std::fopen(soundFont.c_str(), "rb")) {
        std::fclose(f);
    } else {
        soundFont = platform::FluidSynthOutput::FindSoundFont();
    }
    platform::FluidSynthOutput synth(kRate, true, soundFont);
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

}  // namespace
