#include "runtime/HLDMsg.h"

#include <cstdio>

#include "platform/win32/CodePage.h"
#include "runtime/HLDException.h"
#include "runtime/HLDFunctions.h"

namespace {

constexpr const char* kUnimplementedMethodFormat =
    "%s クラスで未実装のメソッド %s が呼び出されました";
constexpr const char* kLanguageCode = "JP";
constexpr const char* kLanguageName = "日本語";

constexpr const char* kGenericMessage = "プログラムの実行中に未定義のエラーが発生しました。";
constexpr const char* kIncompleteCodeMessage = "クラスの実装が不完全です";
constexpr const char* kIncompleteCodeMethodTemplate = "クラス %s メソッド %s の実装が不完全です。";

struct StandardMessage {
    TClass (*cls)() noexcept;
    const char* text;  // UTF-8
};

// The classes with a text of their own; ECIncompleteCode is answered by its sub-ID below.
constexpr StandardMessage kStandardMessages[] = {
    {&ECFormNotPermitted::StaticClass, "この画面の利用は許可されていません。"},
    {&ECPermissionError::StaticClass, "この操作は認可されていません。"},
    {&ECRecordInsertNotAllowed::StaticClass, "レコードの追加操作は認可されていません。"},
    {&ECRecordEditNotAllowed::StaticClass, "レコードの編集操作は認可されていません。"},
    {&ECRecordDeleteNotAllowed::StaticClass, "レコードの削除操作は認可されていません。"},
    {&ECThisConstructorIsDisabled::StaticClass, "このコンストラクタの呼び出しは禁止されています。"},
    {&ECInternalError::StaticClass, "内部エラーです"},
};

// Fills the two %s of a UTF-8 format with byte strings in the ANSI code page.
std::string FormatTwo(const char* utf8Format, const std::string& first, const std::string& second) {
    const std::string format = win32::Utf8ToAnsi(utf8Format);
    const std::size_t a = format.find("%s");
    const std::size_t b = format.find("%s", a + 2);
    return format.substr(0, a) + first + format.substr(a + 2, b - a - 2) + second +
           format.substr(b + 2);
}

}  // namespace

TCMessageProvider::~TCMessageProvider() = default;

TClass TCMessageProvider::StaticClass() noexcept {
    static const TClassDescriptor descriptor{"TCMessageProvider", nullptr};
    return &descriptor;
}
TClass TCMessageProvider::ClassType() const noexcept { return StaticClass(); }

std::string TCMessageProvider::Message() {
    CReportUnimplementedMethod(*this, "Message");
    return {};
}

std::string TCMessageProvider::Message(const TCMsgParams& /*iMsgParams*/) {
    CReportUnimplementedMethod(*this, "Message(iMsgParams)");
    return {};
}

std::string TCMessageProvider::Message(TClass /*iClass*/, const TCMsgParams& /*iMsgParams*/,
                                       int /*iSubID*/) {
    CReportUnimplementedMethod(*this, "Message(iClass, iMsgParams, iSubID)");
    return {};
}

std::string TCMessageProvider::Message(const Exception& iObject, const TCMsgParams& iMsgParams,
                                       int iSubID) {
    return Message(iObject.ClassType(), iMsgParams, iSubID);
}

std::string TCMessageProvider::Message(int /*iMsgID*/, const TCMsgParams& /*iMsgParams*/,
                                       int /*iReserved*/) {
    CReportUnimplementedMethod(*this, "Message(iMsgID, iMsgParams)");
    return {};
}

std::string TCMessageProvider::LanguageCode() { return kLanguageCode; }

std::string TCMessageProvider::LanguageName() { return win32::Utf8ToAnsi(kLanguageName); }

VCL_DEFINE_CLASS(TCMessageProvider_HLDException, TCMessageProvider)

std::string TCMessageProvider_HLDException::Message(TClass iClass,
                                                    const TCMsgParams& /*iMsgParams*/, int iSubID) {
    for (const StandardMessage& entry : kStandardMessages) {
        if (entry.cls() == iClass) return win32::Utf8ToAnsi(entry.text);
    }
    if (iClass == ECIncompleteCode::StaticClass()) {
        switch (iSubID) {
            case 0:
                return win32::Utf8ToAnsi(kIncompleteCodeMessage);
            case 1:
                return win32::Utf8ToAnsi(kIncompleteCodeMethodTemplate);
            default:
                return {};
        }
    }
    return win32::Utf8ToAnsi(kGenericMessage);
}

void CReportUnimplementedMethod(const TCMessageProvider& Provider, const std::string& Label) {
    auto report = std::make_unique<ECIncompleteCode>(
        FormatTwo(kUnimplementedMethodFormat, Provider.ClassName(), Label), 0);
    CExceptionMsg(std::move(report), -1, 0, 0, 0, std::string());
}
