#pragma once
// The game run end to end over the headless main window: real toy box, real devices on an offline
// audio output, keys set on the scripted input; and a player of the test's own that walks the
// squirrel to a nut with the arrow keys.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/Toybox.h"
#include "game/Gamemain.h"
#include "game/Names.h"
#include "platform/Keycodes.h"
#include "platform/Resources.h"
#include "shell/Mainunit.h"
#include "toys/Toyanime.h"
#include "toys/Toynumber.h"
#include "toys/Toypicture.h"
#include "toys/Toyplayer.h"

namespace gametest {

// The program's resources with another difficulty text in front of its own.
class DifficultyOverride {
public:
    explicit DifficultyOverride(std::string text) : bytes(std::move(text)) {
        bytes.push_back('\0');
        entries.push_back({"TEXT", "DIFICULTY", reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size() - 1});
        const platform::ResourceTable& program = platform::kProgramResourceTable;
        entries.insert(entries.end(), program.entries, program.entries + program.count);
        table = {entries.data(), entries.size()};
        platform::SetResourceTable(&table);
    }
    ~DifficultyOverride() { platform::SetResourceTable(nullptr); }
    DifficultyOverride(const DifficultyOverride&) = delete;
    DifficultyOverride& operator=(const DifficultyOverride&) = delete;

private:
    std::string bytes;
    std::vector<platform::ResourceEntry> entries;
    platform::ResourceTable table{};
};

// A difficulty record with these rows ("count, fall, kinds, seconds" each) and this start.
inline std::string DifficultyText(const std::vector<std::string>& rows, int start) {
    std::string text = "{\r\n\tname\t" + std::string(kDifficultyName) + "\r\n\tmax\t" + std::to_string(rows.size()) +
                       "\r\n\tstart\t" + std::to_string(start) + "\r\n";
    int n = 1;
    for (const std::string& row : rows) text += "\tlv" + std::to_string(n++) + "\t" + row + "\r\n";
    return text + "}\r\n";
}

// The shipped record with another start.
inline std::string ShippedDifficultyWithStart(int start) {
    const auto bytes = platform::FindResource("TEXT", "DIFICULTY");
    if (!bytes) return {};
    std::string text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    const std::string from = "\tstart\t1\r\n";
    const auto at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), "\tstart\t" + std::to_string(start) + "\r\n");
    return text;
}

struct Point {
    int x;
    int y;
};

class GameRun {
public:
    explicit GameRun(std::optional<std::uint32_t> seed = 20240601u) {
        SDL_Init(0);
        TMainOptions options;
        options.test.headless = true;
        options.player.seed = seed;
        form = std::make_unique<TMainForm>(options);
    }

    TMainForm& Form() { return *form; }
    TGameMainMode* Game() const { return form->MainMode(); }
    // The game, or an exception the test reports, when it was not made.
    TGameMainMode& G() const {
        TGameMainMode* game = Game();
        if (game == nullptr) throw std::runtime_error("no game: " + form->FrameError());
        return *game;
    }

    // Runs one frame; false (and a test failure) when the frame reported an error.
    bool Frame() {
        const bool ok = form->RunHeadlessFrame();
        EXPECT_TRUE(ok) << form->FrameError();
        return ok;
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            if (!Frame()) return;
        }
    }
    void Hold(int code, bool down) { form->Script().SetKey(code, down); }
    void ReleaseAll() { form->Script().ReleaseAllKeys(); }
    // Space down for one frame, up for the next.
    void TapSpace() {
        Hold(platform::kDikSpace, true);
        Frame();
        Hold(platform::kDikSpace, false);
        Frame();
    }

    // Two frames to make the game, then Space on the title.
    void StartGame() {
        Frames(2);
        TapSpace();
    }
    // From a game just started: on to the first frame of play (nuts just dropped).
    void RunToPlay() {
        for (int i = 0; i < 400 && G().PhaseNumber() != TGameMainMode::kPhasePlay; ++i) Frame();
    }

    template <class T>
    T* Toy(const char* className, const std::string& name) const {
        return G().ToyBox().FindToyAs<T>(className, name);
    }
    TToyPicture* Picture(const std::string& name) const { return Toy<TToyPicture>(kClassPicture, name); }
    TToyNumber* Number(const std::string& name) const { return Toy<TToyNumber>(kClassNumber, name); }
    bool Shown(const std::string& picture) const { return Picture(picture)->visible != 0; }
    std::string SquirrelAnime() const {
        const TToyAnime* anime = G().Squirrel().anime;
        return anime ? anime->name : std::string();
    }

    // A position whose ±8 box meets slot `slot`'s nut but no other uncaught nut of a lower slot, the
    // nearest such to the squirrel.
    Point CatchSpot(int slot) const {
        const TGameMainMode& game = G();
        const Point here{game.Squirrel().x, game.Squirrel().y};
        std::optional<Point> best;
        for (int y = TGameMainMode::kMinY; y <= TGameMainMode::kMaxY; y += 4) {
            for (int x = TGameMainMode::kMinX; x <= TGameMainMode::kMaxX; x += 4) {
                if (!Meets(slot, x, y)) continue;
                bool shadowed = false;
                for (int j = 0; j < slot; ++j) shadowed = shadowed || (!game.Slot(j).caught && Meets(j, x, y));
                if (shadowed) continue;
                const int d = std::abs(x - here.x) + std::abs(y - here.y);
                if (!best || d < std::abs(best->x - here.x) + std::abs(best->y - here.y)) best = Point{x, y};
            }
        }
        EXPECT_TRUE(best.has_value()) << "no spot reaches slot " << slot << " alone";
        return best.value_or(here);
    }
    bool Meets(int slot, int x, int y) const {
        const NutSlot& nut = G().Slot(slot);
        return x + 8 >= nut.x && x - 8 <= nut.x + 32 && y + 8 >= nut.groundY && y - 8 <= nut.groundY + 32;
    }

    // Walks there with the arrow keys, one key at a time, then lets go of them all.
    void WalkTo(Point target) {
        for (int guard = 0; guard < 200; ++guard) {
            const int x = G().Squirrel().x;
            const int y = G().Squirrel().y;
            ReleaseAll();
            if (x == target.x && y == target.y) break;
            if (x != target.x) {
                Hold(x < target.x ? platform::kDikRight : platform::kDikLeft, true);
            } else {
                Hold(y < target.y ? platform::kDikDown : platform::kDikUp, true);
            }
            Frame();
        }
        ReleaseAll();
    }
    // Walks to the nut, waits for it to land and catches it with a fresh press of Space.
    void Catch(int slot) {
        WalkTo(CatchSpot(slot));
        for (int i = 0; i < 100 && G().Slot(slot).falling; ++i) Frame();
        TapSpace();
    }

private:
    std::unique_ptr<TMainForm> form;
};

}  // namespace gametest
