#pragma once
// The PostgreSQL driver (libpq).

#include <memory>

#include "platform/data/drivers/Driver.h"

namespace data {

// `params.database` is a postgresql:// or postgres:// URL; user and password, when given, take
// the place of those in the URL.
std::unique_ptr<Connection> OpenPostgresConnection(const ConnectParams& params);

}  // namespace data
