// The session and the logon dialog component.

#include "platform/data/Oracle.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "platform/data/BusyCursor.h"
#include "platform/data/DataTexts.h"
#include "platform/data/OracleData.h"
#include "platform/data/drivers/Driver.h"
#include "platform/vcl/ModalSeam.h"
#include "platform/win32/CodePage.h"

namespace {

QString Gui(const std::string& ansi) { return QString::fromStdString(win32::AnsiToUtf8(ansi)); }
QString GuiText(const char* utf8) { return QString::fromUtf8(utf8); }
std::string Ansi(const QString& text) { return win32::Utf8ToAnsi(text.toStdString()); }

}  // namespace

// ---------------------------------------------------------------------------------------------

TOracleSession::TOracleSession(TComponent* AOwner) : TComponent(AOwner) {}

TOracleSession::~TOracleSession() {
    for (TOracleDataSet* ds : dataSets_) ds->session_ = nullptr;
    dataSets_.clear();
    // Without RollbackOnDisconnect the transaction is committed as the session goes; a failure
    // there cannot leave a destructor, and the connection then rolls back as it closes.
    if (connection_ && !rollbackOnDisconnect_ && connection_->InTransaction()) {
        try {
            connection_->Commit();
        } catch (const Exception&) {
        }
    }
    connection_.reset();
}

LogonParts SplitLogonText(const std::string& text) {
    LogonParts parts;
    std::string left = text;
    if (const std::size_t at = text.find('@'); at != std::string::npos) {
        parts.database = text.substr(at + 1);
        left = text.substr(0, at);
    }
    if (const std::size_t slash = left.find('/'); slash != std::string::npos) {
        parts.password = left.substr(slash + 1);
        left = left.substr(0, slash);
    }
    parts.user = left;
    return parts;
}

void TOracleSession::LogOn() {
    if (BeforeLogOn) BeforeLogOn(this);
    const LogonParts parts = SplitLogonText(logonUsername_);
    data::ConnectParams params{parts.user, parts.password.value_or(logonPassword_),
                               parts.database.value_or(logonDatabase_)};
    if (connection_) {
        // The old connection goes first. When it is already lost, the rows it can no longer
        // deliver stay unfetched; that is no reason to refuse the new logon.
        try {
            LogOff();
        } catch (const EOracleError&) {
        }
    }
    data::BusyCursor busy{cursor_};
    connection_ = data::Connect(params);
    if (AfterLogOn) AfterLogOn(this);
}

void TOracleSession::DrainCursors() {
    for (TOracleDataSet* ds : dataSets_) ds->FinishFetching();
}

void TOracleSession::LogOff() {
    if (!connection_) return;
    // Open data sets keep their rows: what is still to be fetched is read before the connection
    // goes. When that fails (a lost connection), the session still lets go of the connection, so
    // that the user can log on again, and the error is reported.
    std::exception_ptr failure;
    try {
        DrainCursors();
    } catch (...) {
        failure = std::current_exception();
        for (TOracleDataSet* ds : dataSets_) ds->StopFetching();
    }
    struct Release {
        std::unique_ptr<data::Connection>& connection;
        ~Release() { connection.reset(); }
    } release{connection_};
    if (connection_->InTransaction()) {
        if (rollbackOnDisconnect_)
            connection_->Rollback();
        else
            connection_->Commit();
    }
    if (failure) std::rethrow_exception(failure);
}

void TOracleSession::SetConnected(bool value) {
    if (value)
        LogOn();
    else
        LogOff();
}

data::Connection& TOracleSession::Connection() const {
    if (!connection_) throw EDatabaseError(data::texts::Format(data::texts::kNotConnected));
    return *connection_;
}

bool TOracleSession::InTransaction() const { return connection_ && connection_->InTransaction(); }

void TOracleSession::Commit() { Connection().Commit(); }

void TOracleSession::Rollback() { Connection().Rollback(); }

void TOracleSession::ApplyUpdates(
    const std::vector<TOracleDataSet*>& dataSets, bool commit,
    const std::function<void(std::int64_t done, std::int64_t total)>& progress) {
    data::Connection& conn = Connection();
    // Records still being edited go into their caches first (their BeforePost runs).
    for (TOracleDataSet* ds : dataSets)
        if (ds->Active()) ds->CheckBrowseMode();
    data::BusyCursor busy{cursor_};
    std::int64_t total = 0, done = 0;
    for (TOracleDataSet* ds : dataSets) total += ds->PendingBlobBytes();
    struct ProgressScope {
        data::Connection& conn;
        ~ProgressScope() { conn.SetWriteProgress({}); }
    } progressScope{conn};
    if (progress) {
        conn.SetWriteProgress([&](std::int64_t bytes) { progress(done += bytes, total); });
    }
    std::vector<std::unique_ptr<TOracleDataSet::ApplyResult>> results;
    conn.BeginApply();
    try {
        for (TOracleDataSet* ds : dataSets) results.push_back(ds->WriteCache());
        if (commit) {
            try {
                conn.Commit();
            } catch (const EOracleError& e) {
                if (dataSets.empty()) throw;
                dataSets.front()->RaiseTranslated(e);
            }
        }
    } catch (...) {
        // Undo exactly this call's writes; the caches were not touched.
        conn.EndApply(false);
        throw;
    }
    conn.EndApply(true);
    for (std::size_t i = 0; i < dataSets.size(); ++i) dataSets[i]->CommitCache(std::move(results[i]));
}

void TOracleSession::Register(TOracleDataSet* dataSet) {
    if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end()) dataSets_.push_back(dataSet);
}

void TOracleSession::Unregister(TOracleDataSet* dataSet) { std::erase(dataSets_, dataSet); }

// ---------------------------------------------------------------------------------------------

namespace {

// The logon dialog: user name, password (masked), database; OK and Cancel.
class LogonDialog : public QDialog {
public:
    LogonDialog(const std::string& user, const std::string& password, const std::string& database, bool withDatabase) {
        setWindowTitle(GuiText(data::texts::kLogonCaption));
        auto* form = new QFormLayout(this);
        username_ = AddEdit(form, "edtUsername", data::texts::kLogonUsername, user);
        password_ = AddEdit(form, "edtPassword", data::texts::kLogonPassword, password);
        password_->setEchoMode(QLineEdit::Password);
        database_ = AddEdit(form, "edtDatabase", data::texts::kLogonDatabase, database);
        if (!withDatabase) {
            database_->setVisible(false);
            form->labelForField(database_)->setVisible(false);
        }
        auto* buttons = new QDialogButtonBox(this);
        buttons->addButton(GuiText(data::texts::kLogonOk), QDialogButtonBox::AcceptRole)->setObjectName("btnOK");
        buttons->addButton(GuiText(data::texts::kLogonCancel), QDialogButtonBox::RejectRole)->setObjectName("btnCancel");
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        form->addRow(buttons);
        if (user.empty())
            username_->setFocus();
        else
            password_->setFocus();
    }

    std::string User() const { return Ansi(username_->text()); }
    std::string Password() const { return Ansi(password_->text()); }
    std::string Database() const { return Ansi(database_->text()); }

private:
    QLineEdit* AddEdit(QFormLayout* form, const char* name, const char* label, const std::string& text) {
        auto* edit = new QLineEdit(Gui(text), this);
        edit->setObjectName(name);
        form->addRow(GuiText(label), edit);
        return edit;
    }

    QLineEdit* username_;
    QLineEdit* password_;
    QLineEdit* database_;
};

void ShowLogonError(const std::string& message) {
    QMessageBox box(QMessageBox::Critical, GuiText(data::texts::kLogonCaption), Gui(message), QMessageBox::Ok);
    ExecModal(box);
}

}  // namespace

TOracleLogon::TOracleLogon(TComponent* AOwner) : TComponent(AOwner) {}

TOracleLogon::~TOracleLogon() = default;

void TOracleLogon::SetSession(TOracleSession* session) {
    if (session_ == session) return;
    if (session_) RemoveFreeNotification(session_);
    session_ = session;
    if (session_) FreeNotification(session_);
}

void TOracleLogon::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == session_) session_ = nullptr;
}

std::optional<std::string> TOracleLogon::UserIdParameter() const {
    QStringList args;
    if (arguments_)
        args = *arguments_;
    else if (QCoreApplication::instance())
        args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const qsizetype eq = a.indexOf('=');
        if (eq > 0 && a.left(eq).compare("UserId", Qt::CaseInsensitive) == 0) return Ansi(a.mid(eq + 1));
    }
    return std::nullopt;
}

bool TOracleLogon::Attempt(const std::string& user, const std::string& password, const std::string& database) {
    session_->SetLogonUsername(user);
    session_->SetLogonPassword(password);
    session_->SetLogonDatabase(database);
    try {
        session_->LogOn();
        return true;
    } catch (const EDatabaseError& e) {
        // The database's answer goes to the person at the dialog, who may try again.
        ShowLogonError(e.Message());
        return false;
    }
}

bool TOracleLogon::Execute() {
    if (!session_) return false;
    const int maxAttempts = std::max(0, retries_) + 1;
    int attempts = 0;
    if ((options_ & ldAuto) && !autoTried_) {
        autoTried_ = true;
        if (std::optional<std::string> userId = UserIdParameter()) {
            lastUser_ = *userId;
            lastPassword_.clear();
            lastDatabase_.clear();
            ++attempts;
            if (Attempt(*userId, "", "")) return true;
        }
    }
    while (attempts < maxAttempts) {
        LogonDialog dialog(lastUser_, lastPassword_, lastDatabase_, (options_ & ldDatabase) != 0);
        if (ExecModal(dialog) != QDialog::Accepted) return attempts > 0;
        lastUser_ = dialog.User();
        lastPassword_ = dialog.Password();
        lastDatabase_ = dialog.Database();
        ++attempts;
        if (Attempt(lastUser_, lastPassword_, lastDatabase_)) return true;
    }
    return true;
}
