#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "data/DataFixture.h"
#include "platform/vcl/ModalSeam.h"

using namespace testdata;

namespace {

// One scripted answer of the logon dialog: the entries typed, or Cancel.
struct Answer {
    bool ok;
    std::string user, password, database;
};

// Answers each logon dialog from the script and every message box with OK; records what the
// dialogs showed.
struct Script {
    explicit Script(std::vector<Answer> a) : answers(std::move(a)) {}
    std::vector<Answer> answers;
    std::vector<std::string> shownUsers;
    int errorBoxes = 0;
    bool passwordMasked = true;

    ModalHook Hook() {
        return [this](QDialog& dialog) -> int {
            if (qobject_cast<QMessageBox*>(&dialog)) {
                ++errorBoxes;
                return QMessageBox::Ok;
            }
            auto* user = dialog.findChild<QLineEdit*>("edtUsername");
            auto* password = dialog.findChild<QLineEdit*>("edtPassword");
            auto* database = dialog.findChild<QLineEdit*>("edtDatabase");
            EXPECT_TRUE(user && password && database);
            passwordMasked = passwordMasked && password->echoMode() == QLineEdit::Password;
            shownUsers.push_back(user->text().toStdString() + "|" + database->text().toStdString());
            if (shownUsers.size() > answers.size()) return QDialog::Rejected;
            const Answer& a = answers[shownUsers.size() - 1];
            if (!a.ok) return QDialog::Rejected;
            user->setText(QString::fromStdString(a.user));
            password->setText(QString::fromStdString(a.password));
            database->setText(QString::fromStdString(a.database));
            return QDialog::Accepted;
        };
    }
};

}  // namespace

class LogonTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (IsSkipped()) return;
        good = backend_->Create("CREATE TABLE T (A INTEGER);");
        bad = good + ".missing.db";
        logon.SetSession(&session);
        logon.SetArguments({"QUILLAN"});
    }
    std::string good, bad;
    TOracleSession session{nullptr};
    TOracleLogon logon{nullptr};
};

TEST_P(LogonTest, ExecuteAttemptsAtMostThreeTimesAndReportsWhetherAnAttemptWasMade) {
    struct Case {
        const char* what;
        std::vector<Answer> answers;
        bool result;
        bool connected;
        int dialogs;
        int errors;
    };
    const std::vector<Case> cases = {
        {"cancel at once", {{false, "", "", ""}}, false, false, 1, 0},
        {"first attempt succeeds", {{true, "u", "", good}}, true, true, 1, 0},
        {"third attempt succeeds", {{true, "u", "", bad}, {true, "u", "", bad}, {true, "u", "", good}}, true, true, 3, 2},
        {"three failures end it", {{true, "u", "", bad}, {true, "u", "", bad}, {true, "u", "", bad}, {true, "u", "", good}}, true, false, 3, 3},
        {"failure then cancel", {{true, "u", "", bad}, {false, "", "", ""}}, true, false, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.LogOff();
        Script script(c.answers);
        ScopedModalHook hook(script.Hook());
        EXPECT_EQ(logon.Execute(), c.result);
        EXPECT_EQ(session.Connected(), c.connected);
        EXPECT_EQ(static_cast<int>(script.shownUsers.size()), c.dialogs);
        EXPECT_EQ(script.errorBoxes, c.errors);
        EXPECT_TRUE(script.passwordMasked);
    }
}

TEST_P(LogonTest, AUserIdParameterLogsOnWithoutDialogOnlyAtTheFirstExecute) {
    logon.SetArguments({"QUILLAN", "userid=scott@" + QString::fromStdString(good)});
    Script script({{true, "u", "", good}});
    ScopedModalHook hook(script.Hook());
    EXPECT_TRUE(logon.Execute());
    EXPECT_TRUE(session.Connected());
    EXPECT_TRUE(script.shownUsers.empty());
    // The next one shows the dialog, prefilled with the previous entry.
    EXPECT_TRUE(logon.Execute());
    EXPECT_EQ(script.shownUsers, std::vector<std::string>{"scott@" + good + "|"});
}

TEST_P(LogonTest, AFailingUserIdParameterFallsBackToTheDialog) {
    logon.SetArguments({"QUILLAN", "UserId=scott@" + QString::fromStdString(bad)});
    Script script({{true, "u", "", good}});
    ScopedModalHook hook(script.Hook());
    EXPECT_TRUE(logon.Execute());
    EXPECT_TRUE(session.Connected());
    EXPECT_EQ(script.errorBoxes, 1);
    EXPECT_EQ(script.shownUsers.size(), 1u);
}

TEST(Logon, WithoutSessionExecuteReturnsFalseAndShowsNothing) {
    TOracleLogon logon(nullptr);
    ScopedModalHook hook([](QDialog&) -> int {
        ADD_FAILURE() << "a dialog was shown";
        return QDialog::Rejected;
    });
    EXPECT_FALSE(logon.Execute());
}

INSTANTIATE_TEST_SUITE_P(Backends, LogonTest, ::testing::Values("SQLite"),
                         [](const auto& info) { return info.param; });
