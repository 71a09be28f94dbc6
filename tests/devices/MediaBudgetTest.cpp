// Scenes of tiny files that declare huge media (tests/inputs/budget/): a file several records name is
// decoded once, and past a device's total the rest are refused, each with one line naming the file,
// while the device goes on working.
#include "devices/MediaBudget.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "devices/Vekdraw.h"
#include "devices/Veksound.h"
#include "platform/AudioOutput.h"

namespace {

namespace fs = std::filesystem;

struct Loader {
    virtual ~Loader() = default;
    virtual bool Load(const std::string& name, const std::string& file) = 0;
    virtual bool Unload(const std::string& name) = 0;  // false when the device cannot free one record
    virtual int Records() const = 0;                   // how many records the device may hold at most
};

struct PictureLoader : Loader {
    PictureLoader() { EXPECT_TRUE(draw.InitHeadless(TPixelFormat::kXrgb32, 320, 240)); }
    bool Load(const std::string& name, const std::string& file) override { return draw.CreateSprite(name, file, 0, 0); }
    bool Unload(const std::string& name) override { return draw.DeleteSprite(name); }
    int Records() const override { return 16; }
    TVekDraw draw;
};

struct SoundLoader : Loader {
    SoundLoader() { EXPECT_TRUE(sound.Init(output.get())); }
    ~SoundLoader() override { sound.ReleaseAll(); }
    bool Load(const std::string& name, const std::string& file) override { return sound.CreateBuffer(name, file); }
    bool Unload(const std::string&) override { return false; }
    int Records() const override { return TVekSound::kSlots; }
    std::unique_ptr<platform::AudioOutput> output = platform::AudioOutput::OpenOffline(22050, 16, true);
    TVekSound sound;
};

TEST(MediaBudget, AFileManyRecordsNameIsDecodedOnceAndTheTotalRefusesTheRest) {
    const fs::path inputs = fs::path(PELLORO_SOURCE_DIR) / "tests/inputs/budget";
    std::ifstream expected(inputs / "expected.txt");
    ASSERT_TRUE(expected) << "tests/inputs/budget/expected.txt is missing";
    const fs::path folder = fs::temp_directory_path() / ("pelloro-budget-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    int cases = 0;
    for (std::string line; std::getline(expected, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string file, device;
        int copiesThatFit = 0;
        ASSERT_TRUE(fields >> file >> device >> copiesThatFit) << line;
        SCOPED_TRACE(file);
        ++cases;
        std::unique_ptr<Loader> loader;
        if (device == "picture") loader = std::make_unique<PictureLoader>();
        else loader = std::make_unique<SoundLoader>();
        // Every record but the copies' names the one file.
        const int shared = loader->Records() - copiesThatFit - 1;
        for (int i = 0; i < shared; ++i)
            ASSERT_TRUE(loader->Load("same" + std::to_string(i), (inputs / file).string())) << "record " << i;
        std::vector<std::string> copies;
        for (int i = 0; i <= copiesThatFit; ++i) {
            copies.push_back((folder / ("copy" + std::to_string(i) + "-" + file)).string());
            fs::copy_file(inputs / file, copies.back(), fs::copy_options::overwrite_existing);
        }
        for (int i = 0; i < copiesThatFit; ++i) EXPECT_TRUE(loader->Load("copy" + std::to_string(i), copies[i]));
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(loader->Load("over", copies.back()));
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(copies.back()), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
        if (device == "picture") {
            // Refused from its headers alone: a copy whose last run is broken is turned away by the
            // total as well, where decoding it first would have found it broken and said nothing.
            std::string bytes(std::istreambuf_iterator<char>(std::ifstream(inputs / file, std::ios::binary).rdbuf()), {});
            bytes.back() = '\x03';  // the end mark becomes a run of three pixels that are not there
            const fs::path broken = folder / ("broken-" + file);
            std::ofstream(broken, std::ios::binary) << bytes;
            ::testing::internal::CaptureStderr();
            EXPECT_FALSE(loader->Load("broken", broken.string()));
            EXPECT_NE(::testing::internal::GetCapturedStderr().find(broken.string()), std::string::npos);
        }
        // What is freed is given back, but only once the last record sharing it has gone.
        if (loader->Unload("copy0")) {
            EXPECT_TRUE(loader->Load("over", copies.back()));
            for (int i = 1; i < shared; ++i) ASSERT_TRUE(loader->Unload("same" + std::to_string(i)));
            EXPECT_FALSE(loader->Load("copy0", copies[0]));
            ASSERT_TRUE(loader->Unload("same0"));
            EXPECT_TRUE(loader->Load("copy0", copies[0]));
        }
    }
    EXPECT_EQ(cases, 2);
    fs::remove_all(folder);
}

}  // namespace
