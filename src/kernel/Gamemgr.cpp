#include "kernel/Gamemgr.h"

TGameMgrMode::TGameMgrMode(TGameMode* parent, TKernel* kernel, std::int32_t param) : TGameMode(parent, kernel, param) {}

void TGameMgrMode::Begin() {
    nextMode = 0;
    TGameMode::Begin();
}

void TGameMgrMode::Step(std::int32_t) {
    if (nextMode != 0 || !mainModeFactory) return;
    // A failing construction (a missing scene text) leaves the root without a child and nextMode 0;
    // the exception goes on to the frame handler, which stops the frames and reports it.
    SetChild(mainModeFactory(this, kernel, 0));
    nextMode = 0;
}
