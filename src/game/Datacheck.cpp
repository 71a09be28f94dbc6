#include "game/Datacheck.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/DataError.h"
#include "data/Texdb.h"
#include "data/ToyClassTable.h"
#include "devices/Bitmap.h"
#include "devices/Vekmidi.h"
#include "devices/Veksound.h"
#include "game/Difficulty.h"
#include "game/Gamemain.h"
#include "game/Names.h"
#include "toys/Toyclasses.h"
#include "platform/Resources.h"

namespace {

constexpr int kMaxParseRounds = 200;  // parse errors reported for one text before the rest is skipped
constexpr const char* kProgramResources = "Resource";

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The English line of an error without its "source:line: " lead, which a problem carries apart.
std::string WithoutWhere(const std::string& advice, const std::string& source, std::int32_t line) {
    const std::string lead = source + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": ";
    return advice.rfind(lead, 0) == 0 ? advice.substr(lead.size()) : advice;
}

// Blanks one line (from 1) of a text, keeping every other line where it was.
void BlankLine(std::vector<std::uint8_t>& bytes, std::int32_t line) {
    std::int32_t current = 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool lineEnd = bytes[i] == '\n' || bytes[i] == '\r';
        if (current == line && !lineEnd) bytes[i] = ' ';
        if (lineEnd) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            if (++current > line) return;
        }
    }
}

struct Sprite {
    std::int32_t cells = -1;  // unknown when the picture did not load
};

}  // namespace

struct TDataCheck::Text {
    std::string name;
    std::string source;
    std::vector<std::uint8_t> bytes;
    std::unique_ptr<TTexDb> db;
};

TProblems TDataCheck::Run() {
    Text difficulty, scene;
    difficulty.name = kDifficultyText;
    scene.name = kSceneText;
    if (LoadText(kDifficultyText, difficulty)) CheckDifficulty(difficulty);
    if (LoadText(kSceneText, scene)) CheckScene(scene);
    return problems.SortedByLine();
}

bool TDataCheck::LoadText(const char* name, Text& text) {
    platform::Medium medium;
    const platform::FileStatus status = platform::LoadResourceOrFile("TEXT", name, medium);
    text.source = medium.file.empty() ? std::string(name) + " (built in)" : medium.file;
    if (status != platform::FileStatus::kRead) {
        problems.Error(text.source, 0, std::string("the text cannot be read (") +
                                           (status == platform::FileStatus::kTooLarge ? "too large" : "unreadable") + ")");
        return false;
    }
    if (!medium.file.empty() && BaseName(medium.file) != name && BaseName(medium.file) != std::string(name) + ".txt") {
        problems.Warning(text.source, 0, std::string("taken for the text '") + name + "' by its name ignoring letter case");
    }
    text.bytes.assign(medium.bytes.begin(), medium.bytes.end());
    // Each parse error blanks its line and the parse starts again, so every bad line is reported.
    for (int round = 0; round < kMaxParseRounds; ++round) {
        try {
            text.db = std::make_unique<TTexDb>(TTexDb::FromBytes(text.bytes, text.source));
            return true;
        } catch (const EDataError& e) {
            problems.Error(text.source, e.Line(), WithoutWhere(e.Advice().empty() ? e.what() : e.Advice(),
                                                              text.source, e.Line()));
            if (e.Line() <= 0) return false;
            BlankLine(text.bytes, e.Line());
        }
    }
    return false;
}

void TDataCheck::CheckDifficulty(Text& text) {
    std::int32_t levels = 0, start = 0;
    try {
        const std::vector<DifficultyRow> rows = LoadDifficulty(*text.db, levels, start, &problems);
        const TexBlock* block = text.db->Current();
        if (start > levels) {
            problems.Warning(text.source, block->line,
                             "start " + std::to_string(start) + " is past max " + std::to_string(levels) +
                                 ": the game begins at the last level");
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const DifficultyRow& row = rows[i];
            const auto line = block->entries[static_cast<std::size_t>(text.db->KeyCursor()) - rows.size() + 1 + i].line;
            if (row.count > row.fall && row.fall >= 0) {
                problems.Warning(text.source, line, "level " + std::to_string(i + 1) + ": " + std::to_string(row.count) +
                                                        " nuts to catch but only " + std::to_string(row.fall) + " fall");
            }
            if (row.seconds == 0) {
                problems.Warning(text.source, line, "level " + std::to_string(i + 1) +
                                                        ": 0 seconds, so every stage of it is lost at once");
            }
        }
    } catch (const EDataError& e) {
        problems.Error(text.source, e.Line(), WithoutWhere(e.Advice().empty() ? e.what() : e.Advice(), text.source, e.Line()));
    }
}

bool TDataCheck::FindMedium(const char* type, const std::string& path, const std::string& source, int line,
                            std::vector<unsigned char>& bytes, std::string& shown) {
    platform::Medium medium;
    const platform::FileStatus status = platform::LoadResourceOrFile(type, path, medium);
    shown = medium.file.empty() ? path + " (built in)" : medium.file;
    if (status == platform::FileStatus::kMissing) {
        problems.Error(source, line, "the file '" + path + "' is missing" +
                                         (platform::DataFolder().empty() ? std::string()
                                                                         : " (looked in " + platform::DataFolder() +
                                                                               ", the program's resources and the working folder)"));
        return false;
    }
    if (status != platform::FileStatus::kRead) {
        problems.Error(source, line, "the file " + shown + " is too large or cannot be read");
        return false;
    }
    const std::string asked = BaseName(path);
    const std::string found = BaseName(medium.file);
    const std::string extension = std::string(".") + (type[0] == 'B' ? "bmp" : type[0] == 'W' ? "wav" : "mid");
    if (!medium.file.empty() && found != asked && found != asked + extension) {
        problems.Warning(source, line, "'" + asked + "' is the file " + medium.file + " (its name matched ignoring letter case)");
    }
    bytes.assign(medium.bytes.begin(), medium.bytes.end());
    return true;
}

void TDataCheck::CheckScene(Text& text) {
    TTexDb& db = *text.db;
    const std::string& source = text.source;
    std::string resourceDir;
    std::map<std::string, Sprite> images, fonts;
    std::set<std::pair<std::string, std::string>> seen;
    std::set<std::string> frames, animes;
    TToyClasses known = GameToyClasses();

    auto lineOf = [&](const char* key) {
        const TexBlock* block = db.Current();
        for (const TexEntry& e : block->entries) {
            if (e.key == key) return e.line;
        }
        return block->line;
    };
    auto has = [&](const char* key) {
        for (const TexEntry& e : db.Current()->entries) {
            if (e.key == key) return true;
        }
        return false;
    };
    auto mediaPath = [&](const std::string& fileName, const char* extension) {
        return resourceDir == kProgramResources ? fileName : resourceDir + fileName + extension;
    };
    auto reference = [&](const char* key, const char* className, const std::map<std::string, Sprite>* sprites,
                         const std::set<std::string>* names) -> const Sprite* {
        const std::string id = db.ReadValue(key).Text();
        const bool found = sprites ? sprites->count(id) != 0 : names->count(id) != 0;
        if (!found) {
            problems.Error(source, lineOf(key), std::string(key) + " '" + ForMessage(id) + "' names no " + className +
                                                    " record before this one, so nothing is drawn");
            return nullptr;
        }
        return sprites ? &sprites->at(id) : nullptr;
    };
    auto checkCell = [&](const Sprite* sprite, std::int32_t cell, std::int32_t line, const std::string& what) {
        if (sprite && sprite->cells >= 0 && (cell < 0 || cell >= sprite->cells)) {
            problems.Warning(source, line, what + " " + std::to_string(cell) + " is not a cell of its image (0 to " +
                                               std::to_string(sprite->cells - 1) + "), so it draws nothing");
        }
    };

    if (!db.SelectBlock(0)) {
        problems.Error(source, 0, "the scene text holds no records");
        return;
    }
    do {
        const TexBlock& block = *db.Current();
        const std::string className = db.ReadValue("class").Text();
        const std::string name = db.ReadValue("name").Text();
        const std::string where = (className.empty() ? std::string("record") : ForMessage(className)) +
                                  (name.empty() ? std::string() : " \"" + ForMessage(name) + "\"");
        if (className.empty()) {
            problems.Warning(source, block.line, "a record without 'class'; the game skips it");
            continue;
        }
        if (className == kClassCommand) {
            for (const TexEntry& e : block.entries) {
                if (e.key == "chdir") {
                    resourceDir = e.value.Text();
                    if (resourceDir != kProgramResources && !resourceDir.empty() && resourceDir.back() != '/') {
                        problems.Warning(source, e.line, "chdir '" + ForMessage(resourceDir) +
                                                             "' does not end in '/', so file names are glued to it");
                    }
                } else if (e.key != "class") {
                    problems.Warning(source, e.line, "unknown command '" + ForMessage(e.key) + "' (only chdir is known)");
                }
            }
            continue;
        }
        bool isKnown = false;
        for (const TToyClass& c : known) isKnown = isKnown || className == c.name;
        if (!isKnown) {
            problems.Error(source, lineOf("class"), "unknown class '" + ForMessage(className) +
                                                        "'; the game skips the record (classes: Image Sound Font Picture "
                                                        "Number Caption Frame Anime Player Command)");
            continue;
        }
        if (name.empty()) problems.Warning(source, block.line, where + " has no name, so nothing can find it");
        if (!seen.insert({className, name}).second) {
            problems.Warning(source, block.line, where + " has the name of an earlier " + ForMessage(className) +
                                                     "; only the first is found by name");
        }

        if (className == kClassImage || className == kClassFont) {
            const std::string fileName = db.ReadValue("fileName").Text();
            const TexValue size = db.ReadValue("size");
            Sprite sprite;
            if (fileName.empty()) {
                problems.Error(source, lineOf("fileName"), where + " has no fileName");
            } else {
                std::vector<unsigned char> bytes;
                std::string shown;
                if (FindMedium("BITMAP", mediaPath(fileName, ".bmp"), source, lineOf("fileName"), bytes, shown)) {
                    int width = 0, height = 0;
                    const TBitmapRefusal refusal = bitmap::Check(bytes, width, height);
                    if (refusal != TBitmapRefusal::kNone) {
                        problems.Error(source, lineOf("fileName"), shown + " is not a bitmap the game can load (" +
                                                                       RefusalName(refusal) + ")");
                    } else {
                        const std::int32_t cw = size.Int(0) == 0 ? width : size.Int(0);
                        const std::int32_t ch = size.Int(1) == 0 ? height : size.Int(1);
                        if (cw < 0 || ch < 0 || cw > width || ch > height) {
                            problems.Error(source, lineOf("size"), "size " + std::to_string(cw) + " " + std::to_string(ch) +
                                                                       " does not fit the picture " + std::to_string(width) +
                                                                       " x " + std::to_string(height) + " of " + shown);
                            sprite.cells = 0;
                        } else {
                            sprite.cells = (width / cw) * (height / ch);
                        }
                    }
                }
            }
            (className == kClassImage ? images : fonts).try_emplace(name, sprite);
        } else if (className == kClassSound) {
            const std::string fileName = db.ReadValue("fileName").Text();
            std::vector<unsigned char> bytes;
            std::string shown;
            if (fileName.empty()) {
                problems.Error(source, lineOf("fileName"), where + " has no fileName");
            } else if (FindMedium("WAVE", mediaPath(fileName, ".wav"), source, lineOf("fileName"), bytes, shown)) {
                const TWaveRefusal refusal = TVekSound::ParseWave(bytes.data(), bytes.size(), nullptr);
                if (refusal != TWaveRefusal::kNone) {
                    problems.Error(source, lineOf("fileName"), shown + " is not a PCM wave the game can play (" +
                                                                   WaveRefusalName(refusal) + ")");
                }
            }
        } else if (className == kClassPicture || className == kClassNumber) {
            const Sprite* sprite = reference("imageId", kClassImage, &images, nullptr);
            if (className == kClassPicture) checkCell(sprite, db.ReadValue("num").Int(0), lineOf("num"), "num");
        } else if (className == kClassFrame) {
            const Sprite* sprite = reference("imageId", kClassImage, &images, nullptr);
            const std::int32_t cellNum = db.ReadValue("cellNum").Int(0);
            const std::int32_t after = static_cast<std::int32_t>(block.entries.size()) - db.KeyCursor() - 1;
            if (!has("cellNum") || cellNum <= 0) {
                problems.Warning(source, lineOf("cellNum"), where + " has no cells (cellNum " + std::to_string(cellNum) + ")");
            } else if (cellNum > after) {
                problems.Warning(source, lineOf("cellNum"), "cellNum " + std::to_string(cellNum) + " but only " +
                                                                std::to_string(after) + " cell lines follow it");
            }
            for (std::int32_t i = 0; i < std::min(cellNum, after); ++i) {
                const TexEntry& e = block.entries[static_cast<std::size_t>(db.KeyCursor() + 1 + i)];
                checkCell(sprite, e.value.Int(2), e.line, "cell");
            }
            frames.insert(name);
        } else if (className == kClassAnime) {
            const std::int32_t seqNum = db.ReadValue("seqNum").Int(0);
            const std::int32_t after = static_cast<std::int32_t>(block.entries.size()) - db.KeyCursor() - 1;
            if (seqNum <= 0) {
                problems.Warning(source, lineOf("seqNum"), where + " has no frames (seqNum " + std::to_string(seqNum) + ")");
            } else if (seqNum > after) {
                problems.Warning(source, lineOf("seqNum"), "seqNum " + std::to_string(seqNum) + " but only " +
                                                               std::to_string(after) + " frame lines follow it");
            }
            std::int64_t total = 0;
            for (std::int32_t i = 0; i < std::min(seqNum, after); ++i) {
                const TexEntry& e = block.entries[static_cast<std::size_t>(db.KeyCursor() + 1 + i)];
                total += e.value.Int(0);
                if (!frames.count(e.key)) {
                    problems.Error(source, e.line, "'" + ForMessage(e.key) +
                                                       "' names no Frame record before this one, so that step shows nothing");
                }
                if (e.value.Int(0) < 0) problems.Warning(source, e.line, "a negative duration");
            }
            if (seqNum > 0 && total == 0) {
                problems.Warning(source, lineOf("seqNum"), "every duration is 0, so only the last frame ever shows");
            }
            animes.insert(name);
        } else if (className == kClassPlayer) {
            reference("animeId", kClassAnime, nullptr, &animes);
        } else if (className == kClassCaption) {
            reference("fontId", kClassFont, &fonts, nullptr);
        }
    } while (db.NextBlock());

    // The song is asked for after the scene is loaded, so under the last chdir.
    std::vector<unsigned char> song;
    std::string shown;
    const std::string songPath = mediaPath(kMusic, ".mid");
    if (FindMedium("MIDI", songPath, source, 0, song, shown)) {
        const TSongRefusal refusal = TVekMidi::ParseSong(song.data(), song.size());
        if (refusal != TSongRefusal::kNone) {
            problems.Error(shown, 0, std::string("not a song the game can play (") + SongRefusalName(refusal) +
                                         "), so there is no music");
        }
    }

    // Toys the rules look up by name, all in one line: a scene written from scratch may lack dozens.
    std::string missing;
    int missingCount = 0;
    for (const TRequiredToy& toy : RequiredToys()) {
        if (seen.count({toy.className, toy.name})) continue;
        missing += (missing.empty() ? "" : ", ") + std::string(toy.className) + " \"" + toy.shown + "\"";
        ++missingCount;
    }
    if (missingCount > 0) {
        problems.Error(source, 0, "the game needs " + std::to_string(missingCount) + " record" +
                                      (missingCount == 1 ? "" : "s") + " this scene lacks, and will not start: " + missing);
    }
}
