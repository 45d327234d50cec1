#pragma once
// The Oracle driver: the Oracle client library (OCI), loaded at run time.

#include <memory>

#include "platform/data/drivers/Driver.h"

namespace data {

std::unique_ptr<Connection> OpenOracleConnection(const ConnectParams& params);

}  // namespace data
