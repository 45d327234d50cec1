#pragma once
// The main window: logon and table list, the table grid with editing and saving, BLOB file
// transfer and audit stamping. Every component is owned by the window.

#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/vcl/Forms.h"

class TcxButton;
class TcxCheckBox;
class TcxLookupComboBox;
class TcxGrid;
class TcxGridLevel;
class TcxGridDBTableView;
class TcxGridDBColumn;
class TCOracleLogon;
class TCOracleSession;
class TCOracleDataSet;
class TCDataSource;
class TCLabel;
class TCActionList;
class TAction;
class TCOpenDialog;
class TCSaveDialog;
class TCAboutForm;
class TDataSet;
class TField;
namespace Ui {
class T_BLOBRegister;
}

// The program's title: the window caption, the application title and the about box's product.
extern const char* const kProgramTitle;

class T_BLOBRegister : public TForm {
    Q_OBJECT
public:
    explicit T_BLOBRegister(TComponent* AOwner);
    ~T_BLOBRegister() override;
    const char* ClassName() const noexcept override { return "T_BLOBRegister"; }

    // Components, in declaration order; all owned by the window.
    TcxButton* btnLogon = nullptr;
    TCOracleLogon* olgDB = nullptr;
    TCOracleSession* ossDB = nullptr;
    TCOracleDataSet* odsTabList = nullptr;
    TCDataSource* dsrTabList = nullptr;
    TcxLookupComboBox* cbxTableList = nullptr;
    TCLabel* CLabel1 = nullptr;
    TcxGridDBTableView* gtvUpdTable = nullptr;
    TcxGridLevel* glvUpdTable = nullptr;
    TcxGrid* grdUpdTable = nullptr;
    TCOracleDataSet* odsUpdTable = nullptr;
    TCDataSource* dsrUpdTable = nullptr;
    TcxButton* btnAppend = nullptr;
    TcxButton* btnDelete = nullptr;
    TcxButton* btnSaveToDB = nullptr;
    TcxButton* btnClose = nullptr;
    TCActionList* aclBLOBReg = nullptr;
    TAction* acnLogonDB = nullptr;
    TAction* acnAppend = nullptr;
    TAction* acnDelete = nullptr;
    TAction* acnSaveToDB = nullptr;
    TAction* acnClose = nullptr;
    TcxGridDBColumn* gtvUpdTableDBColumn1 = nullptr;
    TCOpenDialog* dlgToBLOB = nullptr;
    TcxCheckBox* ckbIncData = nullptr;
    TcxButton* btnSaveToFile = nullptr;
    TAction* acnSaveToFile = nullptr;
    TCSaveDialog* dlgToFile = nullptr;
    TcxButton* btnAbout = nullptr;
    TAction* acnAbout = nullptr;
    TCAboutForm* cmpQUILLAN = nullptr;

    // Event handlers, bound in the stored values.
    void FormCreate(TComponent* Sender);
    void aclBLOBRegUpdate(TAction* Action, bool& Handled);
    void acnLogonDBExecute(TComponent* Sender);
    void acnAppendExecute(TComponent* Sender);
    void acnDeleteExecute(TComponent* Sender);
    void acnSaveToDBExecute(TComponent* Sender);
    void acnCloseExecute(TComponent* Sender);
    void BLOBColumnPropertiesButtonClick(TComponent* Sender, int AButtonIndex);
    void odsUpdTableBeforePost(TDataSet* DataSet);
    void ckbIncDataPropertiesChange(TComponent* Sender);
    void acnSaveToFileExecute(TComponent* Sender);
    void acnAboutExecute(TComponent* Sender);
    void cbxTableListPropertiesEditValueChanged(TComponent* Sender);

    // A file dropped onto a grid cell: onto a BLOB cell it is loaded as the editor button would.
    void GridFileDropped(TcxGridDBColumn* column, int row, const QString& fileName);

    // File transfers from this size on show their progress and can be cancelled.
    std::int64_t LargeTransferBytes = std::int64_t{4} << 20;

protected:
    // Closing with unsaved changes asks first.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateComponents();
    void ApplyStoredValues();

    void OpenUpdTable(const std::string& TableName);
    TField* GetFocusedField();
    // What the BLOB editor button does once it has a file (also for a dropped file).
    void LoadFileIntoFocusedField(const QString& fileName);

    // True when nothing is pending or the user agreed to drop the pending changes.
    bool ConfirmDiscardChanges();

    std::unique_ptr<Ui::T_BLOBRegister> ui_;
    // The chooser's value that the open table came from, put back when the user keeps the table.
    QVariant shownChoice_;
    bool restoringChoice_ = false;
};
