#include "runtime/HLDMsg.h"

#include <gtest/gtest.h>

#include <functional>

#include "RecordingPresenter.h"
#include "runtime/HLDException.h"

namespace {

struct Operation {
    const char* label;
    std::function<std::string(TCMessageProvider&)> call;
};

// The operations a provider inherits unimplemented from the base class.
const Operation kUnimplemented[] = {
    {"Message", [](TCMessageProvider& p) { return p.Message(); }},
    {"Message(iMsgParams)", [](TCMessageProvider& p) { return p.Message(TCMsgParams{"a"}); }},
    {"Message(iMsgID, iMsgParams)", [](TCMessageProvider& p) { return p.Message(42, {}, 0); }},
};

const Operation kClassMessage = {
    "Message(iClass, iMsgParams, iSubID)",
    [](TCMessageProvider& p) { return p.Message(ECInternalError::StaticClass(), {}, 0); }};

const Operation kObjectMessage = {
    "Message(iClass, iMsgParams, iSubID)",  // reached through the object's class
    [](TCMessageProvider& p) { return p.Message(ECInternalError("x"), {}, 0); }};

}  // namespace

TEST(MessageProvider, ReportsEachUnimplementedOperationToThePresenterAndAnswersEmpty) {
    TCMessageProvider base;
    struct Case {
        TCMessageProvider* provider;
        const char* className;
        Operation operation;
    };
    std::vector<Case> cases;
    for (const Operation& op : kUnimplemented) {
        cases.push_back({gExceptionMsgProvider, "TCMessageProvider_HLDException", op});
        cases.push_back({&base, "TCMessageProvider", op});
    }
    cases.push_back({&base, "TCMessageProvider", kClassMessage});
    cases.push_back({&base, "TCMessageProvider", kObjectMessage});

    for (const Case& c : cases) {
        InstalledPresenter installed;
        EXPECT_EQ(c.operation.call(*c.provider), "") << c.operation.label;
        ASSERT_EQ(installed.presenter->shown.size(), 1u) << c.operation.label;
        const Presentation& shown = installed.presenter->shown.front();
        EXPECT_EQ(shown.className, "ECIncompleteCode");
        EXPECT_EQ(shown.message, std::string(c.className) + " クラスで未実装のメソッド " +
                                     c.operation.label + " が呼び出されました");
        EXPECT_EQ(shown.style, 16);
        EXPECT_EQ(shown.title, "QUILLAN");
        EXPECT_EQ(shown.optionA, -1);
        EXPECT_EQ(shown.optionB, 0);
        EXPECT_EQ(shown.optionC, 0);
    }
}

TEST(MessageProvider, LetsTheMissingPresenterErrorOutOfAnUnimplementedOperation) {
    ASSERT_FALSE(gMPObject);
    for (const Operation& op : kUnimplemented) {
        try {
            op.call(*gExceptionMsgProvider);
            ADD_FAILURE() << op.label << " returned";
        } catch (const ECIncompleteCode& e) {
            EXPECT_EQ(e.Message(),
                      "CExceptionMsg 関数の動作に必要な gMPObject のインスタンスが初期化されていま"
                      "せん");
        }
    }
}

TEST(MessageProvider, AnswersLanguageCodeAndNameInTheBaseClass) {
    TCMessageProvider base;
    EXPECT_EQ(base.LanguageCode(), "JP");
    EXPECT_EQ(base.LanguageName(), "日本語");
    EXPECT_STREQ(base.ClassName(), "TCMessageProvider");
}
