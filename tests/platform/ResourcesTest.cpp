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
    std::ofstream(path, std::ios::binary).put('B');
    std::filesystem::resize_file(path, std::uintmax_t{4} << 30);  // 4 GiB, of holes where the system can
    testmedia::ScopedResources none({});
    platform::Medium medium;
    EXPECT_EQ(platform::LoadResourceOrFile("BITMAP", path.string(), medium), platform::FileStatus::kTooLarge);
    EXPECT_TRUE(medium.bytes.empty());
    EXPECT_EQ(medium.storage.capacity(), 0u);
    std::filesystem::remove(path);
}

// Shift-JIS names in bytes: ミ 83 7E, ベ 83 78, ス 83 58, ヂ 83 61, ア 83 41, 取 8E E6. The trail bytes
// 78/58 and 61/41 are the codes of x/X and a/A, so folding them would make different names equal.
const std::string kMibe = "\x83\x7E\x83\x78";
const std::string kMisu = "\x83\x7E\x83\x58";
const std::string kDi = "\x83\x61";
const std::string kA = "\x83\x41";

TEST(NameFolding, OnlySingleByteLettersFold) {
    struct Case {
        std::string a, b;
        bool equal;
    };
    const Case cases[] = {
        {"SHOT", "shot", true},
        {"Shot2", "sHOT2", true},
        {"shot", "shots", false},
        {"@[`{", "@[`{", true},
        {"@", "`", false},  // neighbours of the letters are not letters
        {"[", "{", false},
        {kMibe, kMisu, false},
        {kMisu, kMibe, false},
        {kDi, kA, false},
        {kA, kDi, false},
        {kMisu, kMisu, true},
        {"a" + kDi + "b", "A" + kDi + "B", true},  // letters around a two-byte character still fold
        {"a" + kDi + "b", "A" + kA + "B", false},
        {"\xE0" "a", "\xE0" "A", false},  // E0-FC lead too
        {"\xFC" "a", "\xFC" "A", false},
        {"\xA0" "a", "\xA0" "A", true},  // A0-DF are one-byte kana: the next byte is a character of its own
        {"\xFD" "a", "\xFD" "A", true},
        {"\x80" "a", "\x80" "A", true},
        {std::string("\x83"), std::string("\x83"), true},  // a lead byte at the end stands alone
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::EqualsIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(platform::FoldCase(c.a) == platform::FoldCase(c.b), c.equal) << c.a << " / " << c.b;
    }
}

TEST(NameFolding, TheResourceTableTellsShiftJisNamesApart) {
    testmedia::ScopedResources table({{"WAVE", kMisu, testmedia::Bytes("miss")},
                                      {"WAVE", kA, testmedia::Bytes("a")},
                                      {"wave", "Shot", testmedia::Bytes("shot")}});
    EXPECT_FALSE(platform::FindResource("WAVE", kMibe).has_value());
    EXPECT_FALSE(platform::FindResource("WAVE", kDi).has_value());
    ASSERT_TRUE(platform::FindResource("WAVE", kMisu).has_value());
    ASSERT_TRUE(platform::FindResource("Wave", "SHOT").has_value()) << "types and ASCII names fold";
    EXPECT_EQ(platform::FindResource("Wave", "SHOT")->size(), 4u);
}

}  // namespace

TEST(Resources, AFileIsFoundIgnoringLetterCaseAndTheDataFolderComesFirst) {
    testmedia::TempFolder dir("pelloro-case");
    std::filesystem::create_directories(dir / "Media/Deep");
    for (const char* name : {"bgm0.mid", "Media/Bg.BMP", "Media/Deep/x.wav", "toybox.txt", "B.txt", "b.TXT"}) {
        std::ofstream(dir / name, std::ios::binary) << name;
    }
    const std::string root = dir.path + "/";
    struct Case {
        std::string asked;
        std::string found;  // empty: nothing
    };
    const std::vector<Case> cases = {
        {root + "bgm0.mid", root + "bgm0.mid"},
        {root + "BGM0.MID", root + "bgm0.mid"},
        {root + "media/bg.bmp", root + "Media/Bg.BMP"},
        {root + "MEDIA/deep/X.WAV", root + "Media/Deep/x.wav"},
        {root + "bt.txt", ""},
        {root + "b.txt", root + "B.txt"},  // of two that match, the first in byte order
        {root + "media", ""},              // a folder is not a file
        {root + "nowhere/bgm0.mid", ""},
    };
    // Compared as files: where the file system itself ignores case, the asked spelling is already the file.
    for (const Case& c : cases) {
        const std::string matched = platform::MatchFileName(c.asked);
        std::error_code failed;
        if (c.found.empty()) {
            EXPECT_EQ(matched, "") << c.asked;
        } else {
            EXPECT_TRUE(std::filesystem::equivalent(matched, c.found, failed)) << c.asked << " matched " << matched;
        }
    }

    testmedia::ScopedResources table({{"MIDI", "BGM0", testmedia::Bytes("built in")},
                                      {"TEXT", "dificulty", testmedia::Bytes("built-in text")}});
    platform::SetDataFolder(dir.path);
    platform::Medium medium;
    const std::vector<std::pair<std::string, std::string>> lookups = {
        {"BGM0", "bgm0.mid"},                     // the folder before the resources, with the type's extension
        {"toybox", "toybox.txt"},                 // a text not built in
        {"dificulty", "built-in text"},           // not in the folder: the resource
        {"media/BG.bmp", "Media/Bg.BMP"},         // a path under the folder
    };
    for (const auto& [name, content] : lookups) {
        const char* type = name == "BGM0" ? "MIDI" : name.find('.') != std::string::npos ? "BITMAP" : "TEXT";
        ASSERT_EQ(platform::LoadResourceOrFile(type, name, medium), platform::FileStatus::kRead) << name;
        EXPECT_EQ(std::string(medium.bytes.begin(), medium.bytes.end()), content) << name;
    }
    platform::SetDataFolder("");
    ASSERT_EQ(platform::LoadResourceOrFile("MIDI", "BGM0", medium), platform::FileStatus::kRead);
    EXPECT_EQ(std::string(medium.bytes.begin(), medium.bytes.end()), "built in");
}
