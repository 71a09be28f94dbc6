#pragma once
// Where the sequencer's events go: a synthesizer, or a recorder in tests. A short message is packed
// as status | data 1 << 8 | data 2 << 16; a long message is a whole system-exclusive message F0 .. F7.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class MidiOutput {
public:
    virtual ~MidiOutput() = default;

    // False and a reason when the output cannot be used.
    virtual bool Open(std::string* error) = 0;
    virtual void ShortMsg(std::uint32_t packed) = 0;
    virtual void LongMsg(const std::uint8_t* data, std::size_t size) = 0;
    // Every sounding note ends and every controller returns to its default, on all 16 channels.
    virtual void Reset() = 0;

    // Adds `frames` frames of the output's sound into `mix` (interleaved, `channels` per frame, the
    // 16-bit scale); called by the audio output's render step. Outputs without sound add nothing.
    virtual void Render(std::int32_t* /*mix*/, int /*frames*/, int /*channels*/) {}

    // The sequencer's pass now sending (1, 2, ...), or 0 outside every pass.
    virtual void SetPass(std::uint64_t /*pass*/) {}
};

// Appends to `out` the messages that end all notes and reset all controllers on every channel.
void AppendResetMessages(std::vector<std::uint32_t>& out);

struct MidiMessage {
    enum class Kind { kShort, kLong, kReset };
    Kind kind = Kind::kShort;
    std::uint32_t packed = 0;        // Short: status | data 1 << 8 | data 2 << 16
    std::vector<std::uint8_t> bytes;  // Long: the whole message
    std::uint64_t pass = 0;           // the pass that sent it; 0 when sent outside every pass

    std::uint8_t Status() const { return static_cast<std::uint8_t>(packed & 0xFF); }
    std::uint8_t Data1() const { return static_cast<std::uint8_t>((packed >> 8) & 0xFF); }
    std::uint8_t Data2() const { return static_cast<std::uint8_t>((packed >> 16) & 0xFF); }
};

// The messages a recorder has received; shared, so a test can read them after the sequencer let go
// of its output. Safe to read while a playback thread writes.
class MidiLog {
public:
    explicit MidiLog(std::size_t limit = SIZE_MAX) : limit(limit) {}
    void Add(MidiMessage message);
    std::vector<MidiMessage> Messages() const;
    std::size_t Count() const;  // every message received, also those past the limit
    void Clear();

private:
    mutable std::mutex mutex;
    std::vector<MidiMessage> messages;
    std::size_t limit;
    std::size_t count = 0;
};

// Keeps every message with the number of the pass that sent it.
class MidiRecorder final : public MidiOutput {
public:
    explicit MidiRecorder(std::shared_ptr<MidiLog> log, bool openSucceeds = true)
        : log(std::move(log)), openSucceeds(openSucceeds) {}

    bool Open(std::string* error) override;
    void ShortMsg(std::uint32_t packed) override;
    void LongMsg(const std::uint8_t* data, std::size_t size) override;
    void Reset() override;
    void SetPass(std::uint64_t value) override { pass = value; }

private:
    std::shared_ptr<MidiLog> log;
    bool openSucceeds;
    std::uint64_t pass = 0;
};

}  // namespace platform
