#pragma once
// A table model over a data set: one row per record the data set holds, one column per bound
// field name. Rows arrive lazily (canFetchMore / fetchMore ask the data set for more). The model
// shows no UI: what fails while the view fetches goes to the error sink, and what fails while
// writing a cell propagates to the caller.

#include <QAbstractTableModel>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/data/DB.h"

class DataSetModel : public QAbstractTableModel, public TDataLink {
    Q_OBJECT
public:
    explicit DataSetModel(QObject* parent = nullptr);
    ~DataSetModel() override;

    // The field name of each column, in order; an empty or unknown name gives an empty column.
    void SetColumns(std::vector<std::string> fieldNames);
    // The field bound to a column, or nullptr.
    TField* FieldOfColumn(int column) const;

    // Rows the view asks for in one go.
    static constexpr int kFetchBatch = 256;

    // Receives errors that happen while the view fetches rows.
    std::function<void(std::exception_ptr)> ErrorSink;

    // Starts editing `row` (making it current; the data set's Edit may fail, e.g. a locked row).
    void BeginEdit(int row);
    // Makes `row` the data set's current record; a changed record that is left is posted.
    void MoveTo(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes the text into the field (the record is edited first); throws what the data set or
    // the field's conversion throws.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // How a cell shows a value: a BLOB by its size, a memo by the start of its text.
    static QString BlobSizeText(std::int64_t bytes);
    static constexpr int kMemoPreviewBytes = 200;

protected:
    void ActiveChanged() override { Reset(); }
    void LayoutChanged() override { Reset(); }
    void DataSetChanged() override { Reset(); }
    void RowsInserted(int first, int count) override;
    void RowsRemoved(int first, int count) override;
    void RecordChanged(int row) override;
    void StateChanged() override;
    void RecordMoved() override { emit currentRecordMoved(); }

signals:
    // The data set's current record moved (appended, deleted, moved by code).
    void currentRecordMoved();

private:
    void Reset();
    void Rebind();
    QString CellText(int row, int column) const;

    std::vector<std::string> columns_;
    std::vector<int> fieldIndex_;  // per column; -1 when unbound
    int rows_ = 0;                 // rows the model has announced
    int DataSetRow(int row) const;
    // While a change is announced: rows from `from` on sit `shift` rows away in the data set;
    // `gone` rows before `from` exist no more.
    struct Remap {
        int from = 0, shift = 0, gone = 0;
    } remap_;
    bool fetchFailed_ = false;
    bool announcing_ = false;
};
