#include "platform/FluidSynthOutput.h"

#include "platform/AudioOutput.h"
#include "platform/Places.h"

#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

namespace {

constexpr int kChunkFrames = 1024;  // frames the synthesizer renders per call
constexpr int kChorusSend = 93;     // the General MIDI controller of a channel's chorus level
constexpr double kSynthGain = 0.2;  // FluidSynth's master gain: music sits 6 dB or more under the sound effects

void Quiet(int, const char*, void*) {}

// Float samples to the 16-bit scale; the range is bounded so a runaway value cannot overflow.
std::int32_t ToMix(float v) { return static_cast<std::int32_t>(std::lrint(std::clamp(v, -64.0f, 64.0f) * 32767.0f)); }

// FluidSynth reports every missing preset and driver on standard error; the game logs nothing.
void SilenceFluidSynth() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = 0; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, &Quiet, nullptr);
    });
}

// A RIFF file of form "sfbk": SoundFont 2 (or 3, the same container).
bool IsSoundFontFile(const std::string& path) {
    if (path.empty()) return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char head[12] = {};
    const bool whole = std::fread(head, 1, sizeof head, f) == sizeof head;
    std::fclose(f);
    return whole && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "sfbk", 4) == 0;
}

}  // namespace

struct FluidSynthOutput::State {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    std::thread loader;
    std::atomic<bool> loaded{false};
    bool chorusOn = false;
    std::vector<float> left, right;

    ~State() {
        if (loader.joinable()) loader.join();
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }

    void Load(const std::string& path) {
        const bool ok = fluid_synth_sfload(synth, path.c_str(), 1) != FLUID_FAILED;
        loaded = ok;
    }
};

FluidSynthOutput::FluidSynthOutput(int rate, bool waitForSoundFont, std::string soundFont)
    : rate(rate), waitForSoundFont(waitForSoundFont), soundFont(std::move(soundFont)) {}

FluidSynthOutput::~FluidSynthOutput() = default;

std::string FluidSynthOutput::FindSoundFont() {
    if (const char* env = std::getenv("PELLORO_SOUNDFONT"); env && IsSoundFontFile(env)) return env;
    // The system's places before FluidSynth's default: on Windows the one beside the program.
    for (const std::string& place : SoundFontPlaces()) {
        if (IsSoundFontFile(place)) return place;
    }
    SilenceFluidSynth();
    if (fluid_settings_t* settings = new_fluid_settings()) {
        char* path = nullptr;
        std::string own;
        if (fluid_settings_dupstr(settings, "synth.default-soundfont", &path) == FLUID_OK && path) own = path;
        fluid_free(path);
        delete_fluid_settings(settings);
        if (IsSoundFontFile(own)) return own;
    }
    return "";
}

bool FluidSynthOutput::Open(std::string* error) {
    state.reset();
    if (!IsSoundFontFile(soundFont)) {
        if (error) *error = soundFont.empty() ? "no SoundFont found" : "not a SoundFont: " + soundFont;
        return false;
    }
    if (rate <= 0) {
        if (error) *error = "no sample rate";
        return false;
    }
    SilenceFluidSynth();
    auto s = std::make_unique<State>();
    s->settings = new_fluid_settings();
    if (!s->settings) {
        if (error) *error = "FluidSynth settings could not be made";
        return false;
    }
    fluid_settings_setnum(s->settings, "synth.sample-rate", static_cast<double>(rate));
    fluid_settings_setint(s->settings, "synth.dynamic-sample-loading", 0);
    // The chorus costs a quarter of the synthesizer's time even when no channel sends to it, as in
    // the game's songs: it is switched on by the first channel that does (ShortMsg).
    fluid_settings_setint(s->settings, "synth.chorus.active", 0);
    fluid_settings_setnum(s->settings, "synth.gain", kSynthGain);
    s->synth = new_fluid_synth(s->settings);
    if (!s->synth) {
        if (error) *error = "FluidSynth could not be started";
        return false;
    }
    s->left.resize(kChunkFrames);
    s->right.resize(kChunkFrames);
    if (waitForSoundFont) {
        s->Load(soundFont);
        if (!s->loaded) {
            if (error) *error = "the SoundFont did not load: " + soundFont;
            return false;
        }
    } else {
        // A large SoundFont takes longer to read than the first frames may wait.
        State* raw = s.get();
        s->loader = std::thread([raw, path = soundFont] { raw->Load(path); });
    }
    state = std::move(s);
    return true;
}

void FluidSynthOutput::ShortMsg(std::uint32_t packed) {
    if (!state) return;
    fluid_synth_t* synth = state->synth;
    const int status = static_cast<int>(packed & 0xFF);
    const int channel = status & 0x0F;
    const int data1 = static_cast<int>((packed >> 8) & 0x7F);
    const int data2 = static_cast<int>((packed >> 16) & 0x7F);
    switch (status & 0xF0) {
        case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
        case 0x90: fluid_synth_noteon(synth, channel, data1, data2); break;  // velocity 0 is a note-off
        case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
        case 0xB0:
            if (data1 == kChorusSend && data2 > 0 && !state->chorusOn) {
                fluid_synth_chorus_on(synth, -1, 1);
                state->chorusOn = true;
            }
            fluid_synth_cc(synth, channel, data1, data2);
            break;
        case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
        case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
        case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7)); break;
        default: break;  // system messages and stray data bytes make no sound
    }
}

void FluidSynthOutput::LongMsg(const std::uint8_t* data, std::size_t size) {
    if (!state || !data || size < 2 || data[0] != 0xF0) return;
    // FluidSynth wants the message without its F0 and F7.
    std::size_t length = size - 1;
    if (data[size - 1] == 0xF7) --length;
    if (length == 0 || length > 0x7FFFFFFF) return;
    fluid_synth_sysex(state->synth, reinterpret_cast<const char*>(data + 1), static_cast<int>(length), nullptr,
                      nullptr, nullptr, 0);
}

void FluidSynthOutput::Reset() {
    std::vector<std::uint32_t> messages;
    AppendResetMessages(messages);
    for (std::uint32_t m : messages) ShortMsg(m);
}

void FluidSynthOutput::Render(std::int32_t* mix, int frames, int channels) {
    if (!state || !state->loaded) return;  // silence until the SoundFont is in
    while (frames > 0) {
        const int n = std::min(frames, kChunkFrames);
        float* l = state->left.data();
        float* r = state->right.data();
        fluid_synth_write_float(state->synth, n, l, 0, 1, r, 0, 1);
        if (channels == 2) {
            for (int i = 0; i < n; ++i) {
                mix[2 * i] += ToMix(l[i]);
                mix[2 * i + 1] += ToMix(r[i]);
            }
        } else {
            for (int i = 0; i < n; ++i) mix[i] += ToMix((l[i] + r[i]) * 0.5f);
        }
        mix += n * channels;
        frames -= n;
    }
}

std::unique_ptr<FluidSynthOutput> FluidSynthOutput::For(const AudioOutput& output) {
#ifdef __EMSCRIPTEN__
    // The browser build has no threads; its SoundFont is a small one, loaded before the first frame.
    return std::make_unique<FluidSynthOutput>(output.Rate(), true);
#else
    return std::make_unique<FluidSynthOutput>(output.Rate(), !output.IsRealtime());
#endif
}

std::string FluidSynthOutput::RejectedChoice() {
    const char* env = std::getenv("PELLORO_SOUNDFONT");
    return env && *env && !IsSoundFontFile(env) ? env : "";
}

std::string FluidSynthOutput::Advice() {
    const std::string found = FindSoundFont();
    if (found.empty()) {
        std::string places;
        for (const std::string& place : SoundFontPlaces()) places += ", " + place;
        return "no General MIDI SoundFont was found (PELLORO_SOUNDFONT, FluidSynth's default" + places + "); " +
               SoundFontRemedy() + " or set PELLORO_SOUNDFONT to a .sf2 file";
    }
    return "the SoundFont " + found + " could not be loaded; set PELLORO_SOUNDFONT to another .sf2 file";
}

std::string FluidSynthOutput::ShortAdvice() {
    return FindSoundFont().empty() ? "No music: no SoundFont found. Install timgm6mb-soundfont or set PELLORO_SOUNDFONT."
                                   : "No music: the SoundFont did not load. Set PELLORO_SOUNDFONT to another .sf2 file.";
}

}  // namespace platform
