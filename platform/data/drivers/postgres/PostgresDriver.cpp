#include "platform/data/drivers/postgres/PostgresDriver.h"

#include "platform/data/DataTexts.h"

namespace data {

std::unique_ptr<Connection> OpenPostgresConnection(const ConnectParams&) {
    throw EOracleError(0, texts::Format(texts::kPostgresMissing));
}

}  // namespace data
