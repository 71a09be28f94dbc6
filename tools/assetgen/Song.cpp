// The background song: a cheerful 15-bar tune in F major at 120 beats a minute, ocarina melody over a
// marimba bass with a celesta counter-line. It ends on a bar line with every note released, so the
// sequencer's whole-song loop runs on without a seam.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include "Audio.h"

namespace audio {

namespace {

constexpr int kDivision = 480;   // ticks per quarter note
constexpr int kBar = 4 * kDivision;
constexpr int kBars = 15;
constexpr int kEighth = kDivision / 2;
// The instruments are chosen at tick 10, after the bank selects at 0 and 5; nothing sounds before.
constexpr int kFirstNote = 20;

enum Channel : std::uint8_t { kMarimba = 0, kOcarina = 1, kCelesta = 2 };

struct Note {
    int start, length;
    std::uint8_t channel, key, velocity;
};

// F major, octave numbers as in MIDI note 60 = C4.
int Key(const std::string& name) {
    static const int base[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int k = base[name[0] - 'A'];
    std::size_t i = 1;
    if (i < name.size() && name[i] == 'b') {
        --k;
        ++i;
    } else if (i < name.size() && name[i] == '#') {
        ++k;
        ++i;
    }
    const int octave = name[i] - '0';
    return 12 * (octave + 1) + k;
}

// A line written as "KEY:EIGHTHS" tokens separated by blanks; "R" is a rest.
void Line(std::vector<Note>& notes, Channel ch, int bar, const std::string& text, int velocity, int gatePercent) {
    int at = bar * kBar;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ') ++pos;
        if (pos >= text.size()) break;
        std::size_t end = text.find(' ', pos);
        if (end == std::string::npos) end = text.size();
        const std::string token = text.substr(pos, end - pos);
        pos = end;
        const std::size_t colon = token.find(':');
        const std::string name = token.substr(0, colon);
        const int eighths = std::stoi(token.substr(colon + 1));
        const int length = eighths * kEighth;
        if (name != "R") {
            notes.push_back({at, length * gatePercent / 100, ch, static_cast<std::uint8_t>(Key(name)),
                             static_cast<std::uint8_t>(velocity)});
        }
        at += length;
    }
    if (at != (bar + 1) * kBar) {
        std::fprintf(stderr, "assetgen: bar %d of channel %d lasts %d ticks\n", bar + 1, ch, at - bar * kBar);
        std::exit(1);
    }
}

struct Chord {
    const char* root;   // bass note
    const char* fifth;  // bass on beat 3
    const char* a;      // upper chord tones for the off-beat stabs
    const char* b;
};

// Two chords a bar (first half, second half); the same chord twice for a whole bar.
const Chord kChords[kBars][2] = {
    {{"F2", "C3", "A3", "C4"}, {"F2", "C3", "A3", "C4"}},    // intro
    {{"F2", "C3", "A3", "C4"}, {"F2", "C3", "A3", "C4"}},    // A
    {{"C3", "G2", "G3", "E4"}, {"C3", "G2", "Bb3", "E4"}},
    {{"D3", "A2", "A3", "F4"}, {"D3", "A2", "A3", "F4"}},
    {{"Bb2", "F2", "Bb3", "D4"}, {"C3", "G2", "Bb3", "E4"}},
    {{"F2", "C3", "A3", "C4"}, {"F2", "C3", "A3", "C4"}},    // A'
    {{"C3", "G2", "G3", "E4"}, {"C3", "G2", "G3", "E4"}},
    {{"Bb2", "F2", "Bb3", "D4"}, {"Bb2", "F2", "Bb3", "D4"}},
    {{"C3", "G2", "Bb3", "E4"}, {"F2", "C3", "A3", "C4"}},
    {{"D3", "A2", "A3", "F4"}, {"D3", "A2", "A3", "F4"}},    // B
    {{"Bb2", "F2", "Bb3", "D4"}, {"Bb2", "F2", "Bb3", "D4"}},
    {{"G2", "D3", "Bb3", "D4"}, {"G2", "D3", "Bb3", "D4"}},
    {{"C3", "G2", "G3", "E4"}, {"C3", "G2", "Bb3", "E4"}},
    {{"Bb2", "F2", "Bb3", "D4"}, {"C3", "G2", "Bb3", "E4"}},  // ending, back to the intro
    {{"F2", "C3", "A3", "C4"}, {"C3", "G2", "Bb3", "E4"}},
};

// The tune, one string a bar (eighths).
const char* const kMelody[kBars] = {
    "R:8",
    "C5:2 A4:1 C5:1 F5:2 E5:1 D5:1",
    "C5:3 Bb4:1 A4:1 G4:1 A4:1 Bb4:1",
    "A4:2 D5:2 F5:3 E5:1",
    "D5:1 C5:1 Bb4:1 A4:1 G4:4",
    "C5:2 A4:1 C5:1 F5:2 G5:1 A5:1",
    "G5:3 F5:1 E5:1 D5:1 E5:1 G5:1",
    "F5:2 D5:1 Bb4:1 D5:2 F5:2",
    "E5:1 D5:1 C5:1 E5:1 F5:4",
    "A5:3 G5:1 F5:2 D5:2",
    "F5:3 E5:1 D5:2 Bb4:2",
    "G4:1 A4:1 Bb4:1 D5:1 G5:2 F5:1 E5:1",
    "E5:3 D5:1 C5:4",
    "D5:1 F5:1 D5:1 Bb4:1 C5:1 E5:1 G5:1 E5:1",
    "F5:3 E5:1 F5:2 R:2",
};

// The counter-line: bright arpeggios in the A parts, a slower answer in the B part.
const char* const kCounter[kBars] = {
    "F5:1 A5:1 C6:1 A5:1 F5:1 C5:1 A4:1 C5:1",
    "R:1 A5:1 R:1 C6:1 R:1 F6:1 R:1 C6:1",
    "R:1 G5:1 R:1 C6:1 R:1 E6:1 R:1 Bb5:1",
    "R:1 F5:1 R:1 A5:1 R:1 D6:1 R:1 A5:1",
    "R:1 F5:1 R:1 Bb5:1 R:1 G5:1 R:1 E6:1",
    "R:1 A5:1 R:1 C6:1 R:1 F6:1 R:1 C6:1",
    "R:1 G5:1 R:1 C6:1 R:1 E6:1 R:1 C6:1",
    "R:1 F5:1 R:1 Bb5:1 R:1 D6:1 R:1 Bb5:1",
    "R:1 G5:1 R:1 Bb5:1 A5:1 C6:1 F6:2",
    "D6:4 C6:4",
    "Bb5:4 D6:4",
    "Bb5:2 C6:2 D6:2 Bb5:2",
    "C6:4 E6:2 G6:2",
    "Bb5:1 R:1 F5:1 R:1 C6:1 R:1 G5:1 R:1",
    "A5:1 C6:1 F6:1 C6:1 G5:1 Bb5:1 C6:1 E6:1",
};

std::vector<Note> Compose() {
    std::vector<Note> notes;
    for (int bar = 0; bar < kBars; ++bar) {
        for (int half = 0; half < 2; ++half) {
            const Chord& c = kChords[bar][half];
            const int at = bar * kBar + half * 2 * kDivision;
            // Oom-pah: bass on the beat, a two-note stab on the next beat.
            notes.push_back({at, kDivision * 80 / 100, kMarimba, static_cast<std::uint8_t>(Key(half ? c.fifth : c.root)), 92});
            notes.push_back({at + kDivision, kEighth * 80 / 100, kMarimba, static_cast<std::uint8_t>(Key(c.a)), 62});
            notes.push_back({at + kDivision, kEighth * 80 / 100, kMarimba, static_cast<std::uint8_t>(Key(c.b)), 58});
            notes.push_back({at + kDivision + kEighth, kEighth * 80 / 100, kMarimba, static_cast<std::uint8_t>(Key(c.b)), 46});
        }
        Line(notes, kOcarina, bar, kMelody[bar], 100, 92);
        Line(notes, kCelesta, bar, kCounter[bar], bar >= 9 && bar <= 12 ? 66 : 58, 85);
    }
    for (Note& n : notes)
        if (n.start < kFirstNote) {
            n.length -= kFirstNote - n.start;
            n.start = kFirstNote;
        }
    return notes;
}

void PutVar(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t bytes[5];
    int n = 0;
    bytes[n++] = static_cast<std::uint8_t>(v & 0x7F);
    while (v >>= 7) bytes[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
    while (n) out.push_back(bytes[--n]);
}

struct Event {
    int tick;
    int order;  // at one tick: set-up first, then releases, then new notes
    std::vector<std::uint8_t> bytes;
};

}  // namespace

std::vector<std::uint8_t> MakeSong() {
    std::vector<Event> events;
    events.push_back({0, 0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}});  // 4/4
    events.push_back({0, 0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}});        // 500 000 us a quarter
    const std::uint8_t programs[3] = {12, 79, 8};                         // marimba, ocarina, celesta
    for (std::uint8_t ch = 0; ch < 3; ++ch) {
        for (int tick : {0, 5}) {
            events.push_back({tick, 0, {static_cast<std::uint8_t>(0xB0 | ch), 0x00, 0x00}});
            events.push_back({tick, 0, {static_cast<std::uint8_t>(0xB0 | ch), 0x20, 0x00}});
        }
        events.push_back({10, 0, {static_cast<std::uint8_t>(0xC0 | ch), programs[ch]}});
    }
    for (const Note& n : Compose()) {
        events.push_back({n.start, 2, {static_cast<std::uint8_t>(0x90 | n.channel), n.key, n.velocity}});
        events.push_back({n.start + n.length, 1, {static_cast<std::uint8_t>(0x80 | n.channel), n.key, 0x40}});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::vector<std::uint8_t> track;
    int now = 0;
    for (const Event& e : events) {
        PutVar(track, static_cast<std::uint32_t>(e.tick - now));
        now = e.tick;
        track.insert(track.end(), e.bytes.begin(), e.bytes.end());
    }
    PutVar(track, static_cast<std::uint32_t>(kBars * kBar - now));
    track.push_back(0xFF);
    track.push_back(0x2F);
    track.push_back(0x00);

    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1,
                                     static_cast<std::uint8_t>(kDivision >> 8), static_cast<std::uint8_t>(kDivision & 0xFF),
                                     'M', 'T', 'r', 'k'};
    const std::uint32_t size = static_cast<std::uint32_t>(track.size());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(size >> shift));
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

}  // namespace audio
