#pragma once
// A real SQLite file with one table, a session on it and a data set over the table.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <memory>
#include <string>

#include "platform/data/Oracle.h"
#include "platform/data/OracleData.h"
#include "platform/vcl/Forms.h"

namespace gridtest {

inline void Exec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    const std::string message = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
}

// Table DOCS: ID, NAME (not null), CONTENT (BLOB), NOTE (CLOB); `rows` rows, the first with a
// 12 630-byte content and a note, the others with nulls.
struct Fixture {
    QTemporaryDir dir;
    std::string path = dir.path().toStdString() + "/grid.db";
    TForm form{nullptr};
    TOracleSession* session = new TOracleSession(&form);
    TOracleDataSet* dataSet = new TOracleDataSet(&form);
    TDataSource* source = new TDataSource(&form);

    explicit Fixture(int rows = 3) {
        std::string sql =
            "create table DOCS (ID integer primary key, NAME varchar(20) not null, "
            "CONTENT blob, NOTE clob);"
            "insert into DOCS values (1, 'first', zeroblob(12630), "
            "'Line one\nline two of a longer note');";
        sql += "with recursive n(i) as (select 2 union all select i + 1 from n where i < " +
               std::to_string(rows) + ") insert into DOCS select i, 'row' || i, null, null from n;";
        Exec(path, sql);
        session->SetLogonDatabase(path);
        session->LogOn();
        dataSet->SetSession(session);
        dataSet->SetCachedUpdates(true);
        dataSet->SetLockingMode(lmLockImmediate);  // editing a row locks it
        dataSet->SetRefreshOptions(roBeforeEdit);
        dataSet->SQL().Add("select");
        dataSet->SQL().Add("  rowid, DOCS.*");
        dataSet->SQL().Add("from");
        dataSet->SQL().Add("  DOCS");
        source->SetDataSet(dataSet);
        dataSet->Open();
    }
};

}  // namespace gridtest
