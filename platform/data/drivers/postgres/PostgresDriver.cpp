// The PostgreSQL driver on libpq's C API.
//
// rowid is the row's physical address ctid, which moves whenever the row is updated: every write
// returns the new one. USER_TABLES is a common table expression put in front of the statement.
// Rows come through a server-side WITH HOLD cursor, so a result survives the commits of the
// program's own writes and never shows them half done. Every statement that may fail inside an
// open transaction runs under a savepoint, because a failed statement would otherwise abort the
// transaction and lose the row locks taken so far.

#include "platform/data/drivers/postgres/PostgresDriver.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <type_traits>

#include "platform/data/DataTexts.h"
#include "platform/data/drivers/SqlSelect.h"
#include "platform/data/drivers/postgres/PostgresSql.h"
#include "platform/data/drivers/postgres/PostgresTexts.h"
#include "platform/win32/CodePage.h"

namespace data {

namespace {

constexpr int kConnectionLost = 3113;  // Oracle's number for a session whose server went away
constexpr int kFetchRows = 256;
constexpr std::int64_t kReadWindow = std::int64_t{4} << 20;
constexpr const char* kStageTable = "pg_temp.quillan_blob_stage";

struct ResultDeleter {
    void operator()(PGresult* r) const noexcept { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;
struct ConnDeleter {
    void operator()(PGconn* c) const noexcept { PQfinish(c); }
};
using PgHandle = std::unique_ptr<PGconn, ConnDeleter>;

std::string Trimmed(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    return s;
}

std::string Field(const PGresult* r, int row, int col) {
    return std::string(PQgetvalue(r, row, col), static_cast<std::size_t>(PQgetlength(r, row, col)));
}

// Statement parameters, held as texts (or raw bytes) with their type and format.
class Params {
public:
    int Add(std::optional<std::string> value, Oid type = 0, int format = 0) {
        values_.push_back(std::move(value));
        types_.push_back(type);
        formats_.push_back(format);
        return static_cast<int>(values_.size());
    }
    std::string Ref(std::optional<std::string> value, Oid type = 0, int format = 0) {
        return "$" + std::to_string(Add(std::move(value), type, format));
    }
    PGresult* Exec(PGconn* conn, const std::string& sql, int resultFormat) const {
        std::vector<const char*> pointers;
        std::vector<int> lengths;
        for (const auto& v : values_) {
            pointers.push_back(v ? v->data() : nullptr);
            lengths.push_back(v ? static_cast<int>(v->size()) : 0);
        }
        return PQexecParams(conn, sql.c_str(), static_cast<int>(values_.size()), types_.data(), pointers.data(),
                            lengths.data(), formats_.data(), resultFormat);
    }

private:
    std::vector<std::optional<std::string>> values_;
    std::vector<Oid> types_;
    std::vector<int> formats_;
};

// How a result column is read into the cache.
struct ReadColumn {
    TFieldType type = ftUnknown;
    enum Fetch { Value, Length, Content } fetch = Value;
};

bool IsBlobFamily(TFieldType t) { return t == ftBlob || t == ftMemo; }

Value ReadValue(const PGresult* r, int row, int col, const ReadColumn& c) {
    if (PQgetisnull(r, row, col)) return {};
    const std::string text = Field(r, row, col);
    if (c.fetch == ReadColumn::Length) return DbBlob{std::strtoll(text.c_str(), nullptr, 10)};
    if (c.fetch == ReadColumn::Content) {
        // The content came with the row (an expression the driver could not measure instead).
        const bool hex = c.type == ftBlob && text.rfind("\\x", 0) == 0;
        return DbBlob{static_cast<std::int64_t>(hex ? (text.size() - 2) / 2 : text.size())};
    }
    switch (c.type) {
    case ftInteger: return static_cast<std::int64_t>(std::strtoll(text.c_str(), nullptr, 10));
    case ftFloat: return std::strtod(text.c_str(), nullptr);
    case ftBoolean: return std::int64_t{text == "t" ? 1 : 0};
    case ftDateTime: return pg::NormalizeDateTime(text);
    default: return text;
    }
}

class PgConnection;

class PgCursor final : public BufferedCursor {
public:
    PgCursor(PgConnection* owner, std::string name, std::vector<ColumnDesc> columns, std::vector<ReadColumn> read,
             int rowIdPos, std::string table, unsigned transaction)
        : owner_(owner), name_(std::move(name)), columns_(std::move(columns)), read_(std::move(read)),
          rowIdPos_(rowIdPos), table_(std::move(table)), transaction_(transaction) {}
    ~PgCursor() override;

    const std::vector<ColumnDesc>& Columns() const override { return columns_; }
    bool HasRowId() const override { return rowIdPos_ >= 0; }
    const std::string& Table() const override { return table_; }

    // A commit makes the cursor independent of the transaction that declared it.
    void Held() noexcept { transaction_ = 0; }
    unsigned Transaction() const noexcept { return transaction_; }
    bool ServerOpen() const noexcept { return serverOpen_; }
    const std::string& Name() const noexcept { return name_; }
    void Detach() noexcept {
        owner_ = nullptr;
        serverOpen_ = false;
    }

private:
    bool Step(std::string& rowId, std::vector<Value>& values) override;

    PgConnection* owner_;
    std::string name_;
    std::vector<ColumnDesc> columns_;
    std::vector<ReadColumn> read_;
    int rowIdPos_;
    std::string table_;
    unsigned transaction_;  // the transaction the cursor was declared in; 0 once it is held
    bool serverOpen_ = true;
    Result batch_;
    int at_ = 0;
};

class PgBlobReader final : public BlobReader {
public:
    PgBlobReader(PgConnection* owner, std::string table, std::string column, bool text, std::string rowId,
                 std::int64_t size)
        : owner_(owner), table_(std::move(table)), column_(std::move(column)), text_(text), rowId_(std::move(rowId)),
          size_(size) {}
    std::int64_t Size() const override { return size_; }
    std::size_t Read(std::int64_t offset, char* buffer, std::size_t length) override;

private:
    PgConnection* owner_;
    std::string table_, column_;
    bool text_;
    std::string rowId_;
    std::int64_t size_;
    std::string window_;
    std::int64_t windowAt_ = -1;
};

class PgConnection final : public Connection {
public:
    explicit PgConnection(const ConnectParams& params) {
        const std::string url = win32::AnsiToUtf8(params.database);
        const std::string user = win32::AnsiToUtf8(params.user);
        const std::string password = win32::AnsiToUtf8(params.password);
        // Later keywords win over what the URL says: the dialog's user name and password count.
        std::vector<const char*> keys{"dbname", "client_encoding", "application_name"};
        std::vector<const char*> values{url.c_str(), "UTF8", "QUILLAN"};
        if (!user.empty()) keys.push_back("user"), values.push_back(user.c_str());
        if (!password.empty()) keys.push_back("password"), values.push_back(password.c_str());
        keys.push_back(nullptr);
        values.push_back(nullptr);
        conn_.reset(PQconnectdbParams(keys.data(), values.data(), 1));
        if (!conn_ || PQstatus(conn_.get()) != CONNECTION_OK) {
            const std::string why = conn_ ? Trimmed(PQerrorMessage(conn_.get())) : std::string("out of memory");
            throw EOracleError(0, texts::Format(texts::kPostgresConnectFailed, win32::Utf8ToAnsi(why)));
        }
        // Notices ("relation already exists, skipping") are no concern of the user's.
        PQsetNoticeProcessor(conn_.get(), [](void*, const char*) {}, nullptr);
        Run("SET DateStyle = ISO, YMD");
        const char* encoding = PQparameterStatus(conn_.get(), "server_encoding");
        utf8Server_ = encoding && std::string(encoding) == "UTF8";
    }

    ~PgConnection() override {
        // Closing the connection ends the server session, which rolls back what is open.
        for (PgCursor* c : cursors_) c->Detach();
    }

    Capabilities Caps() const override { return Capabilities{true, true}; }

    // Unquoted names fold to lower case here: any other name needs its quotes.
    std::string TableReference(const std::string& table) const override {
        return QuoteIdentifierIfNeeded(table, [](char c) { return c >= 'a' && c <= 'z'; });
    }

    std::unique_ptr<Cursor> OpenCursor(const std::string& sql) override {
        CheckAlive();
        return Guarded([&] { return Declare(sql); });
    }

    void LockRow(const std::string& table, const std::string& rowId) override {
        CheckAlive();
        BeginIfIdle();
        // A row that another session updated since it was read has moved: its newest version
        // is found through the chain of versions and locked there.
        std::string at = Resolve(table, rowId);
        for (int attempt = 0; attempt < 3; ++attempt) {
            const bool locked = Guarded([&] {
                Params p;
                Result r = Run("SELECT 1 FROM " + Qualified(table) + " WHERE ctid = " + p.Ref(at) +
                                   "::tid FOR UPDATE NOWAIT",
                               &p);
                return PQntuples(r.get()) > 0;
            });
            if (locked) {
                if (at != rowId) moved_[{table, rowId}] = at;
                return;
            }
            const std::string newest = Newest(table, at);
            if (newest == at) break;
            at = newest;
        }
        RaiseVanished();
    }

    bool ReadRow(const std::string& table, const std::string& rowId, const std::vector<ColumnDesc>& columns,
                 std::vector<Value>& values) override {
        CheckAlive();
        std::string list;
        std::vector<std::size_t> which;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const ColumnDesc& c = columns[i];
            if (c.column.empty() || c.table != table) continue;
            const std::string ref = QuoteIdent(c.column);
            list += (which.empty() ? "" : ", ") + (IsBlobFamily(c.type) ? LengthOf(ref, c.type == ftMemo) : ref);
            which.push_back(i);
        }
        if (which.empty()) list = "1";
        return Guarded([&] {
            Params p;
            Result r = Run("SELECT " + list + " FROM " + Qualified(table) + " WHERE ctid = " +
                               p.Ref(Resolve(table, rowId)) + "::tid",
                           &p);
            if (PQntuples(r.get()) == 0) return false;
            values.resize(columns.size());
            for (std::size_t k = 0; k < which.size(); ++k) {
                const ColumnDesc& c = columns[which[k]];
                const ReadColumn how{c.type, IsBlobFamily(c.type) ? ReadColumn::Length : ReadColumn::Value};
                values[which[k]] = ReadValue(r.get(), 0, static_cast<int>(k), how);
            }
            return true;
        });
    }

    std::unique_ptr<BlobReader> OpenBlob(const std::string& table, const std::string& column,
                                         const std::string& rowId) override {
        CheckAlive();
        const bool text = TypeOf(table, column) != pg::kByteaOid;
        const std::int64_t size = Guarded([&] {
            Params p;
            Result r = Run("SELECT " + LengthOf(QuoteIdent(column), text) + " FROM " + Qualified(table) +
                               " WHERE ctid = " + p.Ref(Resolve(table, rowId)) + "::tid",
                           &p);
            if (PQntuples(r.get()) == 0) RaiseVanished();
            return PQgetisnull(r.get(), 0, 0) ? std::int64_t{0} : std::strtoll(PQgetvalue(r.get(), 0, 0), nullptr, 10);
        });
        return std::make_unique<PgBlobReader>(this, table, column, text, rowId, size);
    }

    // One window of a BLOB cell's bytes.
    std::string ReadSlice(const std::string& table, const std::string& column, bool text, const std::string& rowId,
                          std::int64_t offset, std::int64_t length) {
        CheckAlive();
        return Guarded([&] {
            Params p;
            const std::string ref = text ? "convert_to(" + QuoteIdent(column) + ", 'UTF8')" : QuoteIdent(column);
            const std::string sql = "SELECT substring(" + ref + " from " + p.Ref(std::to_string(offset + 1)) +
                                    "::int4 for " + p.Ref(std::to_string(length)) + "::int4) FROM " +
                                    Qualified(table) + " WHERE ctid = " + p.Ref(Resolve(table, rowId)) + "::tid";
            Result r = Run(sql, &p, 1);
            if (PQntuples(r.get()) == 0) RaiseVanished();
            return Field(r.get(), 0, 0);
        });
    }

    std::string InsertRow(const std::string& table, const ColumnValues& values) override {
        CheckAlive();
        BeginIfIdle();
        return Guarded([&] {
            Params p;
            std::string sql = "INSERT INTO " + Qualified(table);
            if (values.empty()) {
                sql += " DEFAULT VALUES";
            } else {
                const std::vector<std::string> exprs = Expressions(table, values, p);
                std::string names, list;
                for (std::size_t i = 0; i < values.size(); ++i) {
                    names += (i ? ", " : "") + QuoteIdent(values[i].first);
                    list += (i ? ", " : "") + exprs[i];
                }
                sql += " (" + names + ") VALUES (" + list + ")";
            }
            return Written(Run(sql + " RETURNING ctid", &p));
        });
    }

    std::string UpdateRow(const std::string& table, const std::string& rowId, const ColumnValues& values) override {
        CheckAlive();
        if (values.empty()) return rowId;
        BeginIfIdle();
        return Guarded([&] {
            Params p;
            const std::vector<std::string> exprs = Expressions(table, values, p);
            std::string sql = "UPDATE " + Qualified(table) + " SET ";
            for (std::size_t i = 0; i < values.size(); ++i)
                sql += (i ? ", " : "") + QuoteIdent(values[i].first) + " = " + exprs[i];
            sql += " WHERE ctid = " + p.Ref(Resolve(table, rowId)) + "::tid RETURNING ctid";
            return Written(Run(sql, &p));
        });
    }

    void DeleteRow(const std::string& table, const std::string& rowId) override {
        CheckAlive();
        BeginIfIdle();
        Guarded([&] {
            Params p;
            Result r =
                Run("DELETE FROM " + Qualified(table) + " WHERE ctid = " + p.Ref(Resolve(table, rowId)) + "::tid", &p);
            if (std::string(PQcmdTuples(r.get())) != "1") RaiseVanished();
        });
    }

    void BeginApply() override {
        CheckAlive();
        beganTransaction_ = BeginIfIdle();
        Run("SAVEPOINT quillan_apply");
        applying_ = true;
    }

    void EndApply(bool success) override {
        applying_ = false;
        // A lost connection or a commit in between left nothing to undo or keep.
        if (!Alive() || !InTransaction()) return;
        if (success) {
            Run("RELEASE SAVEPOINT quillan_apply");
            return;
        }
        Run("ROLLBACK TO SAVEPOINT quillan_apply");
        Run("RELEASE SAVEPOINT quillan_apply");
        if (beganTransaction_) Rollback();
    }

    bool InTransaction() const override {
        const PGTransactionStatusType s = PQtransactionStatus(conn_.get());
        return s == PQTRANS_INTRANS || s == PQTRANS_INERROR || s == PQTRANS_ACTIVE;
    }

    void Commit() override {
        CheckAlive();
        if (!InTransaction()) return;
        Result r = Run("COMMIT");
        // COMMIT of a transaction that a failed statement aborted answers ROLLBACK.
        if (std::string(PQcmdStatus(r.get())) == "ROLLBACK")
            throw EOracleError(0, texts::Format(texts::kPostgresCommitAborted));
        for (PgCursor* c : cursors_) c->Held();
        moved_.clear();
    }

    void Rollback() override {
        // Without a connection the server has already rolled the transaction back.
        if (!Alive() || !InTransaction()) return;
        for (PgCursor* c : cursors_)
            if (c->Transaction() == transaction_) c->Drain();
        Run("ROLLBACK");
        moved_.clear();
    }

    // --- for the cursor

    Result FetchBatch(PgCursor& cursor) {
        CheckAlive();
        return Guarded([&] { return Run("FETCH FORWARD " + std::to_string(kFetchRows) + " FROM " + cursor.Name()); });
    }

    void CloseCursor(PgCursor& cursor) {
        if (!cursor.ServerOpen() || !Alive()) return;
        Guarded([&] { Run("CLOSE " + cursor.Name()); });
    }

    void Forget(PgCursor* cursor) noexcept {
        std::erase(cursors_, cursor);
        try {
            CloseCursor(*cursor);
        } catch (const Exception&) {
            // A cursor that cannot be closed ends with the server session; the result it holds
            // is of no use to anyone any more.
        }
    }

private:
    bool Alive() const { return conn_ && PQstatus(conn_.get()) == CONNECTION_OK; }

    void CheckAlive() const {
        if (!Alive()) RaiseLost(conn_ ? PQerrorMessage(conn_.get()) : "");
    }

    [[noreturn]] static void RaiseLost(const std::string& why) {
        throw EOracleError(kConnectionLost, texts::Format(texts::kPostgresConnectionLost, win32::Utf8ToAnsi(Trimmed(why))));
    }

    [[noreturn]] static void RaiseVanished() { throw EOracleError(0, texts::Format(texts::kRowVanished)); }

    // The server's error, with Oracle's number where the program relies on one.
    [[noreturn]] void Raise(const PGresult* r) const {
        const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        const std::string sqlState = state ? state : "";
        if (!Alive() || sqlState.rfind("08", 0) == 0 || sqlState.rfind("57P", 0) == 0) {
            std::string why = r ? PQresultErrorMessage(r) : "";
            if (why.empty()) why = PQerrorMessage(conn_.get());
            RaiseLost(why);
        }
        std::string text;
        if (const char* primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr) {
            text = primary;
            if (const char* detail = PQresultErrorField(r, PG_DIAG_MESSAGE_DETAIL)) text += std::string("\n") + detail;
        } else {
            text = Trimmed(r ? PQresultErrorMessage(r) : PQerrorMessage(conn_.get()));
        }
        int code = 0;
        if (sqlState == "55P03") code = kOraRowLocked;
        if (sqlState == "23505") code = kOraUniqueViolated;
        const char* constraint = r ? PQresultErrorField(r, PG_DIAG_CONSTRAINT_NAME) : nullptr;
        throw EOracleError(code, win32::Utf8ToAnsi(text), win32::Utf8ToAnsi(constraint ? constraint : ""));
    }

    Result Run(const std::string& sql, const Params* params = nullptr, int resultFormat = 0) {
        Result r(params ? params->Exec(conn_.get(), sql, resultFormat)
                        : PQexecParams(conn_.get(), sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, resultFormat));
        const ExecStatusType s = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK || s == PGRES_COPY_IN) return r;
        Raise(r.get());
    }

    // Runs `work` so that its failure inside an open transaction leaves the transaction usable.
    // Inside an apply the apply's own savepoint does that for the whole write.
    template <class F>
    auto Guarded(F&& work) -> decltype(work()) {
        if (applying_ || !InTransaction()) return work();
        Run("SAVEPOINT quillan_statement");
        try {
            if constexpr (std::is_void_v<decltype(work())>) {
                work();
                Run("RELEASE SAVEPOINT quillan_statement");
            } else {
                auto result = work();
                Run("RELEASE SAVEPOINT quillan_statement");
                return result;
            }
        } catch (...) {
            if (Alive()) {
                // Should these fail too, the transaction stays aborted and the next statement
                // says so; the error the user must see is the one in flight.
                Result undo(PQexec(conn_.get(), "ROLLBACK TO SAVEPOINT quillan_statement"));
                Result release(PQexec(conn_.get(), "RELEASE SAVEPOINT quillan_statement"));
            }
            throw;
        }
    }

    bool BeginIfIdle() {
        if (InTransaction()) return false;
        Run("BEGIN");
        ++transaction_;
        return true;
    }

    // Where a row locked in this transaction lives now.
    std::string Resolve(const std::string& table, const std::string& rowId) const {
        auto it = moved_.find({table, rowId});
        return it == moved_.end() ? rowId : it->second;
    }

    // The address of the newest version of the row at `rowId` (itself when it did not move).
    std::string Newest(const std::string& table, const std::string& rowId) {
        return Guarded([&] {
            Params p;
            Result r = Run("SELECT pg_catalog.currtid2(" + p.Ref(Qualified(table)) + ", " + p.Ref(rowId) + "::tid)", &p);
            return PQntuples(r.get()) ? Field(r.get(), 0, 0) : rowId;
        });
    }

    std::string LengthOf(const std::string& ref, bool text) const {
        if (text && !utf8Server_) return "octet_length(convert_to(" + ref + ", 'UTF8'))";
        return "octet_length(" + ref + ")";
    }

    std::string Qualified(const std::string& table) const {
        auto it = qualified_.find(table);
        return it == qualified_.end() ? QuoteIdent(table) : it->second;
    }

    // The type of a column of a table, asked of the server once per table.
    Oid TypeOf(const std::string& table, const std::string& column) {
        auto& types = columnTypes_[table];
        if (types.empty()) {
            Guarded([&] {
                Params p;
                Result r = Run("SELECT attname, atttypid FROM pg_catalog.pg_attribute WHERE attrelid = " +
                                   p.Ref(Qualified(table)) + "::regclass AND attnum > 0 AND NOT attisdropped",
                               &p);
                for (int i = 0; i < PQntuples(r.get()); ++i)
                    types[Field(r.get(), i, 0)] = static_cast<Oid>(std::strtoul(PQgetvalue(r.get(), i, 1), nullptr, 10));
            });
        }
        auto it = types.find(column);
        return it == types.end() ? Oid{0} : it->second;
    }

    // The value expressions of a write, in order. Large BLOB contents go to a temporary staging
    // table first, chunk by chunk, so that no more than one chunk is held on this side.
    std::vector<std::string> Expressions(const std::string& table, const ColumnValues& values, Params& p) {
        std::vector<std::string> exprs;
        std::vector<const BlobContent*> staged;
        for (const auto& [column, v] : values) {
            if (IsNullValue(v)) {
                exprs.push_back("NULL");
            } else if (auto n = std::get_if<std::int64_t>(&v)) {
                exprs.push_back(p.Ref(std::to_string(*n)));
            } else if (auto d = std::get_if<double>(&v)) {
                char text[40];
                std::snprintf(text, sizeof text, "%.17g", *d);
                exprs.push_back(p.Ref(std::string(text)));
            } else if (auto t = std::get_if<std::string>(&v)) {
                exprs.push_back(p.Ref(*t));
            } else if (auto b = std::get_if<BlobPtr>(&v)) {
                const bool bytea = TypeOf(table, column) == pg::kByteaOid;
                if ((*b)->Size() <= BlobContent::kMemoryThreshold) {
                    exprs.push_back(bytea ? p.Ref((*b)->ReadAll(), pg::kByteaOid, 1) : p.Ref((*b)->ReadAll()));
                } else {
                    staged.push_back(b->get());
                    const std::string slot = "(SELECT v FROM " + std::string(kStageTable) +
                                             " WHERE n = " + std::to_string(staged.size()) + ")";
                    exprs.push_back(bytea ? slot : "convert_from(" + slot + ", 'UTF8')");
                }
            } else {
                throw EOracleError(0, "internal: unchanged BLOB written");
            }
        }
        if (!staged.empty()) Stage(staged);
        return exprs;
    }

    void Stage(const std::vector<const BlobContent*>& blobs) {
        Run("CREATE TEMP TABLE IF NOT EXISTS quillan_blob_stage (n integer, v bytea) ON COMMIT DELETE ROWS");
        Run("TRUNCATE " + std::string(kStageTable));
        Run("COPY " + std::string(kStageTable) + " (n, v) FROM STDIN");
        std::string failure;
        auto put = [&](const std::string& text) {
            if (failure.empty() && PQputCopyData(conn_.get(), text.data(), static_cast<int>(text.size())) != 1)
                failure = PQerrorMessage(conn_.get());
        };
        std::vector<char> chunk(BlobContent::kChunkSize);
        std::string hex;
        std::exception_ptr cancelled;
        for (std::size_t k = 0; k < blobs.size() && failure.empty(); ++k) {
            // Text form of COPY: the row number, a tab and the bytes as \x followed by hex digits.
            put(std::to_string(k + 1) + "\t\\\\x");
            for (std::int64_t off = 0; off < blobs[k]->Size() && failure.empty();) {
                const std::size_t n = blobs[k]->Read(off, chunk.data(), chunk.size());
                if (n == 0) break;
                hex.clear();
                pg::AppendHex(hex, chunk.data(), n);
                put(hex);
                off += static_cast<std::int64_t>(n);
                try {
                    ReportWritten(static_cast<std::int64_t>(n));
                } catch (...) {
                    // Cancelled: end the COPY as failed so the connection stays usable, then raise.
                    cancelled = std::current_exception();
                    failure = "cancelled";
                }
            }
            put("\n");
        }
        if (PQputCopyEnd(conn_.get(), failure.empty() ? nullptr : "staging failed") != 1 && failure.empty())
            failure = PQerrorMessage(conn_.get());
        Result last;
        while (Result r{PQgetResult(conn_.get())}) last = std::move(r);
        if (cancelled) std::rethrow_exception(cancelled);
        if (!failure.empty() && !Alive()) RaiseLost(failure);
        if (!last || PQresultStatus(last.get()) != PGRES_COMMAND_OK) Raise(last.get());
    }

    // The new row address a write returned.
    std::string Written(Result r) {
        if (PQntuples(r.get()) == 0) RaiseVanished();
        return Field(r.get(), 0, 0);
    }

    std::unique_ptr<Cursor> Declare(const std::string& sql);

    PgHandle conn_;
    bool utf8Server_ = true;
    bool applying_ = false;
    bool beganTransaction_ = false;
    unsigned transaction_ = 0;  // counts the transactions this connection began
    unsigned cursorCount_ = 0;
    std::vector<PgCursor*> cursors_;
    std::map<std::pair<std::string, std::string>, std::string> moved_;  // (table, old) -> where it is now
    std::map<std::string, std::string> qualified_;                  // table -> "schema"."table"
    std::map<std::string, std::map<std::string, Oid>> columnTypes_;  // table -> column -> type
};

std::unique_ptr<Cursor> PgConnection::Declare(const std::string& sql) {
    // The window's "rowid" is the row address.
    const SelectParts parts = SplitSelect(sql);
    std::vector<std::string> items = parts.items;
    int rowIdItem = -1;
    for (std::size_t k = 0; parts.ok && k < items.size(); ++k)
        if (IsRowIdItem(items[k])) {
            if (rowIdItem < 0) rowIdItem = static_cast<int>(k);
            items[k] = pg::RowIdToCtid(items[k]);
        }
    auto build = [&](const std::vector<std::string>& list) {
        std::string text = "select ";
        for (std::size_t k = 0; k < list.size(); ++k) text += (k ? ", " : "") + list[k];
        return pg::ProvideUserTables(text + " from" + parts.fromRest);
    };
    const std::string query = rowIdItem >= 0 ? build(items) : pg::ProvideUserTables(sql);

    // What the statement yields, without running it.
    Result prepared(PQprepare(conn_.get(), "", query.c_str(), 0, nullptr));
    if (!prepared || PQresultStatus(prepared.get()) != PGRES_COMMAND_OK) Raise(prepared.get());
    Result desc(PQdescribePrepared(conn_.get(), ""));
    if (!desc || PQresultStatus(desc.get()) != PGRES_COMMAND_OK) Raise(desc.get());
    const int n = PQnfields(desc.get());

    // Which result columns each select-list item yields (one "*" can be measured).
    std::vector<int> itemFirst, itemWidth;
    bool widthsKnown = parts.ok;
    if (parts.ok) {
        int stars = 0, plain = 0;
        for (const auto& item : items) (IsStarItem(item) ? stars : plain)++;
        int at = 0;
        for (const auto& item : items) {
            const int w = IsStarItem(item) ? (stars == 1 ? n - plain : -1) : 1;
            if (w < 0) widthsKnown = false;
            itemFirst.push_back(at);
            itemWidth.push_back(w);
            at += std::max(w, 0);
        }
        if (at != n) widthsKnown = false;
    }
    int rowIdPos = -1;
    Oid tableOid = 0;
    if (rowIdItem >= 0 && (widthsKnown || std::none_of(items.begin(), items.begin() + rowIdItem, IsStarItem))) {
        const int pos = itemFirst[static_cast<std::size_t>(rowIdItem)];
        if (pos < n && PQftype(desc.get(), pos) == pg::kTidOid && PQftable(desc.get(), pos) != 0) {
            rowIdPos = pos;
            tableOid = PQftable(desc.get(), pos);
        }
    }

    // Names, NOT NULL and generated values of the source columns, from the catalog.
    struct Source {
        std::string schema, table, column;
        bool notNull = false, generated = false;
    };
    std::map<std::pair<Oid, int>, Source> sources;
    {
        std::string rels = "{", nums = "{";
        auto add = [&](Oid rel, int num) {
            rels += (rels.size() > 1 ? "," : "") + std::to_string(rel);
            nums += (nums.size() > 1 ? "," : "") + std::to_string(num);
        };
        if (tableOid) add(tableOid, -1);  // ctid: names the table itself
        for (int i = 0; i < n; ++i)
            if (PQftable(desc.get(), i) != 0 && PQftablecol(desc.get(), i) > 0)
                add(PQftable(desc.get(), i), PQftablecol(desc.get(), i));
        if (rels.size() > 1) {
            Params p;
            const std::string lookup =
                "SELECT a.attrelid, a.attnum, n.nspname, c.relname, a.attname, a.attnotnull, "
                "a.attidentity <> '' OR coalesce(pg_catalog.pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%', false) "
                "FROM unnest(" + p.Ref(rels + "}") + "::oid[], " + p.Ref(nums + "}") + "::int2[]) AS u(rel, num) "
                "JOIN pg_catalog.pg_attribute a ON a.attrelid = u.rel AND a.attnum = u.num "
                "JOIN pg_catalog.pg_class c ON c.oid = a.attrelid "
                "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                "LEFT JOIN pg_catalog.pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum";
            Result r = Run(lookup, &p);
            for (int i = 0; i < PQntuples(r.get()); ++i) {
                const auto rel = static_cast<Oid>(std::strtoul(PQgetvalue(r.get(), i, 0), nullptr, 10));
                const int num = std::atoi(PQgetvalue(r.get(), i, 1));
                sources[{rel, num}] = Source{Field(r.get(), i, 2), Field(r.get(), i, 3), Field(r.get(), i, 4),
                                             Field(r.get(), i, 5) == "t", Field(r.get(), i, 6) == "t"};
            }
        }
    }
    std::string table;
    if (rowIdPos >= 0) {
        auto it = sources.find({tableOid, -1});
        if (it == sources.end()) {
            rowIdPos = -1;
        } else {
            table = it->second.table;
            qualified_[table] = QuoteIdent(it->second.schema) + "." + QuoteIdent(table);
            columnTypes_.erase(table);
        }
    }

    std::vector<ColumnDesc> columns;
    std::vector<ReadColumn> read;
    std::vector<int> columnOfPos(static_cast<std::size_t>(n), -1);
    bool anyBlob = false;
    for (int i = 0; i < n; ++i) {
        if (i == rowIdPos) continue;
        ColumnDesc c;
        c.name = PQfname(desc.get(), i);
        c.type = pg::FieldTypeOf(PQftype(desc.get(), i), PQfmod(desc.get(), i), c.size);
        auto it = sources.find({PQftable(desc.get(), i), PQftablecol(desc.get(), i)});
        if (it != sources.end()) {
            c.table = it->second.table;
            c.column = it->second.column;
            c.notNull = PQftable(desc.get(), i) == tableOid && it->second.notNull && !it->second.generated;
        }
        anyBlob = anyBlob || IsBlobFamily(c.type);
        columnOfPos[static_cast<std::size_t>(i)] = static_cast<int>(columns.size());
        read.push_back({c.type, IsBlobFamily(c.type) ? ReadColumn::Content : ReadColumn::Value});
        columns.push_back(std::move(c));
    }

    // BLOB contents stay on the server: the cursor selects their length instead.
    std::string run = query;
    if (anyBlob && widthsKnown) {
        std::vector<std::string> list;
        std::set<std::string> starNames;
        bool ok = true;
        for (std::size_t k = 0; k < items.size() && ok; ++k) {
            const std::string& item = items[k];
            if (!IsStarItem(item)) {
                const int c = columnOfPos[static_cast<std::size_t>(itemFirst[k])];
                const bool blob = c >= 0 && IsBlobFamily(columns[static_cast<std::size_t>(c)].type);
                if (blob && IsPlainColumnItem(item)) {
                    list.push_back(LengthOf(item, columns[static_cast<std::size_t>(c)].type == ftMemo) + " AS " +
                                   QuoteIdent(columns[static_cast<std::size_t>(c)].name));
                    read[static_cast<std::size_t>(c)].fetch = ReadColumn::Length;
                } else {
                    list.push_back(item);
                }
                continue;
            }
            const std::string qualifier = item.substr(0, item.size() - 1);
            for (int j = 0; j < itemWidth[k]; ++j) {
                const int pos = itemFirst[k] + j;
                const std::string name = PQfname(desc.get(), pos);
                // Unqualified names of a star over several tables could be ambiguous.
                if (qualifier.empty() && !starNames.insert(name).second) ok = false;
                const int c = columnOfPos[static_cast<std::size_t>(pos)];
                const std::string ref = qualifier + QuoteIdent(name);
                if (c >= 0 && IsBlobFamily(columns[static_cast<std::size_t>(c)].type)) {
                    list.push_back(LengthOf(ref, columns[static_cast<std::size_t>(c)].type == ftMemo) + " AS " +
                                   QuoteIdent(name));
                    read[static_cast<std::size_t>(c)].fetch = ReadColumn::Length;
                } else {
                    list.push_back(ref);
                }
            }
        }
        if (ok) {
            run = build(list);
        } else {
            for (auto& r : read) r.fetch = IsBlobFamily(r.type) ? ReadColumn::Content : ReadColumn::Value;
        }
    }

    const std::string name = "quillan_cursor_" + std::to_string(++cursorCount_);
    Run("DECLARE " + name + " NO SCROLL CURSOR WITH HOLD FOR " + run);
    auto cursor = std::make_unique<PgCursor>(this, name, std::move(columns), std::move(read), rowIdPos, table,
                                             InTransaction() ? transaction_ : 0);
    cursors_.push_back(cursor.get());
    return cursor;
}

PgCursor::~PgCursor() {
    if (owner_) owner_->Forget(this);
}

bool PgCursor::Step(std::string& rowId, std::vector<Value>& values) {
    while (true) {
        if (batch_ && at_ < PQntuples(batch_.get())) {
            const int row = at_++;
            rowId.clear();
            values.clear();
            for (int i = 0, c = 0; i < PQnfields(batch_.get()); ++i) {
                if (i == rowIdPos_) {
                    rowId = Field(batch_.get(), row, i);
                    continue;
                }
                values.push_back(ReadValue(batch_.get(), row, i, read_[static_cast<std::size_t>(c++)]));
            }
            return true;
        }
        if (!serverOpen_) {
            batch_.reset();
            return false;
        }
        if (!owner_) throw EOracleError(0, texts::Format(texts::kPostgresCursorClosed));
        batch_ = owner_->FetchBatch(*this);
        at_ = 0;
        if (PQntuples(batch_.get()) < kFetchRows) {
            // The last batch: the server's copy of the result can go now.
            owner_->CloseCursor(*this);
            serverOpen_ = false;
        }
    }
}

std::size_t PgBlobReader::Read(std::int64_t offset, char* buffer, std::size_t length) {
    if (offset < 0 || offset >= size_) return 0;
    if (windowAt_ < 0 || offset < windowAt_ || offset >= windowAt_ + static_cast<std::int64_t>(window_.size())) {
        // Bigger windows than the caller's chunks: each slice costs the server a look at the value.
        window_ = owner_->ReadSlice(table_, column_, text_, rowId_, offset, std::min(kReadWindow, size_ - offset));
        windowAt_ = offset;
        if (window_.empty()) return 0;
    }
    const auto from = static_cast<std::size_t>(offset - windowAt_);
    const std::size_t n = std::min(length, window_.size() - from);
    std::copy_n(window_.data() + from, n, buffer);
    return n;
}

}  // namespace

std::unique_ptr<Connection> OpenPostgresConnection(const ConnectParams& params) {
    return std::make_unique<PgConnection>(params);
}

}  // namespace data
