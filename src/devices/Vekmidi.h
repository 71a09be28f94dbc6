#pragma once
// Background music: a standard MIDI file read into memory and played by our own sequencer onto a
// MIDI output, one pass every 10 ms. In timer mode the passes run on the audio clock: the audio
// output's render step runs one pass per 10 ms of samples and then renders those samples of the
// synthesizer, so every event lands on its pass to the sample. Thread mode has a thread of its own.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {
class AudioOutput;
class MidiOutput;
}

// Why a song was not loaded.
enum class TSongRefusal {
    None,
    NotSong,            // no MThd header, or cut off inside it
    UnsupportedFormat,  // neither format 0 nor format 1
    TrackMissing,       // fewer MTrk chunks than the header counts
    TrackPastData,      // a track chunk longer than the bytes after its header
    Unreadable,         // no such resource or file, or a file too large to be a song
    NotOpen,            // the device is not open
};

// The refusal's name as the test inputs spell it ("TrackPastData").
const char* SongRefusalName(TSongRefusal refusal);

class TVekMidi {
public:
    static constexpr int kMaxTracks = 64;
    static constexpr int kTimerPeriod = 10;  // ms: one pass, and the sleep between passes in thread mode
    // The most events one pass sends. A real song's densest instant is far below this; a song that
    // holds more (thousands of notes at one tick) goes on where it stopped in the next pass, so no
    // song can make a pass's work grow with its length.
    static constexpr int kMaxEventsPerPass = 512;
    static constexpr const char* kMapperMessage = "MIDIマッパーを開けませんでした。";

    TVekMidi();
    ~TVekMidi();
    TVekMidi(const TVekMidi&) = delete;
    TVekMidi& operator=(const TVekMidi&) = delete;

    // Who shows the device's one message to the player.
    using MessageHandler = std::function<void(const std::string&)>;

    // The main window hands in the synthesizer and the audio output it renders into. Fails, and hands
    // "MIDIマッパーを開けませんでした。" to `showMessage` (standard error without one), without an
    // output or when the output cannot open. Timer mode with a clock runs passes in the clock's render
    // step; timer mode without one runs a pass only when MyTimeProc is called. Thread mode runs them on
    // its own thread; a clock there only renders the output's sound. The clock must outlive the
    // component or CleanUp come first.
    bool Init(std::unique_ptr<platform::MidiOutput> output, bool threadMode, platform::AudioOutput* clock,
              const MessageHandler& showMessage = nullptr);
    bool CleanUp();

    bool Load(const std::string& name);
    bool LoadFile(const std::uint8_t* data, std::size_t size);
    // Why the latest load failed; None after one that succeeded.
    TSongRefusal LastRefusal() const;
    // Reads a standard MIDI file's header and track chunks without touching the device.
    static TSongRefusal ParseSong(const std::uint8_t* data, std::size_t size);
    bool Play(const std::string& name, bool loop);
    bool Play(bool loop);
    bool Stop();
    bool Reset(bool loop);
    bool IsPlay() const;
    bool IsPlay(const std::string& name) const;

    bool MidiReset(int kind);
    bool SetReverb(std::uint8_t value);
    bool SetChorus(std::uint8_t value);
    bool SetDelay(std::uint8_t value);
    bool ShortMsg(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    bool LongMsg(const std::uint8_t* data, std::size_t size);

    // One pass of the sequencer, as the timer runs it: under the lock, and only while playing.
    void MyTimeProc();
    // The pass itself; the caller holds the lock.
    void SmfPlay();

    // Where the sequencer stands.
    bool IsOpened() const { return opened; }
    bool IsLoaded() const { return loaded; }
    int Format() const { return format; }
    int TrackCount() const { return trackCount; }
    int Tempo() const { return tempo; }
    int TickRemainder() const { return tickRemainder; }
    bool Looping() const { return loop; }
    std::string CurrentSong() const;
    std::uint64_t PassCount() const { return passCount; }
    // The audio clock's frame at which the latest pass ran (frames rendered since Init).
    std::int64_t PassFrame() const { return passFrame; }

private:
    struct Track {
        bool inUse = false;
        bool ended = false;
        std::uint32_t position = 0;
        std::uint32_t loopPosition = 0;
        std::uint8_t runningStatus = 0;
        std::uint32_t tickAccumulator = 0;
        std::uint32_t loopTicks = 0;
        std::uint32_t length = 0;
        std::vector<std::uint8_t> data;
    };

    bool LoadBytes(const std::uint8_t* data, std::size_t size);
    TSongRefusal Parse(const std::uint8_t* data, std::size_t size, bool keep);
    bool Refuse(TSongRefusal refusal);
    void ClearTracks();
    void PlayThread();
    void RenderClock(std::int32_t* mix, int frames);

    bool GetValue(int track, std::uint32_t& value);
    bool CheckValue(int track, std::uint32_t& value) const;
    void MetaEvent(int track);
    void SystemExclusive(int track);
    void ShortEvent(int track);
    void RunningStatus(int track);
    void ChannelMessage(int track, std::uint8_t status);
    void EndTrack(int track);
    void EventEot();
    void Jumped();
    void Send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

    mutable std::recursive_mutex lock;
    std::unique_ptr<platform::MidiOutput> output;
    std::thread thread;
    std::atomic<bool> threadRun{false};
    bool threadMode = false;
    // Also read before the lock, by calls that need not wait for the audio thread to refuse.
    std::atomic<bool> opened{false};
    std::atomic<bool> loaded{false};
    std::atomic<bool> playing{false};
    bool loop = false;
    int trackCount = 0;
    int format = 0;
    int division = 0;
    int tempo = 120;
    int tickRemainder = 0;
    int passInterval = kTimerPeriod;
    std::array<Track, kMaxTracks> tracks;
    std::string currentSong = "NULL";
    TSongRefusal lastRefusal = TSongRefusal::None;

    // The pass in progress: what ends it early.
    bool inPass = false;
    bool passEnded = false;
    int jumpsThisPass = 0;
    int eventsThisPass = 0;
    bool movedOn = false;  // the song has taken ticks since it started or last jumped
    std::atomic<std::uint64_t> passCount{0};

    // The audio clock of timer mode, in hundredths of a frame so that 10 ms at any whole rate in Hz
    // (441 frames at 44100, 480 at 48000, 220.5 at 22050) is carried exactly.
    platform::AudioOutput* clock = nullptr;
    std::uint64_t clockSource = 0;
    int clockRate = 0;
    int clockChannels = 2;
    std::int64_t clockFrame = 0;
    std::int64_t nextPassAt = 0;  // hundredths of a frame
    std::atomic<std::int64_t> passFrame{0};
};
