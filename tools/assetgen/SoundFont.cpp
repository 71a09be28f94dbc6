// pelloro.sf2: a SoundFont with just the three instruments the song plays (bank 0: 8 celesta,
// 12 marimba, 79 ocarina), for the browser build, where every byte is downloaded. Each instrument is
// one or two single-cycle waves looped under a volume envelope: a few kilobytes in all, and the song
// sounds the same wherever this file is used.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Audio.h"
#include "Raster.h"

namespace audio {

namespace {

constexpr int kPeriod = 256;                 // samples in one cycle of the root key
constexpr int kPeriods = 8;                  // cycles stored; the middle six are the loop
constexpr int kRootKey = 60;                 // middle C
constexpr std::uint32_t kSampleRate = 66976; // 256 × 261.626 Hz: one cycle of middle C is kPeriod samples
constexpr int kGap = 46;                     // zero samples after each sample, as the format asks

// Generators of SoundFont 2.01 (section 8.1.2).
enum Gen : std::uint16_t {
    kVibLfoToPitch = 6,
    kDelayVibLfo = 23,
    kFreqVibLfo = 24,
    kAttackVolEnv = 34,
    kHoldVolEnv = 35,
    kDecayVolEnv = 36,
    kSustainVolEnv = 37,
    kReleaseVolEnv = 38,
    kKeynumToVolEnvDecay = 40,
    kInstrument = 41,
    kInitialAttenuation = 48,
    kSampleId = 53,
    kSampleModes = 54,
};

// Seconds as timecents, the format's unit of time: 1200 log2(s), from our own arithmetic so that
// every build writes the same bytes.
std::int16_t Timecents(double seconds) {
    int exponent = 0;
    const double mantissa = std::frexp(seconds, &exponent);  // seconds = mantissa × 2^exponent, mantissa in [0.5, 1)
    // log2(m) for m in [0.5, 1): m = (1 + y) / (1 - y), ln m = 2 (y + y³/3 + y⁵/5 + …).
    const double y = (mantissa - 1.0) / (mantissa + 1.0);
    double term = y, sum = 0.0;
    for (int k = 1; k < 40; k += 2) {
        sum += term / k;
        term *= y * y;
    }
    const double log2m = 2.0 * sum / 0.69314718055994530942;
    return static_cast<std::int16_t>(std::floor(1200.0 * (exponent + log2m) + 0.5));
}

struct Zone {
    std::vector<std::pair<std::uint16_t, std::int16_t>> generators;  // the sample (or instrument) last
};

struct Instrument {
    const char* name;
    std::vector<Zone> zones;
};

struct Preset {
    const char* name;
    std::uint16_t program;
    std::uint16_t instrument;
};

// One cycle of a wave made of harmonics (number, level), stored kPeriods times and scaled to peak
// at 80 % of full scale.
std::vector<std::int16_t> Wave(const std::vector<std::pair<int, double>>& harmonics) {
    std::vector<double> cycle(kPeriod, 0.0);
    for (int i = 0; i < kPeriod; ++i) {
        for (const auto& [number, level] : harmonics) {
            const int phase = (i * number) % kPeriod;
            cycle[static_cast<std::size_t>(i)] += level * art::SinDeg(360.0 * phase / kPeriod);
        }
    }
    double peak = 0.0;
    for (double v : cycle) peak = std::max(peak, std::fabs(v));
    std::vector<std::int16_t> out;
    for (int p = 0; p < kPeriods; ++p) {
        for (double v : cycle) out.push_back(static_cast<std::int16_t>(std::floor(v / peak * 0.8 * 32767.0 + 0.5)));
    }
    return out;
}

void Put8(std::vector<std::uint8_t>& out, std::uint8_t v) { out.push_back(v); }
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}
// Byte by byte: gcc 12 under -fsanitize=thread mistakes a ranged insert here for an overflow.
void PutId(std::vector<std::uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
}
// A name field: zero-padded, at least one zero at its end.
void PutName(std::vector<std::uint8_t>& out, const std::string& name, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) out.push_back(i < name.size() && i + 1 < size ? static_cast<std::uint8_t>(name[i]) : 0);
}

std::vector<std::uint8_t> Chunk(const char* id, const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> out;
    PutId(out, id);
    Put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
    return out;
}

std::vector<std::uint8_t> List(const char* type, const std::vector<std::vector<std::uint8_t>>& chunks) {
    std::vector<std::uint8_t> body;
    PutId(body, type);
    for (const auto& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return Chunk("LIST", body);
}

std::vector<std::uint8_t> Text(const std::string& text) {
    std::vector<std::uint8_t> out(text.begin(), text.end());
    out.push_back(0);
    if (out.size() % 2) out.push_back(0);
    return out;
}

}  // namespace

std::vector<std::uint8_t> MakeSoundFont() {
    // The waves: a pure tone, its fourth harmonic (the bright strike of a bar) and a soft reed.
    const std::vector<std::vector<std::int16_t>> waves = {
        Wave({{1, 1.0}}),
        Wave({{4, 1.0}}),
        Wave({{1, 1.0}, {2, 0.22}, {3, 0.07}}),
    };
    const char* waveNames[] = {"Tone", "Strike", "Reed"};

    using G = std::pair<std::uint16_t, std::int16_t>;
    const std::int16_t silent = 1440;  // sustain level: 144 dB down, nothing left
    // Struck bars: a tone that dies away (faster up the keyboard) under a short bright strike.
    auto struck = [&](double decay, double strikeDecay, std::int16_t strikeLevel) {
        return std::vector<Zone>{
            {{G{kAttackVolEnv, Timecents(0.002)}, G{kDecayVolEnv, Timecents(decay)}, G{kSustainVolEnv, silent},
              G{kReleaseVolEnv, Timecents(0.25)}, G{kKeynumToVolEnvDecay, 12}, G{kSampleModes, 1}, G{kSampleId, 0}}},
            {{G{kAttackVolEnv, Timecents(0.001)}, G{kDecayVolEnv, Timecents(strikeDecay)}, G{kSustainVolEnv, silent},
              G{kReleaseVolEnv, Timecents(0.05)}, G{kInitialAttenuation, strikeLevel}, G{kSampleModes, 1}, G{kSampleId, 1}}},
        };
    };
    const std::vector<Instrument> instruments = {
        {"Pelloro Celesta", struck(1.8, 0.3, 100)},
        {"Pelloro Marimba", struck(0.7, 0.08, 60)},
        {"Pelloro Ocarina",
         {{{G{kAttackVolEnv, Timecents(0.04)}, G{kHoldVolEnv, Timecents(0.01)}, G{kSustainVolEnv, 0},
            G{kReleaseVolEnv, Timecents(0.12)}, G{kDelayVibLfo, Timecents(0.25)},
            G{kFreqVibLfo, Timecents(5.5 / 8.176)}, G{kVibLfoToPitch, 12}, G{kSampleModes, 1}, G{kSampleId, 2}}}}},
    };
    const std::vector<Preset> presets = {{"Celesta", 8, 0}, {"Marimba", 12, 1}, {"Ocarina", 79, 2}};

    // sdta: every wave, each followed by its zero gap.
    std::vector<std::uint8_t> smpl;
    std::vector<std::uint32_t> starts;
    std::uint32_t at = 0;
    for (const auto& w : waves) {
        starts.push_back(at);
        for (std::int16_t v : w) Put16(smpl, static_cast<std::uint16_t>(v));
        for (int i = 0; i < kGap; ++i) Put16(smpl, 0);
        at += static_cast<std::uint32_t>(w.size() + kGap);
    }

    std::vector<std::uint8_t> phdr, pbag, pmod(10, 0), pgen, inst, ibag, imod(10, 0), igen, shdr;
    std::uint16_t bagIndex = 0, genIndex = 0;
    for (const Preset& p : presets) {
        PutName(phdr, p.name, 20);
        Put16(phdr, p.program);
        Put16(phdr, 0);  // bank
        Put16(phdr, bagIndex);
        Put32(phdr, 0);
        Put32(phdr, 0);
        Put32(phdr, 0);
        Put16(pbag, genIndex);
        Put16(pbag, 0);
        ++bagIndex;
        Put16(pgen, kInstrument);
        Put16(pgen, p.instrument);
        ++genIndex;
    }
    PutName(phdr, "EOP", 20);
    for (int i = 0; i < 3; ++i) Put16(phdr, i == 2 ? bagIndex : 0);
    for (int i = 0; i < 3; ++i) Put32(phdr, 0);
    Put16(pbag, genIndex);
    Put16(pbag, 0);
    Put32(pgen, 0);

    bagIndex = genIndex = 0;
    for (const Instrument& instrument : instruments) {
        PutName(inst, instrument.name, 20);
        Put16(inst, bagIndex);
        for (const Zone& zone : instrument.zones) {
            Put16(ibag, genIndex);
            Put16(ibag, 0);
            ++bagIndex;
            for (const auto& [gen, amount] : zone.generators) {
                Put16(igen, gen);
                Put16(igen, static_cast<std::uint16_t>(amount));
                ++genIndex;
            }
        }
    }
    PutName(inst, "EOI", 20);
    Put16(inst, bagIndex);
    Put16(ibag, genIndex);
    Put16(ibag, 0);
    Put32(igen, 0);

    for (std::size_t i = 0; i < waves.size(); ++i) {
        const std::uint32_t start = starts[i];
        PutName(shdr, waveNames[i], 20);
        Put32(shdr, start);
        Put32(shdr, start + static_cast<std::uint32_t>(waves[i].size()));
        Put32(shdr, start + kPeriod);
        Put32(shdr, start + kPeriod * (kPeriods - 1));
        Put32(shdr, kSampleRate);
        Put8(shdr, kRootKey);
        Put8(shdr, 0);   // pitch correction
        Put16(shdr, 0);  // no linked sample
        Put16(shdr, 1);  // mono
    }
    PutName(shdr, "EOS", 20);
    for (int i = 0; i < 26; ++i) Put8(shdr, 0);

    std::vector<std::uint8_t> ifil;
    Put16(ifil, 2);
    Put16(ifil, 1);
    const std::vector<std::uint8_t> info = List("INFO", {Chunk("ifil", ifil), Chunk("isng", Text("EMU8000")),
                                                         Chunk("INAM", Text("Pelloro")),
                                                         Chunk("ICMT", Text("The song's three instruments, made by tools/assetgen"))});
    const std::vector<std::uint8_t> sdta = List("sdta", {Chunk("smpl", smpl)});
    const std::vector<std::uint8_t> pdta =
        List("pdta", {Chunk("phdr", phdr), Chunk("pbag", pbag), Chunk("pmod", pmod), Chunk("pgen", pgen),
                      Chunk("inst", inst), Chunk("ibag", ibag), Chunk("imod", imod), Chunk("igen", igen),
                      Chunk("shdr", shdr)});
    std::vector<std::uint8_t> body;
    PutId(body, "sfbk");
    body.insert(body.end(), info.begin(), info.end());
    body.insert(body.end(), sdta.begin(), sdta.end());
    body.insert(body.end(), pdta.begin(), pdta.end());
    return Chunk("RIFF", body);
}

}  // namespace audio
