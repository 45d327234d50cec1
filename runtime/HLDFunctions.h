#pragma once
// Helper functions shared by the components and the application. Strings are byte strings in the
// ANSI code page; "trim" removes leading and trailing bytes 0..32.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/vcl/SysUtils.h"

// Raises ECWin32APIError with the Win32 error heading, a carriage return and the system's text for
// the calling thread's last error code; returns quietly when that code is 0.
void CRaiseLastWin32APIError();

// S without every character (not byte) that occurs in Chars; case-sensitive.
std::string CRemoveChars(const std::string& S, const std::string& Chars);

// The logon name of the user the process runs as, or empty when the system cannot give it (or it
// does not fit into 255 bytes with its terminating zero).
std::string CGetUserName();

// The local time as the 14 digits "yyyymmddhhmmss".
std::string CGetTimeStamp();

void CClearString(std::string& S);

// True when CTrimEx(S) is empty.
bool CIsBlank(const std::string& S);

// True when S ends with SubStr (note the order). An ending that would begin inside a multibyte
// character does not count.
bool CEndsWith(const std::string& SubStr, const std::string& S);

// S without leading and trailing bytes 0..32 and full-width blanks, in any mixture.
std::string CTrimEx(const std::string& S);

enum TCVersionInfoKey : std::uint8_t {
    vikComments,
    vikCompanyName,
    vikFileDescription,
    vikFileVersion,
    vikInternalName,
    vikLegalCopyright,
    vikLegalTrademarks,
    vikOriginalFilename,
    vikPrivateBuild,
    vikProductName,
    vikProductVersion,
    vikSpecialBuild,
};

// One value of the first string table of FileName's version information, trimmed; empty when
// the file has no version information or no value for Key. Raises Exception (information could
// not be obtained) when the information has no translation table or cannot be read after its size
// was known.
std::string CGetVersionInfo(const std::string& FileName, TCVersionInfoKey Key);

// Hands E to the installed presenter gMPObject and returns what it answers. Sets the presenter's
// Style (E's when E belongs to the ECException family, otherwise 16), Title (Title, or the
// presenter's ProgramTitle when Title is blank), OptionA, OptionB and OptionC first. Without a
// presenter raises ECIncompleteCode. DefaultResult never reaches the caller.
//
// This overload takes E over and frees it on every way out.
int CExceptionMsg(std::unique_ptr<Exception> E, int OptionA, std::uint8_t OptionB, int OptionC,
                  int DefaultResult, const std::string& Title);

// For the exception currently being handled (`catch (const Exception& E)`): the handler keeps
// owning it, so this overload frees nothing.
int CExceptionMsg(const Exception& E, int OptionA, std::uint8_t OptionB, int OptionC,
                  int DefaultResult, const std::string& Title);
