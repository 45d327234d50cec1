#include <gtest/gtest.h>

#include <QEventLoop>
#include <QKeySequence>
#include <QMessageBox>
#include <QTimer>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ModalSeam.h"
#include "platform/vcl/cxButtons.h"

namespace {

// Lets the event loop run until it has nothing to do and waits: the application is idle then.
void RunUntilIdle() {
    QEventLoop loop;
    QTimer::singleShot(30, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(TActionList, UpdateEventRunsForEveryActionWhenTheApplicationBecomesIdle) {
    TForm form(nullptr);
    auto* list = new TActionList(&form);
    auto* a = new TAction(&form);
    auto* b = new TAction(&form);
    a->SetActionList(list);
    b->SetActionList(list);
    bool gate = false;
    std::vector<TAction*> seen;
    list->OnUpdate = [&](TAction* action, bool& handled) {
        seen.push_back(action);
        EXPECT_FALSE(handled);
        b->SetEnabled(gate);
    };
    RunUntilIdle();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], a);
    EXPECT_EQ(seen[1], b);
    EXPECT_FALSE(b->Enabled());
    gate = true;
    UpdateActions();
    EXPECT_TRUE(b->Enabled());
}

TEST(TActionList, AnActionListThatIsGoneIsNoLongerUpdated) {
    int updates = 0;
    {
        TActionList list(nullptr);
        TAction action(nullptr);
        action.SetActionList(&list);
        list.OnUpdate = [&](TAction*, bool&) { ++updates; };
        UpdateActions();
        EXPECT_EQ(updates, 1);
    }
    UpdateActions();
    EXPECT_EQ(updates, 1);
}

TEST(TcxButton, FollowsItsActionAndExecutesItOnClick) {
    TForm form(nullptr);
    auto* action = new TAction(&form);
    auto* button = new TcxButton(&form, &form);
    int runs = 0;
    action->OnExecute = [&](TComponent* sender) {
        EXPECT_EQ(sender, action);
        ++runs;
    };
    action->SetCaption(QStringLiteral("DBにログオン(&L)"));
    button->SetAction(action);
    EXPECT_EQ(button->text(), QStringLiteral("DBにログオン(&L)"));
    EXPECT_EQ(QKeySequence::mnemonic(button->text()), QKeySequence(Qt::ALT | Qt::Key_L));

    struct Step {
        bool enabled;
        int runsAfterClick;
    } steps[] = {{true, 1}, {false, 1}, {true, 2}};
    for (const Step& s : steps) {
        action->SetEnabled(s.enabled);
        EXPECT_EQ(button->isEnabled(), s.enabled);
        button->click();
        EXPECT_EQ(runs, s.runsAfterClick);
    }
    action->SetCaption(QStringLiteral("終了(&X)"));
    EXPECT_EQ(button->text(), QStringLiteral("終了(&X)"));
}

TEST(TcxButton, AnErrorInTheActionIsShownAndTheButtonWorksOnAfterwards) {
    TForm form(nullptr);
    auto* action = new TAction(&form);
    auto* button = new TcxButton(&form, &form);
    button->SetAction(action);
    int boxes = 0, runs = 0;
    ScopedModalHook hook([&](QDialog& d) {
        EXPECT_EQ(dynamic_cast<QMessageBox&>(d).text(), "boom");
        ++boxes;
        return int(QMessageBox::Ok);
    });
    action->OnExecute = [&](TComponent*) {
        ++runs;
        throw std::runtime_error("boom");
    };
    button->click();
    button->click();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(boxes, 2);
}

TEST(TcxButton, ForgetsAnActionThatIsDestroyed) {
    TForm form(nullptr);
    auto* action = new TAction(&form);
    auto* button = new TcxButton(&form, &form);
    button->SetAction(action);
    delete action;
    EXPECT_EQ(button->Action(), nullptr);
    button->click();  // nothing to run, nothing to crash
}

}  // namespace
