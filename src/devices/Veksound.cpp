#include "devices/Veksound.h"

#include <algorithm>
#include <cstring>

#include "platform/AudioConvert.h"
#include "platform/ByteReader.h"
#include "platform/Resources.h"

namespace {

constexpr std::uint32_t kMinRate = 100;     // Hz: the slowest wave a sound card can be asked for
constexpr std::uint32_t kMaxRate = 200000;  // Hz: the fastest
constexpr std::uint64_t kMaxSeconds = 600;  // a converted sound effect longer than this is refused
const std::string kWaveInMemory = "a wave in memory";
// bytes: a wave file larger than this is refused unread (ten minutes of 48 kHz 32-bit stereo fit).
constexpr std::size_t kMaxWaveBytes = 256u << 20;

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr std::uint64_t kExtensibleFormatBytes = 40;  // WAVEFORMATEXTENSIBLE: 18 + 22 extra bytes

// The extensible format's sub-format is a GUID whose first two bytes are a format tag and whose
// other fourteen are always these; anything else is a format of another family.
constexpr std::uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool Playable(std::uint16_t kind, std::uint16_t bits) {
    if (kind == kTagPcm) return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (kind == kTagFloat) return bits == 32 || bits == 64;
    return false;
}

}  // namespace

const char* WaveRefusalName(TWaveRefusal refusal) {
    switch (refusal) {
        case TWaveRefusal::kNone: return "None";
        case TWaveRefusal::kNotWave: return "NotWave";
        case TWaveRefusal::kChunkCut: return "ChunkCut";
        case TWaveRefusal::kBadFormatChunk: return "BadFormatChunk";
        case TWaveRefusal::kNoFormat: return "NoFormat";
        case TWaveRefusal::kNoSamples: return "NoSamples";
        case TWaveRefusal::kUnsupportedFormat: return "UnsupportedFormat";
        case TWaveRefusal::kBadChannels: return "BadChannels";
        case TWaveRefusal::kBadBlockAlign: return "BadBlockAlign";
        case TWaveRefusal::kBadRate: return "BadRate";
        case TWaveRefusal::kUnconvertible: return "Unconvertible";
        case TWaveRefusal::kUnreadable: return "Unreadable";
        case TWaveRefusal::kNoRoom: return "NoRoom";
        case TWaveRefusal::kOverBudget: return "OverBudget";
    }
    return "?";
}

TVekSound::TVekSound() = default;

TVekSound::~TVekSound() { ReleaseAll(); }

bool TVekSound::Init(platform::AudioOutput* out) {
    ReleaseAll();
    if (out == nullptr) return false;
    output = out;
    channels = out->Channels();
    source = out->Attach([this](std::int32_t* mix, int frames) { Mix(mix, frames); }, platform::AudioOutput::Role::kEffects);
    ready = true;
    return true;
}

bool TVekSound::ReleaseAll() {
    // Detach waits for a render step in progress, so the slots below are ours alone afterwards.
    if (output != nullptr) output->Detach(source);
    output = nullptr;
    source = 0;
    for (Slot& slot : slots) {
        const int next = slot.nextVoice;  // the voice counters outlive the sounds
        slot = Slot{};
        slot.nextVoice = next;
    }
    firstSlotByName.clear();
    soundBudget.Clear();
    soundCount = 0;
    ready = false;
    return true;
}

void TVekSound::SetBits(int value) { Bits = value >= 16 ? 16 : 8; }

// The chunk scan: a found format, a sample start and a non-zero sample size end it. Nothing outside
// the given bytes is read: the payload ends at the RIFF size or the last byte, whichever comes first;
// a chunk header or format cut off by the end fails, a data chunk cut off keeps what is there.
TWaveRefusal TVekSound::ParseWave(const std::uint8_t* data, std::size_t size, WaveInfo* info) {
    if (data == nullptr) return TWaveRefusal::kNotWave;
    const platform::ByteSpan bytes(data, size);
    if (!platform::HasId(bytes, 0, "RIFF") || !platform::HasId(bytes, 8, "WAVE")) return TWaveRefusal::kNotWave;
    const std::uint64_t end = std::min<std::uint64_t>(8ull + platform::Le32(bytes, 4), size);
    std::uint64_t pos = 12;
    bool haveFormat = false;
    bool haveData = false;
    std::uint64_t formatPos = 0;
    std::uint64_t formatSize = 0;
    std::uint64_t dataPos = 0;
    std::uint64_t dataSize = 0;
    bool clamped = false;
    while (pos < end) {
        if (pos + 8 > size) return TWaveRefusal::kChunkCut;
        const std::uint64_t header = pos;
        const std::uint64_t chunkSize = platform::Le32(bytes, header + 4);
        pos += 8;
        if (platform::HasId(bytes, header, "fmt ")) {
            if (chunkSize < 14) return TWaveRefusal::kBadFormatChunk;
            if (pos + std::min<std::uint64_t>(chunkSize, 16) > size) return TWaveRefusal::kChunkCut;
            formatPos = pos;
            formatSize = chunkSize;
            haveFormat = true;
        } else if (platform::HasId(bytes, header, "data")) {
            dataPos = pos;
            dataSize = chunkSize;
            clamped = dataPos + dataSize > size;
            if (clamped) dataSize = size - dataPos;
            haveData = true;
        }
        if (haveFormat && haveData && dataSize > 0) break;
        // A data chunk that does not end the scan (no format yet, or empty) is stepped over like any other.
        pos += chunkSize;
    }
    if (!haveFormat) return TWaveRefusal::kNoFormat;
    if (!haveData || dataSize == 0) return TWaveRefusal::kNoSamples;

    const platform::ByteSpan fmt = bytes.subspan(static_cast<std::size_t>(formatPos));
    WaveInfo w;
    w.formatTag = platform::Le16(fmt, 0);
    w.channels = platform::Le16(fmt, 2);
    w.rate = platform::Le32(fmt, 4);
    w.blockAlign = platform::Le16(fmt, 12);
    // A 14-byte format (the old WAVEFORMAT) has no bits field: the block alignment tells the width.
    if (formatSize >= 16) {
        w.bitsPerSample = platform::Le16(fmt, 14);
    } else if (w.channels != 0) {
        w.bitsPerSample = static_cast<std::uint16_t>(w.blockAlign * 8u / w.channels);
    }
    w.sampleKind = w.formatTag;
    if (w.formatTag == kTagExtensible) {
        // The sub-format lies past the 16 bytes the scan made sure of: it must be inside the chunk
        // and inside the bytes.
        if (formatSize < kExtensibleFormatBytes) return TWaveRefusal::kBadFormatChunk;
        if (formatPos + kExtensibleFormatBytes > size) return TWaveRefusal::kChunkCut;
        if (std::memcmp(fmt.data() + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) return TWaveRefusal::kUnsupportedFormat;
        w.sampleKind = platform::Le16(fmt, 24);
    }
    if (!Playable(w.sampleKind, w.bitsPerSample)) return TWaveRefusal::kUnsupportedFormat;
    if (w.channels != 1 && w.channels != 2) return TWaveRefusal::kBadChannels;
    if (w.blockAlign != w.channels * w.bitsPerSample / 8) return TWaveRefusal::kBadBlockAlign;
    if (w.rate < kMinRate || w.rate > kMaxRate) return TWaveRefusal::kBadRate;
    w.dataOffset = static_cast<std::size_t>(dataPos);
    w.dataSize = static_cast<std::size_t>(dataSize - dataSize % w.blockAlign);
    w.clamped = clamped;
    if (w.dataSize == 0) return TWaveRefusal::kNoSamples;
    if (info) *info = w;
    return TWaveRefusal::kNone;
}

bool TVekSound::LoadFile(const std::uint8_t* data, std::size_t size) { return Refuse(Fill(data, size, {}, nullptr)); }

bool TVekSound::Refuse(TWaveRefusal refusal) {
    lastRefusal = refusal;
    return refusal == TWaveRefusal::kNone;
}

// Parses and converts outside the lock; only the finished slot is put in under it.
TWaveRefusal TVekSound::Fill(const std::uint8_t* data, std::size_t size, const std::string& source,
                             const std::string* name) {
    if (!ready || soundCount >= kSlots) return TWaveRefusal::kNoRoom;
    WaveInfo info;
    if (const TWaveRefusal refusal = ParseWave(data, size, &info); refusal != TWaveRefusal::kNone) return refusal;

    platform::SampleFormat format;
    format.encoding = info.sampleKind == kTagFloat ? platform::SampleFormat::Encoding::kFloat
                                                   : platform::SampleFormat::Encoding::kInteger;
    format.bits = info.bitsPerSample;
    format.channels = info.channels;
    format.rate = static_cast<int>(info.rate);
    const int outRate = output->Rate();
    const std::string& what = source.empty() ? kWaveInMemory : source;
    const std::size_t maxFrames = kMaxSeconds * static_cast<std::size_t>(outRate);
    // Converting takes several times the converted size for a moment, so the budget is asked for the
    // size the header promises first: a sound past the budget is refused before any of that is taken.
    std::uint64_t promised = 0;
    if (format.IsSupported() && info.rate > 0) {
        const std::uint64_t frames = info.dataSize / static_cast<std::uint64_t>(format.FrameBytes());
        const std::uint64_t outFrames = frames * static_cast<std::uint64_t>(outRate) / info.rate + 1;
        // Longer than any sound may be: the converter refuses it before taking memory.
        if (outFrames <= maxFrames) promised = outFrames * static_cast<std::uint64_t>(channels) * sizeof(std::int16_t);
    }
    if (promised > 0 && !soundBudget.Take(promised, what)) return TWaveRefusal::kOverBudget;
    std::vector<std::int16_t> converted;
    if (!platform::ConvertSamples(format, data + info.dataOffset, info.dataSize, outRate, channels, maxFrames,
                                  converted)) {
        soundBudget.Give(promised);
        return TWaveRefusal::kUnconvertible;
    }
    // What the converter made, in place of what the header promised.
    const std::uint64_t bytes = converted.size() * sizeof(std::int16_t);
    soundBudget.Give(promised);
    if (!soundBudget.Take(bytes, what)) return TWaveRefusal::kOverBudget;
    const TWaveRefusal put = Put(std::make_shared<const std::vector<std::int16_t>>(std::move(converted)), source, name);
    if (put != TWaveRefusal::kNone) soundBudget.Give(bytes);
    return put;
}

TWaveRefusal TVekSound::Put(std::shared_ptr<const std::vector<std::int16_t>> samples, const std::string& source,
                    const std::string* name) {
    Slot filled;
    filled.frames = samples->size() / static_cast<std::size_t>(channels);
    filled.samples = std::move(samples);
    filled.source = source;
    std::string key;
    if (name) {
        filled.named = true;
        filled.name = *name;
        key = platform::FoldCase(*name);
    }

    std::lock_guard<std::recursive_mutex> hold(output->Lock());
    if (soundCount >= kSlots) return TWaveRefusal::kNoRoom;
    Slot& slot = slots[static_cast<std::size_t>(soundCount)];
    filled.nextVoice = slot.nextVoice;
    slot = std::move(filled);
    if (slot.named) firstSlotByName.try_emplace(std::move(key), soundCount);
    ++soundCount;
    return TWaveRefusal::kNone;
}

bool TVekSound::Load(const std::string& source, const std::string* name) {
    // With every slot taken the load fails whatever the wave: the file is not read for nothing.
    if (!ready || soundCount >= kSlots) return Refuse(TWaveRefusal::kNoRoom);
    // A wave several records name is converted once: the slots share its samples.
    for (int i = 0; i < soundCount; ++i) {
        const Slot& loaded = slots[static_cast<std::size_t>(i)];
        if (!loaded.source.empty() && loaded.source == source) return Refuse(Put(loaded.samples, source, name));
    }
    platform::Medium wave;
    if (platform::LoadResourceOrFile("WAVE", source, wave, kMaxWaveBytes) != platform::FileStatus::kRead) {
        return Refuse(TWaveRefusal::kUnreadable);
    }
    return Refuse(Fill(wave.bytes.data(), wave.bytes.size(), source, name));
}

bool TVekSound::CreateBuffer(const std::string& name, const std::string& source) { return Load(source, &name); }

bool TVekSound::CreateBuffer(const std::string& source) { return Load(source, nullptr); }

// The first slot loaded under the name wins: later loads under an equal name never enter the index.
int TVekSound::IndexOf(const std::string& name) const {
    const auto found = firstSlotByName.find(platform::FoldCase(name));
    return found == firstSlotByName.end() ? -1 : found->second;
}

bool TVekSound::Play(int index) {
    if (!ready) return false;
    std::lock_guard<std::recursive_mutex> hold(output->Lock());
    if (index < 0 || index >= soundCount) return false;
    Slot& slot = slots[static_cast<std::size_t>(index)];
    // The voice started last has not been heard yet: this is the same start, not another copy.
    const Voice& last = slot.voices[static_cast<std::size_t>(slot.nextVoice == 0 ? kVoices - 1 : slot.nextVoice - 1)];
    if (last.playing && last.cursor == 0) return true;
    slot.voices[static_cast<std::size_t>(slot.nextVoice)] = Voice{true, 0};
    slot.nextVoice = (slot.nextVoice + 1) % kVoices;
    return true;
}

bool TVekSound::Stop(int index) {
    if (!ready) return false;
    std::lock_guard<std::recursive_mutex> hold(output->Lock());
    if (index < 0 || index >= soundCount) return false;
    Slot& slot = slots[static_cast<std::size_t>(index)];
    for (Voice& voice : slot.voices) voice.playing = false;
    slot.nextVoice = 0;
    return true;
}

bool TVekSound::IsPlaying(int index) {
    if (!ready) return false;
    std::lock_guard<std::recursive_mutex> hold(output->Lock());
    if (index < 0 || index >= soundCount) return false;
    const Slot& slot = slots[static_cast<std::size_t>(index)];
    return std::any_of(slot.voices.begin(), slot.voices.end(), [](const Voice& v) { return v.playing; });
}

bool TVekSound::Play(const std::string& name) { return ready && Play(IndexOf(name)); }
bool TVekSound::Stop(const std::string& name) { return ready && Stop(IndexOf(name)); }
bool TVekSound::IsPlaying(const std::string& name) { return ready && IsPlaying(IndexOf(name)); }

// Runs on the audio thread under the output's lock: every playing voice adds its next samples, or
// only moves on when nobody hears them (no mix).
void TVekSound::Mix(std::int32_t* mix, int frames) {
    const std::size_t wanted = static_cast<std::size_t>(frames);
    for (int i = 0; i < soundCount; ++i) {
        Slot& slot = slots[static_cast<std::size_t>(i)];
        for (Voice& voice : slot.voices) {
            if (!voice.playing) continue;
            const std::size_t n = std::min(wanted, slot.frames - voice.cursor);
            if (mix) {
                const std::int16_t* from = slot.samples->data() + voice.cursor * static_cast<std::size_t>(channels);
                const std::size_t count = n * static_cast<std::size_t>(channels);
                for (std::size_t k = 0; k < count; ++k) mix[k] += from[k];
            }
            voice.cursor += n;
            if (voice.cursor >= slot.frames) voice.playing = false;
        }
    }
}
