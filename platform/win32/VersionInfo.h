#pragma once
// Reading the version resource of a program file: GetFileVersionInfoSizeA, GetFileVersionInfoA
// and VerQueryValueA. The resource is the one VersionResource.h embeds; a file without it (not an
// ELF file, or no such section) has no version information.

#include <cstdint>

#include "platform/win32/LastError.h"

namespace win32 {

using BOOL = std::int32_t;
using UINT = unsigned int;

// The size of the buffer GetFileVersionInfoA needs for `fileName` (ANSI code page), or 0 with the
// last error set: ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, or ERROR_RESOURCE_TYPE_NOT_FOUND for
// a file without version information. `handle` is set to 0 when given.
DWORD GetFileVersionInfoSizeA(const char* fileName, DWORD* handle);

// Reads the version information of `fileName` into `data` (`size` bytes, as GetFileVersionInfoSizeA
// gave). String values are in the ANSI code page in effect at this call. Returns 0 with the last
// error set when the file cannot be read or the buffer is too small.
BOOL GetFileVersionInfoA(const char* fileName, DWORD handle, DWORD size, void* data);

// Finds `subBlock` in a buffer filled by GetFileVersionInfoA: "\VarFileInfo\Translation" gives
// the translation table (32-bit entries, language in the low 16 bits, code page in the high 16;
// `*length` in bytes), "\StringFileInfo\llllcccc\Key" a zero-terminated string (`*length` counting
// the zero). Paths are compared without regard to case. Returns 0 with `*length` 0 when the path
// is not in the block. Values need not be aligned: copy them out with memcpy.
BOOL VerQueryValueA(const void* block, const char* subBlock, void** buffer, UINT* length);

}  // namespace win32
