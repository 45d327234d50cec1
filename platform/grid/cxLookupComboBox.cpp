#include "platform/grid/cxLookupComboBox.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableView>

#include "platform/vcl/AnsiStrings.h"
#include "platform/vcl/Application.h"

TDataSource* TcxLookupComboBoxProperties::ListSource() const { return owner_.model_.DataSource(); }

void TcxLookupComboBoxProperties::SetListSource(TDataSource* source) {
    owner_.model_.SetDataSource(source);
    owner_.Rebind();
}

void TcxLookupComboBoxProperties::SetKeyFieldNames(const std::string& names) {
    keyFieldNames_ = names;
    owner_.Rebind();
}

void TcxLookupComboBoxProperties::SetListFieldName(const std::string& name) {
    listFieldName_ = name;
    owner_.Rebind();
}

void TcxLookupComboBoxProperties::SetListOptions(TcxLookupListOptions options) {
    listOptions_ = options;
    owner_.Rebind();
}

TcxLookupComboBox::TcxLookupComboBox(TComponent* AOwner, QWidget* parent)
    : QComboBox(parent), TComponent(AOwner) {
    auto* list = new QTableView(this);  // handed to the combo box, which owns its view
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setStretchLastSection(true);
    setView(list);
    setModel(&model_);
    setCurrentIndex(-1);
    // The edit value changes only when a person picks a row or code sets it; the combo box's own
    // idea of a current row (it picks the first row of a new list) is not a choice.
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int row) { Chosen(row); });
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] { ShowEditValue(); });
    connect(&model_, &QAbstractItemModel::rowsInserted, this, [this] { ShowEditValue(); });
    Rebind();
}

TcxLookupComboBox::~TcxLookupComboBox() { model_.SetDataSource(nullptr); }

void TcxLookupComboBox::Rebind() {
    // Column 0 shows the list field; column 1 holds the key.
    model_.SetColumns({Properties.listFieldName_, Properties.keyFieldNames_});
    setModelColumn(0);
    auto* list = static_cast<QTableView*>(view());
    list->horizontalHeader()->setVisible(Properties.listOptions_.ShowHeader);
    list->setShowGrid(Properties.listOptions_.GridLines != glNone);
    list->setColumnHidden(1, true);
    ShowEditValue();
}

void TcxLookupComboBox::ShowEditValue() {
    const QSignalBlocker block(this);
    int found = -1;
    if (!editValue_.isNull()) {
        const QString key = editValue_.toString();
        for (int r = 0; r < model_.rowCount(); ++r) {
            if (model_.index(r, 1).data().toString() == key) {
                found = r;
                break;
            }
        }
    }
    setCurrentIndex(found);
    static_cast<QTableView*>(view())->setColumnHidden(1, true);
}

void TcxLookupComboBox::SetEditValue(const QVariant& value) {
    const bool same = value.isNull() == editValue_.isNull() &&
                      (value.isNull() || value.toString() == editValue_.toString());
    editValue_ = value.isNull() ? QVariant() : QVariant(value.toString());
    ShowEditValue();
    if (!same && Properties.OnEditValueChanged) Properties.OnEditValueChanged(this);
}

void TcxLookupComboBox::Chosen(int row) {
    if (row < 0) return;
    const QVariant key = model_.index(row, 1).data();
    GuardedCall([&] { SetEditValue(key.isNull() ? QVariant(QString()) : key); });
}
