#include "platform/WavWriter.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::uint64_t kHeaderBytes = 44;
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);  // the RIFF size must fit 32 bits

void Put16(std::uint8_t* at, std::uint32_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t v) {
    Put16(at, v & 0xFFFF);
    Put16(at + 2, v >> 16);
}

}  // namespace

WavWriter::WavWriter(const std::string& path, int rate, int channels) {
    if (rate <= 0 || channels <= 0) {
        failed = true;
        return;
    }
    file = std::fopen(path.c_str(), "wb");
    if (!file) {
        failed = true;
        return;
    }
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(channels) * 2;
    std::uint8_t header[kHeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    Put32(header + 16, 16);
    Put16(header + 20, 1);  // integer PCM
    Put16(header + 22, static_cast<std::uint32_t>(channels));
    Put32(header + 24, static_cast<std::uint32_t>(rate));
    Put32(header + 28, static_cast<std::uint32_t>(rate) * blockAlign);
    Put16(header + 32, blockAlign);
    Put16(header + 34, 16);
    std::copy_n("data", 4, header + 36);
    // The two sizes (at 4 and 40) stay 0 until Finish knows them.
    seekable = std::fseek(file, 0, SEEK_SET) == 0;
    Write(header, sizeof header);
}

bool WavWriter::Write(const std::uint8_t* bytes, std::size_t size) {
    // An empty piece may come with no buffer at all, which fwrite must not be handed.
    if (size == 0) return !failed;
    if (!seekable) {
        held.insert(held.end(), bytes, bytes + size);
    } else if (std::fwrite(bytes, 1, size, file) != size) {
        failed = true;
    }
    return !failed;
}

WavWriter::~WavWriter() {
    if (file) std::fclose(file);
}

bool WavWriter::Append(const std::int16_t* samples, std::size_t count) {
    if (failed || !file) return false;
    if (count > (kMaxDataBytes - dataBytes) / 2) {
        failed = true;
        return false;
    }
    std::vector<std::uint8_t> bytes(count * 2);
    for (std::size_t i = 0; i < count; ++i) Put16(bytes.data() + 2 * i, static_cast<std::uint16_t>(samples[i]));
    dataBytes += bytes.size();
    return Write(bytes.data(), bytes.size());
}

bool WavWriter::Finish() {
    if (!file) return false;
    const auto riffSize = static_cast<std::uint32_t>(kHeaderBytes - 8 + dataBytes);
    const auto dataSize = static_cast<std::uint32_t>(dataBytes);
    if (!seekable) {
        Put32(held.data() + 4, riffSize);
        Put32(held.data() + 40, dataSize);
        if (!failed && std::fwrite(held.data(), 1, held.size(), file) != held.size()) failed = true;
    } else {
        std::uint8_t size[4];
        Put32(size, riffSize);
        if (std::fseek(file, 4, SEEK_SET) != 0 || std::fwrite(size, 1, 4, file) != 4) failed = true;
        Put32(size, dataSize);
        if (std::fseek(file, 40, SEEK_SET) != 0 || std::fwrite(size, 1, 4, file) != 4) failed = true;
    }
    if (std::fflush(file) != 0 || std::ferror(file) != 0) failed = true;
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    return closed && !failed;
}

}  // namespace platform
