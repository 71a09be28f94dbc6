#pragma once
// Sound effects: up to 16 waves, each under a name, each played on up to four overlapping voices.
// The voices are mixed by the audio output's render step; they change only under its lock.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "devices/MediaBudget.h"
#include "platform/AudioOutput.h"

// Why a wave was not loaded.
enum class TWaveRefusal {
    None,
    NotWave,            // no RIFF header of form WAVE
    ChunkCut,           // a chunk header, or the part of the format that is read, cut off by the end
    BadFormatChunk,     // a format chunk too short for its kind
    NoFormat,           // no format chunk before the scan ends
    NoSamples,          // no data chunk, or not one whole frame in it
    UnsupportedFormat,  // compressed, of another format family, or a sample width that is not played
    BadChannels,        // neither mono nor stereo
    BadBlockAlign,      // the block alignment is not channels × bytes a sample
    BadRate,            // outside 100 .. 200 000 Hz
    Unconvertible,      // longer than a sound effect may be once converted, or no memory for it
    Unreadable,         // no such resource or file, or a file too large to be a sound effect
    NoRoom,             // the device is not ready or every slot is taken
    OverBudget,         // the scene's sounds would pass their total once this one is converted
};

// The refusal's name as the test inputs spell it ("NoSamples").
const char* WaveRefusalName(TWaveRefusal refusal);

class TVekSound {
public:
    static constexpr int kSlots = 16;   // sounds the device holds at once
    // The converted samples one device holds at once (bytes): 128 MiB is twelve minutes of 44.1 kHz
    // stereo, far above a scene's effects, and more than the longest sound the device takes (600 s),
    // so any one sound still loads alone. A wave several records name is converted once and counted once.
    static constexpr std::uint64_t kSoundBudgetBytes = 128u << 20;
    static constexpr int kVoices = 4;   // overlapping copies of one sound

    // What a RIFF/WAVE file says about its samples, as far as playing them needs.
    struct WaveInfo {
        std::uint16_t formatTag = 0;    // as the file says: 1, 3, or 0xFFFE (extensible)
        std::uint16_t sampleKind = 0;   // what the samples are: 1 integer PCM, 3 IEEE float
        std::uint16_t channels = 0;
        std::uint32_t rate = 0;
        std::uint16_t blockAlign = 0;
        std::uint16_t bitsPerSample = 0;
        std::size_t dataOffset = 0;  // where the samples start in the file's bytes
        std::size_t dataSize = 0;    // sample bytes, whole frames only, never past the bytes given
        bool clamped = false;        // the data chunk claimed more bytes than the file holds
        std::size_t Frames() const { return blockAlign ? dataSize / blockAlign : 0; }
    };

    TVekSound();
    ~TVekSound();
    TVekSound(const TVekSound&) = delete;
    TVekSound& operator=(const TVekSound&) = delete;

    // The form the main window uses: waves are converted to the output's format. A null output fails.
    // The output must outlive the device, or ReleaseAll must come first.
    bool Init(platform::AudioOutput* output);
    bool ReleaseAll();

    bool CreateBuffer(const std::string& name, const std::string& source);
    bool CreateBuffer(const std::string& source);
    bool LoadFile(const std::uint8_t* data, std::size_t size);

    bool Play(const std::string& name);
    bool Play(int index);
    bool Stop(const std::string& name);
    bool Stop(int index);
    bool IsPlaying(const std::string& name);
    bool IsPlaying(int index);
    void SetBits(int value);

    // Reads a RIFF/WAVE file without touching the device: None for 8-, 16-, 24- or 32-bit integer PCM
    // or 32- or 64-bit IEEE float, plain or in the extensible wrapper, mono or stereo, with at least
    // one whole frame of samples inside the bytes; otherwise why not. Compressed formats are refused.
    static TWaveRefusal ParseWave(const std::uint8_t* data, std::size_t size, WaveInfo* info);
    // Why the latest load failed; None after one that succeeded.
    TWaveRefusal LastRefusal() const { return lastRefusal; }

    int SamplingRatio = 22050;
    int Bits = 16;
    bool Stereo = true;
    bool IsReady() const { return ready; }
    int SoundCount() const { return soundCount; }

private:
    struct Voice {
        bool playing = false;
        std::size_t cursor = 0;  // frames already played
    };
    // One copy of the samples, in the output's format, and four play cursors over it.
    struct Slot {
        std::shared_ptr<const std::vector<std::int16_t>> samples;  // shared by slots of one source
        std::string source;  // the resource or file it came from; empty from LoadFile
        std::size_t frames = 0;
        std::array<Voice, kVoices> voices{};
        int nextVoice = 0;
        bool named = false;
        std::string name;
    };

    bool Load(const std::string& source, const std::string* name);
    TWaveRefusal Fill(const std::uint8_t* data, std::size_t size, const std::string& source, const std::string* name);
    TWaveRefusal Put(std::shared_ptr<const std::vector<std::int16_t>> samples, const std::string& source,
                     const std::string* name);
    bool Refuse(TWaveRefusal refusal);
    int IndexOf(const std::string& name) const;
    void Mix(std::int32_t* mix, int frames);

    bool ready = false;
    platform::AudioOutput* output = nullptr;
    platform::AudioOutput::SourceId source = 0;
    int channels = 2;
    int soundCount = 0;
    TWaveRefusal lastRefusal = TWaveRefusal::None;
    std::array<Slot, kSlots> slots;
    // Folded name to the first slot loaded under it, so that a lookup does not walk the slots.
    std::unordered_map<std::string, int> firstSlotByName;
    TMediaBudget soundBudget{kSoundBudgetBytes, "sounds"};
};
