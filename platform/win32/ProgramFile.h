#pragma once
// The full path of the running program's file (GetModuleFileName of the executable).

#include <string>

namespace win32 {

// The path of the running executable in the ANSI code page, from /proc/self/exe; empty when the
// system cannot tell it.
std::string GetProgramFileName();

// For tests: makes GetProgramFileName report `path` (in the ANSI code page) for the lifetime of
// the object, so that code reading "the running program's file" can be pointed at a fixture.
class ScopedProgramFileName {
public:
    explicit ScopedProgramFileName(std::string path);
    ~ScopedProgramFileName();
    ScopedProgramFileName(const ScopedProgramFileName&) = delete;
    ScopedProgramFileName& operator=(const ScopedProgramFileName&) = delete;

private:
    bool hadOverride_;
    std::string previous_;
};

}  // namespace win32
