#include "platform/win32/LocalTime.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace win32;

TEST(LocalTime, FollowsTheSystemClockInTheLocalTimeZone) {
    const std::time_t before = std::time(nullptr);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::time_t after = std::time(nullptr);
    std::tm stamp{};
    stamp.tm_year = now.wYear - 1900;
    stamp.tm_mon = now.wMonth - 1;
    stamp.tm_mday = now.wDay;
    stamp.tm_hour = now.wHour;
    stamp.tm_min = now.wMinute;
    stamp.tm_sec = now.wSecond;
    stamp.tm_isdst = -1;
    const std::time_t read = std::mktime(&stamp);
    EXPECT_GE(read, before);
    EXPECT_LE(read, after);
    EXPECT_EQ(now.wDayOfWeek, stamp.tm_wday);  // mktime filled in the weekday of the date read
    EXPECT_LT(now.wMilliseconds, 1000);
}

TEST(LocalTime, ReportsAFixedClockWhileATestHoldsOne) {
    const SYSTEMTIME fixed{2012, 12, 1, 31, 23, 59, 59, 999};
    {
        ScopedLocalTime clock(fixed);
        SYSTEMTIME now{};
        GetLocalTime(&now);
        EXPECT_EQ(now.wYear, 2012);
        EXPECT_EQ(now.wMonth, 12);
        EXPECT_EQ(now.wDay, 31);
        EXPECT_EQ(now.wHour, 23);
        EXPECT_EQ(now.wMilliseconds, 999);
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_NE(now.wYear, 2012);
}
