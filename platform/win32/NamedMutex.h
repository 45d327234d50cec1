#pragma once
// Named mutexes shared by every process of the user's session, with the calls and results of the
// Win32 kernel objects: a mutex exists while some process holds a handle to it, creation can ask
// for ownership at once, an existing name is reported with ERROR_ALREADY_EXISTS, a wait has a
// time-out and reports an owner that ended without releasing (WAIT_ABANDONED), and only the
// owning thread may release.
//
// Every handle is an entry of this process's handle table; the entry and what it refers to are
// released by CloseHandle (and by the end of the process). A crashed process leaves nothing that
// keeps a mutex existing or owned: the state lives in file locks, which die with their process.

#include <cstdint>

#include "platform/win32/LastError.h"

namespace win32 {

struct HandleObject;  // never defined: a handle is a key into the process's handle table
using HANDLE = HandleObject*;
using BOOL = std::int32_t;
using LPCSTR = const char*;

inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0x00000000u;
inline constexpr DWORD WAIT_ABANDONED = 0x00000080u;
inline constexpr DWORD WAIT_TIMEOUT = 0x00000102u;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

inline constexpr DWORD SYNCHRONIZE = 0x00100000u;
inline constexpr DWORD MUTEX_MODIFY_STATE = 0x00000001u;
inline constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001u;

inline constexpr DWORD HANDLE_FLAG_INHERIT = 0x00000001u;

inline constexpr DWORD MAX_PATH = 260;

// The security-attributes record in its 32-bit layout (12 bytes). This platform has no security
// descriptors: only 0, the default security of the user's session, is accepted.
#pragma pack(push, 4)
struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    std::uint32_t lpSecurityDescriptor;
    BOOL bInheritHandle;
};
#pragma pack(pop)
static_assert(sizeof(SECURITY_ATTRIBUTES) == 12);
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// A name longer than MAX_PATH characters fails with the system's code 206 (file name too long).

// Creates the mutex `name` or opens it when it exists already. A new mutex is owned by the calling
// thread when `bInitialOwner` is true, and the last error is 0. An existing one gives a handle
// without ownership and the last error ERROR_ALREADY_EXISTS. An empty or null name makes a mutex
// that no other handle can find. Returns null on failure, with the last error set.
HANDLE CreateMutexA(const SECURITY_ATTRIBUTES* lpMutexAttributes, BOOL bInitialOwner, LPCSTR name);

// Opens an existing mutex. Returns null with ERROR_FILE_NOT_FOUND when no process holds it.
HANDLE OpenMutexA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR name);

// Waits until the mutex is free and takes it for the calling thread: WAIT_OBJECT_0, or
// WAIT_ABANDONED when the previous owner ended without releasing (the caller owns it now as
// well), WAIT_TIMEOUT after `dwMilliseconds`, WAIT_FAILED with the last error set. A thread that
// owns the mutex gets it again at once and has to release it as often. INFINITE waits without
// limit. Waiting sleeps; it does not use up a processor.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// Gives up one level of the calling thread's ownership. Fails with ERROR_NOT_OWNER when the calling
// thread does not own the mutex.
BOOL ReleaseMutex(HANDLE hMutex);

// Closes a handle. Closing does not release ownership; when the last handle of this process goes
// while one of its threads still owns the mutex, the next owner is told WAIT_ABANDONED.
BOOL CloseHandle(HANDLE hObject);

// The handle's flags (HANDLE_FLAG_INHERIT).
BOOL GetHandleInformation(HANDLE hObject, DWORD* lpdwFlags);

}  // namespace win32
