#include "app/uBLOBRegister.h"

#include <QCloseEvent>
#include <QFont>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <functional>

#include "about/CAboutForm.h"
#include "about/ProgramIcon.h"
#include "components/HLDDOA.h"
#include "components/HLDVCL.h"
#include "platform/data/DB.h"
#include "platform/data/drivers/Driver.h"
#include "platform/grid/cxGrid.h"
#include "platform/grid/cxLookupComboBox.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/AnsiStrings.h"
#include "platform/vcl/DateUtils.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ModalSeam.h"
#include "platform/vcl/TransferProgress.h"
#include "platform/vcl/cxButtons.h"
#include "runtime/HLDFunctions.h"
#include "ui_uBLOBRegister.h"

const char* const kProgramTitle = "HALDREN クイラン！～ QUILLAN! ～";

namespace {

// Captions and messages of the window.
const char* const kTableListCaption = "テーブル一覧";
const char* const kLogonDBCaption = "DBにログオン(&L)";
const char* const kAppendCaption = "追加(&A)";
const char* const kDeleteCaption = "削除(&D)";
const char* const kSaveToDBCaption = "DBに保存(&S)";
const char* const kCloseCaption = "終了(&X)";
const char* const kSaveToFileCaption = "ファイルに保存(&F)";
const char* const kAboutCaption = "クイラン！について(&B)";
const char* const kSaveToFileTitle = "ファイルに保存";
const char* const kSavedMessage = "DBに保存しました。";
const char* const kBlobIsNullMessage = "BLOBフィールドは NULL です。";
const char* const kDiscardChangesQuestion =
    "保存されていない変更があります。\n変更を破棄してもよろしいですか？";
const char* const kLoadingCaption = "ファイルを読み込んでいます";
const char* const kApplyingCaption = "データベースに書き込んでいます";
const char* const kSavingCaption = "ファイルに書き込んでいます";
const char* const kNotABlobField = "フィールド '%1' は BLOB フィールドではありません。";

// The about box's fixed values; the copyright line is the one of the program's version block.
const char* const kProductVersion = "1.2.0.0";
const char* const kCompanyName = "株式会社HALDREN";
const char* const kCopyright = "Copyright (C) 2012-2026 HALDREN Co., Ltd.";

// Audit columns, recognised anywhere in a field name, case-sensitively.
const char* const kLastUpdateUser = "LUUS";
const char* const kLastUpdateStamp = "LUDT";
const char* const kLastUpdateDateTime = "LUDL";
const char* const kCreateUser = "CRUS";
const char* const kCreateStamp = "CRDT";
const char* const kCreateDateTime = "CRDL";
const char* const kDateTimePattern = "yyyy/mm/dd hh:mm:ss";

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QFont WindowFont() {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

bool Contains(const std::string& name, const char* part) {
    return name.find(part) != std::string::npos;
}

std::string NowAsDisplayText() { return FormatDateTime(kDateTimePattern, Now()); }

// The platform's strict conversion of a variant to text: a null value cannot be converted.
std::string VarToStrStrict(const QVariant& value) {
    if (value.isNull()) {
        throw EVariantError(QStringToAnsi(
            QStringLiteral("バリアント型 (Null) を型 (String) に変換できません。")));
    }
    return QStringToAnsi(value.toString());
}

// Lifts a data set's control suspension when it goes out of scope.
class ControlsDisabled {
public:
    explicit ControlsDisabled(TDataSet& dataSet) : dataSet_(dataSet) { dataSet_.DisableControls(); }
    ~ControlsDisabled() { dataSet_.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    TDataSet& dataSet_;
};

// Ends a view's update when it goes out of scope.
class ViewUpdate {
public:
    explicit ViewUpdate(TcxGridDBTableView& view) : view_(view) { view_.BeginUpdate(); }
    ~ViewUpdate() { view_.EndUpdate(); }
    ViewUpdate(const ViewUpdate&) = delete;
    ViewUpdate& operator=(const ViewUpdate&) = delete;

private:
    TcxGridDBTableView& view_;
};

}  // namespace

T_BLOBRegister::T_BLOBRegister(TComponent* AOwner)
    : TForm(AOwner), ui_(std::make_unique<Ui::T_BLOBRegister>()) {
    SetName("_BLOBRegister");
    CreateComponents();
    ReadStoredForm(*this, [this] { ApplyStoredValues(); });
    FormCreate(this);
}

T_BLOBRegister::~T_BLOBRegister() = default;

// The components in declaration order; the controls come from the form file.
void T_BLOBRegister::CreateComponents() {
    ui_->setupUi(this);
    btnLogon = ui_->btnLogon;
    olgDB = new TCOracleLogon(this);
    ossDB = new TCOracleSession(this);
    odsTabList = new TCOracleDataSet(this);
    dsrTabList = new TCDataSource(this);
    cbxTableList = ui_->cbxTableList;
    CLabel1 = ui_->CLabel1;
    gtvUpdTable = new TcxGridDBTableView(this);
    grdUpdTable = ui_->grdUpdTable;
    glvUpdTable = new TcxGridLevel(this, grdUpdTable);
    odsUpdTable = new TCOracleDataSet(this);
    dsrUpdTable = new TCDataSource(this);
    btnAppend = ui_->btnAppend;
    btnDelete = ui_->btnDelete;
    btnSaveToDB = ui_->btnSaveToDB;
    btnClose = ui_->btnClose;
    aclBLOBReg = new TCActionList(this);
    acnLogonDB = new TAction(this);
    acnAppend = new TAction(this);
    acnDelete = new TAction(this);
    acnSaveToDB = new TAction(this);
    acnClose = new TAction(this);
    gtvUpdTableDBColumn1 = gtvUpdTable->CreateColumn();
    dlgToBLOB = new TCOpenDialog(this);
    ckbIncData = ui_->ckbIncData;
    btnSaveToFile = ui_->btnSaveToFile;
    acnSaveToFile = new TAction(this);
    dlgToFile = new TCSaveDialog(this);
    btnAbout = ui_->btnAbout;
    acnAbout = new TAction(this);
    cmpQUILLAN = new TCAboutForm(this);

    const std::pair<TComponent*, const char*> names[] = {
        {olgDB, "olgDB"}, {ossDB, "ossDB"}, {odsTabList, "odsTabList"},
        {dsrTabList, "dsrTabList"}, {gtvUpdTable, "gtvUpdTable"}, {glvUpdTable, "glvUpdTable"},
        {odsUpdTable, "odsUpdTable"}, {dsrUpdTable, "dsrUpdTable"}, {aclBLOBReg, "aclBLOBReg"},
        {acnLogonDB, "acnLogonDB"}, {acnAppend, "acnAppend"}, {acnDelete, "acnDelete"},
        {acnSaveToDB, "acnSaveToDB"}, {acnClose, "acnClose"},
        {gtvUpdTableDBColumn1, "gtvUpdTableDBColumn1"}, {dlgToBLOB, "dlgToBLOB"},
        {acnSaveToFile, "acnSaveToFile"}, {dlgToFile, "dlgToFile"}, {acnAbout, "acnAbout"},
        {cmpQUILLAN, "cmpQUILLAN"}};
    for (auto [component, name] : names) component->SetName(name);
    NameComponentsFromObjectNames(*this);
}

// The window's stored values: what the form file of the window holds beyond the geometry.
void T_BLOBRegister::ApplyStoredValues() {
    CLabel1->SetAutoSize(false);  // before anything makes the label fit its caption
    SetCaption(Text(kProgramTitle));
    setWindowIcon(ProgramIcon());
    setFont(WindowFont());
    SetClientWidth(514);
    SetClientHeight(524);

    // Data components.
    ossDB->SetDesignConnection(true);
    ossDB->SetThreadSafe(true);
    ossDB->SetRollbackOnDisconnect(true);
    ossDB->SetBytesPerCharacter(bc2Bytes);
    olgDB->SetSession(ossDB);
    for (TCOracleDataSet* ods : {odsTabList, odsUpdTable}) {
        ods->SetSession(ossDB);
        ods->SetCachedUpdates(true);
        ods->SetLockingMode(lmLockImmediate);
        ods->SetRefreshOptions(roBeforeEdit | roAfterInsert | roAfterUpdate | roAllFields);
        ods->OracleDictionary().EnforceConstraints = true;
        ods->OracleDictionary().RangeValues = true;
        ods->SetCursor(crHourGlass);
        ods->SetDesignActivation(true);
    }
    odsUpdTable->BeforePost = [this](TDataSet* d) { odsUpdTableBeforePost(d); };
    dsrTabList->SetDataSet(odsTabList);
    dsrUpdTable->SetDataSet(odsUpdTable);

    // Table chooser and its caption box.
    CLabel1->SetCaption(Text(kTableListCaption));
    CLabel1->SetAlignment(taCenter);
    CLabel1->SetLayout(tlCenter);
    CLabel1->SetBorderStyle(bsSingle);
    CLabel1->SetEvokeCustomMsgProc(false);
    cbxTableList->Properties.SetListSource(dsrTabList);
    cbxTableList->Properties.SetKeyFieldNames("TABLE_NAME");
    cbxTableList->Properties.SetListFieldName("TABLE_NAME");
    cbxTableList->Properties.SetListOptions({.ShowHeader = false, .GridLines = glNone});
    cbxTableList->Properties.OnEditValueChanged = [this](TComponent* s) {
        cbxTableListPropertiesEditValueChanged(s);
    };
    // The chooser shows no left edge: the caption box's frame, laid over it, stands there.
    CLabel1->raise();

    // Grid.
    gtvUpdTable->SetDataSource(dsrUpdTable);
    gtvUpdTable->NavigatorButtons.ConfirmDelete = false;
    gtvUpdTable->OnFileDrop = [this](TcxGridDBColumn* c, int row, const QString& file) {
        GridFileDropped(c, row, file);
    };
    glvUpdTable->SetGridView(gtvUpdTable);
    gtvUpdTableDBColumn1->SetVisible(false);
    auto* startupEditor = gtvUpdTableDBColumn1->SetPropertiesClass<TcxBlobEditProperties>();
    startupEditor->BlobEditKind = bekBlob;
    startupEditor->OnButtonClick = [this](TComponent* s, int i) {
        BLOBColumnPropertiesButtonClick(s, i);
    };

    // Actions and the buttons bound to them.
    aclBLOBReg->OnUpdate = [this](TAction* a, bool& handled) { aclBLOBRegUpdate(a, handled); };
    struct ActionSetting {
        TAction* action;
        const char* caption;
        void (T_BLOBRegister::*handler)(TComponent*);
        TcxButton* button;
    };
    const ActionSetting actions[] = {
        {acnLogonDB, kLogonDBCaption, &T_BLOBRegister::acnLogonDBExecute, btnLogon},
        {acnAppend, kAppendCaption, &T_BLOBRegister::acnAppendExecute, btnAppend},
        {acnDelete, kDeleteCaption, &T_BLOBRegister::acnDeleteExecute, btnDelete},
        {acnSaveToDB, kSaveToDBCaption, &T_BLOBRegister::acnSaveToDBExecute, btnSaveToDB},
        {acnClose, kCloseCaption, &T_BLOBRegister::acnCloseExecute, btnClose},
        {acnSaveToFile, kSaveToFileCaption, &T_BLOBRegister::acnSaveToFileExecute, btnSaveToFile},
        {acnAbout, kAboutCaption, &T_BLOBRegister::acnAboutExecute, btnAbout},
    };
    QFont buttonFont = WindowFont();
    for (const ActionSetting& s : actions) {
        s.action->SetActionList(aclBLOBReg);
        s.action->SetCaption(Text(s.caption));
        s.action->OnExecute = [this, h = s.handler](TComponent* sender) { (this->*h)(sender); };
        s.button->SetAction(s.action);
        s.button->setFont(buttonFont);
        QPalette palette = s.button->palette();
        palette.setColor(QPalette::Active, QPalette::ButtonText, Qt::blue);
        palette.setColor(QPalette::Inactive, QPalette::ButtonText, Qt::blue);
        s.button->setPalette(palette);
    }
    btnClose->SetCancel(true);

    // Include-data switch.
    ckbIncData->SetChecked(false);
    ckbIncData->Properties.OnChange = [this](TComponent* s) { ckbIncDataPropertiesChange(s); };

    // File dialogs.
    dlgToBLOB->SetTitle(TCOpenDialog::DefaultTitle());
    dlgToBLOB->SetFilter(TCOpenDialog::DefaultFilter());
    dlgToFile->SetTitle(Text(kSaveToFileTitle));

    // About box.
    cmpQUILLAN->SetProductName(Text(kProgramTitle));
    cmpQUILLAN->SetProductVersion(Text(kProductVersion));
    cmpQUILLAN->SetCompanyName(Text(kCompanyName));
    cmpQUILLAN->SetCopyright(Text(kCopyright));
    cmpQUILLAN->SetUseVersionInfoFromFile(false);
    cmpQUILLAN->SetEnableRegSite(true);
    cmpQUILLAN->SetRegSiteButtonVisible(true);
    cmpQUILLAN->SetContactButtonVisible(true);
    cmpQUILLAN->SetWidth(500);
    cmpQUILLAN->SetVersionFormat({vfMajor, vfMinor, vfRelease, vfBuild});
    cmpQUILLAN->SetPicture(ProgramIcon());

    // Anchors: the grid grows with the window, the buttons keep to the bottom edge and "終了(&X)"
    // also to the right one.
    SetAnchors(grdUpdTable, akLeft | akTop | akRight | akBottom);
    for (QWidget* w : {static_cast<QWidget*>(btnAppend), static_cast<QWidget*>(btnDelete),
                       static_cast<QWidget*>(btnSaveToDB), static_cast<QWidget*>(btnSaveToFile),
                       static_cast<QWidget*>(btnAbout)}) {
        SetAnchors(w, akLeft | akBottom);
    }
    SetAnchors(btnClose, akRight | akBottom);
}

void T_BLOBRegister::FormCreate(TComponent* /*Sender*/) {}

void T_BLOBRegister::aclBLOBRegUpdate(TAction* /*Action*/, bool& /*Handled*/) {
    const bool active = odsUpdTable->Active();
    acnAppend->SetEnabled(active);
    acnDelete->SetEnabled(active && odsUpdTable->RecordCount() > 0);
    acnSaveToFile->SetEnabled(active && odsUpdTable->RecordCount() > 0);
    acnSaveToDB->SetEnabled(active && odsUpdTable->UpdatesPending());
}

void T_BLOBRegister::acnLogonDBExecute(TComponent* /*Sender*/) {
    if (!olgDB->Execute()) return;
    cbxTableList->SetEditValue(QVariant(QString()));
    odsTabList->Close();
    odsTabList->SetCachedUpdates(false);
    odsTabList->SQL().Clear();
    for (const char* line : {"select", "  TABLE_NAME", "from", "  USER_TABLES", "order by",
                             "  TABLE_NAME"}) {
        odsTabList->SQL().Add(line);
    }
    odsTabList->Open();
    SelectNext(ActiveControl(), true, true);
}

void T_BLOBRegister::acnAppendExecute(TComponent* /*Sender*/) { odsUpdTable->Append(); }

void T_BLOBRegister::acnDeleteExecute(TComponent* /*Sender*/) { odsUpdTable->Delete(); }

void T_BLOBRegister::acnSaveToDBExecute(TComponent* /*Sender*/) {
    TTransferProgress progress(this, Text(kApplyingCaption), AnsiToQString(odsUpdTable->UpdatingTable()),
                               LargeTransferBytes);
    ossDB->ApplyUpdates({odsUpdTable}, true, std::ref(progress));
    MessageDlg(Text(kSavedMessage), TMsgDlgType::mtInformation);
}

void T_BLOBRegister::acnCloseExecute(TComponent* /*Sender*/) { Close(); }

void T_BLOBRegister::acnAboutExecute(TComponent* /*Sender*/) { cmpQUILLAN->Execute(); }

void T_BLOBRegister::cbxTableListPropertiesEditValueChanged(TComponent* /*Sender*/) {
    if (restoringChoice_) return;
    const std::string name = VarToStrStrict(cbxTableList->EditValue());
    if (!name.empty() && !ConfirmDiscardChanges()) {
        // Keep the open table and its cache: put the chooser back to the table that is shown.
        const QScopedValueRollback restoring(restoringChoice_, true);
        cbxTableList->SetEditValue(shownChoice_);
        return;
    }
    OpenUpdTable(name);
    shownChoice_ = cbxTableList->EditValue();
}

void T_BLOBRegister::ckbIncDataPropertiesChange(TComponent* /*Sender*/) {
    if (restoringChoice_ || !odsUpdTable->Active()) return;
    const QVariant value = cbxTableList->EditValue();
    if (!value.isNull() && !value.toString().isEmpty() && !ConfirmDiscardChanges()) {
        // Keep the open table and its cache: put the switch back.
        const QScopedValueRollback restoring(restoringChoice_, true);
        ckbIncData->SetChecked(!ckbIncData->Checked());
        return;
    }
    OpenUpdTable(VarToStrStrict(value));
    shownChoice_ = value;
}

void T_BLOBRegister::OpenUpdTable(const std::string& TableName) {
    if (TableName.empty()) return;
    ControlsDisabled suspended(*odsUpdTable);
    odsUpdTable->Close();
    const std::string table = ossDB->Connected() ? ossDB->Connection().TableReference(TableName)
                                                 : TableName;
    odsUpdTable->SQL().Clear();
    odsUpdTable->SQL().Add("select");
    odsUpdTable->SQL().Add("  rowid, " + table + ".*");
    odsUpdTable->SQL().Add("from");
    odsUpdTable->SQL().Add("  " + table);
    if (!ckbIncData->Checked()) {
        odsUpdTable->SQL().Add("where");
        odsUpdTable->SQL().Add("  0 = 1");
    }
    odsUpdTable->Open();

    ViewUpdate update(*gtvUpdTable);
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        if (auto* column = dynamic_cast<TcxGridDBColumn*>(Components(i))) delete column;
    }
    gtvUpdTableDBColumn1 = nullptr;  // the start-up column is gone with the first rebuild
    TFields& fields = odsUpdTable->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        TcxGridDBColumn* column = gtvUpdTable->CreateColumn();
        column->DataBinding.SetFieldName(fields[i]->FieldName());
        if (fields[i]->IsBlob()) {
            auto* properties = column->SetPropertiesClass<TcxBlobEditProperties>();
            properties->OnButtonClick = [this](TComponent* s, int b) {
                BLOBColumnPropertiesButtonClick(s, b);
            };
        }
    }
}

TField* T_BLOBRegister::GetFocusedField() {
    std::string name;
    for (int i = 0; i < gtvUpdTable->ColumnCount(); ++i) {
        if (gtvUpdTable->Columns(i) == gtvUpdTable->FocusedColumn()) {
            name = gtvUpdTable->Columns(i)->DataBinding.FieldName();
            break;
        }
    }
    return odsUpdTable->FieldByName(name);
}

namespace {
TBlobField& AsBlobField(TField* field) {
    auto* blob = dynamic_cast<TBlobField*>(field);
    if (blob == nullptr) {
        throw EDatabaseError(
            QStringToAnsi(Text(kNotABlobField).arg(AnsiToQString(field->FieldName()))));
    }
    return *blob;
}
}  // namespace

void T_BLOBRegister::BLOBColumnPropertiesButtonClick(TComponent* /*Sender*/, int /*AButtonIndex*/) {
    if (!dlgToBLOB->Execute()) return;
    LoadFileIntoFocusedField(dlgToBLOB->FileName());
}

void T_BLOBRegister::LoadFileIntoFocusedField(const QString& fileName) {
    if (odsUpdTable->State() == dsBrowse) odsUpdTable->Edit();
    TTransferProgress progress(this, Text(kLoadingCaption), fileName, LargeTransferBytes);
    AsBlobField(GetFocusedField()).LoadFromFile(QStringToAnsi(fileName), std::ref(progress));

    // Post the loaded file into the cache even while required columns are still empty; they are
    // demanded again at the next post of the row.
    std::vector<std::string> relaxed;
    TFields& fields = odsUpdTable->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        if (fields[i]->Required() && fields[i]->IsNull()) {
            fields[i]->SetRequired(false);
            relaxed.push_back(fields[i]->FieldName());
        }
    }
    odsUpdTable->Post();
    odsUpdTable->Edit();
    for (const std::string& name : relaxed) odsUpdTable->FieldByName(name)->SetRequired(true);
}

void T_BLOBRegister::GridFileDropped(TcxGridDBColumn* column, int row, const QString& fileName) {
    if (column == nullptr || column->BlobProperties() == nullptr) return;
    odsUpdTable->SetRecNo(row + 1);
    gtvUpdTable->SetFocusedColumn(column);
    LoadFileIntoFocusedField(fileName);
}

void T_BLOBRegister::acnSaveToFileExecute(TComponent* /*Sender*/) {
    TField* field = GetFocusedField();
    if (field->IsNull()) {
        MessageDlg(Text(kBlobIsNullMessage), TMsgDlgType::mtConfirmation);
        return;
    }
    if (!dlgToFile->Execute()) return;
    TTransferProgress progress(this, Text(kSavingCaption), dlgToFile->FileName(),
                               LargeTransferBytes);
    AsBlobField(field).SaveToFile(QStringToAnsi(dlgToFile->FileName()), std::ref(progress));
}

void T_BLOBRegister::odsUpdTableBeforePost(TDataSet* DataSet) {
    TFields& fields = DataSet->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        TField* field = fields[i];
        const std::string& name = field->FieldName();
        if (Contains(name, kLastUpdateUser)) field->SetAsString(CGetUserName());
        if (Contains(name, kLastUpdateStamp)) field->SetAsString(CGetTimeStamp());
        if (Contains(name, kLastUpdateDateTime)) field->SetAsString(NowAsDisplayText());
        if (DataSet->State() == dsInsert) {
            if (Contains(name, kCreateUser)) field->SetAsString(CGetUserName());
            if (Contains(name, kCreateStamp)) field->SetAsString(CGetTimeStamp());
            if (Contains(name, kCreateDateTime)) field->SetAsString(NowAsDisplayText());
        }
    }
}

bool T_BLOBRegister::ConfirmDiscardChanges() {
    if (!odsUpdTable->Active()) return true;
    if (!odsUpdTable->UpdatesPending() && odsUpdTable->State() == dsBrowse) return true;
    QMessageBox box(QMessageBox::Question, Text(kProgramTitle), Text(kDiscardChangesQuestion),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return ExecModal(box) == QMessageBox::Yes;
}

void T_BLOBRegister::closeEvent(QCloseEvent* event) {
    bool discard = false;
    GuardedCall([&] { discard = ConfirmDiscardChanges(); });
    if (discard) {
        TForm::closeEvent(event);
    } else {
        event->ignore();
    }
}
