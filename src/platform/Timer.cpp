#include "platform/Timer.h"

#include <chrono>

namespace platform {

std::uint32_t TimeGetTime() {
    using namespace std::chrono;
    static const steady_clock::time_point origin = steady_clock::now();
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now() - origin).count());
}

PeriodicTimer::~PeriodicTimer() {
    Stop();
    if (thread.joinable()) {
        if (OnTimerThread()) {
            thread.detach();
        } else {
            thread.join();
        }
    }
}

bool PeriodicTimer::Start(std::uint32_t periodMs, Callback newCallback) {
    if (periodMs == 0) return false;
    Stop();
    if (thread.joinable()) thread.join();
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopRequested = false;
        callback = std::move(newCallback);
    }
    running = true;
    // Held while `thread` is set: the new thread waits for it before its first tick, so a callback
    // that stops its own timer never reads `thread` while it is being assigned.
    std::lock_guard<std::mutex> lock(mutex);
    thread = std::thread([this, periodMs] { Run(periodMs); });
    return true;
}

void PeriodicTimer::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopRequested = true;
    }
    wake.notify_all();
    if (thread.joinable() && !OnTimerThread()) thread.join();
    running = false;
}

void PeriodicTimer::Run(std::uint32_t periodMs) {
    threadId = std::this_thread::get_id();
    using clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(periodMs);
    auto deadline = clock::now() + period;
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopRequested) {
        if (wake.wait_until(lock, deadline, [this] { return stopRequested; })) break;
        Callback current = callback;
        lock.unlock();
        current();
        lock.lock();
        deadline += period;
        // After a long stall (a suspended machine) start afresh rather than firing a burst of late ticks.
        const auto now = clock::now();
        if (now - deadline > 5 * period) deadline = now + period;
    }
    threadId = std::thread::id{};
}

SystemTimerService::~SystemTimerService() {
    std::map<std::uint32_t, std::unique_ptr<PeriodicTimer>> live;
    {
        std::lock_guard<std::mutex> lock(mutex);
        live.swap(events);
    }
    live.clear();
}

SystemTimerService& SystemTimerService::Instance() {
    static SystemTimerService service;
    return service;
}

std::uint32_t SystemTimerService::SetEvent(std::uint32_t periodMs, std::function<void()> callback) {
    auto timer = std::make_unique<PeriodicTimer>();
    if (!timer->Start(periodMs, std::move(callback))) return 0;
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = retired.begin(); it != retired.end();) {
        it = (*it)->OnTimerThread() ? std::next(it) : retired.erase(it);
    }
    const std::uint32_t id = nextId++;
    if (nextId == 0) nextId = 1;
    events[id] = std::move(timer);
    return id;
}

void SystemTimerService::KillEvent(std::uint32_t id) {
    std::unique_ptr<PeriodicTimer> timer;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = events.find(id);
        if (it == events.end()) return;
        timer = std::move(it->second);
        events.erase(it);
    }
    timer->Stop();
    if (timer->OnTimerThread()) {
        std::lock_guard<std::mutex> lock(mutex);
        retired.push_back(std::move(timer));
    }
}

}  // namespace platform
