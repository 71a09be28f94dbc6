#pragma once
// Background music: a standard MIDI file read into memory and played by our own sequencer onto a
// MIDI output, one pass every 10 ms.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class AudioOutput;
class MidiOutput;
}

class TVekMidi {
public:
    TVekMidi();
    ~TVekMidi();
    TVekMidi(const TVekMidi&) = delete;
    TVekMidi& operator=(const TVekMidi&) = delete;

    // The form the main window uses: the synthesizer rendering into `output`, passes on its clock.
    // Fails (and says "MIDIマッパーを開けませんでした。") without an output or a SoundFont.
    bool Init(platform::AudioOutput* output);
    bool CleanUp();

    bool Load(const std::string& name);
    bool LoadFile(const std::uint8_t* data, std::size_t size);
    bool Play(const std::string& name, bool loop);
    bool Play(bool loop);
    bool Stop();
    bool Reset(bool loop);
    bool IsPlay() const;
    bool IsPlay(const std::string& name) const;
};
