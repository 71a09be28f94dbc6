#pragma once
// The last step of the mix: a peak limiter that keeps every sample under a ceiling below full scale
// by turning the whole frame down, never by cutting the wave. The gain drops at once to what the
// loudest sample of a frame needs (so nothing ever reaches full scale), holds there for a while and
// then returns slowly, so short peaks leave no flutter behind. A mix that stays under the ceiling
// passes sample for sample unchanged: music alone never moves the gain.
#include <cstdint>

namespace platform {

class Limiter {
public:
    static constexpr std::int32_t kCeiling = 29200;  // −1 dBFS: the loudest sample the limiter lets out
    static constexpr double kHoldSeconds = 0.05;      // longer than a cycle of the lowest note
    static constexpr double kReleaseSeconds = 0.4;    // time constant of the return to full gain

    Limiter(int rate, int channels);

    // `in` holds frames × channels samples of the summed mix; `out` gets them limited.
    void Process(const std::int64_t* in, std::int16_t* out, int frames);
    // As Process, but the gain the whole mix `in` needs is applied to `part`, a share of that mix:
    // what that share sounds like inside the limited mix.
    void ProcessShare(const std::int64_t* in, const std::int64_t* part, std::int16_t* out, int frames);

    double Gain() const { return gain; }

private:
    double NextGain(const std::int64_t* frame);

    int channels;
    int holdFrames;
    double release;  // per frame: the share of the remaining reduction kept
    double gain = 1.0;
    int hold = 0;
};

}  // namespace platform
