#include "components/CSecurity.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

TEST(CSecurity, NewAttributesAreTheTwelveByteRecordOfDefaultSecurityWithInheritedHandles) {
    const auto sa = NewSecurityAttributes();
    ASSERT_NE(sa, nullptr);
    static_assert(offsetof(win32::SECURITY_ATTRIBUTES, lpSecurityDescriptor) == 4);
    static_assert(offsetof(win32::SECURITY_ATTRIBUTES, bInheritHandle) == 8);
    unsigned char bytes[12];
    std::memcpy(bytes, sa.get(), sizeof bytes);
    const unsigned char expected[12] = {12, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(bytes, expected, sizeof bytes), 0);

    win32::HANDLE h = win32::CreateMutexA(sa.get(), 0, nullptr);
    ASSERT_NE(h, nullptr);
    win32::DWORD flags = 0;
    EXPECT_EQ(win32::GetHandleInformation(h, &flags), 1);
    EXPECT_EQ(flags, win32::HANDLE_FLAG_INHERIT);
    win32::CloseHandle(h);
}
