#pragma once
// Sound effects: up to 16 waves, each under a name, each played on up to four overlapping voices.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {
class AudioOutput;
}

class TVekSound {
public:
    TVekSound();
    ~TVekSound();
    TVekSound(const TVekSound&) = delete;
    TVekSound& operator=(const TVekSound&) = delete;

    // The form the main window uses: SamplingRatio, Bits and Stereo as set. A null output fails.
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

    int SamplingRatio = 22050;
    int Bits = 16;
    bool Stereo = true;
    bool IsReady() const { return ready; }

private:
    bool ready = false;
    platform::AudioOutput* output = nullptr;
    // The implementation adds its slots, voices and names here.
};
