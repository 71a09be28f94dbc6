#pragma once
// A 16-bit PCM WAV file written as the samples come, so that a long render never has to be held in
// memory: the header goes out first with empty sizes, and Finish writes the sizes once the samples
// are all there. Only an output that cannot seek (a pipe) is held until Finish, header first.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

class WavWriter {
public:
    // Opens (creates or empties) the file; a file that cannot be opened makes every call fail.
    WavWriter(const std::string& path, int rate, int channels);
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Appends interleaved samples, little-endian whatever the host. False once anything has failed
    // or the data would pass the 4 GiB a WAV file's sizes can state.
    bool Append(const std::int16_t* samples, std::size_t count);
    // Writes the sizes and closes the file; true only when every byte reached the file.
    bool Finish();

private:
    bool Write(const std::uint8_t* bytes, std::size_t size);

    std::FILE* file = nullptr;
    bool seekable = true;
    std::vector<std::uint8_t> held;  // header and samples for an output that cannot seek
    bool failed = false;
    std::uint64_t dataBytes = 0;
};

}  // namespace platform
