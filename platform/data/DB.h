#pragma once
// The data-aware framework: fields, the data set with its row cache and states, and the data
// source with the links through which data-aware controls (the grid, the lookup combo) follow a
// data set.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/FieldTypes.h"
#include "platform/data/OracleError.h"
#include "platform/data/Value.h"
#include "platform/vcl/Classes.h"

namespace data {
class BlobReader;
}

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TDataSet;
class TDataSource;
using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;

// ---------------------------------------------------------------------------------------------
// Fields

class TField {
public:
    TField(TDataSet* dataSet, int index, std::string fieldName, TFieldType type, int size);
    virtual ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    virtual const char* ClassName() const noexcept { return "TField"; }

    TDataSet* DataSet() const noexcept { return dataSet_; }
    int Index() const noexcept { return index_; }
    const std::string& FieldName() const noexcept { return fieldName_; }
    TFieldType DataType() const noexcept { return dataType_; }
    // Characters of a character field (0: unbounded); 0 for other types.
    int Size() const noexcept { return size_; }
    bool Required() const noexcept { return required_; }
    void SetRequired(bool value) noexcept { required_ = value; }
    virtual bool IsBlob() const noexcept { return false; }

    // The current record's value.
    bool IsNull() const;
    virtual std::string AsString() const;
    void SetAsString(const std::string& text);
    std::int64_t AsInteger() const;
    void SetAsInteger(std::int64_t value);
    double AsFloat() const;
    void SetAsFloat(double value);
    void Clear();

    // Conversions between a cell value of this field and its text; the text form is what the
    // user sees and types. FromText throws EConvertError for a text the type cannot take.
    virtual std::string TextOf(const data::Value& value) const;
    virtual data::Value FromText(const std::string& text) const;

protected:
    const data::Value& CurrentValue() const;
    void SetCurrentValue(data::Value value);
    void SetDataType(TFieldType type) noexcept { dataType_ = type; }
    // Throws unless the data set is in edit or insert state.
    void CheckEditing() const;

private:
    TDataSet* dataSet_;
    int index_;
    std::string fieldName_;
    TFieldType dataType_;
    int size_;
    bool required_ = false;
};

// Text; an assigned text longer than Size is cut to Size characters.
class TStringField : public TField {
public:
    TStringField(TDataSet* dataSet, int index, std::string fieldName, int size);
    const char* ClassName() const noexcept override { return "TStringField"; }
    data::Value FromText(const std::string& text) const override;
};

class TIntegerField : public TField {
public:
    TIntegerField(TDataSet* dataSet, int index, std::string fieldName);
    const char* ClassName() const noexcept override { return "TIntegerField"; }
    data::Value FromText(const std::string& text) const override;
};

class TFloatField : public TField {
public:
    TFloatField(TDataSet* dataSet, int index, std::string fieldName);
    const char* ClassName() const noexcept override { return "TFloatField"; }
    std::string TextOf(const data::Value& value) const override;
    data::Value FromText(const std::string& text) const override;
};

// Date and time, held as "YYYY-MM-DD HH:MM:SS" and shown as "YYYY/MM/DD HH:MM:SS" (the date alone
// at midnight). Accepts both forms, with '/' or '-', with or without the time.
class TDateTimeField : public TField {
public:
    TDateTimeField(TDataSet* dataSet, int index, std::string fieldName);
    const char* ClassName() const noexcept override { return "TDateTimeField"; }
    std::string TextOf(const data::Value& value) const override;
    data::Value FromText(const std::string& text) const override;
};

class TBooleanField : public TField {
public:
    TBooleanField(TDataSet* dataSet, int index, std::string fieldName);
    const char* ClassName() const noexcept override { return "TBooleanField"; }
    std::string TextOf(const data::Value& value) const override;
    data::Value FromText(const std::string& text) const override;
};

// Binary content. The content stays in the database until read; loading a file keeps it in
// memory or, when large, in a private temporary file, and it reaches the database in chunks.
class TBlobField : public TField {
public:
    TBlobField(TDataSet* dataSet, int index, std::string fieldName);
    const char* ClassName() const noexcept override { return "TBlobField"; }
    bool IsBlob() const noexcept override { return true; }

    // Replaces the content with the whole file; fails (EFOpenError naming the file) when the file
    // is missing or another program holds a lock on it.
    void LoadFromFile(const std::string& fileName, const data::TransferProgress& progress = {});
    // Writes the whole content to the file, replacing it (EFCreateError naming the file).
    // A failure or a cancel (progress throwing) leaves an existing file as it was.
    void SaveToFile(const std::string& fileName,
                    const data::TransferProgress& progress = {}) const;
    // Bytes of the current record's content, without reading it.
    std::int64_t BlobSize() const;
    // Reads the content chunk by chunk; `sink` gets each chunk in order.
    void ReadContent(const std::function<void(const char*, std::size_t)>& sink) const;
    // Replaces the content with bytes produced chunk by chunk (`source` returns 0 at the end).
    void WriteContent(const std::function<std::size_t(char*, std::size_t)>& source);

    // The whole content (raw bytes); TextOf gives "(BLOB)" for a content without reading it.
    std::string AsString() const override;
    std::string TextOf(const data::Value& value) const override;
    data::Value FromText(const std::string& text) const override;
};

// Long text (CLOB, LONG).
class TMemoField : public TBlobField {
public:
    TMemoField(TDataSet* dataSet, int index, std::string fieldName);
    const char* ClassName() const noexcept override { return "TMemoField"; }
    // The text in the ANSI code page; TextOf gives "(MEMO)".
    std::string AsString() const override;
    std::string TextOf(const data::Value& value) const override;
    data::Value FromText(const std::string& text) const override;
};

// The fields of an open data set, in select-list order.
class TFields {
public:
    int Count() const noexcept { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const;
    TField* operator[](int index) const { return Fields(index); }
    // Case-insensitive; nullptr when there is none.
    TField* FindField(const std::string& fieldName) const;
    // Case-insensitive; throws EDatabaseError naming the field when there is none.
    TField* FieldByName(const std::string& fieldName) const;

    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }

private:
    friend class TDataSet;
    const TDataSet* owner_ = nullptr;
    std::vector<std::unique_ptr<TField>> fields_;
};

// ---------------------------------------------------------------------------------------------
// The row cache

namespace data {

enum class RowOp { None, Modified, Inserted, Deleted };

// One row as the data set holds it: its identifier in the database, what is pending for it, the
// values as fetched and the values as edited.
struct CachedRow {
    std::string rowId;
    RowOp op = RowOp::None;
    std::vector<Value> original;
    std::vector<Value> values;
};

// What a data set needs to open: the field definitions of its result.
struct FieldDef {
    std::string name;
    TFieldType type = ftUnknown;
    int size = 0;
    bool required = false;
};

}  // namespace data

// ---------------------------------------------------------------------------------------------
// Data set

class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;
    const char* ClassName() const noexcept override { return "TDataSet"; }

    bool Active() const noexcept { return state_ != dsInactive; }
    void SetActive(bool value);
    void Open();
    void Close();
    TDataSetState State() const noexcept { return state_; }

    TFields& Fields() noexcept { return fields_; }
    const TFields& Fields() const noexcept { return fields_; }
    int FieldCount() const noexcept { return fields_.Count(); }
    TField* FieldByName(const std::string& name) const { return fields_.FieldByName(name); }
    TField* FindField(const std::string& name) const { return fields_.FindField(name); }

    // Record operations on the current record.
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // Records held: fetched so far plus appended, without those deleted.
    int RecordCount() const noexcept { return static_cast<int>(rows_.size()); }
    bool IsEmpty() const noexcept { return rows_.empty(); }
    // Current record, 1-based (0 when there is none); moving posts a pending edit first.
    int RecNo() const noexcept { return current_ + 1; }
    void SetRecNo(int value);
    // Current record, 0-based (-1 when there is none).
    int CurrentRow() const noexcept { return current_; }
    void SetCurrentRow(int row);

    // Lazy fetching: rows come from the database as they are asked for.
    bool CanFetchMore() const;
    int FetchMore(int count);
    void FetchAll();

    // Per-row reading for data-aware controls, without moving the current record. The current
    // record shows its edit buffer while it is edited or inserted.
    std::string DisplayText(int row, int field) const;
    bool IsNull(int row, int field) const;
    std::int64_t BlobSize(int row, int field) const;
    const data::Value& CellValue(int row, int field) const;
    data::RowOp RowStatus(int row) const;

    // Cached updates.
    bool CachedUpdates() const noexcept { return cachedUpdates_; }
    virtual void SetCachedUpdates(bool value);
    bool UpdatesPending() const;
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool value);

    // Counted suspension of the data-aware controls; one full refresh follows the last Enable.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const noexcept { return disableCount_ > 0; }

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete;

    // Streams of BLOB cells (used by TBlobField).
    std::unique_ptr<data::BlobReader> OpenBlobReader(int row, int field) const;

protected:
    // What a concrete data set supplies.
    virtual std::vector<data::FieldDef> DoOpen() = 0;           // runs the query
    virtual void DoClose() = 0;                                // drops the cursor
    virtual bool DoCanFetch() const = 0;
    virtual bool DoFetch(data::CachedRow& row) = 0;            // false at the end
    // Called before a fetched row with no change waiting is edited or deleted: lock it, re-read
    // it (the values go into `row`).
    virtual void DoPrepareEdit(data::CachedRow& row, bool forDelete) = 0;
    virtual std::unique_ptr<data::BlobReader> DoOpenBlob(const data::CachedRow& row, int field) const = 0;

    // Cache access for concrete data sets.
    std::vector<data::CachedRow>& Rows() noexcept { return rows_; }
    const std::vector<data::CachedRow>& Rows() const noexcept { return rows_; }
    std::vector<data::CachedRow>& DeletedRows() noexcept { return deleted_; }
    // Ends the edit or insert state by posting (BeforePost runs) if the data set is in one.
    void CheckBrowseMode();
    // Tells the controls that the rows were replaced (after an apply).
    void NotifyDataSetChanged();
    void ClearCache();

    // Runs `work` under the busy cursor when the data set has one and a GUI runs.
    virtual TCursor BusyCursor() const { return crDefault; }

private:
    friend class TField;
    friend class TDataSource;
    enum class Event { ActiveChanged, LayoutChanged, DataSetChanged, RowsInserted, RowsRemoved,
                       RecordChanged, StateChanged, RecordMoved };

    void CheckActive() const;
    void CheckCanModify() const;
    void CheckBrowse(const char* operation) const;
    void CheckRow(int row) const;
    const data::CachedRow& RowAt(int row) const;
    // The edit buffer's cell; throws unless the data set is in edit or insert state.
    data::Value& EditValue(int field);
    void FieldChanged();
    void SetState(TDataSetState state);
    void Notify(Event event, int first = -1, int count = 0);
    void CheckRequiredFields() const;
    void BuildFields(const std::vector<data::FieldDef>& defs);
    void AttachSource(TDataSource* source);
    void DetachSource(TDataSource* source);

    TDataSetState state_ = dsInactive;
    TFields fields_;
    std::vector<data::CachedRow> rows_;
    std::vector<data::CachedRow> deleted_;
    std::vector<data::Value> editBuffer_;
    int current_ = -1;
    bool cachedUpdates_ = false;
    bool readOnly_ = false;
    bool modified_ = false;
    int disableCount_ = 0;
    unsigned suppressed_ = 0;  // events held back while the controls are disabled
    std::vector<TDataSource*> sources_;
};

// ---------------------------------------------------------------------------------------------
// Data source and links

// What a data-aware control hears from the data set behind its data source. All calls come
// after the change happened; a control keeps its own row count and compares.
class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const noexcept { return source_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;

protected:
    friend class TDataSource;
    virtual void ActiveChanged() {}                 // opened or closed
    virtual void LayoutChanged() {}                 // fields rebuilt
    virtual void DataSetChanged() {}                // anything may have changed: refresh all
    virtual void RowsInserted(int /*first*/, int /*count*/) {}  // fetched or appended rows
    virtual void RowsRemoved(int /*first*/, int /*count*/) {}   // deleted or cancelled rows
    virtual void RecordChanged(int /*row*/) {}      // one row's values
    virtual void StateChanged() {}                  // browse / edit / insert
    virtual void RecordMoved() {}                   // the current record moved

private:
    TDataSource* source_ = nullptr;
};

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;
    const char* ClassName() const noexcept override { return "TDataSource"; }

    TDataSet* DataSet() const noexcept { return dataSet_; }
    virtual void SetDataSet(TDataSet* dataSet);
    TDataSetState State() const noexcept { return dataSet_ ? dataSet_->State() : dsInactive; }

    TNotifyEvent OnStateChange, OnDataChange;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void Dispatch(TDataSet::Event event, int first, int count);
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);

    TDataSet* dataSet_ = nullptr;
    std::vector<TDataLink*> links_;
};
