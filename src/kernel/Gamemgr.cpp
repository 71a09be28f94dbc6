#include "kernel/Gamemgr.h"

namespace {
TGameMgrMode::Factory& MainModeFactory() {
    static TGameMgrMode::Factory factory;
    return factory;
}
}  // namespace

TGameMgrMode::TGameMgrMode(TGameMode* parent, TKernel* kernel, std::int32_t param) : TGameMode(parent, kernel, param) {}

void TGameMgrMode::Begin() {
    spare[0] = 0;
    TGameMode::Begin();
}

void TGameMgrMode::Step(std::int32_t) {
    if (spare[0] != 0) return;
    // A failing construction (a missing scene text) leaves the root without a child and nextMode 0,
    // so the next frame tries again.
    SetChild(CreateMainMode(this, kernel, 0));
    spare[0] = 0;
}

void TGameMgrMode::SetMainModeFactory(Factory factory) { MainModeFactory() = std::move(factory); }

std::unique_ptr<TGameMode> TGameMgrMode::CreateMainMode(TGameMode* parent, TKernel* kernel, std::int32_t param) {
    if (MainModeFactory()) return MainModeFactory()(parent, kernel, param);
    return DefaultMainMode(parent, kernel, param);
}
