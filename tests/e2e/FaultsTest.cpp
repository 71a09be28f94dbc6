// The whole program against bad data and a cluttered working directory. pelloro-bare is the program
// without the scene text and the difficulty table among its resources, so it reads "toybox" and
// "dificulty" from the folder it runs in; each malformed text must either play or be refused with
// its message and status 1, never crash, trip a sanitizer or hang.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "game/Names.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kTimeoutSeconds = 120;  // a sanitized run of a few hundred frames takes a few seconds

struct Outcome {
    bool exited = false;
    int status = -1;     // exit status when exited
    int signal = 0;      // the signal that ended it otherwise
    bool hung = false;   // killed after kTimeoutSeconds
    std::string errors;  // standard error
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Starts `program` in `dir` with `args`, standard output discarded, standard error kept.
Outcome RunProgram(const std::string& program, const fs::path& dir, const std::vector<std::string>& args) {
    Outcome outcome;
    const fs::path errorsFile = dir / ".stderr";
    // Headless, the program needs no display and no session bus (whose connection a sanitized build
    // would count as a leak of the synthesizer's library).
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
            entry.rfind("DBUS_SESSION_BUS_ADDRESS=", 0) == 0) {
            continue;
        }
        environment.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        const int null = ::open("/dev/null", O_WRONLY);
        const int err = ::open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (null < 0 || err < 0) ::_exit(127);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    if (pid < 0) return outcome;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
    int raw = 0;
    while (true) {
        const pid_t done = ::waitpid(pid, &raw, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw, 0);
            outcome.hung = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!outcome.hung && WIFEXITED(raw)) {
        outcome.exited = true;
        outcome.status = WEXITSTATUS(raw);
    } else if (!outcome.hung && WIFSIGNALED(raw)) {
        outcome.signal = WTERMSIG(raw);
    }
    outcome.errors = ReadFile(errorsFile);
    fs::remove(errorsFile);
    return outcome;
}

bool HasLine(const std::string& text, const std::string& line) {
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l)) {
        if (l == line) return true;
    }
    return false;
}

bool SanitizerSpoke(const std::string& errors) {
    return errors.find("Sanitizer") != std::string::npos || errors.find("runtime error:") != std::string::npos;
}

class TempDir {
public:
    explicit TempDir(const std::string& tag) {
        path_ = fs::temp_directory_path() / ("pelloro-faults-" + std::to_string(::getpid()) + "-" + tag);
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// --- editing the record texts ----------------------------------------------------------------
// Both texts are CR LF lines; a record runs from a "{" line to a "}" line.

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l;
    return text;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',') {
            if (!field.empty()) fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty()) fields.push_back(field);
    return fields;
}

// [first, last] line indices of the record whose "name" is `name`; both -1 when there is none.
std::pair<int, int> FindRecord(const std::vector<std::string>& lines, const std::string& name) {
    int open = -1;
    bool match = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const std::vector<std::string> f = Fields(lines[static_cast<std::size_t>(i)]);
        if (f.empty()) continue;
        if (f[0] == "{") {
            open = i;
            match = false;
        } else if (f[0] == "}") {
            if (open >= 0 && match) return {open, i};
            open = -1;
        } else if (open >= 0 && f.size() >= 2 && f[0] == "name" && f[1] == name) {
            match = true;
        }
    }
    return {-1, -1};
}

std::string WithoutRecord(const std::string& text, const std::string& name) {
    std::vector<std::string> lines = Lines(text);
    const auto [first, last] = FindRecord(lines, name);
    EXPECT_GE(first, 0) << "no record " << name;
    if (first < 0) return text;
    lines.erase(lines.begin() + first, lines.begin() + last + 1);
    return Join(lines);
}

// Sets `key` of record `name` to `value` (the line is added when the record lacks it); an empty
// value removes the line.
std::string WithEntry(const std::string& text, const std::string& name, const std::string& key,
                      const std::string& value) {
    std::vector<std::string> lines = Lines(text);
    const auto [first, last] = FindRecord(lines, name);
    EXPECT_GE(first, 0) << "no record " << name;
    if (first < 0) return text;
    const std::string line = "\t" + key + "\t\t" + value + "\r\n";
    for (int i = first + 1; i < last; ++i) {
        const std::vector<std::string> f = Fields(lines[static_cast<std::size_t>(i)]);
        if (!f.empty() && f[0] == key) {
            if (value.empty()) {
                lines.erase(lines.begin() + i);
            } else {
                lines[static_cast<std::size_t>(i)] = line;
            }
            return Join(lines);
        }
    }
    if (!value.empty()) lines.insert(lines.begin() + last, line);
    return Join(lines);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string Junk(std::size_t size, std::uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

// --- the cases -------------------------------------------------------------------------------

struct Texts {
    std::string toybox;
    std::string dificulty;
};

struct BadText {
    const char* label;
    const char* file;  // "toybox" or "dificulty": the one this case spoils
    std::function<std::string(const Texts&)> make;
    std::string refusal;  // the message it is refused with; empty when the game plays on
};

const std::string kDb = "難易度データ";
// A block still open at the end of the text: the load runs past the last line, whose index the
// message names.
const std::string kPastTheEnd = "(past the end)";

// Lines as the reader splits them: at CR LF, a lone CR or a lone LF; a zero byte ends the text.
int LineCount(const std::string& text) {
    int lines = 0;
    bool open = false;
    for (std::size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++lines;
            open = false;
        } else {
            open = true;
        }
    }
    return lines + (open ? 1 : 0);
}
std::string MissingToy(const std::string& className, const std::string& shown) {
    return "場面データに " + className + " \"" + shown + "\" がありません";
}

std::vector<BadText> Cases() {
    const std::string name(kDifficultyName);
    auto lv = [](int i) { return "lv" + std::to_string(i); };
    return {
        // The difficulty table.
        {"empty difficulty", "dificulty", [](const Texts&) { return std::string(); }, kDb + " のブロックがありません"},
        {"only an opening brace", "dificulty", [](const Texts&) { return std::string("{\r\n"); }, kPastTheEnd},
        {"difficulty cut after its max line", "dificulty",
         [](const Texts& t) { return t.dificulty.substr(0, t.dificulty.find("start")); }, kPastTheEnd},
        {"difficulty cut in the middle of the rows", "dificulty",
         [](const Texts& t) { return t.dificulty.substr(0, t.dificulty.find("lv26")); }, kPastTheEnd},
        {"difficulty without its closing brace", "dificulty",
         [](const Texts& t) { return t.dificulty.substr(0, t.dificulty.rfind('}')); }, kPastTheEnd},
        {"difficulty block without a name", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "name", ""); }, kDb + " のブロックがありません"},
        {"difficulty block under another name", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "name", "nandoido"); },
         kDb + " のブロックがありません"},
        {"max 0", "dificulty", [name](const Texts& t) { return WithEntry(t.dificulty, name, "max", "0"); },
         kDb + ": max が 0 です"},
        {"max negative", "dificulty", [name](const Texts& t) { return WithEntry(t.dificulty, name, "max", "-5"); },
         kDb + ": max が -5 です"},
        {"max missing", "dificulty", [name](const Texts& t) { return WithEntry(t.dificulty, name, "max", ""); },
         kDb + ": max が 0 です"},
        {"max not a number", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "max", "5-0"); }, "'5-0' は整数ではありません"},
        {"max past the rows", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "max", "51"); },
         kDb + ": lv の行が max (51) に足りません (50)"},
        {"max the largest integer", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "max", "2147483647"); },
         kDb + ": lv の行が max (2147483647) に足りません (50)"},
        {"max beyond 32 bits", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "max", "99999999999999999999"); },
         "'99999999999999999999' は整数ではありません"},
        {"max 1 plays the first row only", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "max", "1"); }, ""},
        {"start negative", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "start", "-1"); }, kDb + ": start が -1 です"},
        {"start past max holds the last row", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "start", "100"); }, ""},
        {"start not a number", "dificulty",
         [name](const Texts& t) { return WithEntry(t.dificulty, name, "start", "1--"); }, "'1--' は整数ではありません"},
        {"a row with a word in it", "dificulty",
         [name, lv](const Texts& t) { return WithEntry(t.dificulty, name, lv(1), "2, 2-, 3, 45"); },
         "'2-' は整数ではありません"},
        {"a negative count", "dificulty",
         [name, lv](const Texts& t) { return WithEntry(t.dificulty, name, lv(1), "-1, 2, 3, 45"); },
         kDb + ": 1 行目 (lv1) の個数 -1 が 0 … 8 の外です"},
        {"more nuts than there are", "dificulty",
         [name, lv](const Texts& t) { return WithEntry(t.dificulty, name, lv(3), "9, 9, 4, 30"); },
         kDb + ": 3 行目 (lv3) の個数 9 が 0 … 8 の外です"},
        {"a huge fall count", "dificulty",
         [name, lv](const Texts& t) { return WithEntry(t.dificulty, name, lv(2), "2, 100000, 3, 35"); },
         kDb + ": 2 行目 (lv2) の落下数 100000 が 0 … 8 の外です"},
        {"too many kinds", "dificulty",
         [name, lv](const Texts& t) { return WithEntry(t.dificulty, name, lv(1), "2, 2, 1000, 45"); },
         kDb + ": 1 行目 (lv1) の種類数 1000 が 0 … 8 の外です"},
        {"a time past any clock", "dificulty",
         [name, lv](const Texts& t) { return WithEntry(t.dificulty, name, lv(1), "2, 2, 3, 2147483647"); },
         kDb + ": 1 行目 (lv1) の時間（秒） 2147483647 が 0 … 2147483 の外です"},
        {"rows of zeros", "dificulty",
         [name, lv](const Texts& t) {
             std::string text = t.dificulty;
             for (int i = 1; i <= 5; ++i) text = WithEntry(text, name, lv(i), "0, 0, 0, 0");
             return text;
         },
         ""},
        {"rows with too few values", "dificulty",
         [name, lv](const Texts& t) {
             std::string text = t.dificulty;
             for (int i = 1; i <= 5; ++i) text = WithEntry(text, name, lv(i), "2");
             return text;
         },
         ""},
        {"a row of floats", "dificulty",
         [name, lv](const Texts& t) { return WithEntry(t.dificulty, name, lv(1), "2.0, 2.0, 3.0, 45.0"); },
         kDb + ": 1 行目 (lv1) の個数 1073741824 が 0 … 8 の外です"},
        {"a row of text", "dificulty",
         [name, lv](const Texts& t) { return WithEntry(t.dificulty, name, lv(1), "many"); },
         // "many" is read as the little-endian integer 0x796E616D.
         kDb + ": 1 行目 (lv1) の個数 2037277037 が 0 … 8 の外です"},
        {"LF line ends", "dificulty",
         [](const Texts& t) {
             std::string text;
             for (char c : t.dificulty) {
                 if (c != '\r') text += c;
             }
             return text;
         },
         ""},
        {"a zero byte before the rows", "dificulty",
         [](const Texts& t) { return Replace(t.dificulty, "lv1", std::string("\0lv1", 4)); }, kPastTheEnd},
        {"binary junk for a difficulty", "dificulty", [](const Texts&) { return Junk(4096, 7); },
         kDb + " のブロックがありません"},
        {"a line of a hundred thousand bytes", "dificulty",
         [](const Texts& t) { return Replace(t.dificulty, "start", std::string(100000, 'x') + "\r\n\tstart"); }, ""},

        // The scene text.
        {"empty scene", "toybox", [](const Texts&) { return std::string(); }, MissingToy("Player", "player0")},
        {"scene cut in half", "toybox", [](const Texts& t) { return t.toybox.substr(0, t.toybox.size() / 2); },
         kPastTheEnd},
        {"scene without its closing brace", "toybox",
         [](const Texts& t) { return t.toybox.substr(0, t.toybox.rfind('}')); }, kPastTheEnd},
        {"scene of unterminated blocks", "toybox",
         [](const Texts& t) {
             std::string text;
             for (char c : t.toybox) {
                 if (c != '}') text += c;
             }
             return text;
         },
         kPastTheEnd},
        {"no squirrel", "toybox", [](const Texts& t) { return WithoutRecord(t.toybox, kPlayer); },
         MissingToy("Player", "player0")},
        {"a nut short", "toybox", [](const Texts& t) { return WithoutRecord(t.toybox, "kinomi7"); },
         MissingToy("Picture", "kinomi7")},
        {"no shadow for the first nut", "toybox", [](const Texts& t) { return WithoutRecord(t.toybox, "shadow0"); },
         MissingToy("Picture", "shadow0")},
        {"no score", "toybox", [](const Texts& t) { return WithoutRecord(t.toybox, kScore); },
         MissingToy("Number", "スコア")},
        {"no walking animation", "toybox", [](const Texts& t) { return WithoutRecord(t.toybox, kWalkLeft); },
         MissingToy("Anime", "左歩き")},
        {"the squirrel's image gone", "toybox", [](const Texts& t) { return WithoutRecord(t.toybox, kSquirrel); },
         ""},
        {"a bitmap that is nowhere", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, kBackground, "fileName", "nowhere"); }, ""},
        {"a resource folder that is nowhere", "toybox",
         [](const Texts& t) { return Replace(t.toybox, "chdir\t\tResource", "chdir\t\tnowhere/at/all"); }, ""},
        {"a frame of a million cells", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, "frame0", "cellNum", "1000000"); }, ""},
        {"a frame of negative cells", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, "frame4", "cellNum", "-3"); }, ""},
        {"cells past the image", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, "frame4", "cell", "-36, -32, 100000"); }, ""},
        {"an animation of two billion frames", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, kWalkRight, "seqNum", "2147483647"); }, ""},
        {"an image of zero cells", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, kNuts, "size", "0, 0"); }, ""},
        {"an image of negative cells", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, kDigits, "size", "-16, -16"); }, ""},
        {"a number from a word", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, kTime, "num", "9x"); }, ""},
        {"a position that is not a number", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, kPlayer, "pos", "160-, 128"); }, "'160-' は整数ではありません"},
        {"a position far off the field", "toybox",
         [](const Texts& t) { return WithEntry(t.toybox, kPlayer, "pos", "-2147483648, 2147483647"); }, ""},
        {"every record twice", "toybox", [](const Texts& t) { return t.toybox + t.toybox; }, ""},
        {"binary junk for a scene", "toybox", [](const Texts&) { return Junk(8192, 11); },
         MissingToy("Player", "player0")},
    };
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        texts.toybox = ReadFile(fs::path(PELLORO_SOURCE_DIR) / "resources" / "toybox.txt");
        texts.dificulty = ReadFile(fs::path(PELLORO_SOURCE_DIR) / "resources" / "dificulty.txt");
        ASSERT_FALSE(texts.toybox.empty());
        ASSERT_FALSE(texts.dificulty.empty());
    }
    Texts texts;
};

// The attract mode starts a game within the first hundred frames, so the rows and the squirrel's
// animations are all used before the run ends.
const std::vector<std::string> kPlayArgs = {"--headless", "--demo", "--seed", "1", "--frames", "300"};

TEST_F(Faults, BareProgramPlaysTheCommittedTextsFromItsFolder) {
    TempDir dir("committed");
    WriteFile(dir.Path() / "toybox", texts.toybox);
    WriteFile(dir.Path() / "dificulty", texts.dificulty);
    const Outcome o = RunProgram(PELLORO_BARE_PROGRAM, dir.Path(), kPlayArgs);
    EXPECT_TRUE(o.exited && o.status == 0) << o.errors;
    EXPECT_EQ(o.errors, "");
}

TEST_F(Faults, BareProgramWithoutTheTextsSaysTheFileIsMissing) {
    TempDir dir("missing");
    Outcome o = RunProgram(PELLORO_BARE_PROGRAM, dir.Path(), kPlayArgs);
    EXPECT_TRUE(o.exited && o.status == 1) << o.errors;
    EXPECT_TRUE(HasLine(o.errors, "pelloro: TTexDb : ファイルがありません")) << o.errors;

    // The difficulty is there, the scene is a folder: still no file to read.
    WriteFile(dir.Path() / "dificulty", texts.dificulty);
    fs::create_directory(dir.Path() / "toybox");
    o = RunProgram(PELLORO_BARE_PROGRAM, dir.Path(), kPlayArgs);
    EXPECT_TRUE(o.exited && o.status == 1) << o.errors;
    EXPECT_TRUE(HasLine(o.errors, "pelloro: TTexDb : ファイルがありません")) << o.errors;
}

TEST_F(Faults, AMissingTextIsTheOnlyThingReportedEvenWithAScreenshotAsked) {
    TempDir dir("missing-shot");
    std::vector<std::string> args = kPlayArgs;
    args.insert(args.end(), {"--screenshot", "shot.bmp"});
    const Outcome o = RunProgram(PELLORO_BARE_PROGRAM, dir.Path(), args);
    EXPECT_TRUE(o.exited && o.status == 1) << o.errors;
    const std::string where = (dir.Path() / "dificulty").string();
    EXPECT_EQ(o.errors, "pelloro: TTexDb : ファイルがありません\n"
                        "pelloro: the text 'dificulty' is not built into the program and the file " + where +
                            " is missing\n");
    EXPECT_FALSE(fs::exists(dir.Path() / "shot.bmp"));
}

TEST_F(Faults, MalformedTextsPlayOrAreRefusedWithTheirMessage) {
    const std::vector<BadText> cases = Cases();
    EXPECT_GE(cases.size(), 50u);
    int index = 0;
    for (const BadText& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir("case" + std::to_string(index++));
        Texts t = texts;
        std::string& spoilt = std::string(c.file) == "toybox" ? t.toybox : t.dificulty;
        spoilt = c.make(texts);
        const std::string refusal =
            c.refusal == kPastTheEnd
                ? "リストのインデックスが範囲を超えています (" + std::to_string(LineCount(spoilt)) + ")"
                : c.refusal;
        WriteFile(dir.Path() / "toybox", t.toybox);
        WriteFile(dir.Path() / "dificulty", t.dificulty);
        const Outcome o = RunProgram(PELLORO_BARE_PROGRAM, dir.Path(), kPlayArgs);
        ASSERT_FALSE(o.hung) << "still running after " << kTimeoutSeconds << " s";
        ASSERT_TRUE(o.exited) << "ended by signal " << o.signal << "\n" << o.errors;
        EXPECT_FALSE(SanitizerSpoke(o.errors)) << o.errors;
        if (refusal.empty()) {
            EXPECT_EQ(o.status, 0) << o.errors;
            EXPECT_EQ(o.errors.find("pelloro:"), std::string::npos) << o.errors;
        } else {
            EXPECT_EQ(o.status, 1) << o.errors;
            EXPECT_TRUE(HasLine(o.errors, "pelloro: " + refusal)) << "expected: " << refusal << "\ngot: " << o.errors;
        }
    }
}

// The program's own texts win over files of the same names beside it: the picture is the same.
TEST_F(Faults, JunkFilesNamedLikeTheTextsChangeNothing) {
    TempDir clean("clean"), cluttered("cluttered");
    WriteFile(cluttered.Path() / "toybox", Junk(3000, 3));
    WriteFile(cluttered.Path() / "dificulty", "{\r\n\tname\tnothing\r\n\tmax\t0\r\n}\r\n");
    WriteFile(cluttered.Path() / "toybox.txt", Junk(100, 4));
    fs::create_directory(cluttered.Path() / "Resource");
    std::vector<std::string> args = kPlayArgs;
    args.insert(args.end(), {"--screenshot", "shot.bmp"});
    const Outcome a = RunProgram(PELLORO_PROGRAM, clean.Path(), args);
    const Outcome b = RunProgram(PELLORO_PROGRAM, cluttered.Path(), args);
    ASSERT_TRUE(a.exited && a.status == 0) << a.errors;
    ASSERT_TRUE(b.exited && b.status == 0) << b.errors;
    const std::string shotA = ReadFile(clean.Path() / "shot.bmp");
    EXPECT_EQ(shotA.size(), 54u + 240u * 960u);
    EXPECT_TRUE(shotA == ReadFile(cluttered.Path() / "shot.bmp"));
}

}  // namespace
