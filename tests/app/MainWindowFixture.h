#pragma once
// The real main window on a real SQLite file, with every modal dialog answered by the test.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/uBLOBRegister.h"
#include "data/DataFixture.h"
#include "components/HLDDOA.h"
#include "components/HLDVCL.h"
#include "platform/grid/cxGrid.h"
#include "platform/grid/cxLookupComboBox.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ModalSeam.h"
#include "platform/vcl/cxButtons.h"

// Runs once per configured database: SQLite always, PostgreSQL when QUILLAN_PG_URL is set.
class MainWindowTest : public ::testing::TestWithParam<std::string> {
protected:
    // What a dialog showed, and how the test answers the next one.
    struct Shown {
        QString kind;  // "message", "file", "other"
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };
    using Answer = std::function<int(QDialog&)>;

    void SetUp() override {
        if (GetParam() == "SQLite") {
            backend_ = std::make_unique<testdata::SqliteBackend>();
        } else if (GetParam() == "PostgreSQL" && testdata::PgSideDoor::ServerUrl() != nullptr) {
            backend_ = std::make_unique<testdata::PostgresBackend>();
        } else {
            GTEST_SKIP() << GetParam() << " is not configured";
        }
        database_ = backend_->Create(
            "CREATE TABLE PEOPLE (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20) NOT NULL,"
            " PHOTO BLOB, NOTE CLOB);"
            "INSERT INTO PEOPLE VALUES (1, 'Aoi', " + BlobLiteral("00ff10") + ", 'memo one');"
            "INSERT INTO PEOPLE VALUES (2, 'Ken', NULL, NULL);"
            "CREATE TABLE ABC_FIRST (K INTEGER);"
            "CREATE TABLE \"lower case\" (K INTEGER NOT NULL, V VARCHAR(5));"
            "INSERT INTO \"lower case\" VALUES (7, 'x');");
        form_ = NewWindow();
    }

    void TearDown() override { form_.reset(); }

    // A main window of its own, whose first logon goes to the test database.
    std::unique_ptr<T_BLOBRegister> NewWindow() {
        auto form = std::make_unique<T_BLOBRegister>(nullptr);
        form->olgDB->SetArguments(
            {QStringLiteral("QUILLAN"), QString::fromStdString("UserId=@" + database_)});
        return form;
    }

    // Bytes given as lower-case hex digits, as a literal of the database's SQL.
    std::string BlobLiteral(const std::string& hex) const {
        return GetParam() == "SQLite" ? "x'" + hex + "'" : "decode('" + hex + "', 'hex')";
    }

    // Runs SQL on the test database through a connection of its own.
    void Sql(const std::string& sql) { backend_->Query(sql); }

    // One value (as text; NULL as "<null>") from the test database.
    std::string Value(const std::string& sql) {
        const testdata::Rows rows = backend_->Query(sql);
        return rows.empty() || rows[0].empty() ? "<none>" : rows[0][0];
    }

    // Dialogs: each one shown is recorded; queued answers are used in order, then `Cancel`.
    ScopedModalHook hook_{[this](QDialog& d) { return Answer_(d); }};
    std::vector<Shown> shown_;
    std::deque<Answer> answers_;

    int Answer_(QDialog& d) {
        Shown s;
        if (auto* box = qobject_cast<QMessageBox*>(&d)) {
            s.kind = QStringLiteral("message");
            s.text = box->text();
            s.icon = box->icon();
        } else if (qobject_cast<QFileDialog*>(&d) != nullptr) {
            s.kind = QStringLiteral("file");
            s.text = d.windowTitle();
        } else {
            s.kind = QStringLiteral("other");
            s.text = d.windowTitle();
        }
        shown_.push_back(s);
        if (answers_.empty()) {
            return qobject_cast<QMessageBox*>(&d) != nullptr ? int(QMessageBox::Ok)
                                                             : int(QDialog::Rejected);
        }
        Answer a = std::move(answers_.front());
        answers_.pop_front();
        return a(d);
    }

    static Answer ChooseFile(const QString& path) {
        return [path](QDialog& d) {
            static_cast<QFileDialog&>(d).selectFile(path);
            return int(QDialog::Accepted);
        };
    }
    static Answer Press(QMessageBox::StandardButton button) {
        return [button](QDialog&) { return int(button); };
    }

    // Steps as a user takes them.
    // A click as a person makes it: the application was idle before, so the actions are current.
    void Click(TcxButton* button) {
        Idle();
        button->Click();
    }
    void Logon() { Click(form_->btnLogon); }
    void Choose(const QString& table) { form_->cbxTableList->SetEditValue(table); }
    void OpenWithRows(const QString& table) {
        form_->ckbIncData->SetChecked(true);
        Choose(table);
    }
    void Idle() { UpdateActions(); }
    bool Enabled(TAction* action) {
        Idle();
        return action->Enabled();
    }
    TcxGridDBColumn* ColumnOf(const std::string& field) {
        for (int i = 0; i < form_->gtvUpdTable->ColumnCount(); ++i) {
            if (form_->gtvUpdTable->Columns(i)->DataBinding.FieldName() == field) {
                return form_->gtvUpdTable->Columns(i);
            }
        }
        return nullptr;
    }
    void Focus(const std::string& field) { form_->gtvUpdTable->SetFocusedColumn(ColumnOf(field)); }
    std::vector<QString> Messages() const {
        std::vector<QString> texts;
        for (const Shown& s : shown_) {
            if (s.kind == QStringLiteral("message")) texts.push_back(s.text);
        }
        return texts;
    }
    QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

    QTemporaryDir dir_;
    std::unique_ptr<testdata::Backend> backend_;
    std::string database_;
    std::unique_ptr<T_BLOBRegister> form_;
};

// The databases the window's tests run on.
#define QUILLAN_ON_EVERY_DATABASE(Suite)                                             \
    INSTANTIATE_TEST_SUITE_P(Databases, Suite,                                      \
                             ::testing::Values("SQLite", "PostgreSQL"),              \
                             [](const auto& info) { return std::string(info.param); })
