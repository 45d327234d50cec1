// The data set's states, row cache and lazy fetching, and the data source with its links.

#include "platform/data/DB.h"

#include <algorithm>

#include "platform/data/BusyCursor.h"
#include "platform/data/DataTexts.h"
#include "platform/data/drivers/Driver.h"

namespace {
const data::Value kNull;
constexpr int kInitialFetch = 100;

unsigned Bit(int event) { return 1u << event; }
}  // namespace

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) { fields_.owner_ = this; }

TDataSet::~TDataSet() {
    // Data sources that still point here let go; their controls see an inactive data set.
    const auto sources = sources_;
    sources_.clear();
    for (TDataSource* s : sources) {
        s->dataSet_ = nullptr;
        s->Dispatch(Event::ActiveChanged, -1, 0);
    }
}

void TDataSet::SetActive(bool value) {
    if (value)
        Open();
    else
        Close();
}

void TDataSet::Open() {
    if (Active()) return;
    if (BeforeOpen) BeforeOpen(this);
    {
        data::BusyCursor busy{BusyCursor()};
        std::vector<data::FieldDef> defs = DoOpen();
        BuildFields(defs);
        rows_.clear();
        deleted_.clear();
        editBuffer_.clear();
        current_ = -1;
        state_ = dsBrowse;
        try {
            FetchMore(kInitialFetch);
        } catch (...) {
            DoClose();
            ClearCache();
            fields_.fields_.clear();
            state_ = dsInactive;
            throw;
        }
    }
    Notify(Event::ActiveChanged);
    Notify(Event::LayoutChanged);
    Notify(Event::DataSetChanged);
    if (AfterOpen) AfterOpen(this);
}

void TDataSet::Close() {
    if (!Active()) return;
    if (BeforeClose) BeforeClose(this);
    DoClose();
    ClearCache();
    fields_.fields_.clear();
    state_ = dsInactive;
    Notify(Event::ActiveChanged);
    Notify(Event::LayoutChanged);
    Notify(Event::DataSetChanged);
    if (AfterClose) AfterClose(this);
}

void TDataSet::ClearCache() {
    rows_.clear();
    deleted_.clear();
    editBuffer_.clear();
    current_ = -1;
    modified_ = false;
    if (state_ == dsEdit || state_ == dsInsert) state_ = dsBrowse;
}

void TDataSet::BuildFields(const std::vector<data::FieldDef>& defs) {
    fields_.fields_.clear();
    int i = 0;
    for (const data::FieldDef& d : defs) {
        std::unique_ptr<TField> f;
        switch (d.type) {
        case ftInteger: f = std::make_unique<TIntegerField>(this, i, d.name); break;
        case ftFloat: f = std::make_unique<TFloatField>(this, i, d.name); break;
        case ftDateTime: f = std::make_unique<TDateTimeField>(this, i, d.name); break;
        case ftBoolean: f = std::make_unique<TBooleanField>(this, i, d.name); break;
        case ftBlob: f = std::make_unique<TBlobField>(this, i, d.name); break;
        case ftMemo: f = std::make_unique<TMemoField>(this, i, d.name); break;
        case ftString:
        case ftUnknown: f = std::make_unique<TStringField>(this, i, d.name, d.size); break;
        }
        f->SetRequired(d.required);
        fields_.fields_.push_back(std::move(f));
        ++i;
    }
}

void TDataSet::CheckActive() const {
    if (!Active()) throw EDatabaseError(data::texts::Format(data::texts::kDataSetClosed));
}

void TDataSet::CheckRow(int row) const {
    if (row < 0 || row >= RecordCount()) throw EDatabaseError(data::texts::Format(data::texts::kNoCurrentRecord));
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (state_ == dsEdit || state_ == dsInsert) Post();
}

void TDataSet::CheckCanModify() const {
    CheckActive();
    if (readOnly_) throw EDatabaseError(data::texts::Format(data::texts::kDataSetReadOnly));
    if (!cachedUpdates_) throw EDatabaseError(data::texts::Format(data::texts::kNoCachedUpdates));
}

void TDataSet::SetState(TDataSetState state) {
    if (state_ == state) return;
    state_ = state;
    Notify(Event::StateChanged);
}

void TDataSet::Append() {
    CheckCanModify();
    CheckBrowseMode();
    if (BeforeInsert) BeforeInsert(this);
    FetchAll();  // a new record goes after the last one
    data::CachedRow row;
    row.values.assign(static_cast<std::size_t>(FieldCount()), data::Value{});
    row.original = row.values;
    rows_.push_back(std::move(row));
    current_ = RecordCount() - 1;
    editBuffer_ = rows_.back().values;
    modified_ = false;
    Notify(Event::RowsInserted, current_, 1);
    SetState(dsInsert);
    Notify(Event::RecordMoved);
    if (AfterInsert) AfterInsert(this);
}

void TDataSet::Edit() {
    CheckCanModify();
    if (state_ == dsEdit || state_ == dsInsert) return;
    if (IsEmpty()) {
        Append();
        return;
    }
    CheckRow(current_);
    if (BeforeEdit) BeforeEdit(this);
    data::CachedRow& row = rows_[static_cast<std::size_t>(current_)];
    if (row.op == data::RowOp::None) {
        data::BusyCursor busy{BusyCursor()};
        DoPrepareEdit(row, false);
        Notify(Event::RecordChanged, current_);
    }
    editBuffer_ = row.values;
    modified_ = false;
    SetState(dsEdit);
    if (AfterEdit) AfterEdit(this);
}

void TDataSet::CheckRequiredFields() const {
    for (const auto& f : fields_)
        if (f->Required() && data::IsNullValue(editBuffer_[static_cast<std::size_t>(f->Index())]))
            throw EDatabaseError(data::texts::Format(data::texts::kFieldRequired, f->FieldName()));
}

void TDataSet::Post() {
    CheckActive();
    if (state_ != dsEdit && state_ != dsInsert) return;
    if (BeforePost) BeforePost(this);
    CheckRequiredFields();
    data::CachedRow& row = rows_[static_cast<std::size_t>(current_)];
    if (state_ == dsInsert) {
        row.op = data::RowOp::Inserted;
        row.values = std::move(editBuffer_);
    } else if (modified_) {
        if (row.op == data::RowOp::None) row.op = data::RowOp::Modified;
        row.values = std::move(editBuffer_);
    }
    editBuffer_.clear();
    modified_ = false;
    state_ = dsBrowse;
    Notify(Event::RecordChanged, current_);
    Notify(Event::StateChanged);
    if (AfterPost) AfterPost(this);
}

void TDataSet::Cancel() {
    CheckActive();
    if (state_ != dsEdit && state_ != dsInsert) return;
    if (BeforeCancel) BeforeCancel(this);
    const bool inserting = state_ == dsInsert;
    editBuffer_.clear();
    modified_ = false;
    state_ = dsBrowse;
    if (inserting) {
        const int gone = current_;
        rows_.erase(rows_.begin() + gone);
        current_ = std::min(gone, RecordCount() - 1);
        Notify(Event::RowsRemoved, gone, 1);
        Notify(Event::RecordMoved);
    } else {
        Notify(Event::RecordChanged, current_);
    }
    Notify(Event::StateChanged);
    if (AfterCancel) AfterCancel(this);
}

void TDataSet::Delete() {
    CheckCanModify();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    CheckRow(current_);
    if (BeforeDelete) BeforeDelete(this);
    if (state_ == dsEdit) {
        editBuffer_.clear();
        modified_ = false;
        state_ = dsBrowse;
        Notify(Event::StateChanged);
    }
    data::CachedRow& row = rows_[static_cast<std::size_t>(current_)];
    if (row.op == data::RowOp::None) {
        data::BusyCursor busy{BusyCursor()};
        DoPrepareEdit(row, true);
    }
    if (row.op != data::RowOp::Inserted) {
        row.op = data::RowOp::Deleted;
        deleted_.push_back(std::move(row));
    }
    const int gone = current_;
    rows_.erase(rows_.begin() + gone);
    current_ = std::min(gone, RecordCount() - 1);
    Notify(Event::RowsRemoved, gone, 1);
    Notify(Event::RecordMoved);
    if (AfterDelete) AfterDelete(this);
}

void TDataSet::SetRecNo(int value) { SetCurrentRow(value - 1); }

void TDataSet::SetCurrentRow(int row) {
    CheckActive();
    if (row == current_) return;
    CheckRow(row);
    CheckBrowseMode();
    current_ = row;
    Notify(Event::RecordMoved);
}

bool TDataSet::CanFetchMore() const { return Active() && DoCanFetch(); }

int TDataSet::FetchMore(int count) {
    if (!CanFetchMore() || count <= 0) return 0;
    data::BusyCursor busy{BusyCursor()};
    const int first = RecordCount();
    int fetched = 0;
    while (fetched < count) {
        data::CachedRow row;
        if (!DoFetch(row)) break;
        row.original = row.values;
        rows_.push_back(std::move(row));
        ++fetched;
    }
    if (fetched > 0) {
        Notify(Event::RowsInserted, first, fetched);
        if (current_ < 0) {
            current_ = 0;
            Notify(Event::RecordMoved);
        }
    }
    return fetched;
}

void TDataSet::FetchAll() {
    while (CanFetchMore())
        if (FetchMore(1000) == 0) break;
}

const data::CachedRow& TDataSet::RowAt(int row) const {
    CheckRow(row);
    return rows_[static_cast<std::size_t>(row)];
}

const data::Value& TDataSet::CellValue(int row, int field) const {
    if (row < 0 || field < 0 || field >= FieldCount()) return kNull;
    if (row == current_ && (state_ == dsEdit || state_ == dsInsert))
        return editBuffer_[static_cast<std::size_t>(field)];
    return RowAt(row).values.at(static_cast<std::size_t>(field));
}

std::string TDataSet::DisplayText(int row, int field) const {
    return fields_.Fields(field)->TextOf(CellValue(row, field));
}

bool TDataSet::IsNull(int row, int field) const { return data::IsNullValue(CellValue(row, field)); }

std::int64_t TDataSet::BlobSize(int row, int field) const {
    const data::Value& v = CellValue(row, field);
    if (auto b = std::get_if<data::DbBlob>(&v)) return b->size;
    if (auto p = std::get_if<data::BlobPtr>(&v)) return (*p)->Size();
    if (auto s = std::get_if<std::string>(&v)) return static_cast<std::int64_t>(s->size());
    return 0;
}

data::RowOp TDataSet::RowStatus(int row) const { return RowAt(row).op; }

std::unique_ptr<data::BlobReader> TDataSet::OpenBlobReader(int row, int field) const {
    data::BusyCursor busy{BusyCursor()};
    return DoOpenBlob(RowAt(row), field);
}

data::Value& TDataSet::EditValue(int field) {
    CheckActive();
    if (state_ != dsEdit && state_ != dsInsert) throw EDatabaseError(data::texts::Format(data::texts::kNotEditing));
    return editBuffer_.at(static_cast<std::size_t>(field));
}

void TDataSet::FieldChanged() {
    modified_ = true;
    Notify(Event::RecordChanged, current_);
}

void TDataSet::SetCachedUpdates(bool value) {
    if (cachedUpdates_ == value) return;
    if (Active()) CheckBrowseMode();
    cachedUpdates_ = value;
}

void TDataSet::SetReadOnly(bool value) { readOnly_ = value; }

bool TDataSet::UpdatesPending() const {
    if (!cachedUpdates_ || !Active()) return false;
    if (!deleted_.empty()) return true;
    return std::any_of(rows_.begin(), rows_.end(), [](const data::CachedRow& r) { return r.op != data::RowOp::None; });
}

void TDataSet::DisableControls() { ++disableCount_; }

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ > 0 || suppressed_ == 0) return;
    const unsigned held = suppressed_;
    suppressed_ = 0;
    if (held & Bit(static_cast<int>(Event::ActiveChanged))) Notify(Event::ActiveChanged);
    if (held & Bit(static_cast<int>(Event::LayoutChanged))) Notify(Event::LayoutChanged);
    Notify(Event::DataSetChanged);
}

void TDataSet::NotifyDataSetChanged() { Notify(Event::DataSetChanged); }

void TDataSet::Notify(Event event, int first, int count) {
    if (ControlsDisabled()) {
        suppressed_ |= Bit(static_cast<int>(event));
        return;
    }
    const auto sources = sources_;
    for (TDataSource* s : sources) s->Dispatch(event, first, count);
}

void TDataSet::AttachSource(TDataSource* source) {
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) sources_.push_back(source);
}

void TDataSet::DetachSource(TDataSource* source) { std::erase(sources_, source); }

// ---------------------------------------------------------------------------------------------

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* source) {
    if (source_ == source) return;
    if (source_) source_->RemoveLink(this);
    source_ = source;
    if (source_) source_->AddLink(this);
    ActiveChanged();
}

TDataSet* TDataLink::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    if (dataSet_) dataSet_->DetachSource(this);
    dataSet_ = nullptr;
    const auto links = links_;
    for (TDataLink* l : links) l->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet_ == dataSet) return;
    if (dataSet_) dataSet_->DetachSource(this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->AttachSource(this);
    Dispatch(TDataSet::Event::ActiveChanged, -1, 0);
    Dispatch(TDataSet::Event::LayoutChanged, -1, 0);
    Dispatch(TDataSet::Event::DataSetChanged, -1, 0);
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == dataSet_) SetDataSet(nullptr);
}

void TDataSource::AddLink(TDataLink* link) { links_.push_back(link); }
void TDataSource::RemoveLink(TDataLink* link) { std::erase(links_, link); }

void TDataSource::Dispatch(TDataSet::Event event, int first, int count) {
    const auto links = links_;
    for (TDataLink* l : links) {
        switch (event) {
        case TDataSet::Event::ActiveChanged: l->ActiveChanged(); break;
        case TDataSet::Event::LayoutChanged: l->LayoutChanged(); break;
        case TDataSet::Event::DataSetChanged: l->DataSetChanged(); break;
        case TDataSet::Event::RowsInserted: l->RowsInserted(first, count); break;
        case TDataSet::Event::RowsRemoved: l->RowsRemoved(first, count); break;
        case TDataSet::Event::RecordChanged: l->RecordChanged(first); break;
        case TDataSet::Event::StateChanged: l->StateChanged(); break;
        case TDataSet::Event::RecordMoved: l->RecordMoved(); break;
        }
    }
    if (event == TDataSet::Event::StateChanged || event == TDataSet::Event::ActiveChanged) {
        if (OnStateChange) OnStateChange(this);
    } else if (OnDataChange) {
        OnDataChange(this);
    }
}
