#include "devices/Vekmidi.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/AudioOutput.h"
#include "platform/ByteReader.h"
#include "platform/MidiOutput.h"
#include "platform/Resources.h"

namespace {

// bytes: a song file larger than this is refused unread; a game's song is a few kilobytes.
constexpr std::size_t kMaxSongBytes = 16u << 20;
constexpr std::uint32_t kMinTempoMicros = 1000;  // µs per quarter note: 60000 bpm, 1 ms per beat


// Compares the first characters of a text with a keyword, letters without regard to case.
bool StartsWithIgnoreCase(const std::uint8_t* text, std::uint32_t length, const char* keyword) {
    const std::size_t n = std::strlen(keyword);
    if (length < n) return false;
    return platform::EqualsIgnoreCase(std::string_view(reinterpret_cast<const char*>(text), n), keyword);
}

}  // namespace

const char* SongRefusalName(TSongRefusal refusal) {
    switch (refusal) {
        case TSongRefusal::None: return "None";
        case TSongRefusal::NotSong: return "NotSong";
        case TSongRefusal::UnsupportedFormat: return "UnsupportedFormat";
        case TSongRefusal::TrackMissing: return "TrackMissing";
        case TSongRefusal::TrackPastData: return "TrackPastData";
        case TSongRefusal::Unreadable: return "Unreadable";
        case TSongRefusal::NotOpen: return "NotOpen";
    }
    return "?";
}

TVekMidi::TVekMidi() = default;

TVekMidi::~TVekMidi() { CleanUp(); }

bool TVekMidi::Init(std::unique_ptr<platform::MidiOutput> out, bool useThread, platform::AudioOutput* audio,
                    const MessageHandler& showMessage) {
    CleanUp();
    std::string error;
    if (!out || !out->Open(&error)) {
        if (showMessage) {
            showMessage(kMapperMessage);
        } else {
            std::fprintf(stderr, "%s\n", kMapperMessage);
        }
        return false;
    }
    {
        std::lock_guard<std::recursive_mutex> hold(lock);
        output = std::move(out);
        threadMode = useThread;
        passInterval = kTimerPeriod;
        clockFrame = 0;
        passFrame = 0;
        if (audio) {
            clockRate = audio->Rate();
            clockChannels = audio->Channels();
        }
    }
    // Attached without our lock held: the render step takes the output's lock, then ours.
    if (audio) {
        clock = audio;
        clockSource = audio->Attach([this](std::int32_t* mix, int frames) { RenderClock(mix, frames); },
                                    platform::AudioOutput::Role::kMusic);
    }
    if (threadMode) {
        threadRun = true;
        try {
            thread = std::thread([this] { PlayThread(); });
        } catch (const std::system_error&) {
            threadRun = false;
            threadMode = false;
            return false;
        }
    }
    opened = true;
    return true;
}

bool TVekMidi::CleanUp() {
    // The playback thread may be waiting for the lock: end it before taking the lock.
    if (thread.joinable()) {
        threadRun = false;
        if (thread.get_id() == std::this_thread::get_id()) {
            thread.detach();
        } else {
            thread.join();
        }
    }
    if (clock) {
        clock->Detach(clockSource);
        clock = nullptr;
        clockSource = 0;
    }
    std::lock_guard<std::recursive_mutex> hold(lock);
    threadMode = false;
    if (output && opened) Stop();
    output.reset();
    ClearTracks();
    loaded = false;
    opened = false;
    return true;
}

void TVekMidi::ClearTracks() {
    for (Track& t : tracks) t = Track{};
}

bool TVekMidi::Load(const std::string& name) {
    if (!opened) return Refuse(TSongRefusal::NotOpen);
    // The bytes are found before the lock is taken: a file read must not hold up the audio clock.
    platform::Medium song;
    const bool found = platform::LoadResourceOrFile("MIDI", name, song, kMaxSongBytes) == platform::FileStatus::kRead;
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!opened) return Refuse(TSongRefusal::NotOpen);  // closed while the file was read
    Stop();
    loaded = false;
    if (!found) return Refuse(TSongRefusal::Unreadable);
    return LoadBytes(song.bytes.data(), song.bytes.size());
}

// Loads a song from bytes the way Load loads one by name.
bool TVekMidi::LoadFile(const std::uint8_t* data, std::size_t size) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!opened) return Refuse(TSongRefusal::NotOpen);
    Stop();
    loaded = false;
    return LoadBytes(data, size);
}

TSongRefusal TVekMidi::LastRefusal() const {
    std::lock_guard<std::recursive_mutex> hold(lock);
    return lastRefusal;
}

bool TVekMidi::Refuse(TSongRefusal refusal) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    lastRefusal = refusal;
    return refusal == TSongRefusal::None;
}

bool TVekMidi::LoadBytes(const std::uint8_t* data, std::size_t size) {
    if (!Refuse(Parse(data, size, true))) return false;
    tempo = 120;
    movedOn = false;
    loaded = true;
    return true;
}

TSongRefusal TVekMidi::ParseSong(const std::uint8_t* data, std::size_t size) {
    TVekMidi scratch;
    return scratch.Parse(data, size, false);
}

// Header and track chunks; every length is checked against the bytes given before it is used. With
// `keep` the header's fields and the tracks are taken in.
TSongRefusal TVekMidi::Parse(const std::uint8_t* data, std::size_t size, bool keep) {
    if (data == nullptr || size < 14) return TSongRefusal::NotSong;
    const platform::ByteSpan bytes(data, size);
    if (!platform::HasId(bytes, 0, "MThd")) return TSongRefusal::NotSong;
    // The header length field is not used: the first track chunk is taken to start at byte 14.
    const int songFormat = platform::Be16(bytes, 8);
    const int count = platform::Be16(bytes, 10);
    if (keep) {
        format = songFormat;
        division = platform::Be16(bytes, 12);
    }
    if (songFormat != 0 && songFormat != 1) return TSongRefusal::UnsupportedFormat;
    const int tracksKept = std::min(count, kMaxTracks);
    if (keep) {
        trackCount = tracksKept;
        ClearTracks();
    }
    std::size_t pos = 14;
    for (int i = 0; i < tracksKept; ++i) {
        if (!platform::HasId(bytes, pos, "MTrk") || !platform::Fits(bytes, pos, 8)) return TSongRefusal::TrackMissing;
        const std::uint32_t length = platform::Be32(bytes, pos + 4);
        pos += 8;
        if (length > size - pos) return TSongRefusal::TrackPastData;  // a track that claims more than the file holds
        if (keep) {
            Track& t = tracks[static_cast<std::size_t>(i)];
            t.inUse = true;
            t.length = length;
            t.data.assign(data + pos, data + pos + length);
        }
        pos += length;
    }
    return TSongRefusal::None;
}

bool TVekMidi::Play(bool loopSong) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!opened || !loaded) return false;
    if (playing) return true;
    tickRemainder = 0;
    loop = loopSong;
    // The first pass comes one period after the start, as a periodic timer's first event would.
    if (!threadMode && clock) nextPassAt = clockFrame * 100 + static_cast<std::int64_t>(clockRate) * kTimerPeriod / 10;
    playing = true;
    return true;
}

bool TVekMidi::Play(const std::string& name, bool loopSong) {
    if (!opened || !Load(name) || !Play(loopSong)) return false;
    std::lock_guard<std::recursive_mutex> hold(lock);
    currentSong = name;
    return true;
}

bool TVekMidi::Stop() {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!opened) return false;
    playing = false;
    // A stop from inside the pass ends the pass: nothing may sound after the reset.
    if (inPass) passEnded = true;
    output->Reset();
    return true;
}

bool TVekMidi::Reset(bool loopSong) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!opened || !loaded) return false;
    if (playing) return false;
    loop = loopSong;
    movedOn = false;
    for (Track& t : tracks) {
        t.ended = false;
        t.position = 0;
        t.loopPosition = 0;
        t.runningStatus = 0;
        t.tickAccumulator = 0;
    }
    return true;
}

bool TVekMidi::IsPlay() const { return playing; }

bool TVekMidi::IsPlay(const std::string& name) const {
    std::lock_guard<std::recursive_mutex> hold(lock);
    return playing && name == currentSong;
}

std::string TVekMidi::CurrentSong() const {
    std::lock_guard<std::recursive_mutex> hold(lock);
    return currentSong;
}

bool TVekMidi::MidiReset(int kind) {
    static constexpr std::uint8_t kGmSystemOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    static constexpr std::uint8_t kGsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    if (!opened) return false;
    if (kind == 0) return LongMsg(kGmSystemOn, sizeof kGmSystemOn);
    if (kind == 1) return LongMsg(kGsReset, sizeof kGsReset);
    return true;
}

namespace {
// A GS parameter change at 40 01 xx; the byte before F7 is the checksum, taken modulo 256 as it falls.
std::array<std::uint8_t, 11> GsMacro(std::uint8_t address, std::uint8_t value, std::uint8_t checksumBase) {
    return {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, address, value, static_cast<std::uint8_t>(checksumBase - value), 0xF7};
}
}  // namespace

bool TVekMidi::SetReverb(std::uint8_t value) {
    const auto m = GsMacro(0x30, value, 15);
    return LongMsg(m.data(), m.size());
}

bool TVekMidi::SetChorus(std::uint8_t value) {
    const auto m = GsMacro(0x38, value, 7);
    return LongMsg(m.data(), m.size());
}

bool TVekMidi::SetDelay(std::uint8_t value) {
    const auto m = GsMacro(0x50, value, 111);
    return LongMsg(m.data(), m.size());
}

bool TVekMidi::ShortMsg(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!opened) return false;
    Send(status, data1, data2);
    return true;
}

bool TVekMidi::LongMsg(const std::uint8_t* data, std::size_t size) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (!opened) return false;
    output->LongMsg(data, size);
    return true;
}

void TVekMidi::Send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    output->ShortMsg(static_cast<std::uint32_t>(status) | (static_cast<std::uint32_t>(data1) << 8) |
                     (static_cast<std::uint32_t>(data2) << 16));
}

void TVekMidi::MyTimeProc() {
    std::lock_guard<std::recursive_mutex> hold(lock);
    if (opened && playing) SmfPlay();
}

// Runs on the audio thread under the output's lock. Passes fall on the first frame at or after each
// 10 ms mark; the synthesizer renders the frames between them, so an event sounds from its pass on.
void TVekMidi::RenderClock(std::int32_t* mix, int frames) {
    std::lock_guard<std::recursive_mutex> hold(lock);
    const std::int64_t period = static_cast<std::int64_t>(clockRate) * kTimerPeriod / 10;  // hundredths of a frame
    while (frames > 0) {
        int n = frames;
        if (playing && !threadMode && period > 0) {
            if (clockFrame * 100 >= nextPassAt) {
                passFrame = clockFrame;
                nextPassAt += period;
                SmfPlay();
                continue;
            }
            const std::int64_t until = (nextPassAt - clockFrame * 100 + 99) / 100;
            n = static_cast<int>(std::min<std::int64_t>(frames, until));
        }
        // Unheard frames are not synthesized: the passes alone keep the synthesizer's state.
        if (output && mix) {
            output->Render(mix, n, clockChannels);
            mix += static_cast<std::ptrdiff_t>(n) * clockChannels;
        }
        frames -= n;
        clockFrame += n;
    }
}

void TVekMidi::PlayThread() {
    using Clock = std::chrono::steady_clock;
    Clock::time_point noted = Clock::now();
    while (threadRun) {
        if (playing) {
            // Our passes take the lock too, so that Stop, Load and CleanUp never meet one half done.
            std::lock_guard<std::recursive_mutex> hold(lock);
            if (playing && threadRun) {
                const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - noted).count();
                passInterval = static_cast<int>(std::clamp<long long>(elapsed, 0, 1000000));
                SmfPlay();
            }
        }
        noted = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(kTimerPeriod));
    }
}

void TVekMidi::SmfPlay() {
    ++passCount;
    struct PassScope {
        TVekMidi& m;
        explicit PassScope(TVekMidi& midi) : m(midi) {
            m.inPass = true;
            m.passEnded = false;
            m.jumpsThisPass = 0;
            m.eventsThisPass = 0;
            if (m.output) m.output->SetPass(m.passCount);
        }
        ~PassScope() {
            m.inPass = false;
            if (m.output) m.output->SetPass(0);
        }
    } scope(*this);
    if (!output) return;

    const std::int64_t msPerBeat = 60000 / tempo;
    const std::int64_t total = static_cast<std::int64_t>(division) * passInterval + tickRemainder;
    const std::int64_t ticks = total / msPerBeat;
    tickRemainder = static_cast<int>(total % msPerBeat);
    if (ticks <= 0) return;

    for (int i = 0; i < trackCount; ++i) {
        Track& t = tracks[static_cast<std::size_t>(i)];
        if (!t.inUse || t.ended) continue;
        t.tickAccumulator += static_cast<std::uint32_t>(ticks);
        if (eventsThisPass >= kMaxEventsPerPass) continue;  // its events wait for the next pass, their time kept
        if (t.position >= t.length) {
            EndTrack(i);
            if (passEnded) return;
            continue;
        }
        while (!t.ended && t.position < t.length && eventsThisPass < kMaxEventsPerPass) {
            std::uint32_t delta = 0;
            if (!CheckValue(i, delta)) {
                EndTrack(i);  // a delta time cut off by the end of the track
                break;
            }
            if (delta > t.tickAccumulator) break;
            t.tickAccumulator -= delta;
            if (delta > 0) movedOn = true;
            GetValue(i, delta);
            if (t.position >= t.length) {
                EndTrack(i);  // a delta time with no event after it
                break;
            }
            const std::uint8_t b = t.data[t.position];
            ++eventsThisPass;
            if (b == 0xF0) {
                SystemExclusive(i);
            } else if (b == 0xFF) {
                MetaEvent(i);
            } else if (b >= 0x80) {
                ShortEvent(i);
            } else {
                RunningStatus(i);
            }
            if (passEnded) return;
            if (!t.ended && t.position >= t.length) {
                t.ended = true;
                EventEot();
            }
            if (passEnded) return;
        }
        if (passEnded) return;
    }
}

// A variable-length quantity: seven bits a byte, high group first. One that runs into the end of
// the track is no value.
bool TVekMidi::CheckValue(int track, std::uint32_t& value) const {
    const Track& t = tracks[static_cast<std::size_t>(track)];
    std::uint32_t v = 0;
    for (std::uint32_t p = t.position; p < t.length; ++p) {
        const std::uint8_t b = t.data[p];
        v = (v << 7) | (b & 0x7Fu);
        if ((b & 0x80) == 0) {
            value = v;
            return true;
        }
    }
    return false;
}

bool TVekMidi::GetValue(int track, std::uint32_t& value) {
    Track& t = tracks[static_cast<std::size_t>(track)];
    std::uint32_t v = 0;
    while (t.position < t.length) {
        const std::uint8_t b = t.data[t.position++];
        v = (v << 7) | (b & 0x7Fu);
        if ((b & 0x80) == 0) {
            value = v;
            return true;
        }
    }
    return false;
}

void TVekMidi::EndTrack(int track) {
    tracks[static_cast<std::size_t>(track)].ended = true;
    EventEot();
}

// Two loop jumps in one pass mean a loop shorter than the pass: the second one ends the pass, so a
// song can never keep a pass going for ever. A loop that took no ticks at all would only replay the
// same instant: its jump ends the pass at once, so such a song plays once a pass, not twice.
void TVekMidi::Jumped() {
    if (++jumpsThisPass > 1 || !movedOn) passEnded = true;
    movedOn = false;
}

void TVekMidi::EventEot() {
    for (const Track& t : tracks) {
        if (t.inUse && !t.ended) return;
    }
    if (!loop) {
        Stop();
        return;
    }
    for (Track& t : tracks) {
        if (!t.inUse) continue;
        t.ended = false;
        t.position = 0;
        t.tickAccumulator = 0;
        t.runningStatus = 0;
    }
    Jumped();
}

void TVekMidi::MetaEvent(int track) {
    Track& t = tracks[static_cast<std::size_t>(track)];
    ++t.position;  // 0xFF
    if (t.position >= t.length) return EndTrack(track);
    const std::uint8_t type = t.data[t.position++];
    std::uint32_t length = 0;
    if (!GetValue(track, length) || length > t.length - t.position) return EndTrack(track);
    const std::uint32_t start = t.position;
    const std::uint32_t end = start + length;
    const std::uint8_t* text = t.data.data() + start;
    const int jumpsBefore = jumpsThisPass;

    if (type == 0x07) {
        if (StartsWithIgnoreCase(text, length, "repeat")) {
            for (Track& each : tracks) {
                each.loopPosition = each.position;
                each.loopTicks = each.tickAccumulator;
            }
            t.loopPosition = end;
        } else if (StartsWithIgnoreCase(text, length, "end")) {
            if (!loop) {
                Stop();
            } else {
                for (Track& each : tracks) {
                    if (!each.inUse) continue;
                    each.ended = false;
                    each.position = each.loopPosition;
                    each.tickAccumulator = each.loopTicks;
                }
                tickRemainder = 0;
                Jumped();
                return;  // this track goes on at its loop position
            }
        }
    } else if (type == 0x2F) {
        t.ended = true;
        EventEot();
    } else if (type == 0x51) {
        if (t.length - start >= 3) {
            const std::uint32_t micros = platform::Be24(platform::ByteSpan(t.data).subspan(start), 0);
            // Under 1000 µs a quarter the beat would be shorter than a millisecond.
            tempo = static_cast<int>(60000000u / std::max(micros, kMinTempoMicros));
        }
    }
    // After a restart of the whole song the track already stands where it should.
    if (jumpsThisPass == jumpsBefore) t.position = end;
}

void TVekMidi::SystemExclusive(int track) {
    Track& t = tracks[static_cast<std::size_t>(track)];
    ++t.position;  // 0xF0
    std::uint32_t length = 0;
    if (!GetValue(track, length) || length > t.length - t.position) return EndTrack(track);
    std::vector<std::uint8_t> message;
    message.reserve(static_cast<std::size_t>(length) + 1);
    message.push_back(0xF0);
    message.insert(message.end(), t.data.begin() + t.position, t.data.begin() + t.position + length);
    t.position += length;
    output->LongMsg(message.data(), message.size());
}

void TVekMidi::ShortEvent(int track) {
    Track& t = tracks[static_cast<std::size_t>(track)];
    const std::uint8_t status = t.data[t.position++];
    t.runningStatus = status;
    ChannelMessage(track, status);
}

void TVekMidi::RunningStatus(int track) { ChannelMessage(track, tracks[static_cast<std::size_t>(track)].runningStatus); }

// Program change and channel pressure carry one data byte, every other status two.
void TVekMidi::ChannelMessage(int track, std::uint8_t status) {
    Track& t = tracks[static_cast<std::size_t>(track)];
    const std::uint32_t kind = status & 0xF0u;
    const std::uint32_t needed = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    if (t.length - t.position < needed) return EndTrack(track);  // an event cut off by the end of the track
    const std::uint8_t data1 = t.data[t.position];
    const std::uint8_t data2 = needed == 2 ? t.data[t.position + 1] : 0;
    t.position += needed;
    Send(status, data1, data2);
}
