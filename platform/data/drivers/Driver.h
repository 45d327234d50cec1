#pragma once
// The one interface every database driver implements. The data set speaks only to this; the
// dialect (quoting, what stands behind "rowid" and USER_TABLES, how a row is locked, how BLOBs are
// streamed) stays inside each driver. Every failure is thrown as EOracleError with Oracle's number
// for the cases the program relies on (54, 1) and the database's own text.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/data/FieldTypes.h"
#include "platform/data/OracleError.h"
#include "platform/data/Value.h"

namespace data {

// One column of a result set (the row identifier is not among them).
struct ColumnDesc {
    std::string name;          // as the database reports it
    TFieldType type = ftUnknown;
    int size = 0;              // characters of a character column; 0 when unbounded or not text
    bool notNull = false;      // a NOT NULL column of its table that the program must fill
    std::string table;         // the table the column comes from; empty for expressions
    std::string column;        // its name in that table
};

// What a driver can do; the data set adapts to it.
struct Capabilities {
    bool rowLocks = false;              // real row locks (else a lock covers the whole database)
    bool rowIdChangesOnUpdate = false;  // the row identifier may change when the row is updated
};

// A result set fetched lazily, row by row. A cursor never sees a half-applied state of the
// program's own writes: the driver buffers or isolates it as its database requires.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual const std::vector<ColumnDesc>& Columns() const = 0;
    // True when the statement selected the row identifier.
    virtual bool HasRowId() const = 0;
    // The table whose row identifiers the cursor returns; empty without a row identifier.
    virtual const std::string& Table() const = 0;
    // Next row: its identifier (empty without one) and one value per column; BLOB columns come
    // as DbBlob (size only) or null. False at the end.
    virtual bool Next(std::string& rowId, std::vector<Value>& values) = 0;
};

// A cursor that can take its remaining rows to this side (Drain), for when a transaction end or
// the connection's own writes must not meet an open statement; those rows are handed out first.
class BufferedCursor : public Cursor {
public:
    bool Next(std::string& rowId, std::vector<Value>& values) final {
        if (!buffered_.empty()) {
            rowId = std::move(buffered_.front().first);
            values = std::move(buffered_.front().second);
            buffered_.pop_front();
            return true;
        }
        return Step(rowId, values);
    }
    void Drain() {
        std::string rowId;
        std::vector<Value> values;
        while (Step(rowId, values)) buffered_.emplace_back(std::move(rowId), std::move(values));
    }

protected:
    // The next row from the database; false at the end (also once the statement is gone).
    virtual bool Step(std::string& rowId, std::vector<Value>& values) = 0;

private:
    std::deque<std::pair<std::string, std::vector<Value>>> buffered_;
};

// Reads one BLOB cell in chunks.
class BlobReader {
public:
    virtual ~BlobReader() = default;
    virtual std::int64_t Size() const = 0;
    virtual std::size_t Read(std::int64_t offset, char* buffer, std::size_t length) = 0;
};

// Column name and new value; BLOB values (BlobPtr) are streamed by the driver in chunks.
using ColumnValues = std::vector<std::pair<std::string, Value>>;

class Connection {
public:
    virtual ~Connection() = default;

    // Told after each chunk of BLOB content written, with that chunk's size. Throwing (EAbort
    // when the user cancels) stops the write; the apply then undoes everything it wrote.
    void SetWriteProgress(std::function<void(std::int64_t bytes)> onWritten) {
        onWritten_ = std::move(onWritten);
    }

    virtual Capabilities Caps() const = 0;

    // How a statement names `table`: unchanged when it is a plain identifier that needs no quotes
    // in this database, otherwise quoted by the database's rules. The default is the SQL
    // standard's: letters, digits and "_", not starting with a digit, letter case ignored.
    virtual std::string TableReference(const std::string& table) const {
        return QuoteIdentifierIfNeeded(table, [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        });
    }

protected:
    // `table` unchanged when every character is a letter that `plainLetter` accepts, a digit or
    // "_" (not first), otherwise in double quotes with inner quotes doubled.
    template <class PlainLetter>
    static std::string QuoteIdentifierIfNeeded(const std::string& table, PlainLetter plainLetter) {
        bool plain = !table.empty() && !(table[0] >= '0' && table[0] <= '9');
        for (char c : table) {
            if (!(plainLetter(c) || (c >= '0' && c <= '9') || c == '_')) plain = false;
        }
        if (plain) return table;
        std::string quoted = "\"";
        for (char c : table) {
            quoted += c;
            if (c == '"') quoted += '"';
        }
        return quoted + '"';
    }

public:

    // Runs a query; rows come lazily.
    virtual std::unique_ptr<Cursor> OpenCursor(const std::string& sql) = 0;

    // Locks one row for this session without waiting (error 54 when another session holds it).
    // The lock lasts until Commit or Rollback.
    virtual void LockRow(const std::string& table, const std::string& rowId) = 0;
    // Reads the listed columns of one row (BLOBs as DbBlob); false when the row no longer exists.
    virtual bool ReadRow(const std::string& table, const std::string& rowId,
                         const std::vector<ColumnDesc>& columns, std::vector<Value>& values) = 0;
    virtual std::unique_ptr<BlobReader> OpenBlob(const std::string& table, const std::string& column,
                                                 const std::string& rowId) = 0;

    // Writes; each returns the row's identifier afterwards.
    virtual std::string InsertRow(const std::string& table, const ColumnValues& values) = 0;
    virtual std::string UpdateRow(const std::string& table, const std::string& rowId,
                                  const ColumnValues& values) = 0;
    virtual void DeleteRow(const std::string& table, const std::string& rowId) = 0;

    // An apply runs between BeginApply and EndApply: EndApply(true) keeps its writes in the open
    // transaction, EndApply(false) undoes exactly them (locks taken before stay where the database
    // allows).
    virtual void BeginApply() = 0;
    virtual void EndApply(bool success) = 0;

    virtual bool InTransaction() const = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;

protected:
    void ReportWritten(std::int64_t bytes) {
        if (onWritten_) onWritten_(bytes);
    }

private:
    std::function<void(std::int64_t)> onWritten_;
};

// What the logon gave: user name, password and the database text that also chooses the driver.
struct ConnectParams {
    std::string user;
    std::string password;
    std::string database;
};

enum class DriverKind { SQLite, PostgreSQL, Oracle };

// `sqlite:PATH` or a path ending in .db, .sqlite or .sqlite3 is SQLite; postgresql:// and
// postgres:// are PostgreSQL; anything else (EZConnect, a TNS alias, empty) is Oracle.
DriverKind ChooseDriver(const std::string& database);

// Opens a connection with the driver the database text chooses.
std::unique_ptr<Connection> Connect(const ConnectParams& params);

}  // namespace data
