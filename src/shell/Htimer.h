#pragma once
// The frame clock: calls its handler every Interval ms on the platform's timer thread, and measures the
// time between Start and Stop.
#include <cstdint>
#include <functional>
#include <stdexcept>

namespace platform {
class TimerService;
}

class EHITimerError : public std::runtime_error {
public:
    explicit EHITimerError(const char* message) : std::runtime_error(message) {}
};

class THITimer {
public:
    using Handler = std::function<void(THITimer* sender)>;

    // A null service means the system's own timers and clock.
    explicit THITimer(platform::TimerService* service = nullptr);
    virtual ~THITimer();
    THITimer(const THITimer&) = delete;
    THITimer& operator=(const THITimer&) = delete;

    void SetEnabled(bool value);
    void SetInterval(std::uint32_t value);
    void SetOnTimer(Handler handler) { OnTimer = std::move(handler); }
    void Start();
    void Stop();
    std::uint32_t GetElapsedTime();
    void Loaded();
    virtual void Timer();

    bool Enabled() const { return enabled; }
    std::uint32_t Interval() const { return interval; }
    bool Running() const { return timerId != 0; }

    Handler OnTimer;

protected:
    void UpdateTimer();

private:
    platform::TimerService* service;
    std::uint32_t timerId = 0;
    std::uint32_t interval = 10;
    bool enabled = true;
    std::uint32_t startTime = 0;
    std::uint32_t stoppedTime = 0;
};
