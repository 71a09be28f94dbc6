#include "game/Gamemain.h"

#include <algorithm>
#include <ctime>
#include <limits>
#include <utility>

#include "data/DataError.h"
#include "data/Toybox.h"
#include "devices/Vekmidi.h"
#include "devices/Veksound.h"
#include "game/Names.h"
#include "kernel/Kernel.h"
#include "toys/Toyanime.h"
#include "toys/Toyclasses.h"
#include "toys/Toynumber.h"
#include "toys/Toypicture.h"
#include "toys/Toyplayer.h"

namespace {

constexpr std::int32_t kBlinkMs = 200;        // the prompt's on and off halves
constexpr std::int32_t kRepeatMs = 200;       // key repeat, first and next
constexpr std::int32_t kResetTimeMs = 10000;  // overwritten by the first stage
constexpr std::int32_t kResetCount = 4;
constexpr std::int32_t kResetFall = 8;
constexpr std::int32_t kShuffleSwaps = 80;
constexpr float kDropHeight = 240.0f;   // pixels above the landing spot
constexpr float kDropSpeed = -100.0f;   // pixels per second, downwards
constexpr float kGravity = 0.4f;        // pixels per second, per millisecond
constexpr std::int32_t kShadowDrop = 16;   // shadow's offset below the landing spot, pixels
constexpr std::int32_t kBalloonNutX = 16;  // first balloon nut's offset in the balloon, pixels
constexpr std::int32_t kBalloonNutY = 24;
constexpr std::int32_t kScoreCatch = 100;
constexpr std::int32_t kLives = 3;

struct Direction {
    std::uint16_t bit;
    std::uint8_t facing;
};
// The order in which held directions are taken; only the first acts.
constexpr Direction kDirections[] = {
    {kButtonLeft, TGameMainMode::kFaceLeft},
    {kButtonRight, TGameMainMode::kFaceRight},
    {kButtonUp, TGameMainMode::kFaceUp},
    {kButtonDown, TGameMainMode::kFaceDown},
};
constexpr std::uint16_t kDirectionBits = kButtonUp | kButtonDown | kButtonLeft | kButtonRight;

// Walking and standing animations by facing. The standing names of up and down are crossed with
// respect to the walking ones: after walking up the squirrel shows its back (前向き).
const char* const kWalkAnime[] = {kWalkLeft, kWalkRight, kWalkBack, kWalkFront};
const char* const kStandAnime[] = {kFacingLeft, kFacingRight, kFacingFront, kFacingBack};

std::string Numbered(const char* prefix, int i) { return prefix + std::to_string(i); }

// A toy the rules cannot do without. `shown` is how the name reads in a message (UTF-8).
template <class T>
T* Require(const TToyBox& box, const char* className, const std::string& name, const std::string& shown) {
    if (T* toy = box.FindToyAs<T>(className, name)) return toy;
    throw EDataError(std::string("場面データに ") + className + " \"" + shown + "\" がありません");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction

TGameMainMode::TGameMainMode(TGameMode* parent, TKernel* kernel, std::int32_t param)
    : TGameMgrMode(parent, kernel, param) {
    table = LoadDifficulty(kDifficultyText, levelCount, startLevel);
    toyBox = std::make_unique<TToyBox>(kernel, kSceneText, GameToyClasses());
    const TToyBox& box = *toyBox;

    player = Require<TToyPlayer>(box, kClassPlayer, kPlayer, kPlayer);
    for (int i = 0; i < kMaxNuts; ++i) {
        NutSlot& slot = slots[static_cast<std::size_t>(i)];
        const std::string nutName = Numbered(kNutPrefix, i);
        const std::string shadowName = Numbered(kShadowPrefix, i);
        slot.nut = Require<TToyPicture>(box, kClassPicture, nutName, nutName);
        slot.shadow = Require<TToyPicture>(box, kClassPicture, shadowName, shadowName);
        slot.height = 0.0f;
        slot.speed = 0.0f;
    }
    cursor = Require<TToyPlayer>(box, kClassPlayer, kCursorPlayer, kCursorPlayer);
    balloon = Require<TToyPicture>(box, kClassPicture, kBalloon, "吹き出し");
    titleCaption = Require<TToyPicture>(box, kClassPicture, kTitlePicture, kTitlePicture);
    clearCaption = Require<TToyPicture>(box, kClassPicture, kClearPicture, kClearPicture);
    missCaption = Require<TToyPicture>(box, kClassPicture, kMissPicture, kMissPicture);
    gameOverCaption = Require<TToyPicture>(box, kClassPicture, kGameOverPicture, kGameOverPicture);
    pushSpace = Require<TToyPicture>(box, kClassPicture, kPushSpace, kPushSpace);
    for (int i = 0; i < kLives; ++i) {
        const std::string name = Numbered(kCrossPrefix, i);
        crosses[static_cast<std::size_t>(i)] = Require<TToyPicture>(box, kClassPicture, name, name);
    }
    mistake = Require<TToyPicture>(box, kClassPicture, kMistake, kMistake);
    scoreNumber = Require<TToyNumber>(box, kClassNumber, kScore, "スコア");
    timeNumber = Require<TToyNumber>(box, kClassNumber, kTime, "タイム");
    levelNumber = Require<TToyNumber>(box, kClassNumber, kLevel, "レベル");

    // Without its animations the squirrel would vanish at its first step or stop.
    const char* const animeShown[] = {"左歩き", "右歩き", "後ろ歩き", "前歩き", "左向き", "右向き", "前向き", "後ろ向き"};
    for (int i = 0; i < 4; ++i) {
        Require<TToyAnime>(box, kClassAnime, kWalkAnime[i], animeShown[i]);
        Require<TToyAnime>(box, kClassAnime, kStandAnime[i], animeShown[4 + i]);
    }
}

TGameMainMode::~TGameMainMode() = default;

// ---------------------------------------------------------------------------------------------
// Frame operations

void TGameMainMode::Begin() {
    SeedRandom(CurrentSeed());
    ResetGame();
    if (kernel) {
        kernel->SetFadeLevel(0);
        kernel->SetRepeat(kRepeatMs, kRepeatMs);
    }
    TGameMgrMode::Begin();
}

void TGameMainMode::Draw() { toyBox->DrawAll(); }

void TGameMainMode::Step(std::int32_t ms) {
    toyBox->UpdateAll(ms);
    switch (scene) {
        case kSceneTitle:
            TitleScene();
            break;
        case kScenePlay:
            PlayScene(ms);
            break;
        case kSceneGameOver:
            GameOverScene();
            break;
        default:
            break;
    }
}

void TGameMainMode::End() {}

std::uint32_t TGameMainMode::CurrentSeed() const {
    if (kernel && kernel->Seed()) return *kernel->Seed();
    return static_cast<std::uint32_t>(std::time(nullptr));
}

bool TGameMainMode::SpacePushed() const { return kernel && (kernel->Pushed() & kButtonSpace) != 0; }

void TGameMainMode::PlaySound(const std::string& name) {
    if (kernel && kernel->Sound()) kernel->Sound()->Play(name);
}

bool TGameMainMode::SoundPlaying(const std::string& name) const {
    return kernel && kernel->Sound() && kernel->Sound()->IsPlaying(name);
}

void TGameMainMode::BlinkPrompt() {
    if (Blink(kBlinkMs)) {
        pushSpace->Show();
    } else {
        pushSpace->Hide();
    }
}

// ---------------------------------------------------------------------------------------------
// Scenes

void TGameMainMode::ResetGame() {
    SeedRandom(CurrentSeed());
    facing = kFaceLeft;
    phase = kPhaseSetUp;
    score = 0;
    level = startLevel - 1;
    timeLeft = kResetTimeMs;
    missFlag = 0;
    misses = 0;
    count = kResetCount;
    fall = kResetFall;
    for (int i = 0; i < kMaxNuts; ++i) order[static_cast<std::size_t>(i)] = i;
    for (TToyPicture* cross : crosses) cross->Hide();
}

void TGameMainMode::TitleScene() {
    titleCaption->Show();
    BlinkPrompt();
    if (!SpacePushed()) return;
    ResetGame();
    titleCaption->Hide();
    pushSpace->Hide();
    scene = kScenePlay;
    toyBox->PlayMusic(kMusic, true);
}

void TGameMainMode::GameOverScene() {
    gameOverCaption->Show();
    BlinkPrompt();
    if (!SpacePushed()) return;
    gameOverCaption->Hide();
    pushSpace->Hide();
    scene = kSceneTitle;
}

void TGameMainMode::Control() {
    const std::uint16_t held = kernel ? kernel->Buttons() : 0;
    const std::uint16_t pushed = kernel ? kernel->Pushed() : 0;
    if ((held & kDirectionBits) != 0 && !SoundPlaying(kSoundWalk)) PlaySound(kSoundWalk);

    const Direction* taken = nullptr;
    for (const Direction& d : kDirections) {
        if ((held & d.bit) != 0) {
            taken = &d;
            break;
        }
    }
    if (taken == nullptr) {
        StandFacing();
        return;
    }
    // A turn or a fresh press restarts the walk; a held key keeps it cycling.
    if (facing != taken->facing || (pushed & taken->bit) != 0) player->PlayAnime(kWalkAnime[taken->facing], true);
    facing = taken->facing;
    // At a bound the squirrel turns and walks on the spot.
    switch (taken->facing) {
        case kFaceLeft:
            if (player->x > kMinX) player->x -= kStepPixels;
            break;
        case kFaceRight:
            if (player->x < kMaxX) player->x += kStepPixels;
            break;
        case kFaceUp:
            if (player->y > kMinY) player->y -= kStepPixels;
            break;
        default:
            if (player->y < kMaxY) player->y += kStepPixels;
            break;
    }
}

void TGameMainMode::StandFacing() { player->PlayAnime(kStandAnime[facing & 3], false); }

void TGameMainMode::UpdateCounters() {
    scoreNumber->num = score;
    timeNumber->num = timeLeft / 1000;  // truncated towards zero: under a second over shows 0
    levelNumber->num = level + 1;
}

std::int32_t TGameMainMode::RandomBelow(std::int32_t n) { return random.Below(n); }

// ---------------------------------------------------------------------------------------------
// The stage machine

void TGameMainMode::PlayScene(std::int32_t ms) {
    for (int i = 0; i < kMaxNuts; ++i) UpdateNut(i, ms);
    switch (phase) {
        case kPhaseSetUp:
            player->x = kStartX;
            player->y = kStartY;
            StandFacing();
            caughtCount = 0;
            LoadLevel();
            PrepareStage();
            phaseTimer = kBalloonMs;
            phase = kPhaseBalloon;
            break;
        case kPhaseBalloon:
            ShowBalloon();
            phaseTimer -= ms;
            if (phaseTimer <= 0) {
                HideBalloon();
                phase = kPhaseDrop;
            }
            break;
        case kPhaseDrop:
            DropNuts();
            phase = kPhasePlay;
            break;
        case kPhasePlay:
            Control();
            timeLeft -= ms;
            CatchTest();
            if (CheckOrder()) {
                StandFacing();
                // The level stops where its shown number, level + 1, still fits: a start near the top
                // of 32 bits would otherwise wrap it negative, and no row lies below the first.
                if (level < std::numeric_limits<std::int32_t>::max() - 1) ++level;
                phase = kPhaseCleared;
            }
            // Also after a clear on this same frame: the last right nut caught as the time runs out
            // loses the stage, and the level stays raised.
            if (timeLeft <= 0 || missFlag != 0) {
                MarkLife();
                misses += 1;
                if (misses >= kLives) {
                    phase = kPhaseGameOver;
                } else {
                    StandFacing();
                    missFlag = 0;
                    phase = kPhaseLifeLost;
                }
            }
            break;
        case kPhaseCleared:
            CaptionScene(clearCaption);
            break;
        case kPhaseLifeLost:
            CaptionScene(missCaption);
            break;
        case kPhaseGameOver:
            StandFacing();
            cursor->Hide();
            scene = kSceneGameOver;
            if (kernel && kernel->Midi()) kernel->Midi()->Stop();
            break;
        default:
            break;
    }
    UpdateCounters();
}

void TGameMainMode::CaptionScene(TToyPicture* caption) {
    caption->Show();
    BlinkPrompt();
    cursor->Hide();
    if (!SpacePushed()) return;
    phase = kPhaseSetUp;
    caption->Hide();
    pushSpace->Hide();
}

void TGameMainMode::LoadLevel() {
    const std::int32_t r = std::clamp(level, 0, levelCount - 1);
    const DifficultyRow& row = table[static_cast<std::size_t>(r)];
    count = row.count;
    fall = row.fall;
    kinds = row.kinds;
    timeLeft = row.seconds * 1000;
}

void TGameMainMode::PrepareStage() {
    for (int i = 0; i < kMaxNuts; ++i) {
        order[static_cast<std::size_t>(i)] = i;
        slots[static_cast<std::size_t>(i)].nut->Hide();
        slots[static_cast<std::size_t>(i)].shadow->Hide();
    }
    // Only the first `kinds` entries are shuffled, among themselves.
    for (int n = 0; n < kShuffleSwaps; ++n) {
        const std::int32_t a = RandomBelow(kinds);
        const std::int32_t b = RandomBelow(kinds);
        if (a != b) std::swap(order[static_cast<std::size_t>(a)], order[static_cast<std::size_t>(b)]);
    }
    mistake->Hide();
}

void TGameMainMode::ShowBalloon() {
    balloon->Show();
    for (int i = 0; i < count; ++i) {
        TToyPicture* nut = slots[static_cast<std::size_t>(i)].nut;
        nut->Show();
        nut->cell = order[static_cast<std::size_t>(i)];
        nut->x = balloon->x + kSpotSize * i + kBalloonNutX;
        nut->y = balloon->y + kBalloonNutY;
    }
}

void TGameMainMode::HideBalloon() {
    balloon->Hide();
    for (int i = 0; i < count; ++i) slots[static_cast<std::size_t>(i)].nut->Hide();
}

bool TGameMainMode::SquirrelLeavesRoom(std::int32_t slot) const {
    TToyShape probe(nullptr, "", "", 0, 0);
    for (int row = 0; row < kSpotRows; ++row) {
        for (int column = 0; column < kSpotColumns; ++column) {
            const std::int32_t x = kSpotSize * column;
            const std::int32_t y = kSpotTop + kSpotSize * row;
            probe.hitRect = slots[static_cast<std::size_t>(slot)].shadow->hitRect;
            probe.x = x;
            probe.y = y + kShadowDrop;
            if (player->HitTest(probe)) continue;
            bool taken = false;
            for (int j = 0; j < slot && !taken; ++j) {
                taken = slots[static_cast<std::size_t>(j)].x == x && slots[static_cast<std::size_t>(j)].groundY == y;
            }
            if (!taken) return true;
        }
    }
    return false;
}

void TGameMainMode::DropNuts() {
    for (std::int32_t i = 0; i < fall;) {
        NutSlot& slot = slots[static_cast<std::size_t>(i)];
        // A squirrel picture that covers every free spot would make the draw go on for ever; then
        // only the no-sharing rule holds for this nut.
        const bool avoidSquirrel = SquirrelLeavesRoom(i);
        const std::int32_t column = RandomBelow(kSpotColumns);
        const std::int32_t row = RandomBelow(kSpotRows);
        PlaceNut(i, kSpotSize * column, kSpotTop + kSpotSize * row, order[static_cast<std::size_t>(i)]);
        if (avoidSquirrel && player->HitTest(*slot.shadow)) continue;
        bool shared = false;
        for (std::int32_t j = 0; j < i && !shared; ++j) {
            shared = slots[static_cast<std::size_t>(j)].x == slot.x && slots[static_cast<std::size_t>(j)].groundY == slot.groundY;
        }
        if (shared) continue;
        ++i;
    }
}

void TGameMainMode::PlaceNut(std::int32_t i, std::int32_t x, std::int32_t y, std::int32_t kind) {
    NutSlot& slot = slots[static_cast<std::size_t>(i)];
    slot.x = x;
    slot.groundY = y;
    slot.height = kDropHeight;
    slot.speed = kDropSpeed;
    slot.nut->x = x;
    slot.nut->y = y - static_cast<std::int32_t>(kDropHeight);
    slot.nut->cell = kind;
    slot.nut->Show();
    slot.shadow->x = x;
    slot.shadow->y = y + kShadowDrop;
    slot.shadow->Show();
    slot.falling = 1;
    slot.caught = 0;
    slot.kind = kind;
}

void TGameMainMode::UpdateNut(std::int32_t i, std::int32_t ms) {
    NutSlot& slot = slots[static_cast<std::size_t>(i)];
    if (slot.caught != 0) return;  // it stays in the caught row
    if (slot.falling != 0 && slot.height > 0.0f) {
        // 32-bit floats: with 20 ms steps the nut reaches the ground on its 45th update.
        slot.height = slot.height + 0.001f * slot.speed * static_cast<float>(ms);
        slot.speed = slot.speed - kGravity * static_cast<float>(ms);
        if (!(slot.height > 0.0f)) slot.height = 0.0f;
    } else {
        slot.falling = 0;
    }
    slot.nut->y = slot.groundY - static_cast<std::int32_t>(slot.height);
}

void TGameMainMode::CatchTest() {
    // A small box around the squirrel's anchor, not its picture; the next draw replaces it again.
    player->SetHitRect({-kCatchReach, -kCatchReach, kCatchReach, kCatchReach});
    cursor->Hide();
    const std::int32_t n = std::min(fall, kMaxNuts);
    for (std::int32_t i = 0; i < n; ++i) {
        const NutSlot& slot = slots[static_cast<std::size_t>(i)];
        if (slot.falling != 0 || slot.caught != 0 || !player->HitTest(*slot.nut)) continue;
        // Only the lowest landed nut under the squirrel is offered, and one catch a frame at most.
        cursor->Show();
        cursor->x = slot.nut->x;
        cursor->y = slot.nut->y;
        if (SpacePushed()) CatchNut(i);
        break;
    }
}

void TGameMainMode::CatchNut(std::int32_t i) {
    NutSlot& slot = slots[static_cast<std::size_t>(i)];
    slot.nut->x = kSpotSize * caughtCount;
    slot.nut->y = kCaughtRowY;
    slot.shadow->Hide();
    slot.caught = 1;
    caughtKinds[static_cast<std::size_t>(caughtCount)] = slot.kind;
    caughtCount += 1;
    score += kScoreCatch;
    PlaySound(kSoundTake);
}

bool TGameMainMode::CheckOrder() {
    if (caughtCount < count) return false;
    // The row is judged all at once: a decoy or a nut out of place anywhere makes it wrong.
    for (std::int32_t i = 0; i < count; ++i) {
        if (order[static_cast<std::size_t>(i)] != caughtKinds[static_cast<std::size_t>(i)]) {
            missFlag = 1;
            PlaySound(kSoundMiss);
            mistake->Show();
            mistake->x = kSpotSize * i;
            return false;
        }
    }
    return true;
}

void TGameMainMode::MarkLife() {
    if (misses >= 0 && misses < kLives) crosses[static_cast<std::size_t>(misses)]->Show();
}
