#include "runtime/HLDFunctions.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "RecordingPresenter.h"
#include "platform/win32/CodePage.h"
#include "platform/win32/LocalTime.h"
#include "platform/win32/UserName.h"
#include "runtime/HLDException.h"

using win32::CP_SHIFT_JIS;
using win32::CP_UTF8;
using win32::ScopedCodePage;
using win32::Utf8ToAnsi;

namespace {

constexpr win32::UINT kCodePages[] = {CP_UTF8, CP_SHIFT_JIS};

// An exception that tells when it is freed.
class TrackedWarning : public ECWarning {
public:
    explicit TrackedWarning(bool& freed) : ECWarning("tracked", 5), freed_(freed) {}
    ~TrackedWarning() override { freed_ = true; }

private:
    bool& freed_;
};

class TrackedPlain : public Exception {
public:
    explicit TrackedPlain(bool& freed) : Exception("plain"), freed_(freed) {}
    ~TrackedPlain() override { freed_ = true; }

private:
    bool& freed_;
};

}  // namespace

TEST(RemoveChars, RemovesWholeCharactersWhereverTheyOccurInEitherCodePage) {
    struct Case {
        const char* s;
        const char* chars;
        const char* result;
    };
    const Case cases[] = {
        {"C:\\Code\\calc", "C:", "\\ode\\calc"},
        {"abc", "", "abc"},
        {"", "abc", ""},
        {"表示\\パス", "\\", "表示パス"},  // 表's trail byte is a backslash in Shift-JIS
        {"表示テスト", "示ト", "表テス"},
        {"aａAａa", "ａ", "aAa"},
        {"ＡＢＣ", "Ａ", "ＢＣ"},
    };
    for (win32::UINT cp : kCodePages) {
        ScopedCodePage codePage(cp);
        for (const Case& c : cases) {
            EXPECT_EQ(CRemoveChars(Utf8ToAnsi(c.s), Utf8ToAnsi(c.chars)), Utf8ToAnsi(c.result))
                << cp << " " << c.s;
        }
    }
}

TEST(TrimEx, RemovesBlanksControlsAndFullWidthBlanksAtBothEndsOnly) {
    struct Case {
        const char* s;
        const char* trimmed;
    };
    const Case cases[] = {
        {" 　 abc　 　", "abc"},
        {"a　b", "a　b"},
        {"", ""},
        {"　", ""},
        {" \t　\r\n", ""},
        {"x", "x"},
        {"　x", "x"},
        {"\x01 padded \x1f", "padded"},
        {"　 　表　", "表"},
    };
    for (win32::UINT cp : kCodePages) {
        ScopedCodePage codePage(cp);
        for (const Case& c : cases) {
            EXPECT_EQ(CTrimEx(Utf8ToAnsi(c.s)), Utf8ToAnsi(c.trimmed)) << cp << " '" << c.s << "'";
            EXPECT_EQ(CIsBlank(Utf8ToAnsi(c.s)), std::string(c.trimmed).empty()) << cp << c.s;
        }
    }
}

TEST(EndsWith, TakesTheEndingFirstAndNeverMatchesInsideACharacter) {
    struct Case {
        win32::UINT cp;
        std::string subStr;
        std::string s;
        bool result;
    };
    const Case cases[] = {
        {CP_UTF8, "abc", "bc", false},
        {CP_UTF8, "", "bc", true},
        {CP_UTF8, "bc", "abc", true},
        {CP_UTF8, "BC", "abc", false},
        {CP_UTF8, "\x80\x80", "a\xe3\x80\x80", false},  // the tail of a full-width blank
        {CP_UTF8, "\xe3\x80\x80", "a\xe3\x80\x80", true},
        {CP_SHIFT_JIS, "abc", "bc", false},
        {CP_SHIFT_JIS, "", "", true},
        {CP_SHIFT_JIS, "\x81\x40", "a\x81\x40", true},
        {CP_SHIFT_JIS, "\x81\x40", "\x88\x81\x40", false},  // 0x81 is the trail byte of 0x88
        {CP_SHIFT_JIS, "\x81\x40", "\x88\x81\x81\x40", true},
        {CP_SHIFT_JIS, "\x5c", "\x95\x5c", false},  // the backslash is 表's trail byte
    };
    for (const Case& c : cases) {
        ScopedCodePage codePage(c.cp);
        EXPECT_EQ(CEndsWith(c.subStr, c.s), c.result) << c.cp << " " << c.subStr << " " << c.s;
    }
}

TEST(TrimEx, KeepsAFullWidthBlankLookalikeThatStraddlesTwoCharacters) {
    ScopedCodePage sjis(CP_SHIFT_JIS);
    const std::string straddling = "\x88\x81\x40";
    EXPECT_EQ(CTrimEx(straddling), straddling);
    EXPECT_FALSE(CIsBlank(straddling));
}

TEST(TimeStamp, IsAlwaysFourteenDigitsOfTheLocalTime) {
    struct Case {
        win32::SYSTEMTIME time;
        const char* stamp;
    };
    const Case cases[] = {
        {{2012, 3, 4, 15, 9, 30, 5, 123}, "20120315093005"},
        {{2012, 12, 1, 31, 23, 59, 59, 999}, "20121231235959"},
        {{1, 1, 1, 1, 0, 0, 0, 0}, "00010101000000"},
    };
    for (const Case& c : cases) {
        win32::ScopedLocalTime clock(c.time);
        EXPECT_EQ(CGetTimeStamp(), c.stamp);
    }
    const std::string now = CGetTimeStamp();
    EXPECT_EQ(now.size(), 14u);
    EXPECT_EQ(now.find_first_not_of("0123456789"), std::string::npos);
}

TEST(UserName, IsTheProcessUsersNameWhenItFitsIntoTwoHundredFiftyFiveBytes) {
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(CGetUserName(), entry->pw_name);

    struct Case {
        win32::UINT cp;
        std::optional<std::string> name;  // UTF-8
        bool kept;
    };
    std::string kanji127;
    for (int i = 0; i < 127; ++i) kanji127 += "山";
    const Case cases[] = {
        {CP_UTF8, "taro", true},
        {CP_UTF8, std::string(254, 'u'), true},
        {CP_UTF8, std::string(255, 'u'), false},
        {CP_UTF8, std::string(1000, 'u'), false},
        {CP_UTF8, std::nullopt, false},
        {CP_SHIFT_JIS, kanji127, true},          // 254 bytes in Shift-JIS
        {CP_SHIFT_JIS, kanji127 + "山", false},  // 256 bytes
    };
    for (const Case& c : cases) {
        ScopedCodePage codePage(c.cp);
        win32::ScopedUserName name(c.name);
        EXPECT_EQ(CGetUserName(), c.kept ? Utf8ToAnsi(*c.name) : "")
            << c.cp << " " << (c.name ? c.name->size() : 0);
    }
}

TEST(VersionInfo, ReadsTheProgramsOwnVersionResource) {
    struct Case {
        TCVersionInfoKey key;
        const char* value;
    };
    const Case cases[] = {
        {vikComments, ""},
        {vikCompanyName, "株式会社HALDREN"},
        {vikFileDescription, "Oracle 限定 BLOB も登録できるDBメンテナンスツール"},
        {vikFileVersion, "1.2.0.0"},
        {vikInternalName, ""},
        {vikLegalCopyright, "Copyright (C) 2012-2026 HALDREN Co., Ltd."},
        {vikLegalTrademarks, ""},
        {vikOriginalFilename, ""},
        {vikPrivateBuild, ""},
        {vikProductName, "HALDREN クイラン！～ QUILLAN! ～"},
        {vikProductVersion, "1.0.0.0"},
        {vikSpecialBuild, ""},
    };
    for (win32::UINT cp : kCodePages) {
        ScopedCodePage codePage(cp);
        for (const Case& c : cases) {
            EXPECT_EQ(CGetVersionInfo(QUILLAN_PROGRAM_FILE, c.key), Utf8ToAnsi(c.value))
                << cp << " key " << int{c.key};
        }
    }
}

TEST(VersionInfo, UsesTheFirstTranslationAndTrimsOnlyBytesUpToBlank) {
    struct Case {
        TCVersionInfoKey key;
        const char* value;
    };
    const Case cases[] = {
        {vikFileVersion, "3.4.5.67"},
        {vikCompanyName, "株式会社テスト"},
        {vikProductName, "　試験プログラム　"},
        {vikComments, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CGetVersionInfo(QUILLAN_VERSION_FIXTURE_ALTERNATE, c.key), c.value)
            << int{c.key};
    }
}

TEST(VersionInfo, IsEmptyForAFileWithoutItAndFailsWithoutATranslationTable) {
    EXPECT_EQ(CGetVersionInfo("/proc/self/exe", vikFileVersion), "");
    EXPECT_EQ(CGetVersionInfo("/nonexistent/QUILLAN", vikFileVersion), "");
    try {
        CGetVersionInfo(QUILLAN_VERSION_FIXTURE_NO_TRANSLATION, vikFileVersion);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.ClassType(), Exception::StaticClass());
        EXPECT_EQ(e.Message(), "情報の取得に失敗しました");
    }
}

TEST(RaiseLastWin32APIError, RaisesTheSystemTextOfTheLastErrorUnlessItIsZero) {
    struct Case {
        win32::DWORD code;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {0, std::nullopt},
        {183, "既に存在するファイルを作成することはできません。\r\n"},
        {288, "呼び出し側が所有していないミューテックスを解放しようとしています。\r\n"},
        {99999, ""},
    };
    for (win32::UINT cp : kCodePages) {
        ScopedCodePage codePage(cp);
        for (const Case& c : cases) {
            win32::SetLastError(c.code);
            if (!c.text) {
                EXPECT_NO_THROW(CRaiseLastWin32APIError());
                continue;
            }
            try {
                CRaiseLastWin32APIError();
                ADD_FAILURE() << c.code << " raised nothing";
            } catch (const ECWin32APIError& e) {
                EXPECT_EQ(e.Message(), Utf8ToAnsi("【Win32 API の例外】\r" + *c.text)) << c.code;
                EXPECT_EQ(e.Code, 0);
                EXPECT_EQ(e.Style, 16);
            }
        }
    }
}

TEST(ExceptionMsg, FillsThePresenterAndReturnsItsAnswer) {
    struct Case {
        std::string title;
        std::string shownTitle;
    };
    const Case cases[] = {
        {"", "QUILLAN"},
        {"　 　", "QUILLAN"},
        {" \t", "QUILLAN"},
        {" 確認 ", " 確認 "},
    };
    for (const Case& c : cases) {
        InstalledPresenter installed;
        installed.presenter->answer = 7;
        EXPECT_EQ(CExceptionMsg(std::make_unique<ECWarning>("w", 5), 3, 200, -4, 99, c.title), 7);
        ASSERT_EQ(installed.presenter->shown.size(), 1u);
        const Presentation& shown = installed.presenter->shown.front();
        EXPECT_EQ(shown.title, c.shownTitle) << "'" << c.title << "'";
        EXPECT_EQ(shown.message, "w");
        EXPECT_EQ(shown.style, 48);
        EXPECT_EQ(shown.optionA, 3);
        EXPECT_EQ(shown.optionB, 200);
        EXPECT_EQ(shown.optionC, -4);
    }
}

TEST(ExceptionMsg, TakesStyleFromTheFamilyAndSixteenForOtherExceptions) {
    struct Case {
        std::unique_ptr<Exception> e;
        int style;
    };
    Case cases[] = {
        {std::make_unique<ECWarning>("w", 0), 48},
        {std::make_unique<ECWarning>("w"), 16},
        {std::make_unique<ECWarning>(), 0},
        {std::make_unique<ECRecordEditNotAllowed>(), 0},
        {std::make_unique<EConvertError>("plain"), 16},
    };
    for (Case& c : cases) {
        InstalledPresenter installed;
        const std::string name = c.e->ClassName();
        CExceptionMsg(std::move(c.e), -1, 0, 0, 0, "");
        ASSERT_EQ(installed.presenter->shown.size(), 1u);
        EXPECT_EQ(installed.presenter->shown.front().style, c.style) << name;
    }
}

TEST(ExceptionMsg, FreesTheExceptionItWasGivenOnEveryWayOut) {
    enum Path { Shown, PresenterFails, NoPresenter };
    for (Path path : {Shown, PresenterFails, NoPresenter}) {
        for (bool family : {true, false}) {
            std::optional<InstalledPresenter> installed;
            if (path != NoPresenter) installed.emplace();
            if (path == PresenterFails) installed->presenter->failOnShow = true;
            bool freed = false;
            std::unique_ptr<Exception> e;
            if (family) e = std::make_unique<TrackedWarning>(freed);
            else e = std::make_unique<TrackedPlain>(freed);
            try {
                CExceptionMsg(std::move(e), -1, 0, 0, 0, "");
                EXPECT_EQ(path, Shown);
            } catch (const ECIncompleteCode& raised) {
                EXPECT_EQ(path, NoPresenter);
                EXPECT_EQ(raised.Message(),
                          "CExceptionMsg 関数の動作に必要な gMPObject のインスタンスが初期化"
                          "されていません");
                EXPECT_EQ(raised.Code, 0);
                EXPECT_EQ(raised.Style, 16);
            } catch (const std::runtime_error&) {
                EXPECT_EQ(path, PresenterFails);
            }
            EXPECT_TRUE(freed) << path << family;
        }
    }
}

TEST(ExceptionMsg, LeavesTheExceptionBeingHandledToItsHandler) {
    InstalledPresenter installed;
    bool freed = false;
    try {
        throw TrackedWarning(freed);
    } catch (const Exception& handled) {
        freed = false;  // the thrown copy is the one being handled
        EXPECT_EQ(CExceptionMsg(handled, -1, 0, 0, 0, ""), 6);
        EXPECT_FALSE(freed);
        EXPECT_EQ(handled.Message(), "tracked");
    }
    EXPECT_TRUE(freed);
}
