#include "platform/win32/LocalTime.h"

#include <time.h>

#include <mutex>

namespace win32 {

namespace {

struct FixedClock {
    std::mutex lock;
    bool active = false;
    SYSTEMTIME time{};
};

FixedClock& TestClock() {
    static FixedClock instance;
    return instance;
}

}  // namespace

void GetLocalTime(SYSTEMTIME* time) noexcept {
    if (time == nullptr) return;
    {
        FixedClock& clock = TestClock();
        std::lock_guard guard(clock.lock);
        if (clock.active) {
            *time = clock.time;
            return;
        }
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    // A leap second (tm_sec 60) is shown as the last second of its minute.
    time->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

ScopedLocalTime::ScopedLocalTime(const SYSTEMTIME& fixed) {
    FixedClock& clock = TestClock();
    std::lock_guard guard(clock.lock);
    hadFixed_ = clock.active;
    previous_ = clock.time;
    clock.active = true;
    clock.time = fixed;
}

ScopedLocalTime::~ScopedLocalTime() {
    FixedClock& clock = TestClock();
    std::lock_guard guard(clock.lock);
    clock.active = hadFixed_;
    clock.time = previous_;
}

}  // namespace win32
