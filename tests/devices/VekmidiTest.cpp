#include "devices/Vekmidi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/AudioOutput.h"
#include "platform/FluidSynthOutput.h"
#include "platform/Limiter.h"
#include "platform/MidiOutput.h"
#include "platform/Resources.h"
#include "platform/System.h"
#include "support/KeptInputs.h"
#include "support/TestMedia.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::MidiMessage;

Bytes Vlq(std::uint32_t v) {
    Bytes out{static_cast<std::uint8_t>(v & 0x7F)};
    while (v >>= 7) out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (v & 0x7F)));
    return out;
}

// One track's events, each after its delta time.
struct Track {
    Bytes bytes;
    Track& Event(std::uint32_t delta, const Bytes& event) {
        const Bytes d = Vlq(delta);
        bytes.insert(bytes.end(), d.begin(), d.end());
        bytes.insert(bytes.end(), event.begin(), event.end());
        return *this;
    }
    Track& Meta(std::uint32_t delta, std::uint8_t type, const Bytes& data) {
        Bytes e{0xFF, type};
        const Bytes n = Vlq(static_cast<std::uint32_t>(data.size()));
        e.insert(e.end(), n.begin(), n.end());
        e.insert(e.end(), data.begin(), data.end());
        return Event(delta, e);
    }
    Track& Cue(std::uint32_t delta, const std::string& text) { return Meta(delta, 0x07, Bytes(text.begin(), text.end())); }
    Track& Tempo(std::uint32_t delta, std::uint32_t micros) {
        return Meta(delta, 0x51, {static_cast<std::uint8_t>(micros >> 16), static_cast<std::uint8_t>(micros >> 8),
                                  static_cast<std::uint8_t>(micros)});
    }
    Track& End(std::uint32_t delta) { return Meta(delta, 0x2F, {}); }
};

void PutBe(Bytes& out, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Bytes Smf(int format, int division, const std::vector<Track>& tracks, int countField = -1) {
    Bytes out{'M', 'T', 'h', 'd'};
    PutBe(out, 6, 4);
    PutBe(out, static_cast<std::uint32_t>(format), 2);
    PutBe(out, static_cast<std::uint32_t>(countField >= 0 ? countField : static_cast<int>(tracks.size())), 2);
    PutBe(out, static_cast<std::uint32_t>(division), 2);
    for (const Track& t : tracks) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        PutBe(out, static_cast<std::uint32_t>(t.bytes.size()), 4);
        out.insert(out.end(), t.bytes.begin(), t.bytes.end());
    }
    return out;
}

Bytes NoteOn(std::uint8_t note, std::uint8_t velocity = 0x40, std::uint8_t channel = 0) {
    return {static_cast<std::uint8_t>(0x90 | channel), note, velocity};
}

// Sequencer tests: a recorder for output and passes run one by one by the test.
class Sequencer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(midi.Init(std::make_unique<platform::MidiRecorder>(log), false, nullptr,
                              [this](const std::string& m) { shown.push_back(m); }));
    }

    bool Load(const Bytes& smf) { return midi.LoadFile(smf.data(), smf.size()); }
    void Passes(int n) {
        for (int i = 0; i < n; ++i) midi.MyTimeProc();
    }
    std::vector<MidiMessage> Shorts() const {
        std::vector<MidiMessage> out;
        for (const MidiMessage& m : log->Messages()) {
            if (m.kind == MidiMessage::Kind::kShort) out.push_back(m);
        }
        return out;
    }
    std::vector<int> NotesSent() const {
        std::vector<int> out;
        for (const MidiMessage& m : Shorts()) out.push_back(m.Data1());
        return out;
    }
    // How many short messages each pass 1..passes sent.
    std::vector<int> PerPass(int passes) const {
        std::vector<int> out(static_cast<std::size_t>(passes), 0);
        for (const MidiMessage& m : Shorts()) {
            if (m.pass >= 1 && m.pass <= static_cast<std::uint64_t>(passes)) ++out[m.pass - 1];
        }
        return out;
    }
    int Resets() const {
        int n = 0;
        for (const MidiMessage& m : log->Messages()) n += m.kind == MidiMessage::Kind::kReset;
        return n;
    }

    std::shared_ptr<platform::MidiLog> log = std::make_shared<platform::MidiLog>();
    std::vector<std::string> shown;
    TVekMidi midi;
};

// A track of `count` note-ons one tick apart (running status after the first).
Track OneEventPerTick(int count) {
    Track t;
    t.Event(1, NoteOn(0x3C));
    for (int i = 1; i < count; ++i) t.Event(1, {0x3C, 0x40});
    return t.End(0);
}

TEST_F(Sequencer, Division480AtTempo120GivesNineOrTenTicksAPass) {
    ASSERT_TRUE(Load(Smf(0, 480, {OneEventPerTick(3000)})));
    ASSERT_TRUE(midi.Play(false));
    Passes(100);
    const auto perPass = PerPass(100);
    EXPECT_EQ(std::vector<int>(perPass.begin(), perPass.begin() + 5), (std::vector<int>{9, 10, 9, 10, 10}));
    EXPECT_EQ(Shorts().size(), 960u) << "960 ticks a second";
    EXPECT_EQ(midi.Tempo(), 120);
}

TEST_F(Sequencer, TempoEventsSetBeatsPerMinute) {
    struct Case {
        std::uint32_t micros;
        int tempo;
        int ticksInSecondPass;  // division 480, the first pass ran at 120 with remainder 300
    };
    const Case cases[] = {
        {500000, 120, 10},    // 5100 / 500
        {470000, 127, 10},    // 472 ms a beat: 5100 / 472
        {1000000, 60, 5},     // 1000 ms a beat: 5100 / 1000
        {1000, 60000, 5100},  // 1 ms a beat
        {999, 60000, 5100},   // held at 1000 µs: never less than a millisecond a beat
        {0, 60000, 5100},     // no division by zero
        {0xFFFFFF, 3, 0},     // 20000 ms a beat: 5100 ticks-worth is no whole tick yet
    };
    for (const Case& c : cases) {
        log->Clear();
        ASSERT_TRUE(Load(Smf(0, 480, {Track{}.Tempo(0, c.micros).Event(0, NoteOn(1)).Event(0, {0x3C, 0x40}),
                                      OneEventPerTick(6000)})));
        ASSERT_TRUE(midi.Play(false));
        Passes(1);
        EXPECT_EQ(midi.Tempo(), c.tempo) << c.micros;
        const auto firstPass = Shorts().size();
        Passes(1);
        // One event a tick: a pass sends as many, up to the bound on a pass's events.
        EXPECT_EQ(static_cast<int>(Shorts().size() - firstPass), std::min(c.ticksInSecondPass, TVekMidi::kMaxEventsPerPass))
            << c.micros;
    }
}

TEST_F(Sequencer, EventsAreSentAsWrittenWithRunningStatus) {
    Track t;
    t.Event(0, {0x90, 0x3C, 0x40}).Event(0, {0x3E, 0x40});
    t.Event(0, {0xC5, 0x05}).Event(0, {0x06});  // program change: one data byte, running status too
    t.Event(0, {0xD1, 0x22}).Event(0, {0xE2, 0x00, 0x40}).Event(0, {0x7F, 0x7F});
    t.Event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});  // SysEx: sent with its F0
    ASSERT_TRUE(Load(Smf(0, 480, {t.End(0)})));
    ASSERT_TRUE(midi.Play(false));
    log->Clear();
    Passes(1);
    std::vector<std::uint32_t> packed;
    for (const MidiMessage& m : Shorts()) packed.push_back(m.packed);
    EXPECT_EQ(packed, (std::vector<std::uint32_t>{0x403C90, 0x403E90, 0x0005C5, 0x0006C5, 0x0022D1, 0x4000E2, 0x7F7FE2}));
    const auto messages = log->Messages();
    ASSERT_EQ(messages.size(), 9u) << "seven short messages, the SysEx, and the reset at the song's end";
    EXPECT_EQ(messages[7].kind, MidiMessage::Kind::kLong);
    EXPECT_EQ(messages[7].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(messages[7].pass, 1u);
}

TEST_F(Sequencer, WholeSongLoopRestartsWithRunningStatusCleared) {
    // The song opens with a data byte: the first time there is no status yet (status 0); had the
    // restart kept the running status, the second time round it would be a note-on.
    Track t;
    t.Event(0, {0x3C, 0x40}).Event(10, NoteOn(0x3E)).End(10);
    ASSERT_TRUE(Load(Smf(0, 480, {t})));
    ASSERT_TRUE(midi.Play(true));
    Passes(8);  // 20 ticks a round, about two passes each
    const auto shorts = Shorts();
    ASSERT_GE(shorts.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(shorts[i].Status(), i % 2 == 0 ? 0x00 : 0x90) << i;
        EXPECT_EQ(shorts[i].Data1(), i % 2 == 0 ? 0x3C : 0x3E) << i;
    }
    EXPECT_TRUE(midi.IsPlay());
}

TEST_F(Sequencer, WithoutLoopTheSongStopsItself) {
    ASSERT_TRUE(Load(Smf(1, 480, {Track{}.Event(0, NoteOn(0x3C)).End(30), Track{}.Event(5, NoteOn(0x40)).End(5)})));
    ASSERT_TRUE(midi.Play(false));
    Passes(2);
    EXPECT_TRUE(midi.IsPlay()) << "the first track is still running";
    Passes(2);
    EXPECT_FALSE(midi.IsPlay());
    const auto messages = log->Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().kind, MidiMessage::Kind::kReset);
    EXPECT_EQ(messages.back().pass, 4u) << "stopped by the pass in which the last track ended";
    const auto count = messages.size();
    Passes(10);
    EXPECT_EQ(log->Messages().size(), count) << "no passes after the song stopped";
}

// repeat at tick 10, end at tick 30: 3C once, then 3E over and over, 40 never.
std::vector<Track> CueSong(const std::string& repeat, const std::string& end) {
    Track t;
    t.Event(0, NoteOn(0x3C)).Cue(10, repeat).Event(10, NoteOn(0x3E)).Cue(10, end).Event(0, NoteOn(0x41));
    t.Event(10, NoteOn(0x40)).End(10);
    return {t};
}

TEST_F(Sequencer, CuePointsLoopBetweenRepeatAndEnd) {
    ASSERT_TRUE(Load(Smf(0, 480, CueSong("REPEAT", "END"))));
    ASSERT_TRUE(midi.Play(true));
    Passes(40);
    const auto notes = NotesSent();
    ASSERT_GE(notes.size(), 4u);
    EXPECT_EQ(notes[0], 0x3C);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), 0x3C), 1);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), 0x40), 0);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), 0x41), 0);
    EXPECT_GE(std::count(notes.begin(), notes.end(), 0x3E), 5);
    EXPECT_TRUE(midi.IsPlay());
}

TEST_F(Sequencer, TheEndCueClearsTheTickRemainder) {
    // 10 ms at division 480: 4800 / 500 leaves 300; a jump in the pass sets it back to 0.
    ASSERT_TRUE(Load(Smf(0, 480, {Track{}.Cue(0, "end").End(100)})));
    ASSERT_TRUE(midi.Play(true));
    Passes(1);
    EXPECT_EQ(midi.TickRemainder(), 0);
    log->Clear();
    ASSERT_TRUE(Load(Smf(0, 480, {Track{}.Cue(0, "nothing").End(100)})));
    ASSERT_TRUE(midi.Play(true));
    Passes(1);
    EXPECT_EQ(midi.TickRemainder(), 300);
}

TEST_F(Sequencer, WithoutLoopTheEndCueStopsAndNothingSoundsAfterIt) {
    ASSERT_TRUE(Load(Smf(0, 480, CueSong("repeat", "end"))));
    ASSERT_TRUE(midi.Play(false));
    Passes(10);
    EXPECT_FALSE(midi.IsPlay());
    EXPECT_EQ(NotesSent(), (std::vector<int>{0x3C, 0x3E})) << "the note at the end cue's own tick is not sent";
    EXPECT_EQ(log->Messages().back().kind, MidiMessage::Kind::kReset);
}

TEST_F(Sequencer, CueTextsMatchOnTheirFirstLetters) {
    struct Case {
        const char* repeat;
        const char* end;
        bool jumps;        // the end cue is taken: what follows it (41) is never sent
        bool backToStart;  // 3C comes again: an end without a repeat, or the song's own end
    };
    const Case cases[] = {
        {"repeat", "end", true, false},  {"Repeater", "Endless", true, false}, {"rep", "end", true, true},
        {"repeat", "en", false, true},   {"xrepeat", "END", true, true},
    };
    for (const Case& c : cases) {
        log->Clear();
        ASSERT_TRUE(Load(Smf(0, 480, CueSong(c.repeat, c.end))));
        ASSERT_TRUE(midi.Play(true));
        Passes(40);
        const auto notes = NotesSent();
        EXPECT_GT(std::count(notes.begin(), notes.end(), 0x3E), 1) << c.repeat << "/" << c.end;
        EXPECT_EQ(std::count(notes.begin(), notes.end(), 0x41) == 0, c.jumps) << c.repeat << "/" << c.end;
        EXPECT_EQ(std::count(notes.begin(), notes.end(), 0x3C) > 1, c.backToStart) << c.repeat << "/" << c.end;
        midi.Stop();
    }
}

TEST_F(Sequencer, RepeatRemembersEveryTrack) {
    // Track 1 plays a note every 10 ticks; the loop takes it back to where it stood at the repeat cue.
    Track cues;
    cues.Cue(20, "repeat").Cue(20, "end").End(100);
    Track notes;
    for (int i = 0; i < 10; ++i) notes.Event(10, NoteOn(static_cast<std::uint8_t>(i)));
    notes.End(0);
    ASSERT_TRUE(Load(Smf(1, 480, {cues, notes})));
    ASSERT_TRUE(midi.Play(true));
    Passes(30);
    const auto sent = NotesSent();
    ASSERT_GE(sent.size(), 6u);
    // The repeat cue at tick 20 finds track 1 just past its first note: after that only the notes
    // of the 20 looped ticks come round again.
    EXPECT_EQ(sent[0], 0);
    for (std::size_t i = 2; i < sent.size(); ++i) EXPECT_TRUE(sent[i] >= 1 && sent[i] <= 3) << i << ": " << sent[i];
}

TEST_F(Sequencer, PlayWhilePlayingChangesNothing) {
    ASSERT_TRUE(Load(Smf(0, 480, {OneEventPerTick(2000)})));
    ASSERT_TRUE(midi.Play(true));
    Passes(1);
    EXPECT_TRUE(midi.Play(false));
    EXPECT_TRUE(midi.Looping());
    EXPECT_EQ(midi.TickRemainder(), 300) << "not started again";
}

TEST_F(Sequencer, StopThenPlayResumesWhereTheSongStood) {
    ASSERT_TRUE(Load(Smf(0, 480, {OneEventPerTick(2000)})));
    ASSERT_TRUE(midi.Play(false));
    Passes(2);
    EXPECT_EQ(Shorts().size(), 19u);
    EXPECT_TRUE(midi.Stop());
    EXPECT_FALSE(midi.IsPlay());
    EXPECT_EQ(log->Messages().back().kind, MidiMessage::Kind::kReset);
    EXPECT_EQ(log->Messages().back().pass, 0u) << "a stop from outside is no pass";
    Passes(5);
    EXPECT_EQ(Shorts().size(), 19u);
    ASSERT_TRUE(midi.Play(false));
    Passes(1);
    EXPECT_EQ(Shorts().size(), 28u) << "9 more ticks: the remainder starts again at 0";
}

TEST_F(Sequencer, ResetRewindsOnlyWhenStopped) {
    ASSERT_TRUE(Load(Smf(0, 480, {OneEventPerTick(2000)})));
    ASSERT_TRUE(midi.Play(false));
    Passes(2);
    EXPECT_FALSE(midi.Reset(true)) << "playing";
    midi.Stop();
    EXPECT_TRUE(midi.Reset(true));
    EXPECT_TRUE(midi.Looping());
    log->Clear();
    ASSERT_TRUE(midi.Play(false));
    Passes(1);
    EXPECT_EQ(Shorts().size(), 9u);
}

// Songs kept as files, each beside the refusal the loader must give it (None: it loads); a refused
// song leaves nothing loaded to play.
TEST_F(Sequencer, EverySongFileGivesItsExpectedRefusal) {
    testmedia::ForEachKeptInput("song", ".mid", 10, [&](const std::string& file, const Bytes& bytes, const std::string& expected) {
        EXPECT_STREQ(SongRefusalName(TVekMidi::ParseSong(bytes.data(), bytes.size())), expected.c_str()) << file;
        const bool ok = expected == "None";
        EXPECT_EQ(Load(bytes), ok) << file;
        EXPECT_STREQ(SongRefusalName(midi.LastRefusal()), expected.c_str()) << file;
        EXPECT_EQ(midi.Play(false), ok) << file;
        midi.Stop();
    });
    for (const Bytes& song : {Smf(0, 480, {Track{}.Event(0, NoteOn(1)).End(0)}), Smf(1, 96, {Track{}.End(0), Track{}.End(0)}),
                              Smf(0, 480, {})}) {
        EXPECT_TRUE(Load(song));
        EXPECT_TRUE(midi.IsLoaded());
    }
    EXPECT_FALSE(midi.Play("no/such/song", false));
    EXPECT_EQ(midi.LastRefusal(), TSongRefusal::kUnreadable);
}

TEST_F(Sequencer, SeventyTracksLoadTheirFirstSixtyFour) {
    std::vector<Track> tracks;
    for (int i = 0; i < 70; ++i) tracks.push_back(Track{}.Event(0, NoteOn(static_cast<std::uint8_t>(i))).End(0));
    ASSERT_TRUE(Load(Smf(1, 480, tracks)));
    EXPECT_EQ(midi.TrackCount(), 64);
    ASSERT_TRUE(midi.Play(false));
    Passes(1);
    auto notes = NotesSent();
    std::vector<int> expected(64);
    for (int i = 0; i < 64; ++i) expected[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(notes, expected);
    EXPECT_FALSE(midi.IsPlay()) << "every loaded track ended";
}

TEST_F(Sequencer, BrokenTracksEndWhereTheirDataEnds) {
    // Each track is cut somewhere; reading must stop at its end, and the song then ends.
    const struct {
        const char* what;
        Bytes track;
        std::size_t notesBefore;
    } cases[] = {
        {"a delta time cut off", {0x00, 0x90, 0x3C, 0x40, 0x81, 0x80}, 1},
        {"a delta time with no event", {0x00, 0x90, 0x3C, 0x40, 0x00}, 1},
        {"a note cut off", {0x00, 0x90, 0x3C, 0x40, 0x00, 0x90, 0x3C}, 1},
        {"a running-status note cut off", {0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E}, 1},
        {"a program change with no data", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xC0}, 1},
        {"a meta length past the track", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0x7F, 'a'}, 1},
        {"a meta length cut off", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x85}, 1},
        {"a meta type cut off", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF}, 1},
        {"a tempo with too few bytes", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x51, 0x00}, 1},
        {"a SysEx length past the track", {0x00, 0x90, 0x3C, 0x40, 0x00, 0xF0, 0x7F, 0x7E}, 1},
        {"no end of track", {0x00, 0x90, 0x3C, 0x40, 0x05, 0x90, 0x3E, 0x40}, 2},
        {"an empty track", {}, 0},
    };
    for (const auto& c : cases) {
        log->Clear();
        ASSERT_TRUE(Load(Smf(0, 480, {Track{c.track}}))) << c.what;
        ASSERT_TRUE(midi.Play(true)) << c.what;
        Passes(3);
        // With loop on the song restarts after the cut: the notes before it come again.
        EXPECT_TRUE(midi.IsPlay()) << c.what;
        ASSERT_TRUE(midi.Stop());
        ASSERT_TRUE(midi.Reset(false));
        log->Clear();
        ASSERT_TRUE(midi.Play(false));
        Passes(3);
        EXPECT_EQ(NotesSent().size(), c.notesBefore) << c.what;
        EXPECT_FALSE(midi.IsPlay()) << c.what;
    }
}

TEST_F(Sequencer, ALoopShorterThanAPassCannotHoldThePass) {
    // Every round of this song takes no time at all; each pass still comes to an end.
    ASSERT_TRUE(Load(Smf(0, 480, {Track{}.Event(0, NoteOn(0x3C)).End(0)})));
    ASSERT_TRUE(midi.Play(true));
    Passes(50);
    const auto sent = Shorts().size();
    EXPECT_GE(sent, 50u);
    EXPECT_LE(sent, 150u);
    log->Clear();
    ASSERT_TRUE(Load(Smf(0, 480, {Track{}.Cue(0, "repeat").Event(0, NoteOn(0x3C)).Cue(0, "end").End(10)})));
    ASSERT_TRUE(midi.Play(true));
    Passes(50);
    EXPECT_GE(Shorts().size(), 50u);
    EXPECT_LE(Shorts().size(), 150u);
}

// A thousand notes all at tick 0, looping: the song takes no time, so each pass may play it only
// once, and no pass sends more than its bound however long the song.
TEST_F(Sequencer, ASongWithAllItsNotesAtTickZeroSendsABoundedPass) {
    Bytes song;
    ASSERT_TRUE(platform::ReadWholeFile(std::string(PELLORO_SOURCE_DIR) + "/tests/inputs/song/zero-tick-1000-notes.mid", song));
    ASSERT_TRUE(Load(song));
    ASSERT_TRUE(midi.Play(true));
    Passes(20);
    const auto perPass = PerPass(20);
    for (std::size_t pass = 0; pass < perPass.size(); ++pass) {
        EXPECT_GT(perPass[pass], 0) << "pass " << pass + 1;
        EXPECT_LE(perPass[pass], TVekMidi::kMaxEventsPerPass) << "pass " << pass + 1;
    }
    // Nothing is lost or repeated on the way: the notes come in the song's order, round after round.
    const auto shorts = Shorts();
    for (std::size_t i = 0; i < shorts.size(); ++i) {
        const std::size_t event = i % 2000;
        ASSERT_EQ(shorts[i].Status(), event % 2 == 0 ? 0x90 : 0x80) << i;
        ASSERT_EQ(shorts[i].Data1(), (event / 2) % 128) << i;
    }
    EXPECT_GT(shorts.size(), 4000u) << "the song loops";
}

TEST_F(Sequencer, ResetAndEffectMessagesHaveTheirExactBytes) {
    const struct {
        const char* what;
        bool (TVekMidi::*send)(std::uint8_t);
        std::uint8_t value;
        Bytes bytes;
    } cases[] = {
        {"reverb 4", &TVekMidi::SetReverb, 4, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30, 0x04, 0x0B, 0xF7}},
        {"reverb 20", &TVekMidi::SetReverb, 20, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30, 0x14, 0xFB, 0xF7}},
        {"chorus 2", &TVekMidi::SetChorus, 2, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x38, 0x02, 0x05, 0xF7}},
        {"delay 0", &TVekMidi::SetDelay, 0, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x50, 0x00, 0x6F, 0xF7}},
        {"delay 111", &TVekMidi::SetDelay, 111, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x50, 0x6F, 0x00, 0xF7}},
    };
    for (const auto& c : cases) {
        log->Clear();
        EXPECT_TRUE((midi.*c.send)(c.value)) << c.what;
        const auto messages = log->Messages();
        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_EQ(messages[0].bytes, c.bytes) << c.what;
    }
    log->Clear();
    EXPECT_TRUE(midi.MidiReset(0));
    EXPECT_TRUE(midi.MidiReset(1));
    EXPECT_TRUE(midi.MidiReset(2));
    EXPECT_TRUE(midi.MidiReset(-1));
    const auto messages = log->Messages();
    ASSERT_EQ(messages.size(), 2u) << "kinds other than 0 and 1 send nothing";
    EXPECT_EQ(messages[0].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(messages[1].bytes, (Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}));
    log->Clear();
    EXPECT_TRUE(midi.ShortMsg(0x91, 0x40, 0x7F));
    ASSERT_EQ(Shorts().size(), 1u);
    EXPECT_EQ(Shorts()[0].packed, 0x7F4091u);
}

TEST_F(Sequencer, SongsByNameComeFromResourcesThenFiles) {
    const Bytes song = Smf(0, 480, {OneEventPerTick(2000)});
    const std::string path = ::testing::TempDir() + "vekmidi-test.mid";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(song.data(), 1, song.size(), f);
    std::fclose(f);
    auto resources = std::make_unique<testmedia::ScopedResources>(std::vector<testmedia::Resource>{{"MIDI", "BGM0", song}});

    EXPECT_EQ(midi.CurrentSong(), "NULL");
    EXPECT_FALSE(midi.IsPlay("NULL"));
    ASSERT_TRUE(midi.Play("BGM0", true));
    EXPECT_EQ(midi.CurrentSong(), "BGM0");
    EXPECT_TRUE(midi.IsPlay());
    EXPECT_TRUE(midi.IsPlay("BGM0"));
    EXPECT_FALSE(midi.IsPlay("bgm0")) << "the song name is compared exactly";
    Passes(3);
    log->Clear();
    ASSERT_TRUE(midi.Play("bgm0", true)) << "the resource is found without regard to case";
    EXPECT_EQ(midi.CurrentSong(), "bgm0");
    Passes(1);
    EXPECT_EQ(Shorts().size(), 9u) << "playing by name starts the song again from its beginning";

    resources.reset();
    {
        testmedia::ScopedResources broken({{"MIDI", path, testmedia::Bytes("MThd broken")}});
        EXPECT_FALSE(midi.Play(path, true)) << "a resource that does not parse is not retried as a file";
        EXPECT_FALSE(midi.IsPlay());
        EXPECT_EQ(midi.CurrentSong(), "bgm0");
    }
    log->Clear();
    EXPECT_TRUE(midi.Play(path, false)) << "no resource of that name: the file";
    Passes(1);
    EXPECT_EQ(Shorts().size(), 9u);
    EXPECT_FALSE(midi.Load("no-such-song"));
    std::remove(path.c_str());
}

TEST_F(Sequencer, AClosedSequencerRefusesEverything) {
    ASSERT_TRUE(Load(Smf(0, 480, {OneEventPerTick(20)})));
    ASSERT_TRUE(midi.Play(false));
    EXPECT_TRUE(midi.CleanUp());
    const Bytes song = Smf(0, 480, {OneEventPerTick(20)});
    EXPECT_FALSE(midi.IsPlay());
    EXPECT_FALSE(midi.LoadFile(song.data(), song.size()));
    EXPECT_FALSE(midi.Load("x"));
    EXPECT_FALSE(midi.Play(false));
    EXPECT_FALSE(midi.Play("x", false));
    EXPECT_FALSE(midi.Stop());
    EXPECT_FALSE(midi.Reset(false));
    EXPECT_FALSE(midi.MidiReset(2));
    EXPECT_FALSE(midi.SetReverb(1));
    EXPECT_FALSE(midi.ShortMsg(0x90, 1, 1));
    EXPECT_FALSE(midi.LongMsg(song.data(), 1));
}

TEST(SequencerInit, AnOutputThatCannotOpenSaysSo) {
    std::vector<std::string> shown;
    const TVekMidi::MessageHandler show = [&](const std::string& m) { shown.push_back(m); };
    TVekMidi midi;
    auto log = std::make_shared<platform::MidiLog>();
    EXPECT_FALSE(midi.Init(std::make_unique<platform::MidiRecorder>(log, false), false, nullptr, show));
    EXPECT_FALSE(midi.Init(nullptr, false, nullptr, show));
    EXPECT_FALSE(midi.Init(std::make_unique<platform::FluidSynthOutput>(22050, true, "/no/such.sf2"), false, nullptr, show));
    EXPECT_EQ(shown, std::vector<std::string>(3, "MIDIマッパーを開けませんでした。"));
    EXPECT_FALSE(midi.Play(false));
    EXPECT_FALSE(midi.Stop());
}

// Timer mode on the audio clock: one pass per 10 ms of output, to the frame, at the output rates the
// program runs at (44100 and 48000: 441 and 480 frames) and at one that is not a whole number of
// frames per pass (22050: 220.5).
TEST(SequencerOnTheAudioClock, OnePassPerTenMillisecondsOfSamples) {
    for (int rate : {44100, 48000, 22050}) {
        auto out = platform::AudioOutput::OpenOffline(rate, 16, true);
        auto log = std::make_shared<platform::MidiLog>();
        TVekMidi midi;
        ASSERT_TRUE(midi.Init(std::make_unique<platform::MidiRecorder>(log), false, out.get()));
        const Bytes song = Smf(0, 480, {OneEventPerTick(3000)});
        ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
        out->RenderOffline(1000, nullptr);
        EXPECT_EQ(midi.PassCount(), 0u) << "no passes while stopped";
        log->Clear();
        ASSERT_TRUE(midi.Play(false));
        std::vector<std::int64_t> passFrames;
        for (int frame = 0; frame < rate + 1; ++frame) {
            const auto before = midi.PassCount();
            out->RenderOffline(1, nullptr);
            if (midi.PassCount() != before) passFrames.push_back(midi.PassFrame());
        }
        ASSERT_EQ(passFrames.size(), 100u) << rate;
        for (std::size_t k = 1; k <= passFrames.size(); ++k) {
            // rate / 100 frames a pass, carried exactly: pass k falls on the first frame at or after k × rate / 100.
            const std::int64_t expected = 1000 + (static_cast<std::int64_t>(k) * rate + 99) / 100;
            ASSERT_EQ(passFrames[k - 1], expected) << "pass " << k << " at " << rate;
        }
        EXPECT_EQ(log->Count(), 960u) << rate;
        // Rendering in larger blocks runs the same passes.
        ASSERT_TRUE(midi.Stop());
        ASSERT_TRUE(midi.Reset(false));
        log->Clear();
        const auto passesBefore = midi.PassCount();
        ASSERT_TRUE(midi.Play(false));
        out->RenderOffline(rate + 1, nullptr);
        EXPECT_EQ(midi.PassCount() - passesBefore, 100u) << rate;
        EXPECT_EQ(log->Count(), 960u) << rate;
    }
}

// Frames nobody hears (no sink) run every pass and send every message, but the synthesizer is never
// asked for samples: that is what keeps a headless run without --audio-out fast.
TEST(SequencerOnTheAudioClock, UnheardFramesRunThePassesWithoutSynthesis) {
    struct Synth final : platform::MidiOutput {
        bool Open(std::string*) override { return true; }
        void ShortMsg(std::uint32_t) override { ++messages; }
        void LongMsg(const std::uint8_t*, std::size_t) override {}
        void Reset() override {}
        void Render(std::int32_t*, int frames, int) override { rendered += frames; }
        int messages = 0;
        int rendered = 0;
    };
    auto out = platform::AudioOutput::OpenOffline(44100, 16, true);
    auto owned = std::make_unique<Synth>();
    Synth* synth = owned.get();
    TVekMidi midi;
    ASSERT_TRUE(midi.Init(std::move(owned), false, out.get()));
    const Bytes song = Smf(0, 480, {OneEventPerTick(3000)});
    ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
    ASSERT_TRUE(midi.Play(false));
    out->RenderOffline(44100 + 1, nullptr);
    EXPECT_EQ(midi.PassCount(), 100u);
    EXPECT_EQ(synth->messages, 960);
    EXPECT_EQ(synth->rendered, 0);
    std::vector<std::int16_t> heard;
    out->RenderOffline(441, &heard);
    EXPECT_EQ(synth->rendered, 441);
    EXPECT_EQ(midi.PassCount(), 101u);
}

TEST(SequencerOnTheAudioClock, TheSongStopsItselfInsideTheRenderStep) {
    auto out = platform::AudioOutput::OpenOffline(22050, 16, true);
    auto log = std::make_shared<platform::MidiLog>();
    TVekMidi midi;
    ASSERT_TRUE(midi.Init(std::make_unique<platform::MidiRecorder>(log), false, out.get()));
    const Bytes song = Smf(0, 480, {Track{}.Event(0, NoteOn(0x3C)).End(48)});
    ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
    ASSERT_TRUE(midi.Play(false));
    out->RenderOffline(22050, nullptr);
    EXPECT_FALSE(midi.IsPlay());
    EXPECT_EQ(midi.PassCount(), 5u) << "48 ticks: 9 + 10 + 9 + 10 + 10";
    EXPECT_TRUE(midi.CleanUp());
    out->RenderOffline(100, nullptr);  // the output no longer calls the sequencer
}

bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST(SequencerThreadMode, TheSongStopsItselfOnItsOwnThread) {
    auto log = std::make_shared<platform::MidiLog>();
    TVekMidi midi;
    ASSERT_TRUE(midi.Init(std::make_unique<platform::MidiRecorder>(log), true, nullptr));
    const Bytes song = Smf(0, 480, {Track{}.Event(0, NoteOn(0x3C)).Event(20, NoteOn(0x3E)).End(20)});
    ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
    ASSERT_TRUE(midi.Play(false));
    ASSERT_TRUE(WaitFor([&] { return !midi.IsPlay(); })) << "the song never ended";
    std::vector<int> notes;
    for (const MidiMessage& m : log->Messages()) {
        if (m.kind == MidiMessage::Kind::kShort) notes.push_back(m.Data1());
    }
    EXPECT_EQ(notes, (std::vector<int>{0x3C, 0x3E}));
    EXPECT_EQ(log->Messages().back().kind, MidiMessage::Kind::kReset);
    EXPECT_GT(log->Messages().back().pass, 0u) << "stopped from inside a pass";
    EXPECT_TRUE(midi.CleanUp());
}

TEST(SequencerThreadMode, CleanUpWhilePlayingEndsTheThread) {
    auto log = std::make_shared<platform::MidiLog>();
    TVekMidi midi;
    ASSERT_TRUE(midi.Init(std::make_unique<platform::MidiRecorder>(log), true, nullptr));
    const Bytes song = Smf(0, 480, {OneEventPerTick(100000)});
    ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
    ASSERT_TRUE(midi.Play(true));
    ASSERT_TRUE(WaitFor([&] { return log->Count() > 20; }));
    ASSERT_TRUE(midi.Stop());
    ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
    ASSERT_TRUE(midi.Play(true));
    ASSERT_TRUE(WaitFor([&] { return log->Count() > 60; }));
    EXPECT_TRUE(midi.CleanUp());
    const auto count = log->Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(log->Count(), count) << "a pass ran after CleanUp";
}

// ---- the synthesizer ------------------------------------------------------------------------

// The smaller General MIDI SoundFont when it is there: the tests load it in a few milliseconds.
std::string TestSoundFont() {
    const std::string small = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    if (std::FILE* f = std::fopen(small.c_str(), "rb")) {
        std::fclose(f);
        return small;
    }
    return platform::FluidSynthOutput::FindSoundFont();
}

// The real thing on SDL's dummy device: passes on the device's own thread while the test thread
// plays, stops and reloads, as the game's frames do.
TEST(SequencerOnADevice, PassesRunOnTheDeviceClockWhileTheGameCallsIn) {
    platform::SetEnvironment("SDL_AUDIODRIVER", "dummy", true);
    std::string error;
    auto device = platform::AudioOutput::OpenDevice(22050, 16, true, &error);
    ASSERT_NE(device, nullptr) << error;
    auto log = std::make_shared<platform::MidiLog>();
    TVekMidi midi;
    ASSERT_TRUE(midi.Init(std::make_unique<platform::MidiRecorder>(log), false, device.get()));
    const Bytes song = Smf(0, 480, {OneEventPerTick(100000)});
    ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
    ASSERT_TRUE(midi.Play(true));
    ASSERT_TRUE(WaitFor([&] { return log->Count() > 50; })) << "no passes on the device clock";
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(midi.Stop());
        ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
        ASSERT_TRUE(midi.Play(i % 2 == 0));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(midi.CleanUp());
    const auto count = log->Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(log->Count(), count) << "a pass ran after CleanUp";
}

TEST(SequencerOnADevice, TheSynthesizerLoadsItsSoundFontBehindTheFirstFrames) {
    if (TestSoundFont().empty()) GTEST_SKIP() << "no General MIDI SoundFont installed (timgm6mb-soundfont)";
    platform::SetEnvironment("PELLORO_SOUNDFONT", TestSoundFont().c_str(), false);
    platform::SetEnvironment("SDL_AUDIODRIVER", "dummy", true);
    std::string error;
    auto device = platform::AudioOutput::OpenDevice(22050, 16, true, &error);
    ASSERT_NE(device, nullptr) << error;
    TVekMidi midi;
    ASSERT_TRUE(midi.Init(platform::FluidSynthOutput::For(*device), false, device.get()));
    const Bytes song = Smf(0, 480, {Track{}.Event(0, NoteOn(60, 100)).End(480)});
    ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
    ASSERT_TRUE(midi.Play(false));
    EXPECT_TRUE(WaitFor([&] { return !midi.IsPlay(); })) << "the song never ended on the device";
    EXPECT_TRUE(midi.CleanUp());
    // Straight away again: closing while the SoundFont may still be loading must be safe too.
    ASSERT_TRUE(midi.Init(platform::FluidSynthOutput::For(*device), false, device.get()));
    EXPECT_TRUE(midi.CleanUp());
}

// Passes what the sequencer sends on to the synthesizer and notes the frame of each note-on's pass.
class NoteTap final : public platform::MidiOutput {
public:
    NoteTap(std::unique_ptr<platform::MidiOutput> inner, const TVekMidi* midi) : inner(std::move(inner)), midi(midi) {}
    bool Open(std::string* error) override { return inner->Open(error); }
    void ShortMsg(std::uint32_t packed) override {
        if ((packed & 0xF0) == 0x90 && ((packed >> 16) & 0x7F) != 0) onsets.push_back(midi->PassFrame());
        inner->ShortMsg(packed);
    }
    void LongMsg(const std::uint8_t* data, std::size_t size) override { inner->LongMsg(data, size); }
    void Reset() override { inner->Reset(); }
    void Render(std::int32_t* mix, int frames, int channels) override { inner->Render(mix, frames, channels); }

    std::vector<std::int64_t> onsets;

private:
    std::unique_ptr<platform::MidiOutput> inner;
    const TVekMidi* midi;
};

// Short notes with long rests, reverb and chorus off, so that each onset stands out of silence.
Bytes SparseSong() {
    Track t;
    t.Event(0, {0xB0, 91, 0}).Event(0, {0xB0, 93, 0}).Event(0, {0xC0, 80});  // square lead: no slow attack
    const std::uint32_t gaps[] = {100, 537, 480, 733, 811, 460};  // ticks: onsets on many pass phases
    std::uint8_t note = 60;
    for (std::uint32_t gap : gaps) {
        t.Event(gap, NoteOn(note, 127)).Event(48, {0x80, note, 0});
        note = static_cast<std::uint8_t>(note + 2);
    }
    return Smf(0, 480, {t.End(200)});
}

TEST(Synthesizer, FiveSecondsOfASongSoundAndEachNoteStartsOnItsPass) {
    const std::string soundFont = TestSoundFont();
    if (soundFont.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed (timgm6mb-soundfont)";
    auto out = platform::AudioOutput::OpenOffline(platform::AudioOutput::kOfflineRate, 16, true);
    const int rate = out->Rate();
    TVekMidi midi;
    auto tap = std::make_unique<NoteTap>(std::make_unique<platform::FluidSynthOutput>(out->Rate(), true, soundFont), &midi);
    NoteTap* notes = tap.get();
    ASSERT_TRUE(midi.Init(std::move(tap), false, out.get()));
    const Bytes song = SparseSong();
    ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
    ASSERT_TRUE(midi.Play(false));
    std::vector<std::int16_t> samples;
    for (int frame = 0; frame < 5 * 50; ++frame) out->RenderOffline(rate / 50, &samples);  // as the headless frames do
    ASSERT_EQ(samples.size(), 5u * static_cast<std::size_t>(rate) * 2);
    ASSERT_EQ(notes->onsets.size(), 6u);

    double sum = 0;
    for (std::int16_t s : samples) sum += static_cast<double>(s) * s;
    EXPECT_GT(std::sqrt(sum / static_cast<double>(samples.size())), 100.0) << "the song is silent";

    // FluidSynth starts a note at the first of its 64-frame blocks that begins at or after the pass
    // that sent it. The onset is the first frame that stands out of what sounded before the pass
    // (the release of the note before).
    constexpr std::int64_t kSynthBlock = 64;
    const std::int64_t kOneMs = rate / 1000;
    auto level = [&](std::int64_t f) {
        return std::max(std::abs(samples[static_cast<std::size_t>(2 * f)]), std::abs(samples[static_cast<std::size_t>(2 * f + 1)]));
    };
    for (std::int64_t pass : notes->onsets) {
        int before = 0;
        for (std::int64_t f = pass - 300; f < pass; ++f) before = std::max(before, level(f));
        EXPECT_LT(before, 100) << "the note before still sounds at frame " << pass;
        std::int64_t onset = -1;
        for (std::int64_t f = pass; f < pass + 2000 && onset < 0; ++f) {
            if (level(f) > before + 30) onset = f;
        }
        ASSERT_GE(onset, pass) << "no onset after the pass at frame " << pass;
        const std::int64_t block = (pass + kSynthBlock - 1) / kSynthBlock * kSynthBlock;
        EXPECT_GE(onset, block) << "pass at frame " << pass;
        EXPECT_LE(onset - block, kOneMs) << "pass at frame " << pass << ", synthesizer block at " << block;
    }
}

TEST(Synthesizer, TheMainWindowsFormFindsTheSoundFontAndRenders) {
    const std::string soundFont = TestSoundFont();
    if (soundFont.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed (timgm6mb-soundfont)";
    platform::SetEnvironment("PELLORO_SOUNDFONT", soundFont.c_str(), false);
    auto out = platform::AudioOutput::OpenOffline(platform::AudioOutput::kOfflineRate, 16, true);
    TVekMidi midi;
    ASSERT_TRUE(midi.Init(platform::FluidSynthOutput::For(*out), false, out.get()));
    Track t;
    t.Event(0, {0xC0, 0x00}).Event(0, NoteOn(60, 100)).Event(0, NoteOn(64, 100)).Event(0, NoteOn(67, 100));
    const Bytes song = Smf(0, 480, {t.End(960)});
    ASSERT_TRUE(midi.LoadFile(song.data(), song.size()));
    ASSERT_TRUE(midi.Play(false));
    std::vector<std::int16_t> samples;
    out->RenderOffline(out->Rate() / 2, &samples);
    const auto loud = std::count_if(samples.begin(), samples.end(), [](std::int16_t s) { return std::abs(s) > 200; });
    EXPECT_GT(loud, 10000);
    // Stop ends the notes: after the release the output falls silent again.
    ASSERT_TRUE(midi.Stop());
    samples.clear();
    out->RenderOffline(out->Rate() * 2, &samples);
    const auto tail = std::vector<std::int16_t>(samples.end() - 2000, samples.end());
    EXPECT_TRUE(std::all_of(tail.begin(), tail.end(), [](std::int16_t s) { return std::abs(s) < 40; }));
}

// The chorus is off until a channel sends to it, and then it sounds: a song that never sends is
// rendered exactly as with no chorus at all, one that does is not.
TEST(Synthesizer, TheChorusSoundsOnceAChannelSendsToIt) {
    const std::string soundFont = TestSoundFont();
    if (soundFont.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed (timgm6mb-soundfont)";
    auto render = [&](int chorusSend) {
        platform::FluidSynthOutput synth(platform::AudioOutput::kOfflineRate, true, soundFont);
        std::string error;
        EXPECT_TRUE(synth.Open(&error)) << error;
        if (chorusSend >= 0) synth.ShortMsg(0xB0 | (93u << 8) | (static_cast<std::uint32_t>(chorusSend) << 16));
        synth.ShortMsg(0x90 | (60u << 8) | (110u << 16));
        std::vector<std::int32_t> mix(static_cast<std::size_t>(platform::AudioOutput::kOfflineRate), 0);
        synth.Render(mix.data(), platform::AudioOutput::kOfflineRate / 2, 2);
        return mix;
    };
    const auto plain = render(-1);
    EXPECT_EQ(render(0), plain);
    EXPECT_NE(render(127), plain);
    EXPECT_TRUE(std::any_of(plain.begin(), plain.end(), [](std::int32_t v) { return std::abs(v) > 500; }));
}

// The game's own song alone never moves the output's limiter: what the synthesizer adds to the mix
// comes out sample for sample, so the music cannot pump. A source after the sequencer's sees the sum.
TEST(Synthesizer, TheGamesSongPassesTheLimiterUnchanged) {
    const std::string soundFont = TestSoundFont();
    if (soundFont.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed (timgm6mb-soundfont)";
    auto out = platform::AudioOutput::OpenOffline(platform::AudioOutput::kOfflineRate, 16, true);
    TVekMidi midi;
    ASSERT_TRUE(midi.Init(std::make_unique<platform::FluidSynthOutput>(out->Rate(), true, soundFont), false, out.get()));
    std::vector<std::int32_t> summed;
    out->Attach([&summed](std::int32_t* mix, int frames) { summed.insert(summed.end(), mix, mix + 2 * frames); });
    ASSERT_TRUE(midi.Play("BGM0", true));
    std::vector<std::int16_t> samples;
    for (int frame = 0; frame < 60 * 50; ++frame) out->RenderOffline(out->Rate() / 50, &samples);  // a minute
    ASSERT_EQ(summed.size(), samples.size());
    std::int32_t peak = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(samples[i], summed[i]) << "sample " << i;
        peak = std::max(peak, std::abs(summed[i]));
    }
    EXPECT_GT(peak, 2000) << "the song is too quiet to tell";
    EXPECT_LT(peak, platform::Limiter::kCeiling / 2) << "less than 6 dB under the ceiling: effects would push it into the limiter";
}

}  // namespace
