#include "platform/win32/LastError.h"

namespace win32 {

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() noexcept { return lastError; }
void SetLastError(DWORD code) noexcept { lastError = code; }

}  // namespace win32
