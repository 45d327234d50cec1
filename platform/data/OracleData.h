#pragma once
// The data set over a session: a query as lines of text, cached updates written back through the
// row identifier, row locks on edit, and the error-text event.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/DB.h"
#include "platform/data/Oracle.h"

namespace data {
class Cursor;
struct ColumnDesc;
}

// Statement text as a list of lines.
class TSQLStrings {
public:
    void Clear() { lines_.clear(); }
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    int Count() const noexcept { return static_cast<int>(lines_.size()); }
    const std::string& Strings(int index) const { return lines_.at(static_cast<size_t>(index)); }
    const std::string& operator[](int index) const { return Strings(index); }
    // The lines joined by line feeds.
    std::string Text() const;
    void SetText(const std::string& text);

private:
    std::vector<std::string> lines_;
};

enum TLockingMode { lmLockImmediate, lmCheckImmediate, lmLockDelayed, lmNone };

enum TRefreshOption : unsigned {
    roBeforeEdit = 1u << 0,
    roAfterInsert = 1u << 1,
    roAfterUpdate = 1u << 2,
    roAllFields = 1u << 3,
};
using TRefreshOptions = unsigned;

struct TOracleDictionary {
    bool EnforceConstraints = false;
    bool RangeValues = false;
};

class TOracleDataSet;
// Called for every database error before it is raised; Msg holds the text and may be replaced.
using TTranslateMessageEvent = std::function<void(TOracleDataSet* Sender, int ErrorCode,
                                                  const std::string& ConstraintName, char& Action,
                                                  std::string& Msg)>;

class TOracleDataSet : public TDataSet {
public:
    explicit TOracleDataSet(TComponent* AOwner);
    ~TOracleDataSet() override;
    const char* ClassName() const noexcept override { return "TOracleDataSet"; }

    TSQLStrings& SQL() noexcept { return sql_; }
    const TSQLStrings& SQL() const noexcept { return sql_; }

    TOracleSession* Session() const noexcept { return session_; }
    void SetSession(TOracleSession* session);

    TCursor Cursor() const noexcept { return cursor_; }
    virtual void SetCursor(TCursor value) noexcept { cursor_ = value; }
    TLockingMode LockingMode() const noexcept { return lockingMode_; }
    void SetLockingMode(TLockingMode value) noexcept { lockingMode_ = value; }
    TRefreshOptions RefreshOptions() const noexcept { return refreshOptions_; }
    void SetRefreshOptions(TRefreshOptions value) noexcept { refreshOptions_ = value; }
    TOracleDictionary& OracleDictionary() noexcept { return dictionary_; }
    const TOracleDictionary& OracleDictionary() const noexcept { return dictionary_; }
    bool DesignActivation() const noexcept { return designActivation_; }
    void SetDesignActivation(bool value) noexcept { designActivation_ = value; }
    bool QBEMode() const noexcept { return qbeMode_; }
    virtual void SetQBEMode(bool value);
    void SetCachedUpdates(bool value) override;

    TTranslateMessageEvent OnTranslateMessage;

    // The table that changes are written to; empty when the query has no row identifier.
    const std::string& UpdatingTable() const noexcept { return table_; }

    // Write phase of an apply (the session drives it): writes the cache through the connection
    // and re-reads the written rows; nothing of the cache changes yet. Returns what CommitCache
    // then puts into place.
    struct ApplyResult {
        std::vector<std::pair<std::size_t, data::CachedRow>> rows;  // index in the cache, row after
    };
    std::unique_ptr<ApplyResult> WriteCache();
    void CommitCache(std::unique_ptr<ApplyResult> result);
    // Empties the cache as if it had been applied (CommitUpdates) or drops all changes.
    void CommitUpdates();
    void CancelUpdates();

    // Bytes of the BLOB contents that the next apply writes.
    std::int64_t PendingBlobBytes() const;
    // Gives up the rows still to be fetched (their connection is gone); the fetched ones stay.
    void StopFetching() noexcept;
    // Reads every remaining row so that the cursor lets go of the database.
    void FinishFetching();

    // Raises a database error after OnTranslateMessage had its say.
    [[noreturn]] void RaiseTranslated(const EOracleError& error);

protected:
    std::vector<data::FieldDef> DoOpen() override;
    void DoClose() override;
    bool DoCanFetch() const override;
    bool DoFetch(data::CachedRow& row) override;
    void DoPrepareEdit(data::CachedRow& row, bool forDelete) override;
    std::unique_ptr<data::BlobReader> DoOpenBlob(const data::CachedRow& row, int field) const override;
    TCursor BusyCursor() const override { return cursor_; }

private:
    friend class TOracleSession;
    data::Connection& Conn() const;
    template <class F>
    auto Translated(F&& work) -> decltype(work());

    TSQLStrings sql_;
    TOracleSession* session_ = nullptr;
    TCursor cursor_ = crDefault;
    TLockingMode lockingMode_ = lmCheckImmediate;
    TRefreshOptions refreshOptions_ = 0;
    TOracleDictionary dictionary_;
    bool designActivation_ = false;
    bool qbeMode_ = false;

    std::unique_ptr<data::Cursor> fetchCursor_;
    std::vector<data::ColumnDesc> columns_;
    std::string table_;
};
