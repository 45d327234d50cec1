#include "platform/data/drivers/sqlite/SqliteDriver.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "platform/data/DataTexts.h"
#include "platform/data/drivers/SqlSelect.h"
#include "platform/win32/CodePage.h"

namespace data {

namespace {

constexpr int kApplyBusyTimeoutMs = 5000;

struct StmtDeleter {
    void operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;
struct DbDeleter {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, DbDeleter>;
struct BlobDeleter {
    void operator()(sqlite3_blob* b) const noexcept { sqlite3_blob_close(b); }
};
using BlobHandle = std::unique_ptr<sqlite3_blob, BlobDeleter>;

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// Error numbers the program relies on are Oracle's; the text stays SQLite's.
[[noreturn]] void Raise(sqlite3* db, int rc) {
    const int ext = db ? sqlite3_extended_errcode(db) : rc;
    std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    int code = ext;
    std::string constraint;
    if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY) {
        code = kOraUniqueViolated;
        const std::size_t colon = text.find(": ");
        if (colon != std::string::npos) constraint = text.substr(colon + 2);
    } else if ((ext & 0xFF) == SQLITE_BUSY || (ext & 0xFF) == SQLITE_LOCKED) {
        code = kOraRowLocked;
    }
    throw EOracleError(code, win32::Utf8ToAnsi(text), win32::Utf8ToAnsi(constraint));
}

TFieldType TypeOfDecl(const char* declared, int& size) {
    size = 0;
    const std::string d = Upper(declared ? declared : "");
    auto has = [&](const char* s) { return d.find(s) != std::string::npos; };
    int p = -1, scale = -1;
    if (const std::size_t open = d.find('('); open != std::string::npos) {
        std::sscanf(d.c_str() + open, "(%d,%d", &p, &scale);
    }
    if (d.empty()) return ftString;
    if (has("BLOB") || has("RAW") || has("BFILE") || has("BINARY") || has("BYTEA") || has("IMAGE")) return ftBlob;
    if (has("CLOB") || d == "LONG" || has("MEMO")) return ftMemo;
    if (has("BOOL")) return ftBoolean;
    if (has("DATE") || has("TIME")) return ftDateTime;
    if (has("NUMBER") || has("NUMERIC") || has("DECIMAL")) return (p > 0 && scale <= 0) ? ftInteger : ftFloat;
    if (has("INT")) return ftInteger;
    if (has("REAL") || has("FLOA") || has("DOUB")) return ftFloat;
    if (p > 0) size = p;
    return ftString;
}

bool IsBlobFamily(TFieldType t) { return t == ftBlob || t == ftMemo; }

class SqliteConnection;

// One result column as the cursor reads it.
struct ReadColumn {
    TFieldType type = ftUnknown;
    bool lengthOnly = false;  // the statement selects length(column) instead of the content
};

Value ReadValue(sqlite3_stmt* s, int i, const ReadColumn& c) {
    const int t = sqlite3_column_type(s, i);
    if (t == SQLITE_NULL) return {};
    if (IsBlobFamily(c.type)) {
        if (c.lengthOnly) return DbBlob{sqlite3_column_int64(s, i)};
        return DbBlob{sqlite3_column_bytes(s, i)};
    }
    switch (t) {
    case SQLITE_INTEGER: return static_cast<std::int64_t>(sqlite3_column_int64(s, i));
    case SQLITE_FLOAT: return sqlite3_column_double(s, i);
    default: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(s, i));
        return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
    }
    }
}

class SqliteCursor final : public BufferedCursor {
public:
    SqliteCursor(SqliteConnection* owner, Stmt stmt, std::vector<ColumnDesc> columns, std::vector<ReadColumn> read,
                 int rowIdPos, std::string table)
        : owner_(owner), stmt_(std::move(stmt)), columns_(std::move(columns)), read_(std::move(read)),
          rowIdPos_(rowIdPos), table_(std::move(table)) {}
    ~SqliteCursor() override;

    const std::vector<ColumnDesc>& Columns() const override { return columns_; }
    bool HasRowId() const override { return rowIdPos_ >= 0; }
    const std::string& Table() const override { return table_; }

    void Detach() noexcept {
        stmt_.reset();
        owner_ = nullptr;
    }

private:
    // Drain() reads every remaining row into memory and lets go of the statement, so that the
    // connection's writes neither show in it nor wait for it.
    bool Step(std::string& rowId, std::vector<Value>& values) override {
        if (!stmt_) return false;
        const int rc = sqlite3_step(stmt_.get());
        if (rc == SQLITE_DONE) {
            stmt_.reset();
            return false;
        }
        if (rc != SQLITE_ROW) {
            sqlite3* db = sqlite3_db_handle(stmt_.get());
            Raise(db, rc);
        }
        values.clear();
        rowId.clear();
        const int n = sqlite3_column_count(stmt_.get());
        for (int i = 0, c = 0; i < n; ++i) {
            if (i == rowIdPos_) {
                rowId = std::to_string(sqlite3_column_int64(stmt_.get(), i));
                continue;
            }
            values.push_back(ReadValue(stmt_.get(), i, read_[static_cast<std::size_t>(c)]));
            ++c;
        }
        return true;
    }

    SqliteConnection* owner_;
    Stmt stmt_;
    std::vector<ColumnDesc> columns_;
    std::vector<ReadColumn> read_;
    int rowIdPos_;
    std::string table_;
};

class SqliteBlobReader final : public BlobReader {
public:
    SqliteBlobReader(sqlite3* db, BlobHandle blob) : db_(db), blob_(std::move(blob)) {}
    std::int64_t Size() const override { return sqlite3_blob_bytes(blob_.get()); }
    std::size_t Read(std::int64_t offset, char* buffer, std::size_t length) override {
        const std::int64_t size = Size();
        if (offset >= size) return 0;
        const auto n = static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(length), size - offset));
        const int rc = sqlite3_blob_read(blob_.get(), buffer, n, static_cast<int>(offset));
        if (rc != SQLITE_OK) Raise(db_, rc);
        return static_cast<std::size_t>(n);
    }

private:
    sqlite3* db_;
    BlobHandle blob_;
};

class SqliteConnection final : public Connection {
public:
    explicit SqliteConnection(const std::string& path) {
        sqlite3* raw = nullptr;
        // An existing file only: a mistyped path must not leave an empty database behind.
        const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        db_.reset(raw);
        if (rc != SQLITE_OK) {
            const std::string why = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
            if (rc == SQLITE_CANTOPEN)
                throw EOracleError(rc, texts::Format(texts::kSqliteNoFile, win32::Utf8ToAnsi(path)));
            throw EOracleError(rc, texts::Format(texts::kSqliteOpenFailed, win32::Utf8ToAnsi(path), win32::Utf8ToAnsi(why)));
        }
        sqlite3_extended_result_codes(db_.get(), 1);
        sqlite3_busy_timeout(db_.get(), 0);
        // The dictionary view the program reads; temporary, so the user's file stays untouched.
        Exec("CREATE TEMP VIEW IF NOT EXISTS USER_TABLES AS SELECT name AS TABLE_NAME FROM main.sqlite_master "
             "WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
        // Make sure the file really is a database now rather than at the first query.
        Exec("SELECT count(*) FROM main.sqlite_master");
    }

    ~SqliteConnection() override {
        for (SqliteCursor* c : cursors_) c->Detach();
        if (!sqlite3_get_autocommit(db_.get())) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }

    void Unregister(SqliteCursor* c) noexcept { std::erase(cursors_, c); }

    Capabilities Caps() const override { return Capabilities{false, false}; }

    std::unique_ptr<Cursor> OpenCursor(const std::string& sql) override {
        Stmt probe = Prepare(sql);
        sqlite3_stmt* s = probe.get();
        const int n = sqlite3_column_count(s);
        const SelectParts parts = SplitSelect(sql);

        // Which result column each select-list item yields.
        std::vector<int> itemFirst, itemWidth;
        bool widthsKnown = parts.ok;
        if (parts.ok) {
            int stars = 0, plain = 0;
            for (const auto& item : parts.items) (IsStarItem(item) ? stars : plain)++;
            const int starWidth = stars == 1 ? n - plain : -1;
            int at = 0;
            for (const auto& item : parts.items) {
                const int w = IsStarItem(item) ? starWidth : 1;
                if (w < 0) widthsKnown = false;
                itemFirst.push_back(at);
                itemWidth.push_back(w);
                at += std::max(w, 0);
            }
            if (widthsKnown && at != n) widthsKnown = false;
        }
        int rowIdPos = -1;
        if (parts.ok)
            for (std::size_t k = 0; k < parts.items.size(); ++k) {
                if (IsStarItem(parts.items[k]) && !widthsKnown) break;
                if (IsRowIdItem(parts.items[k])) {
                    rowIdPos = itemFirst[k];
                    break;
                }
            }
        std::string table, schema = "main";
        if (rowIdPos >= 0) {
            const char* t = sqlite3_column_table_name(s, rowIdPos);
            if (t) {
                table = t;
                if (const char* db = sqlite3_column_database_name(s, rowIdPos)) schema = db;
            } else {
                rowIdPos = -1;
            }
        }

        std::vector<ColumnDesc> columns;
        std::vector<ReadColumn> read;
        std::vector<int> columnOfPos(static_cast<std::size_t>(n), -1);
        for (int i = 0; i < n; ++i) {
            if (i == rowIdPos) continue;
            ColumnDesc c;
            c.name = sqlite3_column_name(s, i);
            c.type = TypeOfDecl(sqlite3_column_decltype(s, i), c.size);
            if (const char* t = sqlite3_column_table_name(s, i)) c.table = t;
            if (const char* o = sqlite3_column_origin_name(s, i)) c.column = o;
            if (!c.table.empty() && !c.column.empty() && Upper(c.table) == Upper(table)) {
                const char* dbName = sqlite3_column_database_name(s, i);
                c.notNull = IsRequiredColumn(dbName ? dbName : "main", c.table, c.column);
            }
            columnOfPos[static_cast<std::size_t>(i)] = static_cast<int>(columns.size());
            columns.push_back(std::move(c));
            read.push_back({columns.back().type, false});
        }

        // BLOB contents stay in the database: select their length instead, which SQLite answers
        // without reading the content.
        Stmt run;
        if (widthsKnown) {
            std::vector<std::string> items;
            bool any = false;
            for (std::size_t k = 0; k < parts.items.size(); ++k) {
                const std::string& item = parts.items[k];
                if (!IsStarItem(item)) {
                    const int c = columnOfPos[static_cast<std::size_t>(itemFirst[k])];
                    if (c >= 0 && IsBlobFamily(columns[static_cast<std::size_t>(c)].type) && IsPlainColumnItem(item)) {
                        items.push_back("length(" + item + ")");
                        any = true;
                    } else {
                        items.push_back(item);
                    }
                    continue;
                }
                const std::string qualifier = item.size() > 1 ? item.substr(0, item.size() - 1) : std::string();
                for (int j = 0; j < itemWidth[k]; ++j) {
                    const int pos = itemFirst[k] + j;
                    const int c = columnOfPos[static_cast<std::size_t>(pos)];
                    const char* origin = sqlite3_column_origin_name(s, pos);
                    if (c < 0 || !origin) {
                        items.clear();
                        break;
                    }
                    const std::string ref = qualifier + QuoteIdent(origin);
                    const bool blob = IsBlobFamily(columns[static_cast<std::size_t>(c)].type);
                    items.push_back(blob ? "length(" + ref + ")" : ref);
                    any = any || blob;
                }
                if (items.empty()) break;
            }
            if (any && items.size() >= parts.items.size()) {
                std::string rewritten = "select ";
                for (std::size_t k = 0; k < items.size(); ++k) rewritten += (k ? ", " : "") + items[k];
                rewritten += " from" + parts.fromRest;
                sqlite3_stmt* raw = nullptr;
                if (sqlite3_prepare_v2(db_.get(), rewritten.c_str(), -1, &raw, nullptr) == SQLITE_OK) {
                    Stmt candidate(raw);
                    if (sqlite3_column_count(raw) == n) {
                        run = std::move(candidate);
                        for (auto& r : read) r.lengthOnly = IsBlobFamily(r.type);
                    }
                }
            }
        }
        if (!run) run = std::move(probe);
        auto cursor = std::make_unique<SqliteCursor>(this, std::move(run), std::move(columns), std::move(read),
                                                     rowIdPos, table);
        cursors_.push_back(cursor.get());
        schemaOf_[table] = schema;
        return cursor;
    }

    void LockRow(const std::string& table, const std::string& rowId) override {
        // SQLite has no row locks: the database's write lock stands in, taken without waiting.
        BeforeWrite();
        if (sqlite3_get_autocommit(db_.get())) Exec("BEGIN IMMEDIATE");
        (void)table;
        (void)rowId;
    }

    bool ReadRow(const std::string& table, const std::string& rowId, const std::vector<ColumnDesc>& columns,
                 std::vector<Value>& values) override {
        std::string sql = "SELECT rowid";
        std::vector<std::size_t> which;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].column.empty() || Upper(columns[i].table) != Upper(table)) continue;
            const std::string ref = QuoteIdent(columns[i].column);
            sql += ", " + (IsBlobFamily(columns[i].type) ? "length(" + ref + ")" : ref);
            which.push_back(i);
        }
        sql += " FROM " + Qualified(table) + " WHERE rowid = ?";
        Stmt s = Prepare(sql);
        sqlite3_bind_int64(s.get(), 1, ToRowId(rowId));
        const int rc = sqlite3_step(s.get());
        if (rc == SQLITE_DONE) return false;
        if (rc != SQLITE_ROW) Raise(db_.get(), rc);
        values.resize(columns.size());
        for (std::size_t k = 0; k < which.size(); ++k) {
            const ColumnDesc& c = columns[which[k]];
            values[which[k]] = ReadValue(s.get(), static_cast<int>(k) + 1, ReadColumn{c.type, true});
        }
        return true;
    }

    std::unique_ptr<BlobReader> OpenBlob(const std::string& table, const std::string& column,
                                         const std::string& rowId) override {
        sqlite3_blob* raw = nullptr;
        const int rc = sqlite3_blob_open(db_.get(), SchemaOf(table).c_str(), table.c_str(), column.c_str(),
                                         ToRowId(rowId), 0, &raw);
        BlobHandle blob(raw);
        if (rc != SQLITE_OK) Raise(db_.get(), rc);
        return std::make_unique<SqliteBlobReader>(db_.get(), std::move(blob));
    }

    std::string InsertRow(const std::string& table, const ColumnValues& values) override {
        BeforeWrite();
        std::string sql = "INSERT INTO " + Qualified(table);
        if (values.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string names, marks;
            for (std::size_t i = 0; i < values.size(); ++i) {
                names += (i ? ", " : "") + QuoteIdent(values[i].first);
                marks += i ? ", ?" : "?";
            }
            sql += " (" + names + ") VALUES (" + marks + ")";
        }
        return WriteRow(table, sql + " RETURNING rowid", values, std::nullopt);
    }

    std::string UpdateRow(const std::string& table, const std::string& rowId, const ColumnValues& values) override {
        BeforeWrite();
        if (values.empty()) return rowId;
        std::string sql = "UPDATE " + Qualified(table) + " SET ";
        for (std::size_t i = 0; i < values.size(); ++i) sql += (i ? ", " : "") + QuoteIdent(values[i].first) + " = ?";
        sql += " WHERE rowid = ? RETURNING rowid";
        return WriteRow(table, sql, values, ToRowId(rowId));
    }

    void DeleteRow(const std::string& table, const std::string& rowId) override {
        BeforeWrite();
        Stmt s = Prepare("DELETE FROM " + Qualified(table) + " WHERE rowid = ?");
        sqlite3_bind_int64(s.get(), 1, ToRowId(rowId));
        const int rc = sqlite3_step(s.get());
        if (rc != SQLITE_DONE) Raise(db_.get(), rc);
        if (sqlite3_changes(db_.get()) != 1) throw EOracleError(0, texts::Format(texts::kRowVanished));
    }

    void BeginApply() override {
        BeforeWrite();
        beganTransaction_ = false;
        if (sqlite3_get_autocommit(db_.get())) {
            // Writing may wait a little for another writer; only the edit lock must not wait.
            sqlite3_busy_timeout(db_.get(), kApplyBusyTimeoutMs);
            const int rc = sqlite3_exec(db_.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            sqlite3_busy_timeout(db_.get(), 0);
            if (rc != SQLITE_OK) Raise(db_.get(), rc);
            beganTransaction_ = true;
        }
        Exec("SAVEPOINT quillan_apply");
    }

    void EndApply(bool success) override {
        if (sqlite3_get_autocommit(db_.get())) return;  // committed in between
        if (success) {
            Exec("RELEASE quillan_apply");
            return;
        }
        Exec("ROLLBACK TO quillan_apply");
        Exec("RELEASE quillan_apply");
        if (beganTransaction_) Exec("ROLLBACK");
    }

    bool InTransaction() const override { return !sqlite3_get_autocommit(db_.get()); }

    void Commit() override {
        BeforeWrite();
        if (!InTransaction()) return;
        sqlite3_busy_timeout(db_.get(), kApplyBusyTimeoutMs);
        const int rc = sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(db_.get(), 0);
        if (rc != SQLITE_OK) Raise(db_.get(), rc);
    }

    void Rollback() override {
        BeforeWrite();
        if (InTransaction()) Exec("ROLLBACK");
    }

private:
    void BeforeWrite() {
        // A pending read on this connection would see our writes half-done (and a rollback
        // would abort it): open cursors take their remaining rows into memory first.
        for (SqliteCursor* c : cursors_) c->Drain();
    }

    Stmt Prepare(const std::string& sql) {
        sqlite3_stmt* raw = nullptr;
        const int rc = sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr);
        Stmt s(raw);
        if (rc != SQLITE_OK) Raise(db_.get(), rc);
        return s;
    }

    void Exec(const char* sql) {
        const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) Raise(db_.get(), rc);
    }

    static sqlite3_int64 ToRowId(const std::string& rowId) {
        try {
            return std::stoll(rowId);
        } catch (const std::exception&) {
            throw EOracleError(0, texts::Format(texts::kRowVanished));
        }
    }

    std::string SchemaOf(const std::string& table) const {
        auto it = schemaOf_.find(table);
        return it == schemaOf_.end() ? std::string("main") : it->second;
    }
    std::string Qualified(const std::string& table) const { return QuoteIdent(SchemaOf(table)) + "." + QuoteIdent(table); }

    // NOT NULL columns that the program must fill; the INTEGER PRIMARY KEY (the rowid itself) is
    // filled by SQLite when left empty.
    bool IsRequiredColumn(const std::string& dbName, const std::string& table, const std::string& column) {
        const char* decl = nullptr;
        int notNull = 0, pk = 0, autoinc = 0;
        if (sqlite3_table_column_metadata(db_.get(), dbName.c_str(), table.c_str(), column.c_str(), &decl, nullptr,
                                          &notNull, &pk, &autoinc) != SQLITE_OK)
            return false;
        if (!notNull) return false;
        if (pk && decl && Upper(decl) == "INTEGER") {
            Stmt s = Prepare("SELECT count(*) FROM pragma_table_info(?, ?) WHERE pk > 0");
            sqlite3_bind_text(s.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s.get(), 2, dbName.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(s.get()) == SQLITE_ROW && sqlite3_column_int(s.get(), 0) == 1) return false;
        }
        return true;
    }

    std::string WriteRow(const std::string& table, const std::string& sql, const ColumnValues& values,
                         std::optional<sqlite3_int64> whereRowId) {
        Stmt s = Prepare(sql);
        int at = 1;
        for (const auto& [name, v] : values) {
            const int i = at++;
            if (std::holds_alternative<std::monostate>(v)) sqlite3_bind_null(s.get(), i);
            else if (auto n = std::get_if<std::int64_t>(&v)) sqlite3_bind_int64(s.get(), i, *n);
            else if (auto d = std::get_if<double>(&v)) sqlite3_bind_double(s.get(), i, *d);
            else if (auto t = std::get_if<std::string>(&v))
                sqlite3_bind_text64(s.get(), i, t->data(), t->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            else if (auto b = std::get_if<BlobPtr>(&v)) {
                const int rc = sqlite3_bind_zeroblob64(s.get(), i, static_cast<sqlite3_uint64>((*b)->Size()));
                if (rc != SQLITE_OK) Raise(db_.get(), rc);
            } else {
                throw EOracleError(0, "internal: unchanged BLOB written");
            }
        }
        if (whereRowId) sqlite3_bind_int64(s.get(), at, *whereRowId);
        int rc = sqlite3_step(s.get());
        if (rc == SQLITE_DONE) throw EOracleError(0, texts::Format(texts::kRowVanished));
        if (rc != SQLITE_ROW) Raise(db_.get(), rc);
        const sqlite3_int64 rowId = sqlite3_column_int64(s.get(), 0);
        rc = sqlite3_step(s.get());
        if (rc != SQLITE_DONE) Raise(db_.get(), rc);
        s.reset();
        // The placeholders are in place; the contents follow in chunks.
        std::string chunk(BlobContent::kChunkSize, '\0');
        for (const auto& [name, v] : values) {
            auto b = std::get_if<BlobPtr>(&v);
            if (!b || (*b)->Size() == 0) continue;
            sqlite3_blob* raw = nullptr;
            rc = sqlite3_blob_open(db_.get(), SchemaOf(table).c_str(), table.c_str(), name.c_str(), rowId, 1, &raw);
            BlobHandle blob(raw);
            if (rc != SQLITE_OK) Raise(db_.get(), rc);
            for (std::int64_t off = 0; off < (*b)->Size();) {
                const std::size_t n = (*b)->Read(off, chunk.data(), chunk.size());
                rc = sqlite3_blob_write(blob.get(), chunk.data(), static_cast<int>(n), static_cast<int>(off));
                if (rc != SQLITE_OK) Raise(db_.get(), rc);
                off += static_cast<std::int64_t>(n);
                ReportWritten(static_cast<std::int64_t>(n));
            }
        }
        return std::to_string(rowId);
    }

    Db db_;
    std::vector<SqliteCursor*> cursors_;
    std::map<std::string, std::string> schemaOf_;
    bool beganTransaction_ = false;
};

SqliteCursor::~SqliteCursor() {
    if (owner_) owner_->Unregister(this);
}

}  // namespace

std::unique_ptr<Connection> OpenSqliteConnection(const std::string& path) {
    return std::make_unique<SqliteConnection>(path);
}

std::string SqlitePathOf(const std::string& database) {
    if (database.rfind("sqlite:", 0) == 0) return database.substr(7);
    return database;
}

}  // namespace data
