#pragma once
// The process's ANSI code page and the conversions between it and UTF-16 / UTF-8.
//
// The maker's runtime works on byte strings in the ANSI code page. On Linux that is UTF-8 unless a
// test switches it to 932 (Shift-JIS) to run the double-byte rules; the GUI converts at the
// boundary.

#include <string>
#include <string_view>

#include "platform/win32/LastError.h"

namespace win32 {

using UINT = unsigned int;

inline constexpr UINT CP_UTF8 = 65001;
inline constexpr UINT CP_SHIFT_JIS = 932;

// The ANSI code page in effect (CP_UTF8 by default).
UINT GetACP() noexcept;

// True when the ANSI code page is a double-byte code page (932) and `byte` is a lead byte in it.
bool IsDBCSLeadByte(unsigned char byte) noexcept;

// True when the ANSI code page is a double-byte code page.
bool IsDBCSCodePage() noexcept;

// Bytes in the ANSI code page to UTF-16. A byte sequence that is not valid in the code page
// becomes U+FFFD, one per offending byte, so that no input makes the conversion fail.
std::u16string AnsiToUtf16(std::string_view ansi);

// UTF-16 to the ANSI code page; a character the code page cannot hold becomes '?'.
std::string Utf16ToAnsi(std::u16string_view wide);

// UTF-8 (the encoding of our sources and of the GUI's boundary) to and from the ANSI code page.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// Switches the ANSI code page for the lifetime of the object and restores the previous one.
// Only CP_UTF8 and CP_SHIFT_JIS are supported; anything else throws std::invalid_argument.
class ScopedCodePage {
public:
    explicit ScopedCodePage(UINT codePage);
    ~ScopedCodePage();
    ScopedCodePage(const ScopedCodePage&) = delete;
    ScopedCodePage& operator=(const ScopedCodePage&) = delete;

private:
    UINT previous_;
};

}  // namespace win32
