#include "runtime/HLDException.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/CodePage.h"

// Members declared outside the library, the way the components declare theirs.
HLD_DECLARE_EXCEPTION(ECTestMutex, ECCCLError);
HLD_DEFINE_EXCEPTION(ECTestMutex, ECCCLError)
HLD_DECLARE_EXCEPTION(ECTestRecordLocked, ECRecordEditNotAllowed);
HLD_DEFINE_EXCEPTION(ECTestRecordLocked, ECRecordEditNotAllowed)

namespace {

const std::string kGeneric = "プログラムの実行中に未定義のエラーが発生しました。";

// Made while the program's static objects are initialised, before main.
const std::string messageBeforeMain = ECInternalError().Message();

struct ClassCase {
    ECExceptionClass cls;
    const char* name;
    TClass parent;
    std::string standard;
};

std::vector<ClassCase> Family() {
    return {
        {ECException::ExceptionClass(), "ECException", Exception::StaticClass(), kGeneric},
        {ECPermissionError::ExceptionClass(), "ECPermissionError", ECException::StaticClass(),
         "この操作は認可されていません。"},
        {ECRecordInsertNotAllowed::ExceptionClass(), "ECRecordInsertNotAllowed",
         ECPermissionError::StaticClass(), "レコードの追加操作は認可されていません。"},
        {ECRecordEditNotAllowed::ExceptionClass(), "ECRecordEditNotAllowed",
         ECPermissionError::StaticClass(), "レコードの編集操作は認可されていません。"},
        {ECRecordDeleteNotAllowed::ExceptionClass(), "ECRecordDeleteNotAllowed",
         ECPermissionError::StaticClass(), "レコードの削除操作は認可されていません。"},
        {ECDialogCtl::ExceptionClass(), "ECDialogCtl", ECException::StaticClass(), kGeneric},
        {ECWarning::ExceptionClass(), "ECWarning", ECDialogCtl::StaticClass(), kGeneric},
        {ECIncompleteCode::ExceptionClass(), "ECIncompleteCode", ECException::StaticClass(),
         "クラスの実装が不完全です"},
        {ECThisConstructorIsDisabled::ExceptionClass(), "ECThisConstructorIsDisabled",
         ECIncompleteCode::StaticClass(), "このコンストラクタの呼び出しは禁止されています。"},
        {ECInternalError::ExceptionClass(), "ECInternalError", ECException::StaticClass(),
         "内部エラーです"},
        {ECRuntimeError::ExceptionClass(), "ECRuntimeError", ECException::StaticClass(), kGeneric},
        {ECFormNotPermitted::ExceptionClass(), "ECFormNotPermitted", ECRuntimeError::StaticClass(),
         "この画面の利用は許可されていません。"},
        {ECWin32APIError::ExceptionClass(), "ECWin32APIError", ECException::StaticClass(),
         kGeneric},
        {ECCCLError::ExceptionClass(), "ECCCLError", ECException::StaticClass(), kGeneric},
        // Classes without a text of their own get the generic one, not their parent's.
        {ECTestMutex::ExceptionClass(), "ECTestMutex", ECCCLError::StaticClass(), kGeneric},
        {ECTestRecordLocked::ExceptionClass(), "ECTestRecordLocked",
         ECRecordEditNotAllowed::StaticClass(), kGeneric},
    };
}

// The shorthand constructor is not replaceable, so it has no class-reference path.
std::unique_ptr<ECException> MadeWithShorthand(ECExceptionClass cls, const std::string& msg) {
    if (cls == ECWarning::ExceptionClass()) return std::make_unique<ECWarning>(msg);
    if (cls == ECRecordEditNotAllowed::ExceptionClass()) {
        return std::make_unique<ECRecordEditNotAllowed>(msg);
    }
    return std::make_unique<ECException>(msg);
}

}  // namespace

TEST(ExceptionFamily, GivesEachClassItsOwnStandardMessageAndNoInheritedOne) {
    for (const ClassCase& c : Family()) {
        const auto made = CCreateException(c.cls);
        EXPECT_STREQ(made->ClassName(), c.name);
        EXPECT_EQ(made->ClassType(), c.cls);
        EXPECT_EQ(c.cls->Parent, c.parent) << c.name;
        EXPECT_EQ(made->Message(), c.standard) << c.name;
        EXPECT_EQ(made->Code, 0) << c.name;
        EXPECT_EQ(made->Style, 0) << c.name;
        EXPECT_EQ(CCreateException(c.cls, " \t\r\n", 7)->Message(), c.standard) << c.name;
        EXPECT_EQ(gExceptionMsgProvider->Message(c.cls, {}, 0), c.standard) << c.name;
    }
}

TEST(ExceptionFamily, AppliesTheConstructorRulesForMessageCodeAndStyle) {
    enum Ctor { WithCode, Shorthand, Default };
    struct Case {
        ECExceptionClass cls;
        Ctor ctor;
        std::string msg;
        int code;
        std::string message;
        int expectedCode;
        int style;
    };
    const std::string edit = "レコードの編集操作は認可されていません。";
    const Case cases[] = {
        {ECRecordEditNotAllowed::ExceptionClass(), WithCode, "", 0, edit, 0, 16},
        {ECRecordEditNotAllowed::ExceptionClass(), WithCode, " \t \x01", 3, edit, 3, 16},
        {ECRecordEditNotAllowed::ExceptionClass(), WithCode, "　　", 0, "　　", 0, 16},
        {ECRecordEditNotAllowed::ExceptionClass(), WithCode, "  locked \t", -2, "  locked \t", -2,
         16},
        {ECRecordEditNotAllowed::ExceptionClass(), Shorthand, "", 0, edit, 0, 16},
        {ECWarning::ExceptionClass(), WithCode, "careful", 5, "careful", 5, 48},
        {ECWarning::ExceptionClass(), WithCode, "", 5, kGeneric, 5, 48},
        {ECWarning::ExceptionClass(), Shorthand, "careful", 0, "careful", 0, 16},
        {ECWarning::ExceptionClass(), Default, "", 0, kGeneric, 0, 0},
        {ECIncompleteCode::ExceptionClass(), Default, "", 0, "クラスの実装が不完全です", 0, 0},
        {ECException::ExceptionClass(), Shorthand, "x", 0, "x", 0, 16},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ECException> made;
        switch (c.ctor) {
            case WithCode: made = CCreateException(c.cls, c.msg, c.code); break;
            case Default: made = CCreateException(c.cls); break;
            case Shorthand: made = MadeWithShorthand(c.cls, c.msg); break;
        }
        const std::string what = std::string(c.cls->Name) + " '" + c.msg + "'";
        EXPECT_EQ(made->ClassType(), c.cls) << what;
        EXPECT_EQ(made->Message(), c.message) << what;
        EXPECT_EQ(made->Code, c.expectedCode) << what;
        EXPECT_EQ(made->Style, c.style) << what;
    }
}

TEST(ExceptionFamily, RunsAWarningsOwnConstructorWhenMadeThroughItsClassReference) {
    const ECExceptionClass held = ECWarning::ExceptionClass();
    const auto made = CCreateException(held, "", 5);
    ASSERT_NE(dynamic_cast<ECWarning*>(made.get()), nullptr);
    EXPECT_EQ(made->Style, 48);
    EXPECT_TRUE(made->InheritsFrom(ECDialogCtl::StaticClass()));
    EXPECT_FALSE(made->InheritsFrom(ECPermissionError::StaticClass()));
    try {
        throw ECWarning("", 5);
    } catch (const ECException& caught) {
        EXPECT_STREQ(caught.ClassName(), "ECWarning");
        EXPECT_EQ(caught.Style, 48);
    }
}

TEST(ExceptionFamily, FindsItsMessageProviderBeforeTheProgramsOwnCodeRuns) {
    EXPECT_EQ(messageBeforeMain, "内部エラーです");
    ASSERT_NE(gExceptionMsgProvider, nullptr);
    EXPECT_STREQ(gExceptionMsgProvider->ClassName(), "TCMessageProvider_HLDException");
}

TEST(ExceptionFamily, GivesStandardMessagesInTheAnsiCodePage) {
    win32::ScopedCodePage sjis(win32::CP_SHIFT_JIS);
    EXPECT_EQ(ECInternalError().Message(), "\x93\xe0\x95\x94\x83\x47\x83\x89\x81\x5b\x82\xc5\x82\xb7");
    EXPECT_EQ(gExceptionMsgProvider->LanguageName(), "\x93\xfa\x96\x7b\x8c\xea");
}

TEST(StandardMessageProvider, AnswersIncompleteCodeBySubIdAndAnObjectByItsClass) {
    struct Case {
        int subId;
        std::string text;
    };
    const Case cases[] = {
        {0, "クラスの実装が不完全です"},
        {1, "クラス %s メソッド %s の実装が不完全です。"},
        {2, ""},
        {-1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gExceptionMsgProvider->Message(ECIncompleteCode::StaticClass(), {}, c.subId),
                  c.text)
            << c.subId;
    }
    EXPECT_EQ(gExceptionMsgProvider->Message(ECRecordDeleteNotAllowed("x"), {"ignored"}, 9),
              "レコードの削除操作は認可されていません。");
    EXPECT_EQ(gExceptionMsgProvider->Message(EConvertError("x"), {}, 0), kGeneric);
    EXPECT_EQ(gExceptionMsgProvider->LanguageCode(), "JP");
    EXPECT_EQ(gExceptionMsgProvider->LanguageName(), "日本語");
}
