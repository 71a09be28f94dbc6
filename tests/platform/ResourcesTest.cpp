// Named media: the compiled-in table first, then a file, read within a bound and never by throwing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Resources.h"
#include "support/TestMedia.h"

namespace {

std::filesystem::path TempFile(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("pelloro-res-" + std::to_string(::getpid()) + "-" + name);
}

TEST(Resources, AResourceIsTheAnswerBeforeAFileOfTheSameName) {
    const auto path = TempFile("song.mid");
    std::ofstream(path, std::ios::binary) << "from the file";
    testmedia::ScopedResources table({{"MIDI", path.string(), testmedia::Bytes("from the table")}});
    platform::Medium medium;
    ASSERT_EQ(platform::LoadResourceOrFile("midi", path.string(), medium), platform::FileStatus::kRead);
    EXPECT_EQ(std::string(medium.bytes.begin(), medium.bytes.end()), "from the table");
    // Another type does not match the entry, so the file is read.
    ASSERT_EQ(platform::LoadResourceOrFile("WAVE", path.string(), medium), platform::FileStatus::kRead);
    EXPECT_EQ(std::string(medium.bytes.begin(), medium.bytes.end()), "from the file");
    std::filesystem::remove(path);
}

TEST(Resources, FilesAreReadWithinTheirBound) {
    const auto path = TempFile("ten.bin");
    std::ofstream(path, std::ios::binary) << "0123456789";
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(platform::ReadFile(path.string(), bytes, 10), platform::FileStatus::kRead);
    EXPECT_EQ(bytes.size(), 10u);
    EXPECT_EQ(platform::ReadFile(path.string(), bytes, 9), platform::FileStatus::kTooLarge);
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(platform::ReadFilePrefix(path.string(), 4, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123");
    EXPECT_EQ(platform::ReadFile(path.string() + ".none", bytes), platform::FileStatus::kMissing);
    EXPECT_EQ(platform::ReadFile(std::filesystem::temp_directory_path().string(), bytes),
              platform::FileStatus::kMissing);
    std::filesystem::remove(path);
}

TEST(Resources, AHugeSparseFileIsRefusedWithoutReadingIt) {
    const auto path = TempFile("sparse.bmp");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(::ftruncate(::fileno(f), static_cast<off_t>(4) << 30), 0);  // 4 GiB of holes
        std::fclose(f);
    }
    testmedia::ScopedResources none({});
    platform::Medium medium;
    EXPECT_EQ(platform::LoadResourceOrFile("BITMAP", path.string(), medium), platform::FileStatus::kTooLarge);
    EXPECT_TRUE(medium.bytes.empty());
    EXPECT_EQ(medium.storage.capacity(), 0u);
    std::filesystem::remove(path);
}

}  // namespace
