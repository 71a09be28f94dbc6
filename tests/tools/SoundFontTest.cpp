// The browser build's SoundFont (resources/pelloro.sf2, written by tools/assetgen): a well-formed
// SoundFont 2 whose three presets are the song's programs, and that FluidSynth plays each of them at
// the pitch of the key.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/FluidSynthOutput.h"
#include "platform/Resources.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kSoundFont = std::string(PELLORO_SOURCE_DIR) + "/resources/pelloro.sf2";

std::uint32_t Le16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Le32(const Bytes& b, std::size_t at) { return Le16(b, at) | (Le16(b, at + 2) << 16); }
std::string Id(const Bytes& b, std::size_t at) { return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + 4)); }

// The sub-chunks of every LIST, by id; fails the test on a chunk that runs past its container.
std::map<std::string, Bytes> Chunks(const Bytes& file) {
    std::map<std::string, Bytes> out;
    EXPECT_GE(file.size(), 12u);
    if (file.size() < 12) return out;
    EXPECT_EQ(Id(file, 0), "RIFF");
    EXPECT_EQ(Id(file, 8), "sfbk");
    EXPECT_EQ(Le32(file, 4) + 8, file.size());
    std::size_t at = 12;
    while (at + 12 <= file.size()) {
        EXPECT_EQ(Id(file, at), "LIST");
        const std::size_t end = at + 8 + Le32(file, at + 4);
        EXPECT_LE(end, file.size());
        if (end > file.size()) return out;
        for (std::size_t c = at + 12; c + 8 <= end;) {
            const std::size_t size = Le32(file, c + 4);
            EXPECT_LE(c + 8 + size, end) << Id(file, c);
            if (c + 8 + size > end) return out;
            out[Id(file, c)] = Bytes(file.begin() + static_cast<long>(c + 8), file.begin() + static_cast<long>(c + 8 + size));
            c += 8 + size + (size & 1);
        }
        at = end;
    }
    return out;
}

TEST(SoundFont, IsWellFormedWithTheSongsThreePrograms) {
    Bytes file;
    ASSERT_TRUE(platform::ReadWholeFile(kSoundFont, file)) << kSoundFont;
    std::map<std::string, Bytes> c = Chunks(file);
    for (const char* id : {"ifil", "smpl", "phdr", "pbag", "pmod", "pgen", "inst", "ibag", "imod", "igen", "shdr"}) {
        ASSERT_TRUE(c.count(id)) << id;
    }
    // Record sizes, each list ending in its terminal record.
    const std::pair<const char*, std::size_t> records[] = {{"phdr", 38}, {"pbag", 4}, {"pmod", 10}, {"pgen", 4},
                                                           {"inst", 22}, {"ibag", 4}, {"imod", 10}, {"igen", 4}, {"shdr", 46}};
    for (const auto& [id, size] : records) EXPECT_EQ(c[id].size() % size, 0u) << id;

    const Bytes& phdr = c["phdr"];
    std::vector<std::pair<int, int>> presets;  // bank, program
    for (std::size_t at = 0; at + 38 < phdr.size(); at += 38) presets.push_back({int(Le16(phdr, at + 22)), int(Le16(phdr, at + 20))});
    EXPECT_EQ(presets, (std::vector<std::pair<int, int>>{{0, 8}, {0, 12}, {0, 79}}));

    // Every preset zone ends in an instrument that exists; every instrument zone in a sample that does.
    const std::size_t instruments = c["inst"].size() / 22 - 1;
    const std::size_t samples = c["shdr"].size() / 46 - 1;
    const Bytes& pgen = c["pgen"];
    const Bytes& pbag = c["pbag"];
    for (std::size_t z = 0; z + 1 < pbag.size() / 4; ++z) {
        const std::size_t last = Le16(pbag, 4 * (z + 1)) - 1;
        ASSERT_LT(4 * last + 4, pgen.size());
        EXPECT_EQ(Le16(pgen, 4 * last), 41u) << "preset zone " << z;
        EXPECT_LT(Le16(pgen, 4 * last + 2), instruments) << "preset zone " << z;
    }
    const Bytes& igen = c["igen"];
    const Bytes& ibag = c["ibag"];
    for (std::size_t z = 0; z + 1 < ibag.size() / 4; ++z) {
        const std::size_t last = Le16(ibag, 4 * (z + 1)) - 1;
        ASSERT_LT(4 * last + 4, igen.size());
        EXPECT_EQ(Le16(igen, 4 * last), 53u) << "instrument zone " << z;
        EXPECT_LT(Le16(igen, 4 * last + 2), samples) << "instrument zone " << z;
    }
    // Loops inside their samples, with the 46 zero points after each that the format asks for.
    const Bytes& shdr = c["shdr"];
    const std::size_t points = c["smpl"].size() / 2;
    for (std::size_t s = 0; s < samples; ++s) {
        const std::size_t at = 46 * s;
        const std::uint32_t start = Le32(shdr, at + 20), end = Le32(shdr, at + 24);
        const std::uint32_t loopStart = Le32(shdr, at + 28), loopEnd = Le32(shdr, at + 32);
        EXPECT_LT(start + 8, loopStart) << s;
        EXPECT_LT(loopStart + 32, loopEnd) << s;
        EXPECT_LE(loopEnd + 8, end) << s;
        EXPECT_LE(end + 46, points) << s;
        for (std::size_t k = end; k < end + 46 && k < points; ++k) EXPECT_EQ(Le16(c["smpl"], 2 * k), 0u) << s;
    }
}

struct VoiceCase {
    const char* name;
    int program;
    double from, to;  // seconds after the note-on: the window measured
};

TEST(SoundFont, EveryProgramSoundsAtThePitchOfItsKey) {
    const VoiceCase cases[] = {{"celesta", 8, 0.35, 0.6}, {"marimba", 12, 0.12, 0.25}, {"ocarina", 79, 0.4, 0.9}};
    constexpr int kRate = 22050;
    for (const VoiceCase& c : cases) {
        platform::FluidSynthOutput synth(kRate, true, kSoundFont);
        std::string error;
        ASSERT_TRUE(synth.Open(&error)) << error;
        synth.ShortMsg(0xC0u | (static_cast<std::uint32_t>(c.program) << 8));
        synth.ShortMsg(0x90u | (69u << 8) | (100u << 16));  // A 440 Hz
        std::vector<std::int32_t> mix(2 * kRate, 0);
        synth.Render(mix.data(), kRate, 2);
        const int from = static_cast<int>(c.from * kRate), to = static_cast<int>(c.to * kRate);
        int crossings = 0;
        double energy = 0;
        for (int i = from + 1; i < to; ++i) {
            const std::int32_t a = mix[2 * static_cast<std::size_t>(i - 1)], b = mix[2 * static_cast<std::size_t>(i)];
            if ((a < 0) != (b < 0)) ++crossings;
            energy += static_cast<double>(b) * b;
        }
        const double rms = std::sqrt(energy / (to - from));
        const double hz = crossings / 2.0 / (c.to - c.from);
        EXPECT_GT(rms, 30.0) << c.name << " at " << hz << " Hz";
        EXPECT_NEAR(hz, 440.0, 9.0) << c.name;
    }
}

}  // namespace
