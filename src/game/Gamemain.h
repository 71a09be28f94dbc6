#pragma once
// The whole game: title, play and game-over scenes over one toy box, and the stage machine that runs
// inside the play scene.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/Difficulty.h"
#include "game/NutRandom.h"
#include "kernel/Gamemgr.h"

class TToyAnime;
class TToyBox;
class TToyNumber;
class TToyPicture;
class TToyPlayer;

struct NutSlot {
    TToyPicture* nut = nullptr;     // not owned; its cell is the nut's kind
    TToyPicture* shadow = nullptr;  // not owned
    std::int32_t x = 0;             // landing spot, left edge
    std::int32_t groundY = 0;       // landing spot, top edge of the nut lying on the ground
    float height = 0.0f;            // pixels above the landing spot
    float speed = 0.0f;             // pixels per second, upwards positive
    std::uint8_t falling = 0;
    std::uint8_t caught = 0;
    std::int32_t kind = 0;          // 0 … 7
};

class TGameMainMode : public TGameMgrMode {
public:
    enum Scene : std::uint8_t { kSceneTitle = 0, kScenePlay = 1, kSceneGameOver = 2 };
    enum Phase : std::int32_t {
        kPhaseSetUp = 0,
        kPhaseBalloon = 1,
        kPhaseDrop = 2,
        kPhasePlay = 3,
        kPhaseCleared = 4,
        kPhaseLifeLost = 5,
        kPhaseGameOver = 6,
    };
    enum Facing : std::uint8_t { kFaceLeft = 0, kFaceRight = 1, kFaceUp = 2, kFaceDown = 3 };

    // Squirrel bounds and start, in pixels of the field.
    static constexpr std::int32_t kMinX = 32;
    static constexpr std::int32_t kMaxX = 256;
    static constexpr std::int32_t kMinY = 64;
    static constexpr std::int32_t kMaxY = 208;
    static constexpr std::int32_t kStartX = 160;
    static constexpr std::int32_t kStartY = 176;
    static constexpr std::int32_t kStepPixels = 4;  // per frame while a direction is held
    // Landing spots: 8 columns × 4 rows.
    static constexpr std::int32_t kSpotColumns = 8;
    static constexpr std::int32_t kSpotRows = 4;
    static constexpr std::int32_t kSpotSize = 32;    // pixels
    static constexpr std::int32_t kSpotTop = 60;     // ground y of the first row
    static constexpr std::int32_t kCatchReach = 8;   // half size of the squirrel's catch box, pixels
    static constexpr std::int32_t kCaughtRowY = 208;
    static constexpr std::int32_t kBalloonMs = 3000;

    // Reads the difficulty table and the scene; refuses a scene that lacks a toy the rules use.
    TGameMainMode(TGameMode* parent, TKernel* kernel, std::int32_t param);
    ~TGameMainMode() override;

    void Draw() override;
    void Begin() override;
    void Step(std::int32_t ms) override;
    void End() override;
    void Control() override;

    void ResetGame();
    void StandFacing();
    void UpdateCounters();
    std::int32_t RandomBelow(std::int32_t n);
    // Seeds the generator with exactly this seed.
    void SeedRandom(std::uint32_t seed) { random.Seed(seed); }
    // The seed a new game uses: the kernel's fixed seed (--seed) if it has one, else the calendar time.
    std::uint32_t CurrentSeed() const;

    // The stage machine of the play scene.
    void PlayScene(std::int32_t ms);
    void LoadLevel();
    void PrepareStage();
    void ShowBalloon();
    void HideBalloon();
    void DropNuts();
    void PlaceNut(std::int32_t slot, std::int32_t x, std::int32_t y, std::int32_t kind);
    void UpdateNut(std::int32_t slot, std::int32_t ms);
    void CatchTest();
    void CatchNut(std::int32_t slot);
    bool CheckOrder();
    void MarkLife();

    // Read access for the trace, the demo pilot and tests.
    std::uint8_t SceneNumber() const { return scene; }
    std::int32_t PhaseNumber() const { return phase; }
    std::int32_t PhaseTimer() const { return phaseTimer; }
    std::int32_t Score() const { return score; }
    std::int32_t Level() const { return level; }
    std::int32_t TimeLeft() const { return timeLeft; }
    std::int32_t Misses() const { return misses; }
    bool MissFlag() const { return missFlag != 0; }
    std::int32_t Count() const { return count; }
    std::int32_t Fall() const { return fall; }
    std::int32_t Kinds() const { return kinds; }
    const std::array<std::int32_t, kMaxNuts>& Order() const { return order; }
    std::int32_t CaughtCount() const { return caughtCount; }
    const std::array<std::int32_t, kMaxNuts>& CaughtKinds() const { return caughtKinds; }
    std::uint8_t FacingNumber() const { return facing; }
    const TToyPlayer& Squirrel() const { return *player; }
    const TToyPlayer& Cursor() const { return *cursor; }
    const NutSlot& Slot(std::int32_t i) const { return slots[static_cast<std::size_t>(i)]; }
    std::int32_t LevelCount() const { return levelCount; }
    std::int32_t StartLevel() const { return startLevel; }
    TToyBox& ToyBox() const { return *toyBox; }

private:
    void TitleScene();
    void GameOverScene();
    void CaptionScene(TToyPicture* caption);
    void BlinkPrompt();
    bool SpacePushed() const;
    void PlaySound(const std::string& name);
    bool SoundPlaying(const std::string& name) const;
    // True when some landing spot is free of the squirrel's picture and of the slots before `slot`.
    bool SquirrelLeavesRoom(std::int32_t slot) const;

    std::unique_ptr<TToyBox> toyBox;
    std::uint8_t scene = kSceneTitle;
    std::int32_t phase = kPhaseSetUp;
    std::int32_t phaseTimer = 0;
    TToyPlayer* player = nullptr;
    std::uint8_t facing = kFaceLeft;
    std::array<NutSlot, kMaxNuts> slots{};
    std::int32_t score = 0;
    std::int32_t level = 0;
    std::int32_t timeLeft = 0;
    std::array<std::int32_t, kMaxNuts> order{};
    std::int32_t count = 0;
    std::int32_t fall = 0;
    std::int32_t kinds = 0;
    std::int32_t caughtCount = 0;
    std::array<std::int32_t, kMaxNuts> caughtKinds{};
    std::int32_t misses = 0;
    std::uint8_t missFlag = 0;
    std::int32_t levelCount = 0;
    std::int32_t startLevel = 0;
    std::vector<DifficultyRow> table;

    TNutRandom random;

    // Toys found once at construction; the same toys ShowToy and HideToy would find by name.
    TToyPlayer* cursor = nullptr;
    TToyPicture* balloon = nullptr;
    TToyPicture* titleCaption = nullptr;
    TToyPicture* clearCaption = nullptr;
    TToyPicture* missCaption = nullptr;
    TToyPicture* gameOverCaption = nullptr;
    TToyPicture* pushSpace = nullptr;
    std::array<TToyPicture*, 3> crosses{};
    TToyPicture* mistake = nullptr;
    TToyNumber* scoreNumber = nullptr;
    TToyNumber* timeNumber = nullptr;
    TToyNumber* levelNumber = nullptr;
};
