#include "platform/WavWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace {

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The samples arrive in pieces, as a headless run renders them frame by frame; the file is the one a
// single write of them all would give, sizes included. A pipe, which cannot seek back to the sizes,
// gets the same bytes.
TEST(WavWriter, SamplesWrittenInPiecesMakeOneWholeFile) {
    const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 258};
    const std::string path = ::testing::TempDir() + "wav-writer-test.wav";
    std::vector<std::vector<std::uint8_t>> files;
    for (const std::string how : {"file", "pipe"}) {
        std::FILE* pipe = nullptr;
        std::string target = path;
        if (how == "pipe") {
            pipe = ::popen(("cat > " + path).c_str(), "w");
            ASSERT_NE(pipe, nullptr);
            target = "/dev/fd/" + std::to_string(::fileno(pipe));
        }
        platform::WavWriter wav(target, 22050, 2);
        ASSERT_TRUE(wav.Append(samples.data(), 4)) << how;
        ASSERT_TRUE(wav.Append(samples.data() + 4, 0)) << how;
        ASSERT_TRUE(wav.Append(samples.data() + 4, 2)) << how;
        ASSERT_TRUE(wav.Finish()) << how;
        if (pipe) {
            ASSERT_EQ(::pclose(pipe), 0);
        }
        files.push_back(ReadAll(path));
        std::remove(path.c_str());
    }
    EXPECT_EQ(files[0], files[1]) << "a pipe gets the same bytes";
    const platform::ByteSpan bytes(files[0]);
    ASSERT_EQ(bytes.size(), 44u + 12u);
    EXPECT_TRUE(platform::HasId(bytes, 0, "RIFF"));
    EXPECT_EQ(platform::Le32(bytes, 4), 36u + 12u);
    EXPECT_TRUE(platform::HasId(bytes, 8, "WAVE"));
    EXPECT_TRUE(platform::HasId(bytes, 12, "fmt "));
    EXPECT_EQ(platform::Le16(bytes, 20), 1) << "PCM";
    EXPECT_EQ(platform::Le16(bytes, 22), 2) << "channels";
    EXPECT_EQ(platform::Le32(bytes, 24), 22050u);
    EXPECT_EQ(platform::Le32(bytes, 28), 22050u * 4);
    EXPECT_EQ(platform::Le16(bytes, 32), 4) << "block alignment";
    EXPECT_EQ(platform::Le16(bytes, 34), 16) << "bits";
    EXPECT_EQ(platform::Le32(bytes, 40), 12u) << "data bytes";
    for (std::size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(static_cast<std::int16_t>(platform::Le16(bytes, 44 + 2 * i)), samples[i]);
}

TEST(WavWriter, AFileThatCannotBeWrittenFails) {
    const std::int16_t sample = 1;
    const struct {
        const char* what;
        std::string path;
        int rate;
    } cases[] = {
        {"no such folder", "/nonexistent-dir/x.wav", 22050},
        {"a full disk", "/dev/full", 22050},
        {"no rate", ::testing::TempDir() + "wav-writer-no-rate.wav", 0},
    };
    for (const auto& c : cases) {
        platform::WavWriter wav(c.path, c.rate, 2);
        for (int i = 0; i < 5000; ++i) wav.Append(&sample, 1);  // past the stream's buffer
        EXPECT_FALSE(wav.Finish()) << c.what;
    }
    std::remove((::testing::TempDir() + "wav-writer-no-rate.wav").c_str());
}

}  // namespace
