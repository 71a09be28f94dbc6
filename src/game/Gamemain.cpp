// Placeholder until the main game mode lands: the root creates a mode that draws nothing.
#include "kernel/Gamemgr.h"

std::unique_ptr<TGameMode> TGameMgrMode::DefaultMainMode(TGameMode* parent, TKernel* kernel, std::int32_t param) {
    return std::make_unique<TGameMode>(parent, kernel, param);
}
