#pragma once
// A game mode: one screen-owning stage of the program, driven one frame at a time, with its own clock
// and at most one nested child that takes over the frames while it exists.
#include <cstdint>
#include <memory>

class TKernel;

class TGameMode {
public:
    TGameMode(TGameMode* parent, TKernel* kernel, std::int32_t param);
    // Also releases a child that is still there, so the mode tree goes away with its root.
    virtual ~TGameMode();
    TGameMode(const TGameMode&) = delete;
    TGameMode& operator=(const TGameMode&) = delete;

    virtual void Draw();
    virtual void Begin();
    virtual void Step(std::int32_t ms);
    virtual void End();
    virtual void Control();
    virtual void CreateChild();
    virtual void DeleteChild();
    virtual bool Blink(std::int32_t period);
    virtual std::int32_t Cycle(std::int32_t period, std::int32_t count);
    virtual void Tick(std::int32_t ms);
    virtual void Paint();
    virtual bool IsFinished();
    virtual TKernel* GetKernel();

    TGameMode* Parent() const { return parent; }
    std::int32_t Param() const { return param; }
    TGameMode* Child() const { return child.get(); }
    std::int32_t Elapsed() const { return elapsed; }
    std::int32_t Frames() const { return frames; }
    bool Started() const { return started != 0; }
    bool AutoPresent() const { return autoPresent != 0; }

protected:
    void SetChild(std::unique_ptr<TGameMode> mode) { child = std::move(mode); }

    TGameMode* parent;
    std::unique_ptr<TGameMode> child;
    TKernel* kernel;
    std::int32_t param;
    std::uint8_t started = 0;
    std::uint8_t finished = 0;
    std::uint8_t autoPresent = 1;
    std::int32_t elapsed = 0;
    std::int32_t frames = 0;
    std::int32_t nextMode = 0;  // the root mode's choice of child: 0 is the main game mode
};
