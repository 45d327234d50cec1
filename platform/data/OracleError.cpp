#include "platform/data/OracleError.h"

VCL_DEFINE_CLASS(EDatabaseError, Exception)
VCL_DEFINE_CLASS(EOracleError, EDatabaseError)

EOracleError::EOracleError(int errorCode, std::string message, std::string constraintName)
    : EDatabaseError(std::move(message)), errorCode_(errorCode), constraintName_(std::move(constraintName)) {}
