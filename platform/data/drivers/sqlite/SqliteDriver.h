#pragma once
// The SQLite driver: the C API directly. "rowid" is SQLite's own, USER_TABLES is a temporary view
// made on connect, and a row lock is the database's write lock, taken without waiting.

#include <memory>
#include <string>

#include "platform/data/drivers/Driver.h"

namespace data {

// Opens an existing SQLite database file (path in UTF-8).
std::unique_ptr<Connection> OpenSqliteConnection(const std::string& path);

// The file path in a database text that chooses SQLite ("sqlite:" removed).
std::string SqlitePathOf(const std::string& database);

}  // namespace data
