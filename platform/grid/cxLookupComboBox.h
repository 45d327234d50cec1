#pragma once
// A combo box whose list comes from a data source: a key field decides the edit value, a list
// field is shown (no header, no grid lines). The edit value is a variant: null (nothing chosen)
// and an empty text are different values.

#include <QComboBox>
#include <QVariant>
#include <string>

#include "platform/grid/DataSetModel.h"
#include "platform/vcl/Controls.h"

enum TcxGridLines { glBoth, glNone, glVertical, glHorizontal };

struct TcxLookupListOptions {
    bool ShowHeader = true;
    TcxGridLines GridLines = glBoth;
};

class TcxLookupComboBox;

class TcxLookupComboBoxProperties {
public:
    explicit TcxLookupComboBoxProperties(TcxLookupComboBox& owner) : owner_(owner) {}

    TDataSource* ListSource() const;
    void SetListSource(TDataSource* source);
    const std::string& KeyFieldNames() const noexcept { return keyFieldNames_; }
    void SetKeyFieldNames(const std::string& names);
    // The one list column's field name.
    const std::string& ListFieldName() const noexcept { return listFieldName_; }
    void SetListFieldName(const std::string& name);
    TcxLookupListOptions ListOptions() const noexcept { return listOptions_; }
    void SetListOptions(TcxLookupListOptions options);

    TNotifyEvent OnEditValueChanged;  // after every change of the edit value, by code or by hand

private:
    friend class TcxLookupComboBox;
    TcxLookupComboBox& owner_;
    std::string keyFieldNames_;
    std::string listFieldName_;
    TcxLookupListOptions listOptions_;
};

class TcxLookupComboBox : public QComboBox, public TComponent {
    Q_OBJECT
public:
    TcxLookupComboBox(TComponent* AOwner, QWidget* parent);
    explicit TcxLookupComboBox(QWidget* parent = nullptr)
        : TcxLookupComboBox(OwnerFromParent(parent), parent) {}
    ~TcxLookupComboBox() override;
    const char* ClassName() const noexcept override { return "TcxLookupComboBox"; }

    TcxLookupComboBoxProperties Properties{*this};

    QVariant EditValue() const { return editValue_; }
    // Sets the value; OnEditValueChanged runs when it differs from the current one (errors
    // propagate to the caller).
    void SetEditValue(const QVariant& value);

    // The list as the data source gives it.
    DataSetModel& ListModel() noexcept { return model_; }

private:
    friend class TcxLookupComboBoxProperties;
    void Rebind();
    void ShowEditValue();
    void Chosen(int row);

    DataSetModel model_;
    QVariant editValue_;
};
