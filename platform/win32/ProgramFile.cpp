#include "platform/win32/ProgramFile.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/win32/CodePage.h"

namespace win32 {

namespace {

struct Override {
    std::mutex lock;
    bool active = false;
    std::string path;
};

Override& TestOverride() {
    static Override instance;
    return instance;
}

}  // namespace

std::string GetProgramFileName() {
    {
        Override& o = TestOverride();
        std::lock_guard guard(o.lock);
        if (o.active) return o.path;
    }
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return Utf8ToAnsi(exe.string());
}

ScopedProgramFileName::ScopedProgramFileName(std::string path) {
    Override& o = TestOverride();
    std::lock_guard guard(o.lock);
    hadOverride_ = o.active;
    previous_ = std::move(o.path);
    o.active = true;
    o.path = std::move(path);
}

ScopedProgramFileName::~ScopedProgramFileName() {
    Override& o = TestOverride();
    std::lock_guard guard(o.lock);
    o.active = hadOverride_;
    o.path = std::move(previous_);
}

}  // namespace win32
