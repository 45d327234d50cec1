#include "platform/win32/UserName.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/win32/CodePage.h"

namespace win32 {

namespace {

// The test override: engaged while a ScopedUserName lives.
struct Override {
    std::mutex lock;
    bool active = false;
    std::optional<std::string> name;
};

Override& TestOverride() {
    static Override instance;
    return instance;
}

std::optional<std::string> SystemUserName() {
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_name != nullptr && found->pw_name[0] != '\0') {
        return std::string(found->pw_name);
    }
    if (const char* user = std::getenv("USER"); user != nullptr && user[0] != '\0') {
        return std::string(user);
    }
    return std::nullopt;
}

std::optional<std::string> CurrentUserName() {
    Override& o = TestOverride();
    {
        std::lock_guard guard(o.lock);
        if (o.active) return o.name;
    }
    return SystemUserName();
}

}  // namespace

BOOL GetUserNameA(char* buffer, DWORD* size) {
    if (size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::optional<std::string> utf8 = CurrentUserName();
    if (!utf8) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    const std::string name = Utf8ToAnsi(*utf8);
    const auto needed = static_cast<DWORD>(name.size() + 1);
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, name.c_str(), needed);
    *size = needed;
    return 1;
}

ScopedUserName::ScopedUserName(std::optional<std::string> name) {
    Override& o = TestOverride();
    std::lock_guard guard(o.lock);
    hadOverride_ = o.active;
    previous_ = std::move(o.name);
    o.active = true;
    o.name = std::move(name);
}

ScopedUserName::~ScopedUserName() {
    Override& o = TestOverride();
    std::lock_guard guard(o.lock);
    o.active = hadOverride_;
    o.name = std::move(previous_);
}

}  // namespace win32
