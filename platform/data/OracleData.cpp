// The data set over a session: opening, lazy fetching, row locks on edit and the two-phase
// write of the cache that the session's apply drives.

#include "platform/data/OracleData.h"

#include "platform/data/DataTexts.h"
#include "platform/data/drivers/Driver.h"
#include "platform/win32/CodePage.h"

std::string TSQLStrings::Text() const {
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += '\n';
    }
    return text;
}

void TSQLStrings::SetText(const std::string& text) {
    lines_.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(std::move(line));
        start = end + 1;
    }
}

TOracleDataSet::TOracleDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TOracleDataSet::~TOracleDataSet() {
    fetchCursor_.reset();
    if (session_) session_->Unregister(this);
}

void TOracleDataSet::SetSession(TOracleSession* session) {
    if (session_ == session) return;
    if (session_) session_->Unregister(this);
    session_ = session;
    if (session_) session_->Register(this);
}

void TOracleDataSet::SetQBEMode(bool value) { qbeMode_ = value; }

void TOracleDataSet::SetCachedUpdates(bool value) { TDataSet::SetCachedUpdates(value); }

data::Connection& TOracleDataSet::Conn() const {
    if (!session_) throw EDatabaseError(data::texts::Format(data::texts::kNoSession, Name()));
    return session_->Connection();
}

void TOracleDataSet::RaiseTranslated(const EOracleError& error) {
    std::string msg = error.Message();
    char action = 'E';
    if (OnTranslateMessage) OnTranslateMessage(this, error.ErrorCode(), error.ConstraintName(), action, msg);
    throw EOracleError(error.ErrorCode(), std::move(msg), error.ConstraintName());
}

template <class F>
auto TOracleDataSet::Translated(F&& work) -> decltype(work()) {
    try {
        return work();
    } catch (const EOracleError& e) {
        RaiseTranslated(e);
    }
}

std::vector<data::FieldDef> TOracleDataSet::DoOpen() {
    data::Connection& conn = Conn();
    const std::string sql = sql_.Text();
    if (sql.find_first_not_of(" \t\r\n") == std::string::npos)
        throw EDatabaseError(data::texts::Format(data::texts::kEmptySql, Name()));
    std::unique_ptr<data::Cursor> cursor = Translated([&] { return conn.OpenCursor(win32::AnsiToUtf8(sql)); });
    if (CachedUpdates() && !cursor->HasRowId()) throw EDatabaseError(data::texts::Format(data::texts::kNoRowId));
    columns_ = cursor->Columns();
    table_ = cursor->Table();
    fetchCursor_ = std::move(cursor);
    std::vector<data::FieldDef> defs;
    for (const data::ColumnDesc& c : columns_)
        defs.push_back(data::FieldDef{win32::Utf8ToAnsi(c.name), c.type, c.size, c.notNull});
    return defs;
}

void TOracleDataSet::DoClose() {
    fetchCursor_.reset();
    columns_.clear();
    table_.clear();
}

bool TOracleDataSet::DoCanFetch() const { return fetchCursor_ != nullptr; }

bool TOracleDataSet::DoFetch(data::CachedRow& row) {
    if (!fetchCursor_) return false;
    const bool got = Translated([&] { return fetchCursor_->Next(row.rowId, row.values); });
    if (!got) fetchCursor_.reset();
    return got;
}

std::int64_t TOracleDataSet::PendingBlobBytes() const {
    std::int64_t bytes = 0;
    for (const data::CachedRow& row : Rows()) {
        if (row.op != data::RowOp::Modified && row.op != data::RowOp::Inserted) continue;
        for (const data::Value& v : row.values) {
            if (auto b = std::get_if<data::BlobPtr>(&v); b != nullptr && *b) bytes += (*b)->Size();
        }
    }
    return bytes;
}

void TOracleDataSet::FinishFetching() {
    if (Active()) FetchAll();
}

void TOracleDataSet::StopFetching() noexcept { fetchCursor_.reset(); }

void TOracleDataSet::DoPrepareEdit(data::CachedRow& row, bool forDelete) {
    if (table_.empty()) throw EDatabaseError(data::texts::Format(data::texts::kNoRowId));
    data::Connection& conn = Conn();
    if (lockingMode_ == lmLockImmediate) Translated([&] { conn.LockRow(table_, row.rowId); });
    if (forDelete || !(refreshOptions_ & roBeforeEdit)) return;
    std::vector<data::Value> values = row.values;
    const bool found = Translated([&] { return conn.ReadRow(table_, row.rowId, columns_, values); });
    if (!found) throw EDatabaseError(data::texts::Format(data::texts::kRowVanished));
    row.values = values;
    row.original = std::move(values);
}

std::unique_ptr<data::BlobReader> TOracleDataSet::DoOpenBlob(const data::CachedRow& row, int field) const {
    const data::ColumnDesc& c = columns_.at(static_cast<std::size_t>(field));
    data::Connection& conn = Conn();
    try {
        return conn.OpenBlob(c.table.empty() ? table_ : c.table, c.column.empty() ? c.name : c.column, row.rowId);
    } catch (const EOracleError& e) {
        const_cast<TOracleDataSet*>(this)->RaiseTranslated(e);
    }
}

std::unique_ptr<TOracleDataSet::ApplyResult> TOracleDataSet::WriteCache() {
    auto result = std::make_unique<ApplyResult>();
    if (!Active() || !UpdatesPending()) return result;
    data::Connection& conn = Conn();
    auto& rows = Rows();

    // Columns of the updated table, with the value as the database should get it.
    auto columnValues = [&](const data::CachedRow& row, bool changedOnly) {
        data::ColumnValues out;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const data::ColumnDesc& c = columns_[i];
            if (c.column.empty() || c.table != table_) continue;
            const data::Value& v = row.values[i];
            if (changedOnly ? v == row.original[i] : data::IsNullValue(v)) continue;
            data::Value put = v;
            // Long text that fits in memory goes in as text, so the column keeps its kind.
            if (auto b = std::get_if<data::BlobPtr>(&v); b && c.type == ftMemo &&
                                                          (*b)->Size() <= data::BlobContent::kMemoryThreshold)
                put = (*b)->ReadAll();
            out.emplace_back(c.column, std::move(put));
        }
        return out;
    };

    Translated([&] {
        for (const data::CachedRow& row : DeletedRows()) conn.DeleteRow(table_, row.rowId);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const data::CachedRow& row = rows[i];
            if (row.op != data::RowOp::Modified && row.op != data::RowOp::Inserted) continue;
            const bool inserted = row.op == data::RowOp::Inserted;
            data::CachedRow after;
            after.rowId = inserted ? conn.InsertRow(table_, columnValues(row, false))
                                   : conn.UpdateRow(table_, row.rowId, columnValues(row, true));
            after.values = row.values;
            // Re-read what the database made of the row: defaults, triggers, the new identifier.
            if (refreshOptions_ & (inserted ? roAfterInsert : roAfterUpdate)) {
                if (!conn.ReadRow(table_, after.rowId, columns_, after.values))
                    throw EOracleError(0, data::texts::Format(data::texts::kRowVanished));
            }
            after.original = after.values;
            result->rows.emplace_back(i, std::move(after));
        }
    });
    return result;
}

void TOracleDataSet::CommitCache(std::unique_ptr<ApplyResult> result) {
    if (!Active()) return;
    auto& rows = Rows();
    for (auto& [index, row] : result->rows) rows[index] = std::move(row);
    CommitUpdates();
}

void TOracleDataSet::CommitUpdates() {
    for (data::CachedRow& row : Rows()) {
        row.op = data::RowOp::None;
        row.original = row.values;
    }
    DeletedRows().clear();
    NotifyDataSetChanged();
}

void TOracleDataSet::CancelUpdates() {
    if (!Active()) return;
    if (State() == dsEdit || State() == dsInsert) Cancel();
    auto& rows = Rows();
    std::erase_if(rows, [](const data::CachedRow& r) { return r.op == data::RowOp::Inserted; });
    for (data::CachedRow& row : rows) {
        row.values = row.original;
        row.op = data::RowOp::None;
    }
    for (data::CachedRow& row : DeletedRows()) {
        row.values = row.original;
        row.op = data::RowOp::None;
        rows.push_back(std::move(row));
    }
    DeletedRows().clear();
    NotifyDataSetChanged();
}
