#pragma once
// The grid: a table view over a data source, its columns bound by field name, editor properties
// with a BLOB editor whose button reaches a handler, and the level that puts the view into the
// grid control.

#include <QPointer>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/data/DB.h"
#include "platform/grid/DataSetModel.h"
#include "platform/vcl/Controls.h"

class QMimeData;
class TcxGridDBTableView;
class TcxGridDBColumn;

// Editor properties of a column; the class decides which in-place editor the column uses.
class TcxCustomEditProperties {
public:
    virtual ~TcxCustomEditProperties() = default;
    virtual const char* ClassName() const noexcept { return "TcxCustomEditProperties"; }
};

enum TcxBlobEditKind { bekAuto, bekBlob, bekMemo, bekPict, bekOle };

// Handler of (Sender, AButtonIndex): Sender is the column whose cell's button was clicked.
using TcxEditButtonClickEvent = std::function<void(TComponent* Sender, int AButtonIndex)>;

// The BLOB editor: the cell shows the content's size (a memo the start of its text) and a
// button; a click focuses the cell's column and runs OnButtonClick.
class TcxBlobEditProperties : public TcxCustomEditProperties {
public:
    const char* ClassName() const noexcept override { return "TcxBlobEditProperties"; }
    TcxBlobEditKind BlobEditKind = bekAuto;
    TcxEditButtonClickEvent OnButtonClick;
};

class TcxGridItemDataBinding {
public:
    explicit TcxGridItemDataBinding(TcxGridDBColumn& column) : column_(column) {}
    const std::string& FieldName() const noexcept { return fieldName_; }
    void SetFieldName(const std::string& name);

private:
    TcxGridDBColumn& column_;
    std::string fieldName_;
};

// A column of a table view. Owned by a component (the view's owner); freeing it removes it from
// its view.
class TcxGridDBColumn : public TComponent {
public:
    explicit TcxGridDBColumn(TComponent* AOwner);
    ~TcxGridDBColumn() override;
    const char* ClassName() const noexcept override { return "TcxGridDBColumn"; }

    TcxGridDBTableView* GridView() const noexcept { return view_; }
    TcxGridItemDataBinding DataBinding{*this};

    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool value);

    // The editor properties; nullptr until a class is set (the grid then picks its editor from
    // the field's type).
    TcxCustomEditProperties* Properties() const noexcept { return properties_.get(); }
    template <class P>
    P* SetPropertiesClass() {
        auto created = std::make_unique<P>();
        P* result = created.get();
        properties_ = std::move(created);
        Changed();
        return result;
    }
    TcxBlobEditProperties* BlobProperties() const noexcept {
        return dynamic_cast<TcxBlobEditProperties*>(properties_.get());
    }

    // Index among the view's columns (-1 without a view).
    int Index() const;

private:
    friend class TcxGridDBTableView;
    friend class TcxGridItemDataBinding;
    void Changed();
    TcxGridDBTableView* view_ = nullptr;
    bool visible_ = true;
    std::unique_ptr<TcxCustomEditProperties> properties_;
};

struct TcxGridTableOptionsData {
    bool Editing = true;
    bool Inserting = true;
    bool Deleting = true;
    bool DeletingConfirmation = true;
    bool Appending = false;
};

struct TcxNavigatorButtons {
    bool ConfirmDelete = true;
};

// The table view: a QTableView over the data source's data set.
class TcxGridDBTableView : public QTableView, public TComponent {
    Q_OBJECT
public:
    explicit TcxGridDBTableView(TComponent* AOwner);
    ~TcxGridDBTableView() override;
    const char* ClassName() const noexcept override { return "TcxGridDBTableView"; }

    TDataSource* DataSource() const { return model_.DataSource(); }
    void SetDataSource(TDataSource* source);

    // A counted pair; the layout follows the columns once the last EndUpdate ran.
    void BeginUpdate();
    void EndUpdate();

    // A new column owned by the view's owner, added at the end.
    TcxGridDBColumn* CreateColumn();
    int ColumnCount() const noexcept { return static_cast<int>(columns_.size()); }
    TcxGridDBColumn* Columns(int index) const { return columns_.at(static_cast<size_t>(index)); }

    // The focused column (the controller's focused item).
    TcxGridDBColumn* FocusedColumn() const;
    void SetFocusedColumn(TcxGridDBColumn* column);

    TcxGridTableOptionsData OptionsData;
    TcxNavigatorButtons NavigatorButtons;

    DataSetModel& Model() noexcept { return model_; }
    // True while a cell editor is open.
    bool Editing() const { return state() == EditingState; }

    // A file dropped from the desktop onto a cell of a BLOB column: the column, the record (0-based)
    // and the file's path. Drops of anything else, or onto other cells, are refused.
    std::function<void(TcxGridDBColumn* column, int row, const QString& fileName)> OnFileDrop;

    // Deletes the focused record as the Delete key does, asking first when the options say so.
    void DeleteFocusedRecord();
    // The question asked before a record is deleted.
    static QString DeleteQuestion();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class TcxGridDBColumn;
    friend class GridCellDelegate;
    void AddColumn(TcxGridDBColumn* column);
    void RemoveColumn(TcxGridDBColumn* column);
    void ColumnsChanged();
    void ApplyLayout();
    void ShowLater(std::exception_ptr error);
    // The one local file of a drag onto a BLOB cell at `pos`, with that cell; empty otherwise.
    QString DroppedFile(const QMimeData* mime, const QPoint& pos, QModelIndex* cell) const;
    void FollowDataSet();
    void HideColumns();
    TcxGridDBColumn* ColumnAt(int index) const;

    DataSetModel model_;
    std::vector<TcxGridDBColumn*> columns_;
    int updateCount_ = 0;
    bool layoutPending_ = false;
    bool errorPending_ = false;
};

// The grid control; its level shows one view.
class TcxGrid : public QWidget, public TComponent {
    Q_OBJECT
public:
    TcxGrid(TComponent* AOwner, QWidget* parent);
    explicit TcxGrid(QWidget* parent = nullptr) : TcxGrid(OwnerFromParent(parent), parent) {}
    ~TcxGrid() override;
    const char* ClassName() const noexcept override { return "TcxGrid"; }

    // Puts the view into the grid (done by the level).
    void ShowView(TcxGridDBTableView* view);
};

class TcxGridLevel : public TComponent {
public:
    TcxGridLevel(TComponent* AOwner, TcxGrid* grid);
    const char* ClassName() const noexcept override { return "TcxGridLevel"; }
    TcxGridDBTableView* GridView() const noexcept { return view_; }
    void SetGridView(TcxGridDBTableView* view);

private:
    QPointer<TcxGrid> grid_;
    QPointer<TcxGridDBTableView> view_;
};
