#pragma once
// A database per test on every configured backend: SQLite files in a temporary folder always; a
// further backend adds itself to Backends().

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "data/PostgresBackend.h"
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
    // How the window's statement names a table created as `name`.
    virtual std::string TableRef(const std::string& name) const { return name; }
    // A part of the database's own text for a unique key violation.
    virtual std::string UniqueViolationText() const { return "UNIQUE constraint failed"; }
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

inline std::vector<std::string> TableStatement(const std::string& table, bool withData = true);

// A schema of its own on the server of QUILLAN_PG_URL; the tests' SQL is translated.
class PostgresBackend : public Backend {
public:
    std::string Name() const override { return "PostgreSQL"; }
    std::string Create(const std::string& schema) override {
        schema_.Query(ToPostgres(schema));
        schema_.CatchUpIdentities();
        return schema_.Url();
    }
    Rows Query(const std::string& sql) override {
        Rows rows = schema_.Query(ToPostgres(sql));
        if (sql.find("INSERT") != std::string::npos) schema_.CatchUpIdentities();
        return rows;
    }
    std::string TableRef(const std::string& name) const override { return '"' + name + '"'; }
    std::string UniqueViolationText() const override { return "duplicate key value"; }

private:
    PgSchema schema_;
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
        if (name == "PostgreSQL" && PgSideDoor::ServerUrl()) return std::make_unique<PostgresBackend>();
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
    // The window's statement for a table, naming it as this backend needs.
    std::vector<std::string> TableStatement(const std::string& table, bool withData = true) const {
        return testdata::TableStatement(backend_->TableRef(table), withData);
    }

    std::unique_ptr<Backend> backend_;
    std::string database_;
};

inline std::vector<std::string> TableStatement(const std::string& table, bool withData) {
    std::vector<std::string> lines{"select", "  rowid, " + table + ".*", "from", "  " + table};
    if (!withData) {
        lines.push_back("where");
        lines.push_back("  0 = 1");
    }
    return lines;
}

}  // namespace testdata
