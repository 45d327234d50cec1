#pragma once
// A database per test on every configured backend: SQLite files in a temporary folder always; a
// further backend adds itself to Backends().

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/Oracle.h"
#include "platform/data/OracleData.h"

namespace testdata {

using Rows = std::vector<std::vector<std::string>>;

// One database made from a schema script, with a side door for checking what really is stored.
class Backend {
public:
    virtual ~Backend() = default;
    virtual std::string Name() const = 0;
    // Creates the database and returns the text a logon gives as database.
    virtual std::string Create(const std::string& schema) = 0;
    // Runs a query on a connection of its own; NULL shows as "<null>".
    virtual Rows Query(const std::string& sql) = 0;
};

class SqliteBackend : public Backend {
public:
    std::string Name() const override { return "SQLite"; }
    std::string Create(const std::string& schema) override {
        path_ = dir_.path().toStdString() + "/test.db";
        Exec(schema);
        return path_;
    }
    Rows Query(const std::string& sql) override {
        Rows rows;
        Exec(sql, &rows);
        return rows;
    }
    const std::string& Path() const { return path_; }

private:
    void Exec(const std::string& sql, Rows* rows = nullptr) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
        char* err = nullptr;
        auto collect = [](void* out, int n, char** values, char**) {
            std::vector<std::string> row;
            for (int i = 0; i < n; ++i) row.emplace_back(values[i] ? values[i] : "<null>");
            static_cast<Rows*>(out)->push_back(row);
            return 0;
        };
        const int rc = sqlite3_exec(db, sql.c_str(), rows ? +collect : nullptr, rows, &err);
        const std::string message = err ? err : "";
        sqlite3_free(err);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }

    QTemporaryDir dir_;
    std::string path_;
};

// The fixture the data set tests run with, once per backend.
class DataTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        backend_ = MakeBackend(GetParam());
        if (!backend_) GTEST_SKIP() << GetParam() << " is not configured";
    }

    static std::unique_ptr<Backend> MakeBackend(const std::string& name) {
        if (name == "SQLite") return std::make_unique<SqliteBackend>();
        return nullptr;
    }

    // Creates the database and logs a fresh session on to it.
    std::unique_ptr<TOracleSession> Connect(const std::string& schema) {
        if (database_.empty()) database_ = backend_->Create(schema);
        return Session();
    }
    std::unique_ptr<TOracleSession> Session() {
        auto session = std::make_unique<TOracleSession>(nullptr);
        session->SetLogonDatabase(database_);
        session->SetRollbackOnDisconnect(true);
        session->LogOn();
        return session;
    }
    // A data set on `session` with the statement lines, cached updates and the house's locking.
    static std::unique_ptr<TOracleDataSet> DataSet(TOracleSession& session, const std::vector<std::string>& lines,
                                                   bool cached = true) {
        auto ds = std::make_unique<TOracleDataSet>(nullptr);
        ds->SetSession(&session);
        ds->SetCachedUpdates(cached);
        ds->SetLockingMode(lmLockImmediate);
        ds->SetRefreshOptions(roBeforeEdit | roAfterInsert | roAfterUpdate | roAllFields);
        for (const auto& l : lines) ds->SQL().Add(l);
        return ds;
    }
    Rows Query(const std::string& sql) { return backend_->Query(sql); }

    std::unique_ptr<Backend> backend_;
    std::string database_;
};

inline std::vector<std::string> TableStatement(const std::string& table, bool withData = true) {
    std::vector<std::string> lines{"select", "  rowid, " + table + ".*", "from", "  " + table};
    if (!withData) {
        lines.push_back("where");
        lines.push_back("  0 = 1");
    }
    return lines;
}

}  // namespace testdata
