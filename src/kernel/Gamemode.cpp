#include "kernel/Gamemode.h"

#include "kernel/Kernel.h"

TGameMode::TGameMode(TGameMode* parent, TKernel* kernel, std::int32_t param)
    : parent(parent), kernel(kernel), param(param) {}

TGameMode::~TGameMode() = default;

// A mode that keeps this Draw never presents: the window goes on showing the last presented picture.
void TGameMode::Draw() { autoPresent = 0; }

void TGameMode::Begin() { started = 1; }

void TGameMode::Step(std::int32_t) {}

void TGameMode::End() {}

void TGameMode::Control() {}

void TGameMode::CreateChild() { child = std::make_unique<TGameMode>(this, kernel, param); }

void TGameMode::DeleteChild() { child.reset(); }

bool TGameMode::Blink(std::int32_t period) {
    if (period <= 0) return false;
    return elapsed % (2 * period) < period;
}

std::int32_t TGameMode::Cycle(std::int32_t period, std::int32_t count) {
    if (period <= 0 || count <= 0) return 0;
    return (elapsed / period) % count;
}

void TGameMode::Tick(std::int32_t ms) {
    if (child) {
        child->Tick(ms);
        if (child->IsFinished()) DeleteChild();
        return;
    }
    if (!started) Begin();
    Step(ms);
    Draw();
    if (autoPresent && kernel) kernel->Present();
    if (finished) End();
    elapsed += ms;
    frames += 1;
}

void TGameMode::Paint() {
    if (child) {
        child->Paint();
        return;
    }
    Draw();
    if (autoPresent && kernel) kernel->Present();
}

bool TGameMode::IsFinished() { return finished != 0; }

TKernel* TGameMode::GetKernel() { return kernel; }
