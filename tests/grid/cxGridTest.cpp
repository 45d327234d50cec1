#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>

#include "GridFixture.h"
#include "platform/grid/cxGrid.h"
#include "platform/grid/cxLookupComboBox.h"
#include "platform/vcl/ModalSeam.h"

namespace {

using gridtest::Fixture;

// The fixture's table in a grid on the fixture's form, one column per field.
struct GridOn : Fixture {
    TcxGrid* grid = new TcxGrid(&form, &form);
    TcxGridDBTableView* view = new TcxGridDBTableView(&form);
    TcxGridLevel* level = new TcxGridLevel(&form, grid);
    std::vector<TcxGridDBColumn*> columns;

    explicit GridOn(int rows = 3) : Fixture(rows) {
        level->SetGridView(view);
        view->SetDataSource(source);
        view->BeginUpdate();
        for (const auto& f : dataSet->Fields()) {
            TcxGridDBColumn* c = view->CreateColumn();
            c->DataBinding.SetFieldName(f->FieldName());
            if (f->IsBlob()) c->SetPropertiesClass<TcxBlobEditProperties>();
            columns.push_back(c);
        }
        view->EndUpdate();
        form.resize(600, 400);
        grid->setGeometry(0, 0, 600, 400);
        form.show();
        QApplication::setActiveWindow(&form);
        view->setFocus();
        QCoreApplication::processEvents();
    }
    QModelIndex Cell(int row, int column) const { return view->model()->index(row, column); }
};

TEST(TcxGridDBTableView, ColumnsAreOwnedByTheFormAndFreeingOneRemovesIt) {
    Fixture f;
    auto* view = new TcxGridDBTableView(&f.form);
    view->SetDataSource(f.source);
    const int owned = f.form.ComponentCount();
    view->BeginUpdate();
    view->BeginUpdate();
    TcxGridDBColumn* a = view->CreateColumn();
    TcxGridDBColumn* b = view->CreateColumn();
    a->DataBinding.SetFieldName("NAME");
    b->DataBinding.SetFieldName("ID");
    view->EndUpdate();
    EXPECT_EQ(view->model()->columnCount(), 0) << "the layout waits for the last EndUpdate";
    view->EndUpdate();
    EXPECT_EQ(view->model()->columnCount(), 2);
    EXPECT_EQ(f.form.ComponentCount(), owned + 2);
    EXPECT_EQ(a->Owner(), &f.form);
    EXPECT_EQ(view->model()->headerData(1, Qt::Horizontal).toString(), "ID");
    delete a;
    ASSERT_EQ(view->ColumnCount(), 1);
    EXPECT_EQ(view->Columns(0), b);
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), "1");
    b->SetVisible(false);
    EXPECT_TRUE(view->isColumnHidden(0));
}

TEST(TcxGridDBTableView, EditingInPlaceEditsTheRecordAndLeavingTheRowPostsIt) {
    GridOn g;
    g.view->setCurrentIndex(g.Cell(1, 1));
    g.view->edit(g.Cell(1, 1));
    ASSERT_TRUE(g.view->Editing());
    EXPECT_EQ(g.dataSet->State(), dsEdit);
    auto* editor = g.view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("renamed");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the editor commits on the next turn
    EXPECT_EQ(g.dataSet->FieldByName("NAME")->AsString(), "renamed");
    g.view->setCurrentIndex(g.Cell(2, 1));
    EXPECT_EQ(g.dataSet->State(), dsBrowse);
    EXPECT_TRUE(g.dataSet->UpdatesPending());
}

TEST(TcxGridDBTableView, ALockedRowShowsTheErrorAndOpensNoEditor) {
    GridOn g;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(g.path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    int boxes = 0;
    {
        ScopedModalHook hook([&](QDialog& d) {
            EXPECT_EQ(dynamic_cast<QMessageBox&>(d).icon(), QMessageBox::Critical);
            ++boxes;
            return int(QMessageBox::Ok);
        });
        g.view->setCurrentIndex(g.Cell(0, 1));
        g.view->edit(g.Cell(0, 1));
    }
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(g.view->Editing());
    EXPECT_EQ(g.dataSet->State(), dsBrowse);
}

TEST(TcxGridDBTableView, InsertAppendsAndDeleteAsksFirstWhenTheOptionsSaySo) {
    struct Case {
        bool confirmation;
        int answer;
        int questions, rowsAfterDelete;
    } cases[] = {{true, QMessageBox::No, 1, 4},
                 {true, QMessageBox::Yes, 1, 3},
                 {false, QMessageBox::Yes, 0, 3}};
    for (const Case& c : cases) {
        GridOn g;
        g.view->OptionsData.DeletingConfirmation = c.confirmation;
        QTest::keyClick(g.view, Qt::Key_Insert);
        EXPECT_EQ(g.dataSet->State(), dsInsert);
        EXPECT_EQ(g.dataSet->RecordCount(), 4);
        g.dataSet->FieldByName("NAME")->SetAsString("added");
        g.dataSet->Post();
        g.view->setCurrentIndex(g.Cell(0, 1));
        int questions = 0;
        ScopedModalHook hook([&](QDialog& d) {
            EXPECT_EQ(dynamic_cast<QMessageBox&>(d).text(), TcxGridDBTableView::DeleteQuestion());
            ++questions;
            return c.answer;
        });
        QTest::keyClick(g.view, Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(questions, c.questions);
        EXPECT_EQ(g.dataSet->RecordCount(), c.rowsAfterDelete);
    }
}

TEST(TcxBlobEditProperties, TheButtonReachesTheHandlerWithTheCellsColumnFocused) {
    GridOn g;
    TcxGridDBColumn* blob = g.columns[2];
    TcxGridDBColumn* focusedInHandler = nullptr;
    TComponent* sender = nullptr;
    blob->BlobProperties()->OnButtonClick = [&](TComponent* s, int) {
        sender = s;
        focusedInHandler = g.view->FocusedColumn();
    };
    g.view->setCurrentIndex(g.Cell(0, 2));
    QCoreApplication::processEvents();  // a focused BLOB cell opens its editor
    auto* button = g.view->findChild<QToolButton*>("BlobEditButton");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(g.dataSet->State(), dsBrowse) << "showing the button edits nothing";
    button->click();
    EXPECT_EQ(focusedInHandler, blob);
    EXPECT_EQ(sender, blob);
}

TEST(TcxLookupComboBox, EditValueKeepsNullAndEmptyApartAndReportsEveryChange) {
    Fixture f;
    QWidget parent;
    TcxLookupComboBox combo(nullptr, &parent);
    combo.Properties.SetListSource(f.source);
    combo.Properties.SetKeyFieldNames("NAME");
    combo.Properties.SetListFieldName("NAME");
    combo.Properties.SetListOptions({false, glNone});
    auto* list = static_cast<QTableView*>(combo.view());
    EXPECT_FALSE(list->horizontalHeader()->isVisibleTo(list));
    EXPECT_FALSE(list->showGrid());
    EXPECT_TRUE(combo.EditValue().isNull());
    EXPECT_EQ(combo.currentIndex(), -1) << "a new list chooses nothing";

    std::vector<QVariant> reported;
    combo.Properties.OnEditValueChanged = [&](TComponent*) { reported.push_back(combo.EditValue()); };
    combo.SetEditValue(QString(""));  // null -> empty text: a change
    combo.SetEditValue(QString(""));  // the same again: none
    emit combo.activated(1);          // a person picks the second row
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_FALSE(reported[0].isNull());
    EXPECT_EQ(reported[0].toString(), "");
    EXPECT_EQ(reported[1].toString(), "row2");
    EXPECT_EQ(combo.currentText(), "row2");
}

}  // namespace
