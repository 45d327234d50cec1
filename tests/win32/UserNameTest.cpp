#include "platform/win32/UserName.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>

#include "platform/win32/CodePage.h"

using namespace win32;

TEST(UserName, IsTheEffectiveUserOfTheProcess) {
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    char buffer[256] = {};
    DWORD size = sizeof buffer;
    ASSERT_NE(GetUserNameA(buffer, &size), 0);
    EXPECT_STREQ(buffer, entry->pw_name);
    EXPECT_EQ(size, std::string(entry->pw_name).size() + 1);
}

TEST(UserName, FitsOnlyWithItsTerminatingZeroAndReportsTheSizeNeeded) {
    struct Case {
        std::size_t nameBytes;
        DWORD capacity;
        bool fits;
    };
    const Case cases[] = {{254, 255, true}, {255, 255, false}, {300, 255, false}, {1, 2, true}};
    for (const Case& c : cases) {
        ScopedUserName name(std::string(c.nameBytes, 'u'));
        char buffer[512] = {};
        DWORD size = c.capacity;
        EXPECT_EQ(GetUserNameA(buffer, &size) != 0, c.fits) << c.nameBytes;
        EXPECT_EQ(size, c.nameBytes + 1) << c.nameBytes;
        if (c.fits) {
            EXPECT_EQ(std::string(buffer), std::string(c.nameBytes, 'u'));
        } else {
            EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
            EXPECT_EQ(buffer[0], '\0');
        }
    }
}

TEST(UserName, IsGivenInTheAnsiCodePageAndFailsWhenTheSystemKnowsNone) {
    {
        ScopedCodePage sjis(CP_SHIFT_JIS);
        ScopedUserName name(std::string("山田"));
        char buffer[16] = {};
        DWORD size = sizeof buffer;
        ASSERT_NE(GetUserNameA(buffer, &size), 0);
        EXPECT_EQ(std::string(buffer), "\x8e\x52\x93\x63");
        EXPECT_EQ(size, 5u);
    }
    ScopedUserName nobody(std::nullopt);
    char buffer[16] = {};
    DWORD size = sizeof buffer;
    EXPECT_EQ(GetUserNameA(buffer, &size), 0);
}
