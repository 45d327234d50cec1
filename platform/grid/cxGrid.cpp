#include "platform/grid/cxGrid.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

#include "platform/vcl/Application.h"
#include "platform/vcl/ModalSeam.h"

// ---------------------------------------------------------------------------------------------
// Cell editors

namespace {

// The in-place editor of a BLOB cell: the cell's text and a button.
class BlobCellEditor : public QWidget {
public:
    BlobCellEditor(QWidget* parent, const QString& text) : QWidget(parent) {
        setObjectName("BlobCellEditor");
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        auto* shown = new QLineEdit(text, this);
        shown->setReadOnly(true);
        shown->setFrame(false);
        button = new QToolButton(this);
        button->setObjectName("BlobEditButton");
        button->setText(QStringLiteral("…"));
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(shown, 1);
        layout->addWidget(button);
        setFocusProxy(shown);
        setAutoFillBackground(true);
    }
    QToolButton* button = nullptr;
};

}  // namespace

class GridCellDelegate : public QStyledItemDelegate {
public:
    explicit GridCellDelegate(TcxGridDBTableView& view) : QStyledItemDelegate(&view), view_(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        TcxGridDBColumn* column = view_.ColumnAt(index.column());
        if (column == nullptr || !view_.OptionsData.Editing) return nullptr;
        if (column->BlobProperties() != nullptr) {
            // Showing the button does not start an edit; the button's handler decides.
            auto* editor = new BlobCellEditor(parent, index.data().toString());
            QObject::connect(editor->button, &QToolButton::clicked, editor, [this, column] {
                // The column may be gone by now (a reopen rebuilt them): look it up again.
                const auto& cols = view_.columns_;
                if (std::find(cols.begin(), cols.end(), column) == cols.end()) return;
                view_.SetFocusedColumn(column);
                TcxBlobEditProperties* p = column->BlobProperties();
                if (p != nullptr && p->OnButtonClick) {
                    auto handler = p->OnButtonClick;  // the handler may replace the columns
                    GuardedCall([&] { handler(column, 0); });
                }
            });
            return editor;
        }
        if (!view_.model_.FieldOfColumn(index.column())) return nullptr;
        // Starting to edit edits the record (and may lock it); if that fails there is no editor.
        bool started = false;
        GuardedCall([&] {
            view_.model_.BeginEdit(index.row());
            started = true;
        });
        if (!started) return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (dynamic_cast<BlobCellEditor*>(editor) != nullptr) return;
        GuardedCall([&] { QStyledItemDelegate::setModelData(editor, model, index); });
    }

private:
    TcxGridDBTableView& view_;
};

// ---------------------------------------------------------------------------------------------
// Columns

void TcxGridItemDataBinding::SetFieldName(const std::string& name) {
    if (name == fieldName_) return;
    fieldName_ = name;
    column_.Changed();
}

TcxGridDBColumn::TcxGridDBColumn(TComponent* AOwner) : TComponent(AOwner) {}

TcxGridDBColumn::~TcxGridDBColumn() {
    if (view_ != nullptr) view_->RemoveColumn(this);
}

void TcxGridDBColumn::SetVisible(bool value) {
    if (value == visible_) return;
    visible_ = value;
    Changed();
}

int TcxGridDBColumn::Index() const {
    if (view_ == nullptr) return -1;
    const auto& cols = view_->columns_;
    return static_cast<int>(std::find(cols.begin(), cols.end(), this) - cols.begin());
}

void TcxGridDBColumn::Changed() {
    if (view_ != nullptr) view_->ColumnsChanged();
}

// ---------------------------------------------------------------------------------------------
// Table view

TcxGridDBTableView::TcxGridDBTableView(TComponent* AOwner) : TComponent(AOwner) {
    setModel(&model_);
    setItemDelegate(new GridCellDelegate(*this));  // owned by the view
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    model_.ErrorSink = [this](std::exception_ptr e) { ShowLater(std::move(e)); };
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] { HideColumns(); });
    connect(&model_, &DataSetModel::currentRecordMoved, this, [this] { FollowDataSet(); });
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
}

QString TcxGridDBTableView::DroppedFile(const QMimeData* mime, const QPoint& pos,
                                        QModelIndex* cell) const {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1 || !OnFileDrop) return {};
    const QUrl url = mime->urls().front();
    if (!url.isLocalFile()) return {};
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || index.column() >= ColumnCount() ||
        Columns(index.column())->BlobProperties() == nullptr) {
        return {};
    }
    if (cell != nullptr) *cell = index;
    return url.toLocalFile();
}

void TcxGridDBTableView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData() != nullptr && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TcxGridDBTableView::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFile(event->mimeData(), event->position().toPoint(), nullptr).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TcxGridDBTableView::dropEvent(QDropEvent* event) {
    QModelIndex cell;
    const QString file = DroppedFile(event->mimeData(), event->position().toPoint(), &cell);
    if (file.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    GuardedCall([&] { OnFileDrop(Columns(cell.column()), cell.row(), file); });
}

TcxGridDBTableView::~TcxGridDBTableView() {
    for (TcxGridDBColumn* c : columns_) c->view_ = nullptr;
    model_.SetDataSource(nullptr);
}

void TcxGridDBTableView::SetDataSource(TDataSource* source) {
    model_.SetDataSource(source);
    ApplyLayout();
}

void TcxGridDBTableView::BeginUpdate() { ++updateCount_; }

void TcxGridDBTableView::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0 && layoutPending_) ApplyLayout();
}

TcxGridDBColumn* TcxGridDBTableView::CreateColumn() {
    TComponent* owner = Owner() != nullptr ? Owner() : this;
    auto* column = new TcxGridDBColumn(owner);  // owned by the view's owner
    AddColumn(column);
    return column;
}

TcxGridDBColumn* TcxGridDBTableView::ColumnAt(int index) const {
    if (index < 0 || index >= ColumnCount()) return nullptr;
    return columns_[static_cast<size_t>(index)];
}

void TcxGridDBTableView::AddColumn(TcxGridDBColumn* column) {
    column->view_ = this;
    columns_.push_back(column);
    ColumnsChanged();
}

void TcxGridDBTableView::RemoveColumn(TcxGridDBColumn* column) {
    columns_.erase(std::remove(columns_.begin(), columns_.end(), column), columns_.end());
    column->view_ = nullptr;
    ColumnsChanged();
}

void TcxGridDBTableView::ColumnsChanged() {
    if (updateCount_ > 0) {
        layoutPending_ = true;
        return;
    }
    ApplyLayout();
}

void TcxGridDBTableView::ApplyLayout() {
    layoutPending_ = false;
    std::vector<std::string> names;
    names.reserve(columns_.size());
    for (TcxGridDBColumn* c : columns_) names.push_back(c->DataBinding.FieldName());
    model_.SetColumns(std::move(names));
}

void TcxGridDBTableView::HideColumns() {
    for (int i = 0; i < ColumnCount(); ++i) setColumnHidden(i, !columns_[static_cast<size_t>(i)]->Visible());
}

TcxGridDBColumn* TcxGridDBTableView::FocusedColumn() const {
    return ColumnAt(currentIndex().isValid() ? currentIndex().column() : -1);
}

void TcxGridDBTableView::SetFocusedColumn(TcxGridDBColumn* column) {
    const int c = column != nullptr ? column->Index() : -1;
    if (c < 0) return;
    if (currentIndex().column() == c) return;
    TDataSet* ds = model_.DataSet();
    int row = currentIndex().isValid() ? currentIndex().row() : -1;
    if (row < 0 && ds != nullptr && ds->Active()) row = ds->CurrentRow();
    if (row < 0) {
        // No record: the column is remembered as the header's current section only.
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    setCurrentIndex(model_.index(row, c));
}

void TcxGridDBTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!current.isValid()) return;
    if (current.row() != previous.row()) {
        bool moved = false;
        GuardedCall([&] {
            model_.MoveTo(current.row());
            moved = true;
        });
        if (!moved) {
            // The record that was left could not be posted: stay on it.
            QTimer::singleShot(0, this, [this] { FollowDataSet(); });
            return;
        }
    }
    TcxGridDBColumn* column = ColumnAt(current.column());
    if (column != nullptr && column->BlobProperties() != nullptr) {
        // A BLOB cell shows its button as soon as it is focused.
        QTimer::singleShot(0, this, [this, current = QPersistentModelIndex(current)] {
            if (current.isValid() && currentIndex() == current && state() != EditingState) {
                edit(current);
            }
        });
    }
}

void TcxGridDBTableView::FollowDataSet() {
    TDataSet* ds = model_.DataSet();
    if (ds == nullptr || !ds->Active()) return;
    const int row = ds->CurrentRow();
    if (row < 0 || row >= model_.rowCount()) return;
    if (currentIndex().row() == row) return;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(model_.index(row, std::max(column, 0)));
}

QString TcxGridDBTableView::DeleteQuestion() { return QStringLiteral("レコードを削除しますか？"); }

void TcxGridDBTableView::DeleteFocusedRecord() {
    TDataSet* ds = model_.DataSet();
    if (!OptionsData.Deleting || ds == nullptr || !ds->Active() || ds->RecordCount() == 0) return;
    if (currentIndex().isValid()) model_.MoveTo(currentIndex().row());
    if (OptionsData.DeletingConfirmation) {
        QMessageBox box(QMessageBox::Question, Application().Title(), DeleteQuestion(),
                        QMessageBox::Yes | QMessageBox::No, window());
        box.setObjectName("DeleteQuestion");
        box.setDefaultButton(QMessageBox::No);
        if (ExecModal(box) != QMessageBox::Yes) return;
    }
    ds->Delete();
}

void TcxGridDBTableView::keyPressEvent(QKeyEvent* event) {
    if (state() != EditingState) {
        const auto mods = event->modifiers() & ~Qt::KeypadModifier;
        TDataSet* ds = model_.DataSet();
        if (event->key() == Qt::Key_Insert && mods == Qt::NoModifier) {
            if (OptionsData.Inserting && ds != nullptr && ds->Active()) {
                GuardedCall([ds] { ds->Append(); });
            }
            return event->accept();
        }
        if (event->key() == Qt::Key_Delete &&
            (mods == Qt::NoModifier || mods == Qt::ControlModifier)) {
            GuardedCall([this] { DeleteFocusedRecord(); });
            return event->accept();
        }
    }
    QTableView::keyPressEvent(event);
}

void TcxGridDBTableView::ShowLater(std::exception_ptr error) {
    if (errorPending_) return;  // one box at a time for errors of the same burst
    errorPending_ = true;
    QTimer::singleShot(0, this, [this, error = std::move(error)] {
        errorPending_ = false;
        Application().HandleException(error);
    });
}

// ---------------------------------------------------------------------------------------------
// Grid and level

TcxGrid::TcxGrid(TComponent* AOwner, QWidget* parent) : QWidget(parent), TComponent(AOwner) {
    auto* layout = new QHBoxLayout(this);  // owned by the grid
    layout->setContentsMargins(0, 0, 0, 0);
}

TcxGrid::~TcxGrid() = default;

void TcxGrid::ShowView(TcxGridDBTableView* view) {
    for (QWidget* w : findChildren<TcxGridDBTableView*>(QString(), Qt::FindDirectChildrenOnly)) {
        layout()->removeWidget(w);
        w->hide();
    }
    if (view == nullptr) return;
    layout()->addWidget(view);  // the grid's widget tree now holds the view
    view->show();
}

TcxGridLevel::TcxGridLevel(TComponent* AOwner, TcxGrid* grid) : TComponent(AOwner), grid_(grid) {}

void TcxGridLevel::SetGridView(TcxGridDBTableView* view) {
    view_ = view;
    if (grid_ != nullptr) grid_->ShowView(view);
}
