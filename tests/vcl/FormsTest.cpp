#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include "platform/vcl/Forms.h"
#include "platform/vcl/cxButtons.h"

namespace {

// A form with an editor, a table whose cells can be edited and a cancel button that counts.
struct EscForm {
    TForm form{nullptr};
    QLineEdit* edit = new QLineEdit(&form);
    QStandardItemModel model{2, 2};
    QTableView* table = new QTableView(&form);
    TcxButton* cancel = new TcxButton(&form, &form);
    int clicks = 0;

    EscForm() {
        table->setModel(&model);
        cancel->SetCancel(true);
        cancel->OnClick = [this](TComponent*) { ++clicks; };
        form.show();
        QApplication::setActiveWindow(&form);
    }
};

TEST(TForm, EscClicksTheCancelButtonUnlessTheFocusedControlUsesTheKey) {
    struct Case {
        const char* focus;
        bool editing;
        int clicks;
    } cases[] = {{"line edit", false, 1}, {"table", false, 1}, {"table", true, 0}};
    for (const Case& c : cases) {
        EscForm f;
        QWidget* target = std::string(c.focus) == "table" ? static_cast<QWidget*>(f.table) : f.edit;
        target->setFocus();
        if (c.editing) {
            f.table->setCurrentIndex(f.model.index(0, 0));
            f.table->edit(f.model.index(0, 0));
        }
        QWidget* receiver = QApplication::focusWidget() ? QApplication::focusWidget() : target;
        QTest::keyClick(receiver, Qt::Key_Escape);
        EXPECT_EQ(f.clicks, c.clicks) << c.focus << (c.editing ? " editing" : "");
        EXPECT_TRUE(f.form.isVisible()) << "Esc itself never rejects the form";
    }
}

TEST(TForm, EscWithoutCancelButtonLeavesTheFormOpen) {
    TForm form(nullptr);
    auto* edit = new QLineEdit(&form);
    form.show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
}

TEST(TForm, SelectNextMovesTheFocusToTheNextTabStop) {
    TForm form(nullptr);
    auto* first = new TcxButton(&form, &form);
    auto* skipped = new QLineEdit(&form);
    auto* combo = new QComboBox(&form);
    skipped->setFocusPolicy(Qt::ClickFocus);
    form.show();
    QApplication::setActiveWindow(&form);
    first->setFocus();
    ASSERT_EQ(form.ActiveControl(), first);
    form.SelectNext(form.ActiveControl(), true, true);
    EXPECT_EQ(form.ActiveControl(), combo);
}

TEST(TForm, ControlsMadeWithOnlyAParentBelongToTheFormAndTakeTheirObjectNames) {
    TForm form(nullptr);
    auto* panel = new QWidget(&form);
    auto* button = new TcxButton(panel);  // as a .ui file creates it
    button->setObjectName("btnClose");
    NameComponentsFromObjectNames(form);
    EXPECT_EQ(button->Owner(), &form);
    EXPECT_EQ(form.FindComponent("btnClose"), button);
}

TEST(Anchors, EnlargingTheParentMovesAndStretchesTheControls) {
    TForm form(nullptr);
    form.resize(500, 500);
    auto* grid = new QWidget(&form);
    auto* bottomRight = new QWidget(&form);
    auto* topLeft = new QWidget(&form);
    grid->setGeometry(12, 52, 485, 373);
    bottomRight->setGeometry(415, 478, 82, 25);
    topLeft->setGeometry(12, 10, 117, 25);
    SetAnchors(grid, akLeft | akTop | akRight | akBottom);
    SetAnchors(bottomRight, akRight | akBottom);
    form.show();
    form.resize(600, 550);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->geometry(), QRect(12, 52, 585, 423));
    EXPECT_EQ(bottomRight->geometry(), QRect(515, 528, 82, 25));
    EXPECT_EQ(topLeft->geometry(), QRect(12, 10, 117, 25));
}

}  // namespace
