#pragma once
// The local date and time to the millisecond, as GetLocalTime gives it.

#include <cstdint>

namespace win32 {

using WORD = std::uint16_t;

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;  // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// The current local time (the process's time zone).
void GetLocalTime(SYSTEMTIME* time) noexcept;

// For tests: makes GetLocalTime report `fixed` for the lifetime of the object.
class ScopedLocalTime {
public:
    explicit ScopedLocalTime(const SYSTEMTIME& fixed);
    ~ScopedLocalTime();
    ScopedLocalTime(const ScopedLocalTime&) = delete;
    ScopedLocalTime& operator=(const ScopedLocalTime&) = delete;

private:
    bool hadFixed_;
    SYSTEMTIME previous_;
};

}  // namespace win32
