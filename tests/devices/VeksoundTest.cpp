#include "devices/Veksound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/AudioOutput.h"
#include "platform/Limiter.h"
#include "platform/Resources.h"
#include "support/KeptInputs.h"
#include "support/TestMedia.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(Bytes& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A chunk as it stands in the file: identifier, stated size, contents (no pad byte).
Bytes Chunk(const char* id, const Bytes& contents, std::int64_t statedSize = -1) {
    Bytes out(id, id + 4);
    Put32(out, statedSize >= 0 ? static_cast<std::uint32_t>(statedSize) : static_cast<std::uint32_t>(contents.size()));
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}

// "fmt " contents of `size` bytes (12, 14, 16 or 18).
Bytes Format(int channels, int bits, int rate, int size = 16, int tag = 1) {
    Bytes f;
    Put16(f, static_cast<std::uint32_t>(tag));
    Put16(f, static_cast<std::uint32_t>(channels));
    Put32(f, static_cast<std::uint32_t>(rate));
    const int align = channels * bits / 8;
    Put32(f, static_cast<std::uint32_t>(rate * align));
    Put16(f, static_cast<std::uint32_t>(align));
    Put16(f, static_cast<std::uint32_t>(bits));
    Put16(f, 0);  // the extra-size field of an 18-byte format
    f.resize(static_cast<std::size_t>(size), 0);
    return f;
}

// A 40-byte WAVE_FORMAT_EXTENSIBLE "fmt " whose sub-format GUID carries `kind` (1 PCM, 3 float, ...).
Bytes Extensible(int channels, int bits, int rate, int kind) {
    Bytes f = Format(channels, bits, rate, 16, 0xFFFE);
    Put16(f, 22);                                 // extra bytes
    Put16(f, static_cast<std::uint32_t>(bits));   // valid bits
    Put32(f, channels == 2 ? 3 : 4);              // speakers: front left and right, or centre
    Put16(f, static_cast<std::uint32_t>(kind));  // the GUID's first two bytes, then its fixed tail
    for (std::uint8_t b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) f.push_back(b);
    return f;
}

Bytes Riff(const std::vector<Bytes>& chunks, std::int64_t statedSize = -1) {
    Bytes body{'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes out{'R', 'I', 'F', 'F'};
    Put32(out, statedSize >= 0 ? static_cast<std::uint32_t>(statedSize) : static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes Pcm16(const std::vector<std::int16_t>& samples) {
    Bytes out;
    for (std::int16_t s : samples) Put16(out, static_cast<std::uint16_t>(s));
    return out;
}

// A 22050 Hz 16-bit stereo wave: already the output's format, so it plays back sample for sample.
Bytes StereoWave(const std::vector<std::int16_t>& interleaved) {
    return Riff({Chunk("fmt ", Format(2, 16, 22050)), Chunk("data", Pcm16(interleaved))});
}

// Left = k + 1, right = -(k + 1) for frame k: every frame of every voice can be told apart.
std::vector<std::int16_t> Ramp(int frames) {
    std::vector<std::int16_t> s;
    for (int k = 0; k < frames; ++k) {
        s.push_back(static_cast<std::int16_t>(k + 1));
        s.push_back(static_cast<std::int16_t>(-(k + 1)));
    }
    return s;
}

std::vector<std::int16_t> Constant(int frames, std::int16_t value) {
    return std::vector<std::int16_t>(static_cast<std::size_t>(frames * 2), value);
}

class SoundDevice : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sound.Init(output.get())); }

    std::vector<std::int16_t> Render(int frames) {
        std::vector<std::int16_t> out;
        output->RenderOffline(frames, &out);
        return out;
    }

    bool Load(const Bytes& wave) { return sound.LoadFile(wave.data(), wave.size()); }

    std::unique_ptr<platform::AudioOutput> output = platform::AudioOutput::OpenOffline(22050, 16, true);
    TVekSound sound;
};

// Waves that load; the refused ones are files under tests/inputs/wave.
struct ParseCase {
    const char* what;
    Bytes bytes;
    std::size_t frames;
    bool clamped;
};

std::vector<ParseCase> ParseCases() {
    const Bytes four = Pcm16({1, 2, 3, 4});  // two stereo frames, or four mono
    const Bytes fmt = Chunk("fmt ", Format(2, 16, 22050));
    std::vector<ParseCase> c;
    c.push_back({"format chunk of 16 bytes", Riff({fmt, Chunk("data", four)}), 2, false});
    c.push_back({"format chunk of 18 bytes", Riff({Chunk("fmt ", Format(2, 16, 22050, 18)), Chunk("data", four)}), 2, false});
    c.push_back({"format chunk of 14 bytes takes its width from the block alignment",
                 Riff({Chunk("fmt ", Format(2, 16, 22050, 14)), Chunk("data", four)}), 2, false});
    c.push_back({"a 4-byte fact chunk between format and data", Riff({fmt, Chunk("fact", {2, 0, 0, 0}), Chunk("data", four)}), 2, false});
    c.push_back({"odd 8-bit data chunk at the end", Riff({Chunk("fmt ", Format(1, 8, 22050)), Chunk("data", {1, 2, 3, 4, 5})}), 5, false});
    c.push_back({"odd 16-bit data chunk drops its half frame",
                 Riff({Chunk("fmt ", Format(1, 16, 22050)), Chunk("data", {1, 0, 2, 0, 3})}), 2, false});
    c.push_back({"an odd chunk is stepped over without a pad byte",
                 Riff({fmt, Chunk("LIST", {'a', 'b', 'c'}), Chunk("data", four)}), 2, false});
    c.push_back({"data before format", Riff({Chunk("data", four), fmt}), 2, false});
    c.push_back({"RIFF size past the bytes", Riff({fmt, Chunk("data", four)}, 100000), 2, false});
    c.push_back({"data size past the bytes keeps what is there", Riff({fmt, Chunk("data", four, 4000)}), 2, true});
    c.push_back({"data size of 0xFFFFFFFF", Riff({fmt, Chunk("data", four, 0xFFFFFFFF)}), 2, true});
    c.push_back({"float samples", Riff({Chunk("fmt ", Format(2, 32, 22050, 16, 3)), Chunk("data", four)}), 1, false});
    c.push_back({"24-bit samples", Riff({Chunk("fmt ", Format(1, 24, 22050)), Chunk("data", {1, 2, 3})}), 1, false});
    c.push_back({"32-bit samples", Riff({Chunk("fmt ", Format(1, 32, 22050)), Chunk("data", four)}), 2, false});
    c.push_back({"64-bit float samples", Riff({Chunk("fmt ", Format(1, 64, 22050, 16, 3)), Chunk("data", Bytes(16, 0))}), 2, false});
    c.push_back({"extensible PCM", Riff({Chunk("fmt ", Extensible(2, 16, 22050, 1)), Chunk("data", four)}), 2, false});
    c.push_back({"extensible float", Riff({Chunk("fmt ", Extensible(1, 32, 22050, 3)), Chunk("data", four)}), 2, false});
    c.push_back({"extensible with a format chunk longer than 40 bytes",
                 Riff({Chunk("fmt ", [] { Bytes f = Extensible(1, 16, 22050, 1); f.resize(44, 0); return f; }()),
                       Chunk("data", four)}), 4, false});
    // The scan takes a format after the data and stops there (tests/inputs/wave has it cut short).
    c.push_back({"extensible format after the data, whole",
                 Riff({Chunk("data", Pcm16({1, 2})), Chunk("fmt ", Extensible(1, 16, 22050, 1))}), 2, false});
    return c;
}

TEST(WaveParsing, ChunkScan) {
    for (const ParseCase& c : ParseCases()) {
        TVekSound::WaveInfo info;
        EXPECT_EQ(TVekSound::ParseWave(c.bytes.data(), c.bytes.size(), &info), TWaveRefusal::kNone) << c.what;
        EXPECT_EQ(info.Frames(), c.frames) << c.what;
        EXPECT_EQ(info.clamped, c.clamped) << c.what;
        EXPECT_LE(info.dataOffset + info.dataSize, c.bytes.size()) << c.what;
    }
}

// Malformed waves kept as files, each beside the refusal the parser must give it; the device
// refuses each the same way and keeps no slot for it, while every good wave loads.
TEST_F(SoundDevice, EveryMalformedWaveGivesItsExpectedRefusalAndLeavesNoSlot) {
    testmedia::ForEachKeptInput("wave", ".wav", 30, [&](const std::string& file, const Bytes& bytes, const std::string& expected) {
        EXPECT_STREQ(WaveRefusalName(TVekSound::ParseWave(bytes.data(), bytes.size(), nullptr)), expected.c_str()) << file;
        EXPECT_FALSE(Load(bytes)) << file;
        EXPECT_STREQ(WaveRefusalName(sound.LastRefusal()), expected.c_str()) << file;
        EXPECT_EQ(sound.SoundCount(), 0) << file;
    });
    EXPECT_FALSE(sound.CreateBuffer("no/such/wave"));
    EXPECT_EQ(sound.LastRefusal(), TWaveRefusal::kUnreadable);
    int loaded = 0;
    for (const ParseCase& c : ParseCases()) {
        if (loaded == TVekSound::kSlots) break;
        EXPECT_TRUE(Load(c.bytes)) << c.what;
        EXPECT_EQ(sound.LastRefusal(), TWaveRefusal::kNone) << c.what;
        EXPECT_EQ(sound.SoundCount(), ++loaded) << c.what;
    }
    EXPECT_FALSE(Load(ParseCases()[0].bytes)) << "every slot is taken";
    EXPECT_EQ(sound.LastRefusal(), TWaveRefusal::kNoRoom);
}

TEST_F(SoundDevice, PlaysTheWaveSampleForSample) {
    const auto wave = Ramp(300);
    ASSERT_TRUE(Load(StereoWave(wave)));
    EXPECT_TRUE(sound.Play(0));
    EXPECT_TRUE(sound.IsPlaying(0));
    auto out = Render(400);
    std::vector<std::int16_t> expected = wave;
    expected.resize(800, 0);
    EXPECT_EQ(out, expected);
    EXPECT_FALSE(sound.IsPlaying(0));
}

TEST_F(SoundDevice, FourVoicesOverlapAndTheFifthRestartsTheOldest) {
    const int length = 1000;
    const auto wave = Ramp(length);
    ASSERT_TRUE(Load(StereoWave(wave)));
    std::vector<int> cursors;  // start frame of each sounding voice, oldest first
    std::vector<std::int16_t> out;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(sound.Play(0));
        auto part = Render(10);
        out.insert(out.end(), part.begin(), part.end());
    }
    ASSERT_TRUE(sound.Play(0));  // the fifth: voice 0 starts again from its beginning
    auto after = Render(10);
    // Voices 1..3 started 30, 20 and 10 frames ago; voice 0 has just restarted.
    for (int k = 0; k < 10; ++k) {
        const int expected = (k + 1) + (30 + k + 1) + (20 + k + 1) + (10 + k + 1);
        EXPECT_EQ(after[static_cast<std::size_t>(2 * k)], expected) << "frame " << k;
        EXPECT_EQ(after[static_cast<std::size_t>(2 * k + 1)], -expected) << "frame " << k;
    }
    // Before the fifth play all four voices sounded together: frame 35 is 36 + 26 + 16 + 6.
    EXPECT_EQ(out[2 * 35], 36 + 26 + 16 + 6);
}

TEST_F(SoundDevice, ASecondPlayBeforeTheFirstIsHeardDoesNothing) {
    const auto wave = Ramp(100);
    ASSERT_TRUE(Load(StereoWave(wave)));
    EXPECT_TRUE(sound.Play(0));
    EXPECT_TRUE(sound.Play(0));  // the cursor is still at 0
    auto out = Render(1);
    EXPECT_EQ(out[0], 1) << "only one voice may sound";
    EXPECT_TRUE(sound.Play(0));  // now the first voice has moved: a second copy starts
    out = Render(1);
    EXPECT_EQ(out[0], 2 + 1);
}

// Two voices of 30000 sum past full scale: the output's limiter turns them down to its ceiling
// (they neither wrap round nor clip at full scale).
TEST_F(SoundDevice, LoudVoicesAreLimitedInsteadOfWrapping) {
    ASSERT_TRUE(Load(StereoWave(Constant(50, 30000))));
    ASSERT_TRUE(Load(StereoWave(Constant(50, -30000))));
    ASSERT_TRUE(sound.Play(0));
    Render(1);
    ASSERT_TRUE(sound.Play(0));
    auto high = Render(10);
    EXPECT_EQ(high[0], platform::Limiter::kCeiling);
    Render(100);
    ASSERT_TRUE(sound.Play(1));
    Render(1);
    ASSERT_TRUE(sound.Play(1));
    auto low = Render(10);
    EXPECT_EQ(low[0], -platform::Limiter::kCeiling);
}

TEST_F(SoundDevice, StopSilencesEveryVoice) {
    ASSERT_TRUE(Load(StereoWave(Constant(1000, 100))));
    EXPECT_TRUE(sound.Stop(0)) << "stopping a sound that is not playing";
    EXPECT_FALSE(sound.IsPlaying(0));
    ASSERT_TRUE(sound.Play(0));
    Render(5);
    ASSERT_TRUE(sound.Play(0));
    EXPECT_EQ(Render(1)[0], 200);
    EXPECT_TRUE(sound.Stop(0));
    EXPECT_FALSE(sound.IsPlaying(0));
    EXPECT_EQ(Render(1)[0], 0);
    // The next play uses voice 0 again, and a second play right after it is the same start.
    ASSERT_TRUE(sound.Play(0));
    ASSERT_TRUE(sound.Play(0));
    EXPECT_EQ(Render(1)[0], 100);
}

TEST_F(SoundDevice, IndexOutOfRangeFails) {
    ASSERT_TRUE(Load(StereoWave(Constant(10, 1))));
    for (int index : {-1, 1, 16}) {
        EXPECT_FALSE(sound.Play(index));
        EXPECT_FALSE(sound.Stop(index));
        EXPECT_FALSE(sound.IsPlaying(index));
    }
}

TEST_F(SoundDevice, NamesIgnoreLetterCaseAndTheFirstMatchWins) {
    testmedia::ScopedResources resources({{"WAVE", "SHOT", StereoWave(Constant(10, 111))},
                                          {"WAVE", "shot2", StereoWave(Constant(10, 222))}});
    ASSERT_TRUE(sound.CreateBuffer("SHOT", "SHOT"));
    ASSERT_TRUE(sound.CreateBuffer("Shot", "shot2"));  // the same name again fills a second slot
    EXPECT_EQ(sound.SoundCount(), 2);
    EXPECT_TRUE(sound.Play("shot"));
    EXPECT_EQ(Render(1)[0], 111);
    EXPECT_TRUE(sound.IsPlaying("sHoT"));
    EXPECT_TRUE(sound.Stop("SHOT"));
    EXPECT_FALSE(sound.IsPlaying(0));
    EXPECT_FALSE(sound.Play("SHOTS"));
    EXPECT_FALSE(sound.Stop("nothing"));
    EXPECT_FALSE(sound.IsPlaying("nothing"));
}

// Shift-JIS in bytes: ミ 83 7E, ス 83 58, ベ 83 78, ア 83 41, ヂ 83 61. ス and ベ differ only in a
// trail byte that reads as X or x, ア and ヂ in one that reads as A or a.
TEST_F(SoundDevice, ShiftJisNamesAreNotFoldedInTheirTrailBytes) {
    const std::string misu = "\x83\x7E\x83\x58", mibe = "\x83\x7E\x83\x78";
    const std::string a = "\x83\x41", di = "\x83\x61";
    struct Case {
        std::string loaded, asked;
    };
    const Case cases[] = {{misu, mibe}, {mibe, misu}, {a, di}, {di, a}};
    for (const Case& c : cases) {
        ASSERT_TRUE(sound.Init(output.get()));
        testmedia::ScopedResources resources({{"WAVE", c.loaded, StereoWave(Constant(10, 7))}});
        ASSERT_TRUE(sound.CreateBuffer(c.loaded, c.loaded));
        EXPECT_FALSE(sound.Play(c.asked));
        EXPECT_FALSE(sound.IsPlaying(c.asked));
        EXPECT_FALSE(sound.Stop(c.asked));
        EXPECT_FALSE(sound.CreateBuffer("x", c.asked)) << "the resource of the other name was loaded";
        EXPECT_EQ(sound.SoundCount(), 1);
        EXPECT_TRUE(sound.Play(c.loaded));
        EXPECT_EQ(Render(1)[0], 7);
    }
    // Letters around a two-byte character still fold.
    ASSERT_TRUE(sound.Init(output.get()));
    testmedia::ScopedResources resources({{"WAVE", "w", StereoWave(Constant(10, 9))}});
    ASSERT_TRUE(sound.CreateBuffer("se" + misu + "A", "w"));
    EXPECT_TRUE(sound.Play("SE" + misu + "a"));
    EXPECT_FALSE(sound.Play("SE" + mibe + "a"));
}

TEST_F(SoundDevice, AnUnnamedLoadDoesNotShiftTheNames) {
    testmedia::ScopedResources resources({{"WAVE", "a", StereoWave(Constant(10, 1))},
                                          {"WAVE", "b", StereoWave(Constant(10, 2))}});
    ASSERT_TRUE(sound.CreateBuffer("a"));
    ASSERT_TRUE(sound.CreateBuffer("beep", "b"));
    EXPECT_TRUE(sound.Play("beep"));
    EXPECT_EQ(Render(1)[0], 2);
}

TEST_F(SoundDevice, ResourceFirstThenFileAndABrokenResourceIsTheAnswer) {
    const std::string path = ::testing::TempDir() + "veksound-test.wav";
    const Bytes wave = StereoWave(Constant(10, 333));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(wave.data(), 1, wave.size(), f);
    std::fclose(f);
    {
        testmedia::ScopedResources resources({{"WAVE", path, testmedia::Bytes("not a wave at all")}});
        EXPECT_FALSE(sound.CreateBuffer("x", path)) << "a resource that does not parse is not retried as a file";
        EXPECT_FALSE(sound.Play("x"));
        EXPECT_EQ(sound.SoundCount(), 0);
    }
    EXPECT_TRUE(sound.CreateBuffer("x", path));
    EXPECT_TRUE(sound.Play("x"));
    EXPECT_EQ(Render(1)[0], 333);
    EXPECT_FALSE(sound.CreateBuffer("y", path + ".missing"));
    std::remove(path.c_str());
}

TEST_F(SoundDevice, SixteenSoundsAndNoMore) {
    const Bytes wave = StereoWave(Constant(4, 7));
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(Load(wave)) << i;
    EXPECT_FALSE(Load(wave));
    testmedia::ScopedResources resources({{"WAVE", "w", wave}});
    EXPECT_FALSE(sound.CreateBuffer("seventeenth", "w"));
    EXPECT_FALSE(sound.Play("seventeenth"));
    EXPECT_EQ(sound.SoundCount(), 16);
    EXPECT_TRUE(sound.Play(15));
}

TEST_F(SoundDevice, ReleaseAllForgetsEverySound) {
    ASSERT_TRUE(Load(StereoWave(Constant(100, 5))));
    testmedia::ScopedResources resources({{"WAVE", "w", StereoWave(Constant(10, 6))}});
    ASSERT_TRUE(sound.CreateBuffer("named", "w"));
    ASSERT_TRUE(sound.Play(0));
    EXPECT_TRUE(sound.ReleaseAll());
    EXPECT_FALSE(sound.IsReady());
    EXPECT_EQ(Render(1)[0], 0) << "a released device adds nothing to the output";
    ASSERT_TRUE(sound.Init(output.get()));
    EXPECT_EQ(sound.SoundCount(), 0);
    EXPECT_FALSE(sound.Play(0));
    EXPECT_FALSE(sound.Play("named")) << "the name outlived its sound";
    ASSERT_TRUE(sound.CreateBuffer("other", "w"));
    ASSERT_TRUE(sound.CreateBuffer("named", "w"));
    EXPECT_TRUE(sound.Play("named"));
    EXPECT_EQ(Render(1)[0], 6);
    EXPECT_TRUE(sound.IsPlaying(1)) << "the name finds the slot it was loaded in now";
    EXPECT_FALSE(sound.IsPlaying(0));
}

// Frames nobody hears (a headless run without --audio-out) still play a sound on to its end.
TEST_F(SoundDevice, UnheardFramesPlayASoundOnToItsEnd) {
    ASSERT_TRUE(Load(StereoWave(Constant(100, 7))));
    ASSERT_TRUE(sound.Play(0));
    output->RenderOffline(99, nullptr);
    EXPECT_TRUE(sound.IsPlaying(0));
    output->RenderOffline(1, nullptr);
    EXPECT_FALSE(sound.IsPlaying(0));
}

TEST(SoundDeviceWithoutOutput, EveryOperationFails) {
    TVekSound sound;
    EXPECT_FALSE(sound.Init(nullptr));
    EXPECT_FALSE(sound.IsReady());
    testmedia::ScopedResources resources({{"WAVE", "w", StereoWave(Constant(4, 7))}});
    const Bytes wave = StereoWave(Constant(4, 7));
    EXPECT_FALSE(sound.CreateBuffer("w", "w"));
    EXPECT_FALSE(sound.CreateBuffer("w"));
    EXPECT_FALSE(sound.LoadFile(wave.data(), wave.size()));
    EXPECT_FALSE(sound.Play("w"));
    EXPECT_FALSE(sound.Play(0));
    EXPECT_FALSE(sound.Stop("w"));
    EXPECT_FALSE(sound.Stop(0));
    EXPECT_FALSE(sound.IsPlaying("w"));
    EXPECT_FALSE(sound.IsPlaying(0));
}

// The main window opens its output with the device's settings: 16-bit stereo unless a game asks
// for fewer bits, and any width under 16 gives the 8-bit output.
TEST(SoundDeviceProperties, TheOutputOpenedWithTheDevicesSettingsHasTheirWidth) {
    TVekSound sound;
    const auto standard = platform::AudioOutput::OpenOffline(platform::AudioOutput::kOfflineRate, sound.Bits, sound.Stereo);
    EXPECT_EQ(standard->Bits(), 16);
    EXPECT_EQ(standard->Channels(), 2);
    sound.SetBits(15);
    EXPECT_EQ(platform::AudioOutput::OpenOffline(platform::AudioOutput::kOfflineRate, sound.Bits, sound.Stereo)->Bits(), 8);
}

// Waves are converted once, at load, to the output's rate, width and channels.
TEST(SoundDeviceConversion, WavesTakeTheOutputsFormat) {
    struct Case {
        const char* what;
        bool stereoOutput;
        Bytes wave;
        int frames;            // frames of output the wave lasts
        std::int16_t level;    // the level in the middle of the sound
        std::int16_t tolerance;
    };
    const Case cases[] = {
        {"8-bit mono to 16-bit stereo", true, Riff({Chunk("fmt ", Format(1, 8, 22050)), Chunk("data", Bytes(100, 128 + 10))}), 100,
         10 * 256, 0},
        {"11025 Hz lasts twice as many frames", true,
         Riff({Chunk("fmt ", Format(2, 16, 11025)), Chunk("data", Pcm16(Constant(1000, 8000)))}), 2000, 8000, 80},
        {"stereo mixed down for a mono output", false, StereoWave(std::vector<std::int16_t>(200, 1000)), 100, 1000, 1},
    };
    for (const Case& c : cases) {
        auto output = platform::AudioOutput::OpenOffline(22050, 16, c.stereoOutput);
        TVekSound sound;
        ASSERT_TRUE(sound.Init(output.get()));
        ASSERT_TRUE(sound.LoadFile(c.wave.data(), c.wave.size())) << c.what;
        ASSERT_TRUE(sound.Play(0));
        std::vector<std::int16_t> out;
        output->RenderOffline(3000, &out);
        const std::size_t channels = c.stereoOutput ? 2 : 1;
        int last = -1;
        for (int f = 0; f < 3000; ++f) {
            if (out[static_cast<std::size_t>(f) * channels] != 0) last = f;
        }
        EXPECT_NEAR(last + 1, c.frames, c.tolerance ? 8 : 0) << c.what;
        EXPECT_NEAR(out[static_cast<std::size_t>(c.frames / 2) * channels], c.level, c.tolerance) << c.what;
        if (channels == 2) {
            EXPECT_EQ(out[static_cast<std::size_t>(c.frames / 2) * 2], out[static_cast<std::size_t>(c.frames / 2) * 2 + 1]) << c.what;
        }
    }
}

// A tone of `hz` for `seconds` in one of the accepted sample kinds, both channels alike.
struct ToneKind {
    const char* what;
    int tag;   // 1 integer, 3 float
    int bits;
    int channels;
    bool extensible;
};

Bytes ToneWave(const ToneKind& k, int rate, double hz, double seconds, double amplitude) {
    Bytes data;
    const int frames = static_cast<int>(seconds * rate);
    for (int f = 0; f < frames; ++f) {
        const double v = amplitude * std::sin(2 * std::numbers::pi * hz * f / rate);
        for (int c = 0; c < k.channels; ++c) {
            if (k.tag == 3 && k.bits == 32) {
                const float x = static_cast<float>(v);
                std::uint32_t raw;
                std::memcpy(&raw, &x, 4);
                Put32(data, raw);
            } else if (k.tag == 3) {
                std::uint64_t raw;
                std::memcpy(&raw, &v, 8);
                Put32(data, static_cast<std::uint32_t>(raw));
                Put32(data, static_cast<std::uint32_t>(raw >> 32));
            } else if (k.bits == 8) {
                data.push_back(static_cast<std::uint8_t>(128 + std::lround(v * 127)));
            } else {
                const std::int64_t full = (std::int64_t{1} << (k.bits - 1)) - 1;
                const std::uint64_t x = static_cast<std::uint64_t>(std::llround(v * static_cast<double>(full)));
                for (int b = 0; b < k.bits / 8; ++b) data.push_back(static_cast<std::uint8_t>(x >> (8 * b)));
            }
        }
    }
    const Bytes fmt = k.extensible ? Extensible(k.channels, k.bits, rate, k.tag) : Format(k.channels, k.bits, rate, 16, k.tag);
    return Riff({Chunk("fmt ", fmt), Chunk("data", data)});
}

const ToneKind kToneKinds[] = {
    {"8-bit PCM, mono", 1, 8, 1, false},          {"16-bit PCM, stereo", 1, 16, 2, false},
    {"24-bit PCM, mono", 1, 24, 1, false},        {"24-bit PCM, stereo", 1, 24, 2, false},
    {"32-bit PCM, stereo", 1, 32, 2, false},      {"32-bit float, mono", 3, 32, 1, false},
    {"32-bit float, stereo", 3, 32, 2, false},    {"64-bit float, mono", 3, 64, 1, false},
    {"extensible 8-bit PCM", 1, 8, 2, true},      {"extensible 16-bit PCM", 1, 16, 2, true},
    {"extensible 24-bit PCM", 1, 24, 1, true},    {"extensible 32-bit PCM", 1, 32, 2, true},
    {"extensible 32-bit float", 3, 32, 2, true},
};

// Rising zero crossings of one channel, interpolated between frames: the tone's frequency.
double MeasuredHz(const std::vector<std::int16_t>& out, int channels, int rate, std::size_t from, std::size_t to) {
    double first = -1, last = -1;
    int crossings = 0;
    for (std::size_t f = from + 1; f < to; ++f) {
        const double a = out[(f - 1) * static_cast<std::size_t>(channels)];
        const double b = out[f * static_cast<std::size_t>(channels)];
        if (a < 0 && b >= 0) {
            const double at = static_cast<double>(f - 1) + a / (a - b);
            if (first < 0) first = at;
            last = at;
            ++crossings;
        }
    }
    return crossings < 2 ? 0 : (crossings - 1) * rate / (last - first);
}

// Every accepted kind, converted at load to the output's rate: it lasts as long and sounds at the
// same pitch and level as it was written, on outputs at both native rates.
TEST(SoundDeviceConversion, EveryAcceptedKindKeepsLengthPitchAndLevel) {
    constexpr int kWaveRate = 22050;
    constexpr double kHz = 1000, kSeconds = 0.25, kAmplitude = 0.5;
    for (int outRate : {44100, 48000}) {
        auto output = platform::AudioOutput::OpenOffline(outRate, 16, true);
        for (const ToneKind& k : kToneKinds) {
            const Bytes wave = ToneWave(k, kWaveRate, kHz, kSeconds, kAmplitude);
            TVekSound sound;
            ASSERT_TRUE(sound.Init(output.get()));
            ASSERT_TRUE(sound.LoadFile(wave.data(), wave.size())) << k.what;
            ASSERT_TRUE(sound.Play(0));
            std::vector<std::int16_t> out;
            output->RenderOffline(outRate / 2, &out);
            int last = -1, peak = 0;
            for (int f = 0; f < outRate / 2; ++f) {
                const std::int16_t left = out[static_cast<std::size_t>(2 * f)];
                EXPECT_EQ(left, out[static_cast<std::size_t>(2 * f + 1)]) << k.what << " frame " << f;
                if (left != 0) last = f;
                peak = std::max(peak, std::abs(static_cast<int>(left)));
            }
            const int expectedFrames = static_cast<int>(kSeconds * outRate);
            EXPECT_NEAR(last + 1, expectedFrames, 8) << k.what << " at " << outRate;
            const double hz = MeasuredHz(out, 2, outRate, expectedFrames / 10, expectedFrames * 9 / 10);
            EXPECT_NEAR(hz, kHz, kHz * 0.002) << k.what << " at " << outRate;
            EXPECT_NEAR(peak, kAmplitude * 32767, 32767 * 0.02) << k.what << " at " << outRate;
            if (::testing::Test::HasFailure()) return;
        }
    }
}

// Float samples past full scale are held at it and NaN is silence: nothing wraps round.
TEST(SoundDeviceConversion, FloatOutsideTheScaleIsHeld) {
    auto output = platform::AudioOutput::OpenOffline(22050, 16, false);
    Bytes data;
    const float values[] = {4.0f, -4.0f, std::nanf(""), 0.25f};
    for (float v : values) {
        std::uint32_t raw;
        std::memcpy(&raw, &v, 4);
        Put32(data, raw);
    }
    const Bytes wave = Riff({Chunk("fmt ", Format(1, 32, 22050, 16, 3)), Chunk("data", data)});
    TVekSound sound;
    ASSERT_TRUE(sound.Init(output.get()));
    ASSERT_TRUE(sound.LoadFile(wave.data(), wave.size()));
    ASSERT_TRUE(sound.Play(0));
    std::vector<std::int16_t> out;
    output->RenderOffline(4, &out);
    // Full scale is over the limiter's ceiling: the first two come out at it, the rest as they are.
    EXPECT_EQ(out[0], platform::Limiter::kCeiling);
    EXPECT_LE(out[1], -platform::Limiter::kCeiling + 1);
    EXPECT_GE(out[1], -platform::Limiter::kCeiling);
    EXPECT_EQ(out[2], 0);
    EXPECT_NEAR(out[3], static_cast<int>(0.25 * 32767 * platform::Limiter::kCeiling / 32767.0), 2);
}

}  // namespace
