// Which driver a database text chooses.

#include <algorithm>
#include <cctype>

#include "platform/data/drivers/Driver.h"
#include "platform/data/drivers/oracle/OracleDriver.h"
#include "platform/data/drivers/postgres/PostgresDriver.h"
#include "platform/data/drivers/sqlite/SqliteDriver.h"
#include "platform/win32/CodePage.h"

namespace data {

namespace {
bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
bool EndsWithNoCase(const std::string& s, const std::string& suffix) {
    if (s.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), s.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char want, char have) { return std::tolower(static_cast<unsigned char>(have)) == want; });
}
}  // namespace

DriverKind ChooseDriver(const std::string& database) {
    if (StartsWith(database, "sqlite:") || EndsWithNoCase(database, ".db") || EndsWithNoCase(database, ".sqlite") ||
        EndsWithNoCase(database, ".sqlite3"))
        return DriverKind::SQLite;
    if (StartsWith(database, "postgresql://") || StartsWith(database, "postgres://")) return DriverKind::PostgreSQL;
    return DriverKind::Oracle;
}

std::unique_ptr<Connection> Connect(const ConnectParams& params) {
    switch (ChooseDriver(params.database)) {
    case DriverKind::SQLite: return OpenSqliteConnection(win32::AnsiToUtf8(SqlitePathOf(params.database)));
    case DriverKind::PostgreSQL: return OpenPostgresConnection(params);
    case DriverKind::Oracle: break;
    }
    return OpenOracleConnection(params);
}

}  // namespace data
