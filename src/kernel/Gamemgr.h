#pragma once
// The root mode: its one job is to create the main game mode as its child.
#include <functional>
#include <memory>

#include "kernel/Gamemode.h"

class TGameMgrMode : public TGameMode {
public:
    using Factory = std::function<std::unique_ptr<TGameMode>(TGameMode* parent, TKernel* kernel, std::int32_t param)>;

    TGameMgrMode(TGameMode* parent, TKernel* kernel, std::int32_t param);

    void Begin() override;
    void Step(std::int32_t ms) override;

    std::int32_t NextMode() const { return spare[0]; }

    // What Step creates for nextMode 0; by default the main game mode. Tests put their own probe here.
    static void SetMainModeFactory(Factory factory);
    static std::unique_ptr<TGameMode> CreateMainMode(TGameMode* parent, TKernel* kernel, std::int32_t param);

private:
    // The main game mode itself; defined beside it, in the game's unit.
    static std::unique_ptr<TGameMode> DefaultMainMode(TGameMode* parent, TKernel* kernel, std::int32_t param);
};
