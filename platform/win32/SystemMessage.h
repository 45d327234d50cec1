#pragma once
// The system's text for an error code, as FormatMessageA gives it with FORMAT_MESSAGE_FROM_SYSTEM.

#include <cstdarg>

#include "platform/win32/LastError.h"

namespace win32 {

inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;

// Writes the Japanese system text for `messageId` (in the ANSI code page, with its trailing
// "\r\n", zero-terminated) into `buffer` and returns its length without the zero. Returns 0 and
// leaves the buffer untouched when the code has no text (last error ERROR_MR_MID_NOT_FOUND) or
// when the text and its zero do not fit into `size` bytes (ERROR_INSUFFICIENT_BUFFER). Only
// FORMAT_MESSAGE_FROM_SYSTEM is supported; `source`, `languageId` and `arguments` are ignored, so
// a text is always given as it stands.
DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     char* buffer, DWORD size, va_list* arguments);

}  // namespace win32
