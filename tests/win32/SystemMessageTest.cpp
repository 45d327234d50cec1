#include "platform/win32/SystemMessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/CodePage.h"

using namespace win32;

namespace {

// The text FormatMessageA gives for `code` into a 256-byte zeroed buffer.
std::string SystemText(DWORD code, DWORD* result = nullptr) {
    char buffer[256] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, buffer, sizeof buffer, nullptr);
    if (result != nullptr) *result = length;
    return buffer;
}

}  // namespace

TEST(SystemMessage, GivesTheJapaneseTextOfEveryCodeTheStandInsReport) {
    struct Case {
        DWORD code;
        const char* text;
    };
    const Case cases[] = {
        {0, "この操作を正しく終了しました。\r\n"},
        {2, "指定されたファイルが見つかりません。\r\n"},
        {5, "アクセスが拒否されました。\r\n"},
        {6, "ハンドルが無効です。\r\n"},
        {87, "パラメーターが間違っています。\r\n"},
        {122, "システム コールに渡されるデータ領域が小さすぎます。\r\n"},
        {183, "既に存在するファイルを作成することはできません。\r\n"},
        {206, "ファイル名または拡張子が長すぎます。\r\n"},
        {288, "呼び出し側が所有していないミューテックスを解放しようとしています。\r\n"},
        {1813, "指定されたリソースの種類がイメージ ファイルに見つかりません。\r\n"},
    };
    for (const Case& c : cases) {
        DWORD length = 0;
        EXPECT_EQ(SystemText(c.code, &length), c.text) << c.code;
        EXPECT_EQ(length, std::strlen(c.text)) << c.code;
    }
    ScopedCodePage sjis(CP_SHIFT_JIS);
    EXPECT_EQ(SystemText(183), Utf8ToAnsi(cases[6].text));
}

TEST(SystemMessage, LeavesTheBufferEmptyForAnUnknownCodeOrATooSmallBuffer) {
    DWORD length = 1;
    EXPECT_EQ(SystemText(99999, &length), "");
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);

    char small[8] = {};
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 183, 0, small, sizeof small,
                             nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(small, sizeof small), std::string(sizeof small, '\0'));
}
