#pragma once
// The real main window on a real SQLite file, with every modal dialog answered by the test.

#include <gtest/gtest.h>
#include <sqlite3.h>

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
#include "components/HLDDOA.h"
#include "components/HLDVCL.h"
#include "platform/grid/cxGrid.h"
#include "platform/grid/cxLookupComboBox.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ModalSeam.h"
#include "platform/vcl/cxButtons.h"

class MainWindowTest : public ::testing::Test {
protected:
    // What a dialog showed, and how the test answers the next one.
    struct Shown {
        QString kind;  // "message", "file", "other"
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };
    using Answer = std::function<int(QDialog&)>;

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        dbPath_ = dir_.filePath(QStringLiteral("test.db")).toStdString();
        Sql(
            "CREATE TABLE PEOPLE (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20) NOT NULL,"
            " PHOTO BLOB, NOTE CLOB);"
            "INSERT INTO PEOPLE VALUES (1, 'Aoi', x'00FF10', 'memo one');"
            "INSERT INTO PEOPLE VALUES (2, 'Ken', NULL, NULL);"
            "CREATE TABLE ABC_FIRST (K INTEGER);"
            "CREATE TABLE \"lower case\" (K INTEGER NOT NULL, V VARCHAR(5));"
            "INSERT INTO \"lower case\" VALUES (7, 'x');");
        form_ = std::make_unique<T_BLOBRegister>(nullptr);
        form_->olgDB->SetArguments({QStringLiteral("QUILLAN"),
                                    QString::fromStdString("UserId=tester@" + dbPath_)});
    }

    void TearDown() override { form_.reset(); }

    // Runs SQL on the test file through a second connection.
    void Sql(const std::string& sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(dbPath_.c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
        const std::string message = error != nullptr ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }

    // One value (as text; NULL as "<null>") from the test file.
    std::string Value(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open(dbPath_.c_str(), &db);
        sqlite3_stmt* st = nullptr;
        std::string result = "<none>";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(st, 0);
            result = text != nullptr ? std::string(reinterpret_cast<const char*>(text),
                                                   sqlite3_column_bytes(st, 0))
                                     : "<null>";
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        return result;
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
    std::string dbPath_;
    std::unique_ptr<T_BLOBRegister> form_;
};
