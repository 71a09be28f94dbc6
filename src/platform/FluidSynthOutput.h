#pragma once
// The MIDI output that makes sound: FluidSynth with a General MIDI SoundFont, rendered into the audio
// output's render step (never through an audio driver of its own).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/MidiOutput.h"

namespace platform {

class AudioOutput;

class FluidSynthOutput final : public MidiOutput {
public:
    // `rate`: the rate the audio output actually runs at. With `waitForSoundFont` Open loads the
    // SoundFont before it returns (offline runs, which must be deterministic); otherwise the load runs
    // on a thread of its own and the synthesizer stays silent until it is done.
    FluidSynthOutput(int rate, bool waitForSoundFont, std::string soundFont = FindSoundFont());
    ~FluidSynthOutput() override;
    FluidSynthOutput(const FluidSynthOutput&) = delete;
    FluidSynthOutput& operator=(const FluidSynthOutput&) = delete;

    bool Open(std::string* error) override;
    void ShortMsg(std::uint32_t packed) override;
    void LongMsg(const std::uint8_t* data, std::size_t size) override;
    void Reset() override;
    void Render(std::int32_t* mix, int frames, int channels) override;

    // The synthesizer for an audio output: at its rate, and waiting for the SoundFont when the output
    // renders offline, so that every offline run sounds the same from its first frame.
    static std::unique_ptr<FluidSynthOutput> For(const AudioOutput& output);

    // PELLORO_SOUNDFONT, else FluidSynth's own default SoundFont, else the system's General MIDI
    // SoundFont: the first of them that names a SoundFont file; "" when there is none.
    static std::string FindSoundFont();
    // PELLORO_SOUNDFONT when it is set to something that is not a SoundFont file (the search then goes
    // on to the defaults); "" otherwise.
    static std::string RejectedChoice();
    // One English line for a player without music: the SoundFont that was tried, or where none was
    // found, and how to choose another.
    static std::string Advice();

private:
    struct State;
    std::unique_ptr<State> state;
    int rate;
    bool waitForSoundFont;
    std::string soundFont;
};

}  // namespace platform
