#pragma once
// The database session and the logon dialog component.

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/data/FieldTypes.h"
#include "platform/data/OracleError.h"
#include "platform/vcl/Classes.h"

namespace data {
class Connection;
}
class TOracleDataSet;

enum TBytesPerCharacter { bcAutoDetect, bc1Byte, bc2Bytes, bc3Bytes, bc4Bytes };

class TOracleSession : public TComponent {
public:
    explicit TOracleSession(TComponent* AOwner);
    ~TOracleSession() override;
    const char* ClassName() const noexcept override { return "TOracleSession"; }

    // What the logon uses. The user name may carry "user/password", "user@database" and
    // "user/password@database"; the parts it carries take the place of the other two values.
    const std::string& LogonUsername() const noexcept { return logonUsername_; }
    void SetLogonUsername(std::string value) { logonUsername_ = std::move(value); }
    const std::string& LogonPassword() const noexcept { return logonPassword_; }
    void SetLogonPassword(std::string value) { logonPassword_ = std::move(value); }
    const std::string& LogonDatabase() const noexcept { return logonDatabase_; }
    void SetLogonDatabase(std::string value) { logonDatabase_ = std::move(value); }

    // Connects with the logon values; a connected session logs off first.
    void LogOn();
    // Disconnects; an open transaction is rolled back (RollbackOnDisconnect) or committed.
    void LogOff();
    bool Connected() const noexcept { return connection_ != nullptr; }
    virtual void SetConnected(bool value);

    // Posts what each data set still edits, writes every cached change in one transaction and,
    // with `commit`, commits and empties the caches. On failure everything this call wrote is
    // undone, the error propagates and every cache keeps every change.
    // `progress` hears how many of the BLOB bytes to write are written; throwing from it (EAbort)
    // cancels the apply like any failure.
    void ApplyUpdates(const std::vector<TOracleDataSet*>& dataSets, bool commit,
                      const std::function<void(std::int64_t done, std::int64_t total)>& progress = {});
    void Commit();
    void Rollback();
    bool InTransaction() const;

    // Settings.
    TCursor Cursor() const noexcept { return cursor_; }
    void SetCursor(TCursor value) noexcept { cursor_ = value; }
    bool DesignConnection() const noexcept { return designConnection_; }
    void SetDesignConnection(bool value) noexcept { designConnection_ = value; }
    bool ThreadSafe() const noexcept { return threadSafe_; }
    virtual void SetThreadSafe(bool value) noexcept { threadSafe_ = value; }
    bool RollbackOnDisconnect() const noexcept { return rollbackOnDisconnect_; }
    void SetRollbackOnDisconnect(bool value) noexcept { rollbackOnDisconnect_ = value; }
    TBytesPerCharacter BytesPerCharacter() const noexcept { return bytesPerCharacter_; }
    virtual void SetBytesPerCharacter(TBytesPerCharacter value) noexcept { bytesPerCharacter_ = value; }

    TNotifyEvent BeforeLogOn, AfterLogOn;

    // The live connection; throws EDatabaseError when not logged on.
    data::Connection& Connection() const;

private:
    friend class TOracleDataSet;
    void Register(TOracleDataSet* dataSet);
    void Unregister(TOracleDataSet* dataSet);
    void DrainCursors();

    std::string logonUsername_, logonPassword_, logonDatabase_;
    std::unique_ptr<data::Connection> connection_;
    std::vector<TOracleDataSet*> dataSets_;
    TCursor cursor_ = crDefault;
    bool designConnection_ = false;
    bool threadSafe_ = false;
    bool rollbackOnDisconnect_ = false;
    TBytesPerCharacter bytesPerCharacter_ = bcAutoDetect;
};

// Splits a logon entry "user[/password][@database]".
struct LogonParts {
    std::string user;
    std::optional<std::string> password;
    std::optional<std::string> database;
};
LogonParts SplitLogonText(const std::string& text);

enum TLogonOption : unsigned {
    ldAuto = 1u << 0,
    ldDatabase = 1u << 1,
    ldDatabaseList = 1u << 2,
    ldLogonHistory = 1u << 3,
    ldConnectAs = 1u << 4,
};
using TLogonOptions = unsigned;

// The logon dialog component: Execute shows a modal dialog (user name, password, database, OK and
// Cancel) and logs the session on; see Execute for the rules.
class TOracleLogon : public TComponent {
public:
    explicit TOracleLogon(TComponent* AOwner);
    ~TOracleLogon() override;
    const char* ClassName() const noexcept override { return "TOracleLogon"; }

    TOracleSession* Session() const noexcept { return session_; }
    void SetSession(TOracleSession* session);
    int Retries() const noexcept { return retries_; }
    void SetRetries(int value) noexcept { retries_ = value; }
    TLogonOptions Options() const noexcept { return options_; }
    void SetOptions(TLogonOptions value) noexcept { options_ = value; }

    // At most Retries + 1 attempts. With ldAuto the first Execute tries a "UserId=" command-line
    // parameter first and shows the dialog only if that fails. A failed attempt shows the
    // database's message and offers the dialog again, prefilled with the previous entries.
    // False when no session is set or the user cancelled before any attempt; true as soon as one
    // attempt was made, connected or not.
    bool Execute();

    // The program's arguments; by default those of the running application.
    void SetArguments(QStringList arguments) { arguments_ = std::move(arguments); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::optional<std::string> UserIdParameter() const;
    bool Attempt(const std::string& user, const std::string& password, const std::string& database);

    TOracleSession* session_ = nullptr;
    int retries_ = 2;
    TLogonOptions options_ = ldAuto | ldDatabase;
    bool autoTried_ = false;
    std::optional<QStringList> arguments_;
    std::string lastUser_, lastPassword_, lastDatabase_;
};
