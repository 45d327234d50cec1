#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include "MainWindowFixture.h"

namespace {

TEST_P(MainWindowTest, ActionsFollowTheStateOfTheOpenTable) {
    // Nothing open: only logon, close and about.
    EXPECT_TRUE(Enabled(form_->acnLogonDB));
    EXPECT_TRUE(Enabled(form_->acnClose));
    EXPECT_TRUE(Enabled(form_->acnAbout));
    for (TAction* a : {form_->acnAppend, form_->acnDelete, form_->acnSaveToDB,
                       form_->acnSaveToFile}) {
        EXPECT_FALSE(Enabled(a)) << a->Name();
    }

    // Opened without rows: append only.
    Logon();
    Choose(QStringLiteral("PEOPLE"));
    EXPECT_TRUE(Enabled(form_->acnAppend));
    EXPECT_FALSE(Enabled(form_->acnDelete));
    EXPECT_FALSE(Enabled(form_->acnSaveToFile));
    EXPECT_FALSE(Enabled(form_->acnSaveToDB));

    // An appended row enables delete and save-to-file; posting it enables save.
    form_->acnAppend->Execute();
    EXPECT_TRUE(Enabled(form_->acnDelete));
    EXPECT_TRUE(Enabled(form_->acnSaveToFile));
    EXPECT_FALSE(Enabled(form_->acnSaveToDB));
    form_->odsUpdTable->FieldByName("ID")->SetAsString("3");
    form_->odsUpdTable->FieldByName("NAME")->SetAsString("Mai");
    form_->odsUpdTable->Post();
    EXPECT_TRUE(Enabled(form_->acnSaveToDB));

    Click(form_->btnSaveToDB);
    EXPECT_EQ(Messages().back(), QStringLiteral("DBに保存しました。"));
    EXPECT_EQ(shown_.back().icon, QMessageBox::Information);
    EXPECT_FALSE(Enabled(form_->acnSaveToDB));
    EXPECT_EQ(Value("SELECT NAME FROM PEOPLE WHERE ID = 3"), "Mai");
}

TEST_P(MainWindowTest, LogonListsTheTablesInNameOrderAndMovesTheFocusToTheChooser) {
    form_->show();
    form_->btnLogon->setFocus();
    QApplication::processEvents();
    Logon();
    QApplication::processEvents();
    std::vector<QString> names;
    for (int i = 0; i < form_->cbxTableList->count(); ++i) {
        names.push_back(form_->cbxTableList->itemText(i));
    }
    EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("ABC_FIRST"), QStringLiteral("PEOPLE"),
                                           QStringLiteral("lower case")}));
    EXPECT_EQ(form_->cbxTableList->EditValue(), QVariant(QString()));
    EXPECT_FALSE(form_->cbxTableList->EditValue().isNull());
    EXPECT_EQ(form_->ActiveControl(), form_->cbxTableList);
}

TEST_P(MainWindowTest, ASecondLogonEmptiesTheChoiceButKeepsTheOpenTable) {
    Logon();
    OpenWithRows(QStringLiteral("PEOPLE"));
    ASSERT_EQ(form_->odsUpdTable->RecordCount(), 2);
    Sql("CREATE TABLE ZZZ_NEW (K INTEGER);");

    // Later logons show the dialog; answer it with the same entries.
    answers_.push_back([](QDialog&) { return int(QDialog::Accepted); });
    Logon();
    EXPECT_EQ(form_->cbxTableList->EditValue(), QVariant(QString()));
    EXPECT_EQ(form_->cbxTableList->count(), 4);
    EXPECT_TRUE(form_->odsUpdTable->Active());
    EXPECT_EQ(form_->odsUpdTable->RecordCount(), 2);

    // With the choice emptied, the switch leaves the open table alone.
    form_->ckbIncData->SetChecked(false);
    EXPECT_EQ(form_->odsUpdTable->RecordCount(), 2);
}

TEST_P(MainWindowTest, ACancelledLogonChangesNothing) {
    Logon();
    OpenWithRows(QStringLiteral("PEOPLE"));
    Logon();  // the dialog is cancelled (no answer queued)
    EXPECT_EQ(form_->cbxTableList->EditValue(), QVariant(QStringLiteral("PEOPLE")));
    EXPECT_EQ(form_->cbxTableList->count(), 3);
    EXPECT_EQ(form_->odsUpdTable->RecordCount(), 2);
}

TEST_P(MainWindowTest, AFailedLogonShowsTheErrorAndLeavesTheChooserEmpty) {
    form_->olgDB->SetArguments({QStringLiteral("QUILLAN"),
                                QStringLiteral("UserId=x@/no/such/dir/at/all.db")});
    // The automatic attempt fails; the dialog comes up three times in all and is cancelled.
    Logon();
    EXPECT_FALSE(form_->ossDB->Connected());
    EXPECT_FALSE(form_->odsTabList->Active());
    EXPECT_EQ(form_->cbxTableList->count(), 0);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(shown_.back().icon, QMessageBox::Critical);
}

TEST_P(MainWindowTest, OpeningATableBuildsOneColumnPerFieldWithBlobEditorsOnBlobAndMemoOnly) {
    Logon();
    ASSERT_NE(form_->gtvUpdTableDBColumn1, nullptr);
    Choose(QStringLiteral("PEOPLE"));
    EXPECT_EQ(form_->odsUpdTable->RecordCount(), 0);
    // A plain name goes in unchanged; PostgreSQL folds unquoted names, so there it is quoted.
    const std::string people = backend_->TableRef("PEOPLE");
    EXPECT_EQ(form_->odsUpdTable->SQL().Text(),
              "select\n  rowid, " + people + ".*\nfrom\n  " + people + "\nwhere\n  0 = 1\n");
    std::vector<std::string> fields;
    std::vector<bool> blobEditors;
    for (int i = 0; i < form_->gtvUpdTable->ColumnCount(); ++i) {
        TcxGridDBColumn* c = form_->gtvUpdTable->Columns(i);
        fields.push_back(c->DataBinding.FieldName());
        blobEditors.push_back(c->BlobProperties() != nullptr);
        EXPECT_EQ(c->Owner(), form_.get());
    }
    EXPECT_EQ(fields, (std::vector<std::string>{"ID", "NAME", "PHOTO", "NOTE"}));
    EXPECT_EQ(blobEditors, (std::vector<bool>{false, false, true, true}));

    // With rows; another table replaces the columns.
    form_->ckbIncData->SetChecked(true);
    EXPECT_EQ(form_->odsUpdTable->RecordCount(), 2);
    Choose(QStringLiteral("ABC_FIRST"));
    EXPECT_EQ(form_->gtvUpdTable->ColumnCount(), 1);
}

TEST_P(MainWindowTest, AppendDeleteAndSaveReachTheDatabaseOnlyWithSave) {
    Logon();
    OpenWithRows(QStringLiteral("PEOPLE"));
    form_->odsUpdTable->SetRecNo(2);
    Click(form_->btnDelete);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM PEOPLE"), "2");
    Click(form_->btnAppend);
    Click(form_->btnDelete);  // the row being inserted is simply discarded
    EXPECT_EQ(form_->odsUpdTable->RecordCount(), 1);
    Click(form_->btnSaveToDB);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM PEOPLE"), "1");
    EXPECT_EQ(Value("SELECT NAME FROM PEOPLE"), "Aoi");
}

TEST_P(MainWindowTest, AFailingSaveShowsTheErrorAndKeepsEveryChange) {
    Logon();
    OpenWithRows(QStringLiteral("PEOPLE"));
    Click(form_->btnAppend);
    form_->odsUpdTable->FieldByName("ID")->SetAsString("1");  // taken
    form_->odsUpdTable->FieldByName("NAME")->SetAsString("Dup");
    form_->odsUpdTable->Post();
    Click(form_->btnSaveToDB);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(shown_.back().icon, QMessageBox::Critical);
    EXPECT_NE(Messages().back(), QStringLiteral("DBに保存しました。"));
    EXPECT_TRUE(Enabled(form_->acnSaveToDB));
    EXPECT_EQ(Value("SELECT COUNT(*) FROM PEOPLE"), "2");

    // Mended, the same save goes through.
    form_->odsUpdTable->SetRecNo(3);
    form_->odsUpdTable->Edit();
    form_->odsUpdTable->FieldByName("ID")->SetAsString("9");
    Click(form_->btnSaveToDB);
    EXPECT_EQ(Messages().back(), QStringLiteral("DBに保存しました。"));
    EXPECT_EQ(Value("SELECT NAME FROM PEOPLE WHERE ID = 9"), "Dup");
}

TEST_P(MainWindowTest, PendingChangesAreNeverDroppedWithoutAsking) {
    struct Case {
        const char* name;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"another table", [this] { Choose(QStringLiteral("ABC_FIRST")); }},
        {"include-data switch", [this] { form_->ckbIncData->SetChecked(false); }},
        {"closing the window", [this] { form_->acnClose->Execute(); }},
    };
    Logon();
    OpenWithRows(QStringLiteral("PEOPLE"));
    form_->show();
    form_->odsUpdTable->Edit();
    form_->odsUpdTable->FieldByName("NAME")->SetAsString("Changed");
    form_->odsUpdTable->Post();
    for (const Case& c : cases) {
        shown_.clear();
        answers_.push_back(Press(QMessageBox::No));
        c.act();
        EXPECT_EQ(Messages().size(), 1u) << c.name;
        EXPECT_TRUE(form_->isVisible()) << c.name;
        EXPECT_TRUE(form_->odsUpdTable->UpdatesPending()) << c.name;
        EXPECT_EQ(form_->cbxTableList->EditValue(), QVariant(QStringLiteral("PEOPLE"))) << c.name;
        EXPECT_TRUE(form_->ckbIncData->Checked()) << c.name;
        EXPECT_EQ(form_->odsUpdTable->RecordCount(), 2) << c.name;
    }
    // Yes drops them.
    answers_.push_back(Press(QMessageBox::Yes));
    Choose(QStringLiteral("ABC_FIRST"));
    EXPECT_FALSE(form_->odsUpdTable->UpdatesPending());
    EXPECT_EQ(Value("SELECT NAME FROM PEOPLE WHERE ID = 1"), "Aoi");
}

TEST_P(MainWindowTest, WithNothingPendingNothingIsAsked) {
    Logon();
    OpenWithRows(QStringLiteral("PEOPLE"));
    Choose(QStringLiteral("ABC_FIRST"));
    form_->ckbIncData->SetChecked(false);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(MainWindowTest, ATableNameThatNeedsQuotesStillOpens) {
    Logon();
    OpenWithRows(QStringLiteral("lower case"));
    ASSERT_TRUE(form_->odsUpdTable->Active());
    EXPECT_EQ(form_->odsUpdTable->RecordCount(), 1);
    EXPECT_EQ(form_->odsUpdTable->SQL().Strings(3), "  \"lower case\"");
    form_->odsUpdTable->Edit();
    form_->odsUpdTable->FieldByName("V")->SetAsString("y");
    form_->odsUpdTable->Post();
    Click(form_->btnSaveToDB);
    EXPECT_EQ(Value("SELECT V FROM \"lower case\""), "y");
}

TEST_P(MainWindowTest, EscClosesTheWindowUnlessACellIsBeingEdited) {
    form_->show();
    QApplication::processEvents();
    QTest::keyClick(form_.get(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(form_->isVisible());
}

TEST_P(MainWindowTest, EnlargingTheWindowMovesTheControlsByTheirAnchors) {
    form_->show();
    const QRect grid = form_->grdUpdTable->geometry();
    const QRect close = form_->btnClose->geometry();
    const QRect append = form_->btnAppend->geometry();
    const QRect logon = form_->btnLogon->geometry();
    form_->resize(form_->width() + 100, form_->height() + 50);
    QApplication::processEvents();
    EXPECT_EQ(form_->grdUpdTable->geometry(), grid.adjusted(0, 0, 100, 50));
    EXPECT_EQ(form_->btnClose->geometry(), close.translated(100, 50));
    EXPECT_EQ(form_->btnAppend->geometry(), append.translated(0, 50));
    EXPECT_EQ(form_->btnLogon->geometry(), logon);
}

TEST_P(MainWindowTest, TheWindowHasItsDesignedLayout) {
    EXPECT_EQ(form_->Caption(), QStringLiteral("HALDREN クイラン！～ QUILLAN! ～"));
    EXPECT_EQ(form_->ClientWidth(), 514);
    EXPECT_EQ(form_->ClientHeight(), 524);
    EXPECT_EQ(form_->btnLogon->geometry(), QRect(12, 10, 117, 25));
    EXPECT_EQ(form_->btnClose->geometry(), QRect(415, 478, 82, 25));
    EXPECT_EQ(form_->btnLogon->text(), QStringLiteral("DBにログオン(&L)"));
    EXPECT_EQ(form_->btnAbout->text(), QStringLiteral("クイラン！について(&B)"));
    EXPECT_FALSE(form_->ckbIncData->Checked());
    EXPECT_EQ(form_->gtvUpdTable->ColumnCount(), 1);
    EXPECT_FALSE(form_->gtvUpdTableDBColumn1->Visible());
}

QUILLAN_ON_EVERY_DATABASE(MainWindowTest);

}  // namespace
