#pragma once
// A schema of its own per test on the PostgreSQL server named by QUILLAN_PG_URL, reached through
// the URL's search_path so that USER_TABLES shows that schema's tables only; dropped at the end.

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace testdata {

using PgRows = std::vector<std::vector<std::string>>;

class PgSideDoor {
public:
    // Null when no server is configured.
    static const char* ServerUrl() {
        const char* url = std::getenv("QUILLAN_PG_URL");
        return url && *url ? url : nullptr;
    }

    explicit PgSideDoor(const std::string& url) : conn_(PQconnectdb(url.c_str()), &PQfinish) {
        if (PQstatus(conn_.get()) != CONNECTION_OK) ADD_FAILURE() << PQerrorMessage(conn_.get());
        PQsetNoticeProcessor(conn_.get(), [](void*, const char*) {}, nullptr);
    }

    // Runs a script or a query; NULL shows as "<null>".
    PgRows Query(const std::string& sql) {
        PgRows rows;
        std::unique_ptr<PGresult, decltype(&PQclear)> r(PQexec(conn_.get(), sql.c_str()), &PQclear);
        const ExecStatusType s = PQresultStatus(r.get());
        if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK) {
            ADD_FAILURE() << PQresultErrorMessage(r.get()) << " in " << sql;
            return rows;
        }
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            rows.emplace_back();
            for (int j = 0; j < PQnfields(r.get()); ++j)
                rows.back().emplace_back(PQgetisnull(r.get(), i, j) ? "<null>" : PQgetvalue(r.get(), i, j));
        }
        return rows;
    }

private:
    std::unique_ptr<PGconn, decltype(&PQfinish)> conn_;
};

class PgSchema {
public:
    PgSchema() {
        static std::atomic<int> counter{0};
        name_ = "quillan_t" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        const std::string base = PgSideDoor::ServerUrl();
        url_ = base + (base.find('?') == std::string::npos ? "?" : "&") + "options=-c%20search_path%3D" + name_;
        PgSideDoor(base).Query("DROP SCHEMA IF EXISTS " + name_ + " CASCADE; CREATE SCHEMA " + name_);
        door_ = std::make_unique<PgSideDoor>(url_);
    }
    ~PgSchema() {
        door_.reset();
        PgSideDoor(PgSideDoor::ServerUrl()).Query("DROP SCHEMA IF EXISTS " + name_ + " CASCADE");
    }
    PgSchema(const PgSchema&) = delete;
    PgSchema& operator=(const PgSchema&) = delete;

    // The database text a logon gives.
    const std::string& Url() const { return url_; }
    const std::string& Name() const { return name_; }
    PgRows Query(const std::string& sql) { return door_->Query(sql); }

private:
    std::string name_, url_;
    std::unique_ptr<PgSideDoor> door_;
};

}  // namespace testdata
