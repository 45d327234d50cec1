#include "platform/win32/SystemMessage.h"

#include <cstring>
#include <string>
#include <string_view>

#include "platform/win32/CodePage.h"

namespace win32 {

namespace {

struct SystemText {
    DWORD code;
    std::string_view text;  // UTF-8
};

// The texts of a Japanese Windows for every code our stand-ins report.
constexpr SystemText kSystemTexts[] = {
    {ERROR_SUCCESS, "この操作を正しく終了しました。\r\n"},
    {ERROR_FILE_NOT_FOUND, "指定されたファイルが見つかりません。\r\n"},
    {ERROR_ACCESS_DENIED, "アクセスが拒否されました。\r\n"},
    {ERROR_INVALID_HANDLE, "ハンドルが無効です。\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY, "このコマンドを実行するのに十分な記憶域がありません。\r\n"},
    {ERROR_INVALID_PARAMETER, "パラメーターが間違っています。\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "システム コールに渡されるデータ領域が小さすぎます。\r\n"},
    {ERROR_INVALID_NAME,
     "ファイル名、ディレクトリ名、またはボリューム ラベルの構文が間違っています。\r\n"},
    {ERROR_ALREADY_EXISTS, "既に存在するファイルを作成することはできません。\r\n"},
    {206, "ファイル名または拡張子が長すぎます。\r\n"},  // ERROR_FILENAME_EXCED_RANGE
    {258, "待ち操作がタイムアウトになりました。\r\n"},  // WAIT_TIMEOUT
    {ERROR_NOT_OWNER, "呼び出し側が所有していないミューテックスを解放しようとしています。\r\n"},
    {ERROR_RESOURCE_DATA_NOT_FOUND,
     "指定されたイメージ ファイルにはリソース セクションが含まれていません。\r\n"},
    {ERROR_RESOURCE_TYPE_NOT_FOUND,
     "指定されたリソースの種類がイメージ ファイルに見つかりません。\r\n"},
    {ERROR_RESOURCE_NAME_NOT_FOUND,
     "指定されたリソース名がイメージ ファイルに見つかりません。\r\n"},
};

}  // namespace

DWORD FormatMessageA(DWORD flags, const void* /*source*/, DWORD messageId, DWORD /*languageId*/,
                     char* buffer, DWORD size, va_list* /*arguments*/) {
    if (flags != FORMAT_MESSAGE_FROM_SYSTEM || buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    for (const SystemText& entry : kSystemTexts) {
        if (entry.code != messageId) continue;
        const std::string text = Utf8ToAnsi(entry.text);
        if (text.size() + 1 > size) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<DWORD>(text.size());
    }
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
}

}  // namespace win32
