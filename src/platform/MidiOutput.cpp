#include "platform/MidiOutput.h"

namespace platform {

void AppendResetMessages(std::vector<std::uint32_t>& out) {
    // All Notes Off (123), then Reset All Controllers (121), channel by channel.
    for (std::uint32_t channel = 0; channel < 16; ++channel) {
        out.push_back(0xB0u | channel | (123u << 8));
        out.push_back(0xB0u | channel | (121u << 8));
    }
}

void MidiLog::Add(MidiMessage message) {
    std::lock_guard<std::mutex> hold(mutex);
    ++count;
    if (messages.size() < limit) messages.push_back(std::move(message));
}

std::vector<MidiMessage> MidiLog::Messages() const {
    std::lock_guard<std::mutex> hold(mutex);
    return messages;
}

std::size_t MidiLog::Count() const {
    std::lock_guard<std::mutex> hold(mutex);
    return count;
}

void MidiLog::Clear() {
    std::lock_guard<std::mutex> hold(mutex);
    messages.clear();
    count = 0;
}

bool MidiRecorder::Open(std::string* error) {
    if (!openSucceeds && error) *error = "the recorder was told to refuse";
    return openSucceeds;
}

void MidiRecorder::ShortMsg(std::uint32_t packed) {
    MidiMessage m;
    m.kind = MidiMessage::Kind::kShort;
    m.packed = packed;
    m.pass = pass;
    log->Add(std::move(m));
}

void MidiRecorder::LongMsg(const std::uint8_t* data, std::size_t size) {
    MidiMessage m;
    m.kind = MidiMessage::Kind::kLong;
    if (data && size > 0) m.bytes.assign(data, data + size);
    m.pass = pass;
    log->Add(std::move(m));
}

void MidiRecorder::Reset() {
    MidiMessage m;
    m.kind = MidiMessage::Kind::kReset;
    m.pass = pass;
    log->Add(std::move(m));
}

}  // namespace platform
