#include "platform/grid/DataSetModel.h"

#include <algorithm>

#include "platform/data/drivers/Driver.h"
#include "platform/vcl/AnsiStrings.h"
#include "platform/vcl/TransferProgress.h"

DataSetModel::DataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

DataSetModel::~DataSetModel() = default;

void DataSetModel::SetColumns(std::vector<std::string> fieldNames) {
    columns_ = std::move(fieldNames);
    Reset();
}

void DataSetModel::Reset() {
    // Listeners of a change (views, testers) may ask for more rows while it is announced; rows
    // are only fetched once the announcement is over.
    announcing_ = true;
    beginResetModel();
    Rebind();
    endResetModel();
    announcing_ = false;
}

void DataSetModel::Rebind() {
    TDataSet* ds = DataSet();
    const bool active = ds != nullptr && ds->Active();
    fieldIndex_.assign(columns_.size(), -1);
    if (active) {
        for (size_t c = 0; c < columns_.size(); ++c) {
            if (columns_[c].empty()) continue;
            if (TField* f = ds->FindField(columns_[c])) fieldIndex_[c] = f->Index();
        }
    }
    rows_ = active ? ds->RecordCount() : 0;
    fetchFailed_ = false;
}

TField* DataSetModel::FieldOfColumn(int column) const {
    if (column < 0 || column >= static_cast<int>(fieldIndex_.size())) return nullptr;
    const int f = fieldIndex_[static_cast<size_t>(column)];
    return f < 0 ? nullptr : DataSet()->Fields().Fields(f);
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString DataSetModel::BlobSizeText(std::int64_t bytes) {
    return QStringLiteral("(BLOB) ") + ByteSizeText(bytes);
}

QString DataSetModel::CellText(int row, int column) const {
    TField* field = FieldOfColumn(column);
    if (field == nullptr) return {};
    TDataSet* ds = DataSet();
    const int f = field->Index();
    if (ds->IsNull(row, f)) return {};
    if (field->DataType() == ftMemo) {
        std::string start(kMemoPreviewBytes, '\0');
        const data::Value& v = ds->CellValue(row, f);
        std::size_t got = 0;
        if (const auto* loaded = std::get_if<data::BlobPtr>(&v)) {
            got = (*loaded)->Read(0, start.data(), start.size());
        } else if (auto reader = ds->OpenBlobReader(row, f)) {
            got = reader->Read(0, start.data(), start.size());
        }
        start.resize(got);
        QString text = AnsiToQString(start);
        // A character cut in half at the end shows as a replacement character: drop it.
        while (got == kMemoPreviewBytes && text.endsWith(QChar::ReplacementCharacter)) text.chop(1);
        text.replace('\r', ' ').replace('\n', ' ').replace('\t', ' ');
        return text;
    }
    if (field->IsBlob()) return BlobSizeText(ds->BlobSize(row, f));
    return AnsiToQString(ds->DisplayText(row, f));
}

int DataSetModel::DataSetRow(int row) const {
    if (remap_.shift == 0 || row < remap_.from - remap_.gone) return row;
    if (row < remap_.from) return -1;  // a removed row
    return row + remap_.shift;
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columnCount()) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    const int row = DataSetRow(index.row());
    if (row < 0) return {};
    TField* field = FieldOfColumn(index.column());
    if (role == Qt::EditRole && field != nullptr && field->IsBlob()) return {};
    try {
        return CellText(row, index.column());
    } catch (...) {
        // Reading a cell for display must not break painting; the cell shows nothing and the
        // error reaches the user through the sink.
        if (ErrorSink) ErrorSink(std::current_exception());
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        return AnsiToQString(columns_[static_cast<size_t>(section)]);
    }
    return section + 1;
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    TDataSet* ds = DataSet();
    if (FieldOfColumn(index.column()) != nullptr && ds != nullptr && !ds->ReadOnly()) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

void DataSetModel::MoveTo(int row) {
    TDataSet* ds = DataSet();
    if (ds == nullptr || !ds->Active() || row < 0 || row >= ds->RecordCount()) return;
    if (ds->CurrentRow() != row) ds->SetCurrentRow(row);
}

void DataSetModel::BeginEdit(int row) {
    MoveTo(row);
    TDataSet* ds = DataSet();
    if (ds != nullptr && ds->State() == dsBrowse) ds->Edit();
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    TField* field = FieldOfColumn(index.column());
    if (field == nullptr || field->IsBlob()) return false;
    TDataSet* ds = DataSet();
    const std::string text = QStringToAnsi(value.toString());
    // Writing the same text again does not start an edit.
    if (ds->State() == dsBrowse && ds->CurrentRow() == index.row() && !field->IsNull() &&
        field->AsString() == text) {
        return false;
    }
    BeginEdit(index.row());
    if (value.isNull() || text.empty()) {
        field->Clear();
    } else {
        field->SetAsString(text);
    }
    return true;
}

bool DataSetModel::canFetchMore(const QModelIndex& parent) const {
    if (parent.isValid() || fetchFailed_ || announcing_) return false;
    TDataSet* ds = DataSet();
    return ds != nullptr && ds->Active() && ds->CanFetchMore();
}

void DataSetModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || announcing_) return;
    TDataSet* ds = DataSet();
    if (ds == nullptr || !ds->Active()) return;
    try {
        ds->FetchMore(kFetchBatch);  // the data set announces the new rows through the link
    } catch (...) {
        fetchFailed_ = true;  // until the next reset, so that the view does not ask again
        if (ErrorSink) ErrorSink(std::current_exception());
    }
}

void DataSetModel::RowsInserted(int first, int count) {
    if (count <= 0) return;
    TDataSet* ds = DataSet();
    if (ds == nullptr || ds->RecordCount() != rows_ + count) return Reset();
    first = std::clamp(first, 0, rows_);
    // The data set changed before telling us: until the announcement is over the old rows from
    // `first` on are found `count` rows further down.
    announcing_ = true;
    remap_ = {first, count, 0};
    beginInsertRows(QModelIndex(), first, first + count - 1);
    remap_ = {};
    rows_ += count;
    endInsertRows();
    announcing_ = false;
}

void DataSetModel::RowsRemoved(int first, int count) {
    if (count <= 0) return;
    TDataSet* ds = DataSet();
    if (ds == nullptr || first < 0 || first + count > rows_ ||
        ds->RecordCount() != rows_ - count) {
        return Reset();
    }
    // Likewise the rows after the removed ones are already `count` rows further up.
    announcing_ = true;
    remap_ = {first + count, -count, count};
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    remap_ = {};
    rows_ -= count;
    endRemoveRows();
    announcing_ = false;
}

void DataSetModel::RecordChanged(int row) {
    if (row < 0 || row >= rows_ || columns_.empty()) return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DataSetModel::StateChanged() {
    TDataSet* ds = DataSet();
    if (ds == nullptr) return;
    if (ds->RecordCount() != rows_) {
        Reset();  // the data set was opened or closed behind our back
        return;
    }
    if (ds->CurrentRow() >= 0) RecordChanged(ds->CurrentRow());
}
