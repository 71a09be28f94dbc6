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

    std::int32_t NextMode() const { return nextMode; }

    // What Step creates for nextMode 0. The shell installs the main game mode here (the kernel layer
    // cannot name it); tests install a probe. Without one, the root stays without a child.
    void SetMainModeFactory(Factory factory) { mainModeFactory = std::move(factory); }

private:
    Factory mainModeFactory;
};
