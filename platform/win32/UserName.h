#pragma once
// The logon name of the user the process runs as, with GetUserNameA's buffer rules.

#include <optional>
#include <string>

#include "platform/win32/LastError.h"

namespace win32 {

using BOOL = std::int32_t;

// Copies the user name (in the ANSI code page, zero-terminated) into `buffer`. `*size` holds the
// buffer's capacity in bytes; on success it becomes the bytes written including the zero and the
// result is nonzero. When the name and its zero do not fit, the result is 0, the last error is
// ERROR_INSUFFICIENT_BUFFER and `*size` the capacity needed. The name is that of the process's
// effective user (the password database), or $USER when the database has no entry.
BOOL GetUserNameA(char* buffer, DWORD* size);

// For tests: makes GetUserNameA report `name` (UTF-8) for the lifetime of the object; an empty
// optional makes it fail as if the system knew no name.
class ScopedUserName {
public:
    explicit ScopedUserName(std::optional<std::string> name);
    ~ScopedUserName();
    ScopedUserName(const ScopedUserName&) = delete;
    ScopedUserName& operator=(const ScopedUserName&) = delete;

private:
    bool hadOverride_;
    std::optional<std::string> previous_;
};

}  // namespace win32
