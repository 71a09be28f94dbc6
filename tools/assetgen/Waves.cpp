// The three sound effects, synthesised from scratch with basic arithmetic only, so every build writes
// the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Audio.h"
#include "Raster.h"

namespace audio {

namespace {

constexpr int kRate = 22050;
// Peak level of every effect: -2 dBFS leaves headroom without sounding timid.
constexpr double kPeak = 0.794;

double Sine(double cycles) { return art::SinDeg(360.0 * (cycles - std::floor(cycles))); }

// e^x from its series on a reduced argument: x = k ln2 + r, e^x = 2^k e^r.
double Exp(double x) {
    if (x < -700) return 0.0;
    constexpr double kLn2 = 0.69314718055994530942;
    const double k = std::floor(x / kLn2 + 0.5);
    const double r = x - k * kLn2;
    double term = 1.0, sum = 1.0;
    for (int i = 1; i < 16; ++i) {
        term *= r / i;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double NoteHz(int midiNote) { return 440.0 * Exp((midiNote - 69) * 0.057762265046662105); }  // ln2 / 12

struct Stereo {
    std::vector<double> left, right;
    explicit Stereo(std::size_t frames) : left(frames, 0.0), right(frames, 0.0) {}
};

void Normalise(std::vector<double>& a, std::vector<double>* b) {
    double peak = 0;
    for (double v : a) peak = std::max(peak, std::fabs(v));
    if (b)
        for (double v : *b) peak = std::max(peak, std::fabs(v));
    if (peak <= 0) return;
    const double gain = kPeak / peak;
    for (double& v : a) v *= gain;
    if (b)
        for (double& v : *b) v *= gain;
}

// A gentle fade over the last few milliseconds so that the final sample is exactly zero.
void Taper(std::vector<double>& a, int samples) {
    const int n = static_cast<int>(a.size());
    for (int i = 0; i < samples && i < n; ++i) {
        const double g = static_cast<double>(i) / samples;
        a[static_cast<std::size_t>(n - 1 - i)] *= g;
    }
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutId(std::vector<std::uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
}

// "fmt " of 18 bytes (with a zero extra-size field) for mono 8-bit.
std::vector<std::uint8_t> WaveMono8(const std::vector<double>& samples) {
    std::vector<std::uint8_t> data;
    for (double v : samples) {
        const int q = static_cast<int>(std::floor(v * 127.0 + 0.5));
        data.push_back(static_cast<std::uint8_t>(std::clamp(q + 128, 1, 255)));
    }
    std::vector<std::uint8_t> out;
    PutId(out, "RIFF");
    Put32(out, static_cast<std::uint32_t>(4 + 8 + 18 + 8 + data.size()));
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    Put32(out, 18);
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, kRate);
    Put32(out, kRate);
    Put16(out, 1);
    Put16(out, 8);
    Put16(out, 0);
    PutId(out, "data");
    Put32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// "fmt " of 16 bytes, then "fact" with the frame count, for stereo 16-bit.
std::vector<std::uint8_t> WaveStereo16(const Stereo& s) {
    std::vector<std::uint8_t> data;
    auto q = [](double v) {
        return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(static_cast<int>(std::floor(v * 32767.0 + 0.5)), -32767, 32767)));
    };
    for (std::size_t i = 0; i < s.left.size(); ++i) {
        Put16(data, q(s.left[i]));
        Put16(data, q(s.right[i]));
    }
    std::vector<std::uint8_t> out;
    PutId(out, "RIFF");
    Put32(out, static_cast<std::uint32_t>(4 + 8 + 16 + 8 + 4 + 8 + data.size()));
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, 2);
    Put32(out, kRate);
    Put32(out, kRate * 4);
    Put16(out, 4);
    Put16(out, 16);
    PutId(out, "fact");
    Put32(out, 4);
    Put32(out, static_cast<std::uint32_t>(s.left.size()));
    PutId(out, "data");
    Put32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// Two-pole resonant band-pass (the usual biquad), for noise.
class BandPass {
public:
    BandPass(double centreHz, double q) {
        const double w = 360.0 * centreHz / kRate;
        const double alpha = art::SinDeg(w) / (2 * q);
        const double a0 = 1 + alpha;
        b0 = alpha / a0;
        b2 = -alpha / a0;
        a1 = -2 * art::CosDeg(w) / a0;
        a2 = (1 - alpha) / a0;
    }
    double operator()(double x) {
        const double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    double b0 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

double Noise(art::Rng& rng) { return (static_cast<int>(rng.Next() % 65536u) - 32768) / 32768.0; }

}  // namespace

std::vector<std::uint8_t> MakeGet() {
    // 0.30 s: a short E6 then a ringing B6, like a bell struck twice.
    const int frames = 6615;
    std::vector<double> s(static_cast<std::size_t>(frames), 0.0);
    struct Note {
        double start, hz, decay, level;
    };
    const Note notes[] = {{0.000, NoteHz(88), 28.0, 0.8}, {0.070, NoteHz(95), 13.0, 1.0}};
    for (const Note& n : notes) {
        const int first = static_cast<int>(n.start * kRate);
        // The first note stops where the second begins.
        const int last = (&n == &notes[0]) ? static_cast<int>(notes[1].start * kRate) : frames;
        for (int i = first; i < last; ++i) {
            const double t = static_cast<double>(i - first) / kRate;
            const double attack = std::min(1.0, t / 0.003);
            const double env = attack * Exp(-n.decay * t);
            const double release = (&n == &notes[0]) ? std::min(1.0, (last - i) / 60.0) : 1.0;
            const double ph = n.hz * t;
            const double v = Sine(ph) + 0.35 * Sine(2 * ph) * Exp(-30 * t) + 0.18 * Sine(3 * ph) * Exp(-45 * t);
            s[static_cast<std::size_t>(i)] += n.level * env * release * v;
        }
    }
    Normalise(s, nullptr);
    Taper(s, 220);
    return WaveMono8(s);
}

std::vector<std::uint8_t> MakeChime() {
    // 0.45 s: three rising notes (C6 E6 G6), the documented example mod's pick-up sound.
    const int frames = 9923;
    std::vector<double> s(static_cast<std::size_t>(frames), 0.0);
    const int notes[] = {84, 88, 91};
    for (int k = 0; k < 3; ++k) {
        const int first = static_cast<int>(0.06 * k * kRate);
        for (int i = first; i < frames; ++i) {
            const double t = static_cast<double>(i - first) / kRate;
            const double env = std::min(1.0, t / 0.004) * Exp(-(9.0 + 4.0 * (2 - k)) * t);
            const double ph = NoteHz(notes[k]) * t;
            s[static_cast<std::size_t>(i)] += (0.7 + 0.15 * k) * env * (Sine(ph) + 0.25 * Sine(2 * ph) * Exp(-25 * t));
        }
    }
    Normalise(s, nullptr);
    Taper(s, 220);
    return WaveMono8(s);
}

std::vector<std::uint8_t> MakeWalk() {
    // 0.71 s: four light paw-falls on dry leaves, alternating a little left and right. It is restarted
    // as soon as it ends while a direction is held, so it starts and ends in silence.
    const int frames = 62572 / 4;
    Stereo out(static_cast<std::size_t>(frames));
    art::Rng rng(4242);
    const double steps[] = {0.012, 0.190, 0.368, 0.546};
    const int length = static_cast<int>(0.15 * kRate);
    for (int k = 0; k < 4; ++k) {
        const int first = static_cast<int>(steps[k] * kRate);
        BandPass crunch(1900 + 300 * (k % 2), 1.1), body(700, 1.3);
        const double pan = (k % 2 == 0) ? -0.25 : 0.25;
        double grain = 0, low1 = 0, low2 = 0;
        for (int i = 0; i < length && first + i < frames; ++i) {
            const double t = static_cast<double>(i) / kRate;
            // Crackle: a dense shower of tiny grains that thins out as the leaf settles.
            if (rng.Below(1000) < static_cast<int>(400 * Exp(-t * 30))) grain = 0.4 + 0.6 * (rng.Below(1000) / 1000.0);
            grain *= 0.86;
            const double n = Noise(rng);
            const double env = std::min(1.0, t / 0.004) * Exp(-t * 28) * std::min(1.0, (length - i) / 300.0);
            double v = crunch(n * grain) * 1.4 + body(n) * 0.5 * env;
            // Two gentle low-pass stages take the hiss off the top: leaves, not paper.
            low1 += (v - low1) * 0.45;
            low2 += (low1 - low2) * 0.45;
            v = low2;
            // A soft thump of the paw itself.
            v += 0.30 * Sine(110 * t) * Exp(-t * 60) * std::min(1.0, t / 0.002);
            v *= env;
            const std::size_t at = static_cast<std::size_t>(first + i);
            out.left[at] += v * (1.0 - pan);
            out.right[at] += v * (1.0 + pan);
        }
    }
    Normalise(out.left, &out.right);
    Taper(out.left, 400);
    Taper(out.right, 400);
    return WaveStereo16(out);
}

std::vector<std::uint8_t> MakeMiss() {
    // 2.25 s: three sighing steps down and a long, wobbling last note that sinks away.
    const int frames = 198276 / 4;
    Stereo out(static_cast<std::size_t>(frames));
    struct Note {
        double start, length;
        int note;
    };
    const Note notes[] = {{0.00, 0.34, 67}, {0.36, 0.34, 66}, {0.72, 0.34, 65}, {1.08, 1.10, 64}};
    double phase = 0;
    for (const Note& n : notes) {
        const int first = static_cast<int>(n.start * kRate);
        const int count = static_cast<int>(n.length * kRate);
        const bool last = n.note == 64;
        for (int i = 0; i < count && first + i < frames; ++i) {
            const double t = static_cast<double>(i) / kRate;
            double hz = NoteHz(n.note);
            if (last) {
                // Vibrato that widens, and a droop of a few semitones at the end.
                const double depth = 0.004 + 0.012 * std::min(1.0, t / 0.6);
                hz *= 1.0 + depth * Sine(5.2 * t);
                if (t > 0.55) hz *= Exp(-0.35 * (t - 0.55) * (t - 0.55) * 2.2);
            } else {
                hz *= 1.0 - 0.012 * std::min(1.0, t / n.length);  // each step sags a little
            }
            phase += hz / kRate;
            // A muted brass voice: the "wah" opens and closes the harmonics over each note.
            const double open = last ? 0.25 + 0.45 * Exp(-t * 1.6) * std::min(1.0, t / 0.08)
                                     : 0.2 + 0.5 * art::SinDeg(180.0 * std::min(1.0, t / n.length));
            double v = 0, weight = 1.0;
            for (int k = 1; k <= 10 && hz * k < 9000; ++k) {
                v += weight / k * Sine(phase * k);
                weight *= open;
            }
            const double attack = std::min(1.0, t / 0.025);
            const double release = std::min(1.0, (n.length - t) / (last ? 0.5 : 0.05));
            const double env = attack * std::max(0.0, release);
            const std::size_t at = static_cast<std::size_t>(first + i);
            out.left[at] += v * env;
        }
    }
    // A touch of width: the right channel hears it a few milliseconds later.
    for (int i = frames - 1; i >= 0; --i) {
        const int from = i - 90;
        out.right[static_cast<std::size_t>(i)] =
            0.85 * out.left[static_cast<std::size_t>(i)] + (from >= 0 ? 0.15 * out.left[static_cast<std::size_t>(from)] : 0.0);
    }
    Normalise(out.left, &out.right);
    Taper(out.left, 300);
    Taper(out.right, 300);
    return WaveStereo16(out);
}

}  // namespace audio
