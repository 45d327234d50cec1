#include "runtime/HLDFunctions.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/win32/CodePage.h"
#include "platform/win32/LocalTime.h"
#include "platform/win32/SystemMessage.h"
#include "platform/win32/UserName.h"
#include "platform/win32/VersionInfo.h"
#include "runtime/HLDException.h"
#include "runtime/HLDGlobalVars.h"

namespace {

constexpr const char* kWin32APIErrorHeading = "【Win32 API の例外】";
constexpr const char* kVersionInfoFailed = "情報の取得に失敗しました";
constexpr const char* kNoPresenter =
    "CExceptionMsg 関数の動作に必要な gMPObject のインスタンスが初期化されていません";
constexpr char16_t kFullWidthBlank = u'\u3000';

// The key names of TCVersionInfoKey, constant for the whole run.
constexpr std::array<const char*, 12> kVersionInfoKeys = {
    "Comments",     "CompanyName",    "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
    "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild",
};

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }

// Removes leading and trailing bytes 0..32.
std::string Trim(const std::string& s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && IsTrimmed(s[begin])) ++begin;
    while (end > begin && IsTrimmed(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

// The full-width blank in the ANSI code page (0x81 0x40 in 932).
const std::string& FullWidthBlank() {
    thread_local win32::UINT codePage = 0;
    thread_local std::string blank;
    if (codePage != win32::GetACP()) {
        codePage = win32::GetACP();
        blank = win32::Utf16ToAnsi(std::u16string_view(&kFullWidthBlank, 1));
    }
    return blank;
}

// True when the byte at `pos` of `s` continues a character that begins before it.
bool IsInsideCharacter(const std::string& s, std::size_t pos) {
    if (win32::IsDBCSCodePage()) {
        std::size_t i = 0;
        while (i < pos) i += win32::IsDBCSLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
        return i > pos;
    }
    if (win32::GetACP() == win32::CP_UTF8) {
        return (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80;
    }
    return false;
}

// Fills the presenter and shows E; shared by both ownership flavours of CExceptionMsg.
int Present(const Exception& E, int OptionA, std::uint8_t OptionB, int OptionC, int DefaultResult,
            const std::string& Title) {
    int result = DefaultResult;
    if (!gMPObject) throw ECIncompleteCode(win32::Utf8ToAnsi(kNoPresenter), 0);
    TCMessagePresenter& presenter = *gMPObject;
    const auto* family = dynamic_cast<const ECException*>(&E);
    presenter.Style = family != nullptr ? family->Style : 16;
    presenter.Title = CIsBlank(Title) ? presenter.ProgramTitle() : Title;
    presenter.OptionA = OptionA;
    presenter.OptionB = OptionB;
    presenter.OptionC = OptionC;
    result = presenter.Show(E);
    return result;
}

}  // namespace

void CRaiseLastWin32APIError() {
    const win32::DWORD code = win32::GetLastError();
    if (code == win32::ERROR_SUCCESS) return;
    std::vector<char> buffer(256, '\0');
    win32::FormatMessageA(win32::FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, buffer.data(),
                          static_cast<win32::DWORD>(buffer.size()), nullptr);
    std::string message = win32::Utf8ToAnsi(kWin32APIErrorHeading);
    message += '\r';
    message += buffer.data();
    throw ECWin32APIError(message);
}

std::string CRemoveChars(const std::string& S, const std::string& Chars) {
    const std::u16string source = win32::AnsiToUtf16(S);
    const std::u16string removed = win32::AnsiToUtf16(Chars);
    std::u16string result;
    result.reserve(source.size());
    for (char16_t c : source) {
        if (removed.find(c) == std::u16string::npos) result.push_back(c);
    }
    return win32::Utf16ToAnsi(result);
}

std::string CGetUserName() {
    std::string result;
    CClearString(result);
    std::vector<char> buffer(256);
    win32::DWORD size = 255;
    if (win32::GetUserNameA(buffer.data(), &size) != 0) result = buffer.data();
    return result;
}

std::string CGetTimeStamp() {
    win32::SYSTEMTIME now{};
    win32::GetLocalTime(&now);
    char digits[32];
    std::snprintf(digits, sizeof digits, "%04u%02u%02u%02u%02u%02u", unsigned{now.wYear},
                  unsigned{now.wMonth}, unsigned{now.wDay}, unsigned{now.wHour},
                  unsigned{now.wMinute}, unsigned{now.wSecond});
    return std::string(digits).substr(0, 14);
}

void CClearString(std::string& S) { S.clear(); }

bool CIsBlank(const std::string& S) { return CTrimEx(S).empty(); }

bool CEndsWith(const std::string& SubStr, const std::string& S) {
    if (SubStr.empty()) return true;
    if (SubStr.size() > S.size()) return false;
    const std::size_t start = S.size() - SubStr.size();
    if (IsInsideCharacter(S, start)) return false;
    return S.compare(start, SubStr.size(), SubStr) == 0;
}

std::string CTrimEx(const std::string& S) {
    const std::string& blank = FullWidthBlank();
    std::string r = Trim(S);
    while (r.compare(0, blank.size(), blank) == 0 && r.size() >= blank.size()) {
        r = Trim(r.substr(blank.size()));
    }
    while (CEndsWith(blank, r) && !r.empty()) {
        r = Trim(r.substr(0, r.size() - blank.size()));
    }
    return r;
}

std::string CGetVersionInfo(const std::string& FileName, TCVersionInfoKey Key) {
    win32::DWORD handle = 0;
    const win32::DWORD size = win32::GetFileVersionInfoSizeA(FileName.c_str(), &handle);
    if (size == 0) return {};
    std::vector<unsigned char> block(size);
    if (win32::GetFileVersionInfoA(FileName.c_str(), handle, size, block.data()) == 0) {
        throw Exception(win32::Utf8ToAnsi(kVersionInfoFailed));
    }
    void* value = nullptr;
    win32::UINT length = 0;
    win32::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length);
    if (length == 0) throw Exception(win32::Utf8ToAnsi(kVersionInfoFailed));
    std::uint32_t translation = 0;
    std::memcpy(&translation, value, sizeof translation);
    if (Key >= kVersionInfoKeys.size()) return {};

    // "\StringFileInfo\" + four hex digits of the language + four of the code page + "\" + key.
    char table[16];
    std::snprintf(table, sizeof table, "%04X%04X", unsigned{translation & 0xFFFFu},
                  unsigned{translation >> 16});
    const std::string path =
        std::string("\\StringFileInfo\\") + table + "\\" + kVersionInfoKeys[Key];
    value = nullptr;
    length = 0;
    win32::VerQueryValueA(block.data(), path.c_str(), &value, &length);
    if (length == 0 || value == nullptr) return {};
    const auto* text = static_cast<const char*>(value);
    return Trim(std::string(text, strnlen(text, length)));
}

int CExceptionMsg(std::unique_ptr<Exception> E, int OptionA, std::uint8_t OptionB, int OptionC,
                  int DefaultResult, const std::string& Title) {
    // E is held here until we leave, by return or by exception.
    if (!E) throw ECInternalError();  // a caller's slip, not something to present
    return Present(*E, OptionA, OptionB, OptionC, DefaultResult, Title);
}

int CExceptionMsg(const Exception& E, int OptionA, std::uint8_t OptionB, int OptionC,
                  int DefaultResult, const std::string& Title) {
    return Present(E, OptionA, OptionB, OptionC, DefaultResult, Title);
}
