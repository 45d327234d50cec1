#include "platform/win32/ProgramFile.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace win32;

TEST(ProgramFile, IsTheFullPathOfTheRunningExecutableUnlessATestPointsElsewhere) {
    const std::string path = GetProgramFileName();
    EXPECT_TRUE(std::filesystem::path(path).is_absolute()) << path;
    EXPECT_EQ(std::filesystem::path(path).filename(), "test_win32");
    EXPECT_TRUE(std::filesystem::equivalent(path, "/proc/self/exe"));
    {
        ScopedProgramFileName fixture("/tmp/elsewhere");
        EXPECT_EQ(GetProgramFileName(), "/tmp/elsewhere");
    }
    EXPECT_EQ(GetProgramFileName(), path);
}
