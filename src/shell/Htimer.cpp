#include "shell/Htimer.h"

#include "platform/Timer.h"

THITimer::THITimer(platform::TimerService* service)
    : service(service ? service : &platform::SystemTimerService::Instance()) {
    startTime = this->service->Now();
}

THITimer::~THITimer() {
    enabled = false;
    UpdateTimer();
}

void THITimer::SetEnabled(bool value) {
    if (value == enabled) return;
    enabled = value;
    UpdateTimer();
}

void THITimer::SetInterval(std::uint32_t value) {
    if (value == interval) return;
    interval = value;
    UpdateTimer();
}

void THITimer::Start() {
    SetEnabled(true);
    startTime = service->Now();
}

void THITimer::Stop() {
    stoppedTime = service->Now() - startTime;
    SetEnabled(false);
}

std::uint32_t THITimer::GetElapsedTime() { return enabled ? service->Now() - startTime : stoppedTime; }

void THITimer::Loaded() { UpdateTimer(); }

void THITimer::Timer() {
    if (OnTimer) OnTimer(this);
}

void THITimer::UpdateTimer() {
    if (timerId != 0) {
        service->KillEvent(timerId);
        timerId = 0;
    }
    if (!enabled || interval == 0 || !OnTimer) return;
    timerId = service->SetEvent(interval, [this] { Timer(); });
    if (timerId == 0) throw EHITimerError("No timer available");
}
