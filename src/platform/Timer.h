#pragma once
// A periodic timer on a thread of its own and a millisecond clock: what the frame clock needs of the
// platform. Callbacks never overlap, deadlines are absolute (no drift), and a callback may stop its
// own timer.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

// Milliseconds of a steady clock; wraps like any 32-bit millisecond counter.
std::uint32_t TimeGetTime();

class PeriodicTimer {
public:
    using Callback = std::function<void()>;

    PeriodicTimer() = default;
    ~PeriodicTimer();
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Starts (or restarts) calling `callback` every `periodMs` ms; false for a zero period.
    bool Start(std::uint32_t periodMs, Callback callback);
    // Stops; no callback runs after it returns, unless it was called from the callback itself, which
    // then simply finishes.
    void Stop();
    bool Running() const { return running.load(); }
    bool OnTimerThread() const { return std::this_thread::get_id() == threadId.load(); }

private:
    void Run(std::uint32_t periodMs);

    std::thread thread;
    std::atomic<std::thread::id> threadId{};
    std::mutex mutex;
    std::condition_variable wake;
    bool stopRequested = false;
    std::atomic<bool> running{false};
    Callback callback;
};

// The timer events the interval timer asks for: a platform that can be told to refuse.
class TimerService {
public:
    virtual ~TimerService() = default;
    // A periodic event; 0 when the platform refuses one.
    virtual std::uint32_t SetEvent(std::uint32_t periodMs, std::function<void()> callback) = 0;
    virtual void KillEvent(std::uint32_t id) = 0;
    virtual std::uint32_t Now() = 0;
};

// Periodic events on real threads and the steady clock.
class SystemTimerService : public TimerService {
public:
    ~SystemTimerService() override;
    std::uint32_t SetEvent(std::uint32_t periodMs, std::function<void()> callback) override;
    void KillEvent(std::uint32_t id) override;
    std::uint32_t Now() override { return TimeGetTime(); }

    static SystemTimerService& Instance();

private:
    std::mutex mutex;
    std::uint32_t nextId = 1;
    std::map<std::uint32_t, std::unique_ptr<PeriodicTimer>> events;
    // Timers killed from their own callback cannot be destroyed there; they wait here.
    std::vector<std::unique_ptr<PeriodicTimer>> retired;
};

}  // namespace platform
