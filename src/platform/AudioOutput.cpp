#include "platform/AudioOutput.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/Limiter.h"

namespace platform {

namespace {

constexpr int kDeviceFrames = 1024;  // frames per device callback: 23 ms at 44100 Hz
constexpr int kChunkFrames = 1024;   // frames per render step when rendering offline

struct SourceEntry {
    AudioOutput::SourceId id;
    AudioOutput::Source source;
    AudioOutput::Role role;
};

int OfflineRate(int rate) { return rate > 0 ? rate : AudioOutput::kOfflineRate; }

void Scale(std::int64_t* samples, std::size_t count, std::int64_t percent) {
    for (std::size_t i = 0; i < count; ++i) samples[i] = samples[i] * percent / 100;
}

// The render step shared by the device and the offline output.
class Mixer : public AudioOutput {
public:
    Mixer(int rate, int bits, bool stereo)
        : rate(OfflineRate(rate)), bits(bits >= 16 ? 16 : 8), channels(stereo ? 2 : 1), limiter(this->rate, channels) {
        accumulator.resize(static_cast<std::size_t>(kChunkFrames * channels));
        soloAccumulator.resize(accumulator.size());
        sum.resize(accumulator.size());
        share.resize(accumulator.size());
    }

    int Rate() const override { return rate; }
    int Channels() const override { return channels; }
    int Bits() const override { return bits; }
    bool IsRealtime() const override { return false; }

    void AddSource(Source source) override { Attach(std::move(source), Role::kEffects); }

    void ClearSources() override {
        std::lock_guard<std::recursive_mutex> hold(mutex);
        sources.clear();
    }

    SourceId Attach(Source source, Role role) override {
        std::lock_guard<std::recursive_mutex> hold(mutex);
        const SourceId id = ++lastId;
        sources.push_back(SourceEntry{id, std::move(source), role});
        return id;
    }

    void SetSolo(const Role* role) override {
        std::lock_guard<std::recursive_mutex> hold(mutex);
        solo = role ? std::optional<Role>(*role) : std::nullopt;
    }

    void Detach(SourceId id) override {
        std::lock_guard<std::recursive_mutex> hold(mutex);
        std::erase_if(sources, [id](const SourceEntry& e) { return e.id == id; });
    }

    std::recursive_mutex& Lock() override { return mutex; }

    void RenderOffline(int frames, std::vector<std::int16_t>* sink) override {
        if (!sink) {
            Elapse(frames);
            return;
        }
        std::vector<std::int16_t> chunk;
        while (frames > 0) {
            const int n = std::min(frames, kChunkFrames);
            chunk.resize(static_cast<std::size_t>(n * channels));
            RenderStep(chunk.data(), n);
            sink->insert(sink->end(), chunk.begin(), chunk.end());
            frames -= n;
        }
    }

    // The render steps nobody hears: in the same steps, every source moves on without making samples.
    void Elapse(int frames) {
        while (frames > 0) {
            const int n = std::min(frames, kChunkFrames);
            std::lock_guard<std::recursive_mutex> hold(mutex);
            for (SourceEntry& entry : sources) entry.source(nullptr, n);
            frames -= n;
        }
    }

protected:
    // Before any render step: the rate the device gave.
    void SetRate(int value) {
        rate = value;
        limiter = Limiter(rate, channels);
    }

    // One render step of at most kChunkFrames frames: every source adds into the accumulator, then the
    // whole output is scaled once and limited, so loud sums are turned down instead of clipping.
    void RenderStep(std::int16_t* out, int frames) {
        const std::size_t count = static_cast<std::size_t>(frames * channels);
        std::fill_n(accumulator.begin(), count, 0);
        bool soloing = false;
        {
            std::lock_guard<std::recursive_mutex> hold(mutex);
            soloing = solo.has_value();
            if (soloing) std::fill_n(soloAccumulator.begin(), count, 0);
            for (SourceEntry& entry : sources) {
                std::int32_t* into = soloing && entry.role == *solo ? soloAccumulator.data() : accumulator.data();
                entry.source(into, frames);
            }
        }
        const std::int64_t gain = muted.load() ? 0 : volume.load();
        if (!soloing) {
            for (std::size_t i = 0; i < count; ++i) sum[i] = accumulator[i];
            if (gain != 100) Scale(sum.data(), count, gain);
            limiter.Process(sum.data(), out, frames);
            return;
        }
        for (std::size_t i = 0; i < count; ++i) {
            share[i] = soloAccumulator[i];
            sum[i] = static_cast<std::int64_t>(accumulator[i]) + share[i];
        }
        if (gain != 100) {
            Scale(sum.data(), count, gain);
            Scale(share.data(), count, gain);
        }
        limiter.ProcessShare(sum.data(), share.data(), out, frames);
    }

    int rate;
    int bits;
    int channels;

private:
    std::recursive_mutex mutex;
    std::vector<SourceEntry> sources;
    SourceId lastId = 0;
    std::optional<Role> solo;
    std::vector<std::int32_t> accumulator;
    std::vector<std::int32_t> soloAccumulator;  // the sources of the solo role, when there is one
    std::vector<std::int64_t> sum;
    std::vector<std::int64_t> share;
    Limiter limiter;  // runs on the render thread only
};

class DeviceOutput final : public Mixer {
public:
    DeviceOutput(int rate, int bits, bool stereo) : Mixer(rate, bits, stereo), requested(rate) {
        scratch.resize(static_cast<std::size_t>(kChunkFrames * channels));
    }

    ~DeviceOutput() override {
        // Closing waits for a callback in progress, so no source runs after this.
        if (device != 0) SDL_CloseAudioDevice(device);
        if (subsystemUp) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool Open(std::string* error) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            if (error) *error = std::string("no audio: ") + SDL_GetError();
            return false;
        }
        subsystemUp = true;
        SDL_AudioSpec want{};
        want.freq = requested > 0 ? requested : NativeRate();
        want.format = bits == 16 ? AUDIO_S16SYS : AUDIO_U8;
        want.channels = static_cast<Uint8>(channels);
        want.samples = kDeviceFrames;
        want.callback = &DeviceOutput::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        if (device == 0) {
            if (error) *error = std::string("no audio device: ") + SDL_GetError();
            return false;
        }
        SetRate(have.freq);
        SDL_PauseAudioDevice(device, 0);
        return true;
    }

    bool IsRealtime() const override { return true; }

    void SetPaused(bool paused) override {
        if (device != 0) SDL_PauseAudioDevice(device, paused ? 1 : 0);
    }

private:
    // The default device's own rate, where SDL can tell it, so that nothing is resampled on the way.
    static int NativeRate() {
        SDL_AudioSpec deviceFormat{};
        char* name = nullptr;
        int native = 0;
#if SDL_VERSION_ATLEAST(2, 24, 0)
        if (SDL_GetDefaultAudioInfo(&name, &deviceFormat, 0) == 0) native = deviceFormat.freq;
#else
        (void)deviceFormat;  // an SDL that cannot tell (emscripten's port): the device's rate comes from the opening
#endif
        SDL_free(name);
        return native == 48000 || native == 96000 ? 48000 : kOfflineRate;
    }

    static void Callback(void* user, Uint8* stream, int length) {
        static_cast<DeviceOutput*>(user)->Fill(stream, length);
    }

    void Fill(Uint8* stream, int length) {
        const int frameBytes = channels * (bits / 8);
        int frames = length / frameBytes;
        while (frames > 0) {
            const int n = std::min(frames, kChunkFrames);
            const std::size_t count = static_cast<std::size_t>(n * channels);
            RenderStep(scratch.data(), n);
            if (bits == 16) {
                SDL_memcpy(stream, scratch.data(), count * sizeof(std::int16_t));
                stream += count * sizeof(std::int16_t);
            } else {
                for (std::size_t i = 0; i < count; ++i) *stream++ = static_cast<Uint8>((scratch[i] >> 8) + 128);
            }
            frames -= n;
        }
    }

    int requested;  // kNativeRate, or a rate asked for
    SDL_AudioDeviceID device = 0;
    bool subsystemUp = false;
    std::vector<std::int16_t> scratch;
};

}  // namespace

void AudioOutput::SetVolume(int percent) { volume = std::clamp(percent, 0, 100); }

std::unique_ptr<AudioOutput> AudioOutput::OpenDevice(int rate, int bits, bool stereo, std::string* error) {
    auto output = std::make_unique<DeviceOutput>(rate, bits, stereo);
    if (!output->Open(error)) return nullptr;
    return output;
}

std::unique_ptr<AudioOutput> AudioOutput::OpenOffline(int rate, int bits, bool stereo) {
    auto output = std::make_unique<Mixer>(rate, bits, stereo);
    if (const char* solo = std::getenv("PELLORO_AUDIO_SOLO")) {
        const Role music = Role::kMusic;
        const Role effects = Role::kEffects;
        if (std::strcmp(solo, "music") == 0) output->SetSolo(&music);
        if (std::strcmp(solo, "effects") == 0) output->SetSolo(&effects);
    }
    return output;
}

}  // namespace platform
