// The game's media as the program carries them: bitmaps, waves, the song, the scene and difficulty
// texts, and that tools/assetgen rebuilds the committed files byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "game/Names.h"
#include "platform/Resources.h"
#include "support/ShippedLevels.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Resource(const std::string& type, const std::string& name) {
    const std::optional<platform::Bytes> found = platform::FindResource(type, name);
    if (!found) return {};
    return Bytes(found->begin(), found->end());
}

std::uint32_t Le16(const Bytes& b, std::size_t at) { return at + 2 <= b.size() ? b[at] | (b[at + 1] << 8) : 0; }
std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return at + 4 <= b.size() ? Le16(b, at) | (Le16(b, at + 2) << 16) : 0;
}
std::uint32_t Be16(const Bytes& b, std::size_t at) { return at + 2 <= b.size() ? (b[at] << 8) | b[at + 1] : 0; }
std::uint32_t Be32(const Bytes& b, std::size_t at) {
    return at + 4 <= b.size() ? (Be16(b, at) << 16) | Be16(b, at + 2) : 0;
}
bool Id(const Bytes& b, std::size_t at, const char* id) {
    return at + 4 <= b.size() && std::equal(id, id + 4, b.begin() + static_cast<long>(at));
}

// ---------------------------------------------------------------------------------------------------
// Bitmaps

struct Bitmap {
    int width = 0, height = 0;
    std::vector<std::uint32_t> palette;  // 0xRRGGBB
    std::vector<std::uint8_t> index;     // top row first
};

// Reads only what the game's bitmaps are meant to be: 8-bit, uncompressed, bottom-up, with a table.
std::optional<Bitmap> ReadBmp8(const Bytes& b, std::string& why) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return why = "not a BMP", std::nullopt;
    const std::uint32_t offset = Le32(b, 10);
    if (Le32(b, 14) != 40) return why = "header is not BITMAPINFOHEADER", std::nullopt;
    Bitmap bmp;
    bmp.width = static_cast<std::int32_t>(Le32(b, 18));
    bmp.height = static_cast<std::int32_t>(Le32(b, 22));
    if (bmp.width <= 0 || bmp.height <= 0) return why = "not bottom-up or empty", std::nullopt;
    if (Le16(b, 26) != 1 || Le16(b, 28) != 8) return why = "not one plane of 8 bits", std::nullopt;
    if (Le32(b, 30) != 0) return why = "compressed", std::nullopt;
    const std::uint32_t colours = Le32(b, 46) ? Le32(b, 46) : 256;
    if (colours > 256 || 54 + colours * 4 > offset) return why = "bad colour table", std::nullopt;
    for (std::uint32_t i = 0; i < colours; ++i) {
        const std::size_t at = 54 + i * 4;
        bmp.palette.push_back((b[at + 2] << 16) | (b[at + 1] << 8) | b[at]);
    }
    const std::size_t stride = (static_cast<std::size_t>(bmp.width) + 3) & ~std::size_t{3};
    if (offset + stride * static_cast<std::size_t>(bmp.height) > b.size()) return why = "pixels cut short", std::nullopt;
    for (int y = 0; y < bmp.height; ++y) {
        const std::size_t row = offset + stride * static_cast<std::size_t>(bmp.height - 1 - y);
        for (int x = 0; x < bmp.width; ++x) bmp.index.push_back(b[row + static_cast<std::size_t>(x)]);
    }
    return bmp;
}

struct BitmapCase {
    const char* name;
    int width, height, cellWidth, cellHeight, cells;
    int usedCells;  // cells the game draws, which must not be empty
};

const BitmapCase kBitmaps[] = {
    {"BG", 320, 240, 320, 240, 1, 1},      {"LEAF", 320, 80, 320, 80, 1, 1},
    {"TITLE", 223, 156, 223, 156, 1, 1},   {"CLEAR", 215, 65, 215, 65, 1, 1},
    {"MISS", 200, 62, 200, 62, 1, 1},      {"GAMEOVER", 209, 70, 209, 70, 1, 1},
    {"CAPTION", 242, 35, 242, 35, 1, 1},   {"SUUJI", 160, 16, 16, 16, 10, 10},
    {"RISU", 256, 256, 64, 64, 16, 12},    {"KINOMI", 128, 64, 32, 32, 8, 8},
    {"BALOON", 192, 96, 192, 96, 1, 1},    {"SHADOW", 32, 32, 32, 32, 1, 1},
    {"PUSHSPC", 285, 35, 285, 35, 1, 1},   {"CURSOR32", 160, 40, 40, 40, 4, 2},
    {"REST", 32, 32, 32, 32, 1, 1},        {"BATSU", 32, 32, 32, 32, 1, 1},
};

class BitmapTest : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapTest, IsAnEightBitBitmapOfTheGivenSizeAndCells) {
    const BitmapCase& c = GetParam();
    std::string why;
    const auto bmp = ReadBmp8(Resource("BITMAP", c.name), why);
    ASSERT_TRUE(bmp) << c.name << ": " << why;
    EXPECT_EQ(bmp->width, c.width);
    EXPECT_EQ(bmp->height, c.height);
    EXPECT_EQ((bmp->width / c.cellWidth) * (bmp->height / c.cellHeight), c.cells);
    ASSERT_FALSE(bmp->palette.empty());
    EXPECT_EQ(bmp->palette[0], 0u) << "entry 0 must be black, the transparent colour";
    std::set<std::uint8_t> used;
    for (std::uint8_t i : bmp->index) {
        ASSERT_LT(i, bmp->palette.size()) << c.name;
        used.insert(i);
    }
    for (std::uint8_t i : used) {
        if (i == 0) continue;
        const std::uint32_t rgb = bmp->palette[i];
        const std::uint32_t r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        // Opaque colours must not become pixel value 0 on a 5-5-5 or 5-6-5 screen.
        EXPECT_NE((r >> 3) | (g >> 3) | (b >> 3), 0u) << c.name << " colour " << std::hex << rgb;
        EXPECT_NE((r >> 3) | (g >> 2) | (b >> 3), 0u) << c.name << " colour " << std::hex << rgb;
    }
    const int columns = bmp->width / c.cellWidth;
    for (int cell = 0; cell < c.usedCells; ++cell) {
        const int x0 = (cell % columns) * c.cellWidth, y0 = (cell / columns) * c.cellHeight;
        int opaque = 0;
        for (int y = y0; y < y0 + c.cellHeight; ++y)
            for (int x = x0; x < x0 + c.cellWidth; ++x) opaque += bmp->index[static_cast<std::size_t>(y * bmp->width + x)] != 0;
        EXPECT_GT(opaque, 0) << c.name << " cell " << cell << " is empty";
    }
}

INSTANTIATE_TEST_SUITE_P(Media, BitmapTest, ::testing::ValuesIn(kBitmaps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Bitmaps, TitleKeepsWithinTwoHundredFortyNineColours) {
    std::string why;
    const auto bmp = ReadBmp8(Resource("BITMAP", "TITLE"), why);
    ASSERT_TRUE(bmp) << why;
    std::set<std::uint8_t> used(bmp->index.begin(), bmp->index.end());
    used.erase(0);
    EXPECT_LE(used.size(), 249u);
}

// Frame k draws cell k with its top left at the anchor plus the frame's offset, so the anchor falls
// at (-offset) inside the cell; it must be where the squirrel's feet are.
TEST(Bitmaps, SquirrelFeetSitOnEachFrameAnchor) {
    std::string why;
    const auto bmp = ReadBmp8(Resource("BITMAP", "RISU"), why);
    ASSERT_TRUE(bmp) << why;
    const int offsets[12][2] = {{-20, -40}, {-44, -40}, {-22, -40}, {-32, -34}, {-36, -32}, {-36, -32},
                                {-28, -32}, {-28, -32}, {-32, -32}, {-32, -32}, {-32, -32}, {-32, -32}};
    for (int cell = 0; cell < 12; ++cell) {
        const int x0 = (cell % 4) * 64, y0 = (cell / 4) * 64;
        const int ax = -offsets[cell][0], ay = -offsets[cell][1];
        int lowest = -1;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (bmp->index[static_cast<std::size_t>((y0 + y) * 256 + x0 + x)]) lowest = y;
        EXPECT_GE(lowest, ay - 1) << "cell " << cell << ": feet above the anchor";
        EXPECT_LE(lowest, ay + 2) << "cell " << cell << ": feet below the anchor";
        // The feet: the opaque pixels of the lowest three rows, centred on the anchor.
        int sum = 0, count = 0;
        for (int y = lowest - 2; y <= lowest; ++y)
            for (int x = 0; x < 64; ++x)
                if (bmp->index[static_cast<std::size_t>((y0 + y) * 256 + x0 + x)]) sum += x, ++count;
        ASSERT_GT(count, 0);
        EXPECT_NEAR(static_cast<double>(sum) / count, ax, 4.5) << "cell " << cell;
    }
}

// ---------------------------------------------------------------------------------------------------
// Waves

struct WaveCase {
    const char* name;
    std::uint32_t fmtSize;
    int channels, bits;
    bool fact;
    std::uint32_t dataSize;
    bool loops;  // restarted back to back, so it must begin and end in silence
};

const WaveCase kWaves[] = {
    {"GET", 18, 1, 8, false, 6615, false},
    {"WALK", 16, 2, 16, true, 62572, true},
    {"MISS", 16, 2, 16, true, 198276, false},
};

class WaveTest : public ::testing::TestWithParam<WaveCase> {};

TEST_P(WaveTest, HasTheGivenFormatChunksAndLevel) {
    const WaveCase& c = GetParam();
    const Bytes w = Resource("WAVE", c.name);
    ASSERT_GE(w.size(), 12u) << c.name;
    ASSERT_TRUE(Id(w, 0, "RIFF") && Id(w, 8, "WAVE"));
    EXPECT_EQ(Le32(w, 4), w.size() - 8);
    std::vector<std::string> order;
    std::size_t pos = 12, fmt = 0, data = 0;
    std::uint32_t dataSize = 0, factValue = 0;
    while (pos + 8 <= w.size()) {
        const std::string id(w.begin() + static_cast<long>(pos), w.begin() + static_cast<long>(pos + 4));
        const std::uint32_t size = Le32(w, pos + 4);
        order.push_back(id);
        ASSERT_LE(pos + 8 + size, w.size()) << id << " runs past the end";
        if (id == "fmt ") {
            EXPECT_EQ(size, c.fmtSize);
            fmt = pos + 8;
        } else if (id == "fact") {
            EXPECT_EQ(size, 4u);
            factValue = Le32(w, pos + 8);
        } else if (id == "data") {
            data = pos + 8;
            dataSize = size;
        }
        pos += 8 + size;
    }
    const std::vector<std::string> expected =
        c.fact ? std::vector<std::string>{"fmt ", "fact", "data"} : std::vector<std::string>{"fmt ", "data"};
    EXPECT_EQ(order, expected);
    ASSERT_NE(fmt, 0u);
    ASSERT_NE(data, 0u);
    const int block = c.channels * c.bits / 8;
    EXPECT_EQ(Le16(w, fmt), 1u);  // PCM
    EXPECT_EQ(Le16(w, fmt + 2), static_cast<std::uint32_t>(c.channels));
    EXPECT_EQ(Le32(w, fmt + 4), 22050u);
    EXPECT_EQ(Le32(w, fmt + 8), static_cast<std::uint32_t>(22050 * block));
    EXPECT_EQ(Le16(w, fmt + 12), static_cast<std::uint32_t>(block));
    EXPECT_EQ(Le16(w, fmt + 14), static_cast<std::uint32_t>(c.bits));
    if (c.fmtSize == 18) {
        EXPECT_EQ(Le16(w, fmt + 16), 0u);
    }
    EXPECT_EQ(dataSize, c.dataSize);
    if (c.fact) {
        EXPECT_EQ(factValue, c.dataSize / static_cast<std::uint32_t>(block));
    }

    // Level: the loudest sample between -3 and -1 dBFS, so nothing clips and nothing is timid.
    std::vector<double> samples;
    for (std::size_t at = data; at + c.bits / 8 <= data + dataSize; at += c.bits / 8)
        samples.push_back(c.bits == 8 ? (static_cast<int>(w[at]) - 128) / 128.0
                                      : static_cast<std::int16_t>(Le16(w, at)) / 32768.0);
    double peak = 0;
    for (double s : samples) peak = std::max(peak, std::fabs(s));
    EXPECT_GE(peak, 0.707) << c.name;
    EXPECT_LE(peak, 0.892) << c.name;
    if (c.loops) {
        for (int ch = 0; ch < c.channels; ++ch) {
            EXPECT_NEAR(samples[static_cast<std::size_t>(ch)], 0.0, 1e-4) << "first frame, channel " << ch;
            EXPECT_NEAR(samples[samples.size() - static_cast<std::size_t>(c.channels - ch)], 0.0, 1e-4)
                << "last frame, channel " << ch;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Media, WaveTest, ::testing::ValuesIn(kWaves),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------
// The song

struct MidiEvent {
    std::uint32_t tick;
    std::uint8_t status;
    std::vector<std::uint8_t> data;  // channel data bytes, or for meta events the type then the payload
};

bool ReadVar(const Bytes& b, std::size_t& pos, std::size_t end, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= end) return false;
        const std::uint8_t c = b[pos++];
        value = (value << 7) | (c & 0x7F);
        if (!(c & 0x80)) return true;
    }
    return false;
}

bool ReadTrack(const Bytes& b, std::size_t pos, std::size_t end, std::vector<MidiEvent>& events) {
    std::uint32_t tick = 0;
    std::uint8_t running = 0;
    while (pos < end) {
        std::uint32_t delta;
        if (!ReadVar(b, pos, end, delta) || pos >= end) return false;
        tick += delta;
        std::uint8_t status = b[pos];
        if (status == 0xFF) {
            if (pos + 2 > end) return false;
            const std::uint8_t type = b[pos + 1];
            pos += 2;
            std::uint32_t length;
            if (!ReadVar(b, pos, end, length) || pos + length > end) return false;
            MidiEvent e{tick, 0xFF, {type}};
            e.data.insert(e.data.end(), b.begin() + static_cast<long>(pos), b.begin() + static_cast<long>(pos + length));
            events.push_back(e);
            pos += length;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) return false;  // the song needs no system exclusive
        if (status & 0x80) {
            running = status;
            ++pos;
        } else if (!running) {
            return false;
        }
        const int count = ((running & 0xF0) == 0xC0 || (running & 0xF0) == 0xD0) ? 1 : 2;
        if (pos + static_cast<std::size_t>(count) > end) return false;
        events.push_back({tick, running, std::vector<std::uint8_t>(b.begin() + static_cast<long>(pos),
                                                                   b.begin() + static_cast<long>(pos) + count)});
        pos += static_cast<std::size_t>(count);
    }
    return true;
}

TEST(Song, IsAFormatZeroFileWithTheGameInstrumentsAndASeamlessEnd) {
    const Bytes m = Resource("MIDI", "BGM0");
    ASSERT_GE(m.size(), 22u);
    ASSERT_TRUE(Id(m, 0, "MThd"));
    EXPECT_EQ(Be32(m, 4), 6u);
    EXPECT_EQ(Be16(m, 8), 0u);    // format 0
    EXPECT_EQ(Be16(m, 10), 1u);   // one track
    EXPECT_EQ(Be16(m, 12), 480u); // ticks per quarter
    ASSERT_TRUE(Id(m, 14, "MTrk"));
    const std::uint32_t length = Be32(m, 18);
    ASSERT_EQ(22 + length, m.size());
    std::vector<MidiEvent> events;
    ASSERT_TRUE(ReadTrack(m, 22, m.size(), events));
    ASSERT_FALSE(events.empty());

    bool timeSignature = false, tempo = false;
    std::map<std::pair<int, std::uint32_t>, int> bankSelects;  // (channel, tick) -> controllers 0 and 32 seen
    std::map<int, int> programs;
    std::map<int, int> notesPerChannel;
    std::map<std::pair<int, int>, int> sounding;
    for (const MidiEvent& e : events) {
        if (e.status == 0xFF) {
            if (e.data[0] == 0x58 && e.tick == 0) timeSignature = e.data.size() >= 3 && e.data[1] == 4 && e.data[2] == 2;
            if (e.data[0] == 0x51 && e.tick == 0)
                tempo = e.data.size() == 4 && ((e.data[1] << 16) | (e.data[2] << 8) | e.data[3]) == 500000;
            EXPECT_NE(e.data[0], 0x07) << "a cue point would turn the whole-song loop into a partial one";
            continue;
        }
        const int channel = e.status & 0x0F, kind = e.status & 0xF0;
        EXPECT_NE(channel, 9) << "the percussion channel is not one of the song's instruments";
        if (kind == 0xB0 && (e.data[0] == 0 || e.data[0] == 32)) {
            EXPECT_EQ(e.data[1], 0);
            bankSelects[{channel, e.tick}] |= e.data[0] == 0 ? 1 : 2;
        } else if (kind == 0xC0) {
            EXPECT_EQ(e.tick, 10u);
            programs[channel] = e.data[0];
        } else if (kind == 0x90 && e.data[1] > 0) {
            EXPECT_GE(e.tick, 10u) << "a note before its instrument is chosen";
            ++notesPerChannel[channel];
            EXPECT_EQ(sounding[std::make_pair(channel, int(e.data[0]))]++, 0) << "note " << int(e.data[0]) << " struck twice";
        } else if (kind == 0x80 || kind == 0x90) {
            EXPECT_EQ(sounding[std::make_pair(channel, int(e.data[0]))]--, 1)
                << "note " << int(e.data[0]) << " released but not held";
        }
    }
    EXPECT_TRUE(timeSignature);
    EXPECT_TRUE(tempo);
    ASSERT_EQ(programs.size(), 3u);
    std::vector<int> channels, instruments;
    for (const auto& [ch, program] : programs) channels.push_back(ch), instruments.push_back(program);
    EXPECT_TRUE(channels == (std::vector<int>{0, 1, 2}) || channels == (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(instruments, (std::vector<int>{12, 79, 8}));
    for (int ch : channels) {
        EXPECT_EQ((bankSelects[{ch, 0}]), 3) << "channel " << ch << " at tick 0";
        EXPECT_EQ((bankSelects[{ch, 5}]), 3) << "channel " << ch << " at tick 5";
        EXPECT_GT(notesPerChannel[ch], 16) << "channel " << ch;
    }
    for (const auto& [key, held] : sounding) EXPECT_EQ(held, 0) << "note " << key.second << " still sounds at the end";

    const MidiEvent& last = events.back();
    ASSERT_EQ(last.status, 0xFF);
    EXPECT_EQ(last.data, (std::vector<std::uint8_t>{0x2F}));
    EXPECT_EQ(last.tick % 1920, 0u) << "the loop must turn on a bar line";
    for (const MidiEvent& e : events) EXPECT_LE(e.tick, last.tick);
    const double seconds = last.tick / 960.0;  // 120 beats a minute
    EXPECT_GE(seconds, 25.0);
    EXPECT_LE(seconds, 35.0);
}

// ---------------------------------------------------------------------------------------------------
// Texts

std::vector<std::string> Lines(const Bytes& text, bool& onlyCrLf) {
    std::vector<std::string> lines;
    onlyCrLf = true;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines.push_back(line);
            line.clear();
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            onlyCrLf = false;
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(text[i]);
        }
    }
    if (!line.empty()) {
        onlyCrLf = false;
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Tokens(const std::string& line) {
    std::vector<std::string> out;
    std::string token;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == ',') {
            if (!token.empty()) out.push_back(token), token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty()) out.push_back(token);
    return out;
}

using Record = std::vector<std::vector<std::string>>;  // entries: key, then value tokens

std::vector<Record> Records(const std::vector<std::string>& lines) {
    std::vector<Record> records;
    bool inside = false;
    for (const std::string& line : lines) {
        if (line == "{") {
            inside = true;
            records.emplace_back();
        } else if (line == "}") {
            inside = false;
        } else if (inside) {
            std::vector<std::string> t = Tokens(line);
            if (t.empty() || t[0][0] == '#') continue;
            records.back().push_back(t);
        }
    }
    return records;
}

std::string Value(const Record& r, const std::string& key) {
    for (const auto& e : r)
        if (e[0] == key) return e.size() > 1 ? e.back() : std::string();
    return {};
}

class SceneText : public ::testing::Test {
protected:
    void SetUp() override {
        text = Resource("TEXT", "toybox");
        ASSERT_FALSE(text.empty());
        lines = Lines(text, onlyCrLf);
        records = Records(lines);
    }
    Bytes text;
    bool onlyCrLf = false;
    std::vector<std::string> lines;
    std::vector<Record> records;
};

TEST_F(SceneText, HoldsEightyRecordsWithCrLfLineEnds) {
    EXPECT_TRUE(onlyCrLf);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "{"), 80);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "}"), 80);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "# ToyBox data");
    for (const char* section : {"# Images", "# Sounds", "# Frame", "# Anime", "# Shapes"})
        EXPECT_EQ(std::count(lines.begin(), lines.end(), section), 1) << section;
    ASSERT_EQ(records.size(), 80u);
    EXPECT_EQ(Value(records[0], "class"), "Command");
    EXPECT_EQ(Value(records[0], "chdir"), "Resource");
}

TEST_F(SceneText, EveryReferenceNamesAnEarlierRecord) {
    std::set<std::pair<std::string, std::string>> defined;  // (class, name)
    int frames = 0, animes = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        const std::string cls = Value(r, "class"), name = Value(r, "name");
        if (const std::string image = Value(r, "imageId"); !image.empty()) {
            EXPECT_TRUE(defined.count({"Image", image})) << "record " << i << " imageId " << image;
        }
        if (const std::string anime = Value(r, "animeId"); !anime.empty()) {
            EXPECT_TRUE(defined.count({"Anime", anime})) << "record " << i << " animeId " << anime;
        }
        if (cls == "Anime") {
            ++animes;
            // The steps are the entries after seqNum.
            auto seq = std::find_if(r.begin(), r.end(), [](const auto& e) { return e[0] == "seqNum"; });
            ASSERT_NE(seq, r.end()) << "record " << i;
            const int steps = std::stoi(seq->at(1));
            EXPECT_EQ(std::distance(seq, r.end()) - 1, steps) << "record " << i;
            for (auto it = seq + 1; it != r.end(); ++it) EXPECT_TRUE(defined.count({"Frame", (*it)[0]})) << (*it)[0];
        }
        if (cls == "Frame") ++frames;
        if (cls == "Image") {
            const Bytes bmp = Resource("BITMAP", Value(r, "fileName"));
            EXPECT_FALSE(bmp.empty()) << "no bitmap " << Value(r, "fileName");
        }
        if (cls == "Sound") {
            EXPECT_FALSE(Resource("WAVE", Value(r, "fileName")).empty()) << Value(r, "fileName");
        }
        defined.insert({cls, name});
    }
    EXPECT_EQ(frames, 14);
    EXPECT_EQ(animes, 9);
}

// The header's names must be the very bytes the scene text uses, each for a toy of the right class.
TEST_F(SceneText, NamesHeaderMatchesTheText) {
    struct Named {
        const char* bytes;
        const char* cls;
    };
    const Named names[] = {
        {kBackground, "Image"}, {kLeaves, "Image"},    {kTitle, "Image"},       {kHeading, "Image"},
        {kDigits, "Image"},     {kSquirrel, "Image"},  {kNuts, "Image"},        {kBalloon, "Image"},
        {kShadow, "Image"},     {kSpacePrompt, "Image"}, {kCursor, "Image"},    {kRemaining, "Image"},
        {kCross, "Image"},      {kSoundTake, "Sound"}, {kSoundWalk, "Sound"},   {kSoundMiss, "Sound"},
        {kFacingLeft, "Anime"}, {kFacingRight, "Anime"}, {kFacingFront, "Anime"}, {kFacingBack, "Anime"},
        {kWalkLeft, "Anime"},   {kWalkRight, "Anime"}, {kWalkBack, "Anime"},    {kWalkFront, "Anime"},
        {kCursor, "Anime"},     {kScore, "Number"},    {kTime, "Number"},       {kLevel, "Number"},
        {kBackground, "Picture"}, {kBalloon, "Picture"},
    };
    for (const Named& n : names) {
        const bool found = std::any_of(records.begin(), records.end(), [&](const Record& r) {
            return Value(r, "class") == n.cls && Value(r, "name") == n.bytes;
        });
        EXPECT_TRUE(found) << n.cls << " named by " << n.bytes;
    }
}

TEST(DifficultyText, RowsAreTheLevelTable) {
    const auto& rows = testlevels::kShippedLevels;
    bool onlyCrLf = false;
    const std::vector<std::string> lines = Lines(Resource("TEXT", "dificulty"), onlyCrLf);
    EXPECT_TRUE(onlyCrLf);
    const std::vector<Record> records = Records(lines);
    ASSERT_EQ(records.size(), 1u);
    const Record& r = records[0];
    ASSERT_EQ(r.size(), 53u);
    const std::vector<std::string> name = {"name", kDifficultyName}, max = {"max", "50"}, start = {"start", "1"};
    EXPECT_EQ(r[0], name);
    EXPECT_EQ(r[1], max);
    EXPECT_EQ(r[2], start);
    for (int level = 0; level < 50; ++level) {
        const std::vector<std::string> want = {"lv" + std::to_string(level + 1), std::to_string(rows[level][0]),
                                               std::to_string(rows[level][1]), std::to_string(rows[level][2]),
                                               std::to_string(rows[level][3])};
        EXPECT_EQ(r[static_cast<std::size_t>(3 + level)], want);
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            "\t" + want[0] + "\t" + want[1] + ", " + want[2] + ", " + want[3] + ", " + want[4]),
                  lines.end())
            << want[0] << " is not written as a tab, the key, a tab and comma-blank separated values";
    }
    // The column comment, in Shift-JIS, after four blanks and a tab: "# 個数, 落下数, 種類数, 時間（秒）".
    const std::string comment =
        "    \t# \x8c\xc2\x90\x94, \x97\x8e\x89\xba\x90\x94, \x8e\xed\x97\xde\x90\x94, \x8e\x9e\x8a\xd4\x81\x69\x95\x62\x81\x6a";
    EXPECT_NE(std::find(lines.begin(), lines.end(), comment), lines.end());
}

// ---------------------------------------------------------------------------------------------------
// Reproducibility

TEST(Assetgen, RebuildsEveryCommittedMediumByteForByte) {
#ifndef PELLORO_ASSETGEN
    GTEST_SKIP() << "assetgen is not built";
#else
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pelloro-assets-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string command = std::string("\"") + PELLORO_ASSETGEN + "\" \"" + dir.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::pair<const char*, const char*> media[] = {
        {"BITMAP", "bg.bmp"},      {"BITMAP", "leaf.bmp"},     {"BITMAP", "title.bmp"},  {"BITMAP", "clear.bmp"},
        {"BITMAP", "miss.bmp"},    {"BITMAP", "gameover.bmp"}, {"BITMAP", "caption.bmp"}, {"BITMAP", "suuji.bmp"},
        {"BITMAP", "risu.bmp"},    {"BITMAP", "kinomi.bmp"},   {"BITMAP", "baloon.bmp"}, {"BITMAP", "shadow.bmp"},
        {"BITMAP", "pushspc.bmp"}, {"BITMAP", "cursor32.bmp"}, {"BITMAP", "rest.bmp"},   {"BITMAP", "batsu.bmp"},
        {"BITMAP", "signfont.bmp"},
        {"WAVE", "get.wav"},       {"WAVE", "walk.wav"},       {"WAVE", "miss.wav"},     {"MIDI", "bgm0.mid"}};
    for (const auto& [type, file] : media) {
        std::vector<std::uint8_t> made;
        ASSERT_TRUE(platform::ReadWholeFile((dir / file).string(), made)) << file;
        const std::string stem = std::filesystem::path(file).stem().string();
        EXPECT_TRUE(made == Resource(type, stem)) << file << " differs from the embedded resource";
        std::vector<std::uint8_t> committed;
        ASSERT_TRUE(platform::ReadWholeFile(std::string(PELLORO_SOURCE_DIR) + "/resources/" + file, committed));
        EXPECT_TRUE(made == committed) << file << " differs from resources/" << file;
    }
    // The browser build's SoundFont is a file beside the resources, not one of them.
    std::vector<std::uint8_t> made, committed;
    ASSERT_TRUE(platform::ReadWholeFile((dir / "pelloro.sf2").string(), made));
    ASSERT_TRUE(platform::ReadWholeFile(std::string(PELLORO_SOURCE_DIR) + "/resources/pelloro.sf2", committed));
    EXPECT_TRUE(made == committed) << "pelloro.sf2 differs from resources/pelloro.sf2";
    std::filesystem::remove_all(dir);
#endif
}

}  // namespace
