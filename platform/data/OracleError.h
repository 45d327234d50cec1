#pragma once
// Database errors. Every driver reports its failures as EOracleError carrying Oracle's error
// number for the cases the program relies on (54: row held by another session, 1: unique key
// violated) and the database's own text otherwise.

#include <string>

#include "platform/vcl/SysUtils.h"

class EDatabaseError : public Exception {
    VCL_DECLARE_CLASS(EDatabaseError)
public:
    using Exception::Exception;
};

class EOracleError : public EDatabaseError {
    VCL_DECLARE_CLASS(EOracleError)
public:
    EOracleError(int errorCode, std::string message, std::string constraintName = {});

    // Oracle's error number (54, 1), or the driver's own code for everything else (0 if none).
    int ErrorCode() const noexcept { return errorCode_; }
    // The constraint named by a constraint violation; empty otherwise.
    const std::string& ConstraintName() const noexcept { return constraintName_; }

private:
    int errorCode_;
    std::string constraintName_;
};

namespace data {
inline constexpr int kOraUniqueViolated = 1;
inline constexpr int kOraRowLocked = 54;
}  // namespace data
