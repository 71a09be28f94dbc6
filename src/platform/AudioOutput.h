#pragma once
// The one audio output of the program. Its render step mixes the sound device's voices and the
// synthesizer; on a device the SDL callback calls it, offline (headless runs, tests) the caller does.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class AudioOutput {
public:
    // Something that adds its samples into the output: the sound device's voices, the synthesizer.
    // `mix` holds frames × channels 32-bit accumulators; after every source the sum is scaled by the
    // volume and goes through the limiter (platform/Limiter.h), so it never reaches full scale.
    // `mix` is null when nobody hears the output (an offline render with nowhere to put the samples):
    // the source then moves on by `frames` as if it had added them, without making them.
    using Source = std::function<void(std::int32_t* mix, int frames)>;
    using SourceId = std::uint64_t;
    // What a source plays, so that one share of the mix can be heard alone (SetSolo).
    enum class Role { kEffects, kMusic };

    // As the rate: the device's own rate, 48 000 Hz when it says so and 44 100 Hz otherwise; offline, 44 100 Hz.
    static constexpr int kNativeRate = 0;
    static constexpr int kOfflineRate = 44100;

    virtual ~AudioOutput() = default;

    // An SDL audio device at (rate, bits, stereo); nullptr and a reason when none can be had.
    // The device may give another rate than asked for: Rate() is the one it gave.
    static std::unique_ptr<AudioOutput> OpenDevice(int rate, int bits, bool stereo, std::string* error);
    // No device: samples are produced only by RenderOffline. PELLORO_AUDIO_SOLO=music or =effects in
    // the environment renders only that share of the mix (SetSolo), for measuring the balance.
    static std::unique_ptr<AudioOutput> OpenOffline(int rate, int bits, bool stereo);

    virtual int Rate() const = 0;
    virtual int Channels() const = 0;
    virtual int Bits() const = 0;
    // True when a device pulls the samples in real time; false when only RenderOffline renders.
    virtual bool IsRealtime() const = 0;

    // Sources run in the order added, under Lock().
    virtual void AddSource(Source source) = 0;
    virtual void ClearSources() = 0;
    // As AddSource, with a handle for taking just this source out again. Detach waits for a render
    // step in progress, so once it returns the source is never called again.
    virtual SourceId Attach(Source source, Role role = Role::kEffects) = 0;
    virtual void Detach(SourceId id) = 0;

    // Only the sources of that role are heard, at the gain the limiter gives the whole mix: what they
    // contribute to it. nullptr: everything is heard (the default).
    virtual void SetSolo(const Role* role) = 0;

    // The lock the render step holds; whoever changes what a source reads takes it too.
    virtual std::recursive_mutex& Lock() = 0;

    // Renders `frames` frames of 16-bit interleaved output, appending them to `sink`. Without a sink
    // nobody hears them: the sources only move on in time (see Source), so a headless run costs no
    // synthesis, and the limiter's state is that of the last frames heard.
    virtual void RenderOffline(int frames, std::vector<std::int16_t>* sink) = 0;

    // A paused device renders nothing, so every voice and the song stand still where they are and
    // go on from there; offline outputs only render when asked anyway.
    virtual void SetPaused(bool /*paused*/) {}

    void SetVolume(int percent);  // 0 .. 100
    int Volume() const { return volume; }
    void SetMuted(bool value) { muted = value; }
    bool Muted() const { return muted; }

protected:
    // Read by the render step on the audio thread while the window thread sets them.
    std::atomic<int> volume{100};
    std::atomic<bool> muted{false};
};

}  // namespace platform
