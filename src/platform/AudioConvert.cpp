#include "platform/AudioConvert.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/ByteReader.h"

namespace platform {

namespace {

constexpr int kMinRate = 100;
constexpr int kMaxRate = 200000;

// SDL's float conversion saturates at ±1 but does not know NaN: every sample is made finite here.
float Sane(double v) {
    if (std::isnan(v)) return 0.0f;
    return static_cast<float>(std::clamp(v, -1.0, 1.0));
}

// The samples as SDL's converter takes them: 8- and 16-bit as they stand in the file, the wider and
// float kinds widened or narrowed here to host-order 32-bit integers or floats.
// `room` is the buffer size SDL's converter works in, at least the staged samples.
void Stage(const SampleFormat& in, const std::uint8_t* data, std::size_t frames, std::size_t room,
           std::vector<std::uint8_t>& staged) {
    const std::size_t samples = frames * static_cast<std::size_t>(in.channels);
    const std::size_t width = static_cast<std::size_t>(in.bits / 8);
    if (in.encoding == SampleFormat::Encoding::kInteger && (in.bits == 8 || in.bits == 16)) {
        staged.resize(std::max(samples * width, room));
        std::memcpy(staged.data(), data, samples * width);
        return;
    }
    staged.resize(std::max(samples * 4, room));
    std::uint8_t* to = staged.data();
    const ByteSpan file(data, samples * width);
    if (in.encoding == SampleFormat::Encoding::kInteger) {
        for (std::size_t i = 0; i < samples; ++i) {
            // 24-bit samples go into the high bytes, where their top byte carries the sign.
            const std::uint32_t raw = in.bits == 24 ? Le24(file, i * width) << 8 : Le32(file, i * width);
            const auto v = static_cast<std::int32_t>(raw);
            std::memcpy(to + i * 4, &v, 4);
        }
        return;
    }
    for (std::size_t i = 0; i < samples; ++i) {
        double v = 0;
        if (in.bits == 32) {
            const std::uint32_t raw = Le32(file, i * width);
            float f;
            std::memcpy(&f, &raw, 4);
            v = f;
        } else {
            const std::uint64_t raw = Le64(file, i * width);
            std::memcpy(&v, &raw, 8);
        }
        const float f = Sane(v);
        std::memcpy(to + i * 4, &f, 4);
    }
}

bool Convert(const SampleFormat& in, const std::uint8_t* data, std::size_t size, int outRate, int outChannels,
             std::size_t maxFrames, std::vector<std::int16_t>& out) {
    const std::size_t frameBytes = static_cast<std::size_t>(in.FrameBytes());
    const std::size_t frames = size / frameBytes;
    if (frames == 0) return false;
    const std::uint64_t outFrames = static_cast<std::uint64_t>(frames) * static_cast<std::uint64_t>(outRate) /
                                        static_cast<std::uint64_t>(in.rate) + 1;
    if (outFrames > maxFrames) return false;

    SDL_AudioCVT cvt;
    const std::size_t stagedWidth = in.bits <= 16 && in.encoding == SampleFormat::Encoding::kInteger
                                        ? static_cast<std::size_t>(in.bits / 8)
                                        : 4;
    const std::size_t stagedBytes = frames * static_cast<std::size_t>(in.channels) * stagedWidth;
    const SDL_AudioFormat format = in.encoding == SampleFormat::Encoding::kFloat ? AUDIO_F32SYS
                    : in.bits == 8                                ? AUDIO_U8
                    : in.bits == 16                               ? AUDIO_S16LSB
                                                                  : AUDIO_S32SYS;
    if (SDL_BuildAudioCVT(&cvt, format, static_cast<Uint8>(in.channels), in.rate, AUDIO_S16SYS,
                          static_cast<Uint8>(outChannels), outRate) < 0) {
        return false;
    }
    const std::size_t mult = static_cast<std::size_t>(std::max(cvt.len_mult, 1));
    if (stagedBytes > static_cast<std::size_t>(INT_MAX) / mult) return false;
    std::vector<std::uint8_t> staged;
    Stage(in, data, frames, stagedBytes * mult, staged);
    cvt.buf = staged.data();
    cvt.len = static_cast<int>(stagedBytes);
    std::size_t bytes = stagedBytes;
    if (cvt.needed) {
        if (SDL_ConvertAudio(&cvt) != 0 || cvt.len_cvt < 0) return false;
        bytes = static_cast<std::size_t>(cvt.len_cvt);
    }
    const std::size_t outFrameBytes = static_cast<std::size_t>(outChannels) * sizeof(std::int16_t);
    const std::size_t made = std::min<std::size_t>(bytes / outFrameBytes, maxFrames);
    if (made == 0) return false;
    out.resize(made * static_cast<std::size_t>(outChannels));
    std::memcpy(out.data(), staged.data(), made * outFrameBytes);
    return true;
}

}  // namespace

bool SampleFormat::IsSupported() const {
    const bool width = encoding == Encoding::kInteger ? (bits == 8 || bits == 16 || bits == 24 || bits == 32)
                                                      : (bits == 32 || bits == 64);
    return width && (channels == 1 || channels == 2) && rate >= kMinRate && rate <= kMaxRate;
}

bool ConvertSamples(const SampleFormat& in, const std::uint8_t* bytes, std::size_t size, int outRate, int outChannels,
                    std::size_t maxFrames, std::vector<std::int16_t>& out) {
    out.clear();
    if (!in.IsSupported() || bytes == nullptr || outRate < kMinRate || outRate > kMaxRate ||
        (outChannels != 1 && outChannels != 2)) {
        return false;
    }
    try {
        if (Convert(in, bytes, size, outRate, outChannels, maxFrames, out)) return true;
    } catch (const std::bad_alloc&) {
    }
    out.clear();
    out.shrink_to_fit();
    return false;
}

}  // namespace platform
