#include "platform/vcl/Application.h"

#include <QMessageBox>

#include "platform/vcl/AnsiStrings.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ModalSeam.h"
#include "platform/vcl/SysUtils.h"

namespace {

std::unique_ptr<TApplication>& Instance() {
    static std::unique_ptr<TApplication> app;
    return app;
}

// Forms are widgets: they must go while the QApplication still exists.
void DestroyApplication() { Instance().reset(); }

}  // namespace

TApplication& Application() {
    auto& app = Instance();
    if (!app) {
        app = std::make_unique<TApplication>();
        if (QCoreApplication::instance() != nullptr) qAddPostRoutine(&DestroyApplication);
    }
    return *app;
}

TApplication::TApplication() : TComponent(nullptr) { SetName("Application"); }

TApplication::~TApplication() = default;

void TApplication::Initialize() {
    if (QCoreApplication::instance() == nullptr) {
        throw EInvalidOperation("アプリケーションオブジェクトがありません");
    }
}

QString TApplication::Title() const { return QGuiApplication::applicationDisplayName(); }

void TApplication::SetTitle(const QString& title) {
    QGuiApplication::setApplicationDisplayName(title);
}

void TApplication::AdoptForm(TForm* form) {
    if (mainForm_ != nullptr) return;
    mainForm_ = form;
    // Closing the main form (its close operation, Esc or the close box) ends the message loop.
    QObject::connect(form, &QDialog::finished, qApp, [] { QCoreApplication::quit(); });
    QObject::connect(form, &QObject::destroyed, qApp, [this] { mainForm_ = nullptr; });
}

void TApplication::Run() {
    if (mainForm_ == nullptr) return;
    mainForm_->show();
    QApplication::exec();
}

void TApplication::HandleException(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        // Cancelled on purpose: nothing to tell.
    } catch (const Exception& e) {
        ShowException(e);
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowException(Exception(QStringToAnsi(QStringLiteral("不明なエラーが発生しました。"))));
    }
}

void TApplication::ShowException(const std::exception& error) {
    QString text;
    if (const auto* e = dynamic_cast<const Exception*>(&error)) {
        text = AnsiToQString(e->Message());
    } else {
        text = QString::fromLocal8Bit(error.what());
    }
    QMessageBox box(QMessageBox::Critical, Title(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName("ErrorBox");
    try {
        ExecModal(box);
    } catch (const std::exception& failure) {
        // An error box that fails cannot be reported by another error box: say it on stderr.
        qCritical("%s / %s", qUtf8Printable(text), failure.what());
    }
}

QuillanApplication::QuillanApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QuillanApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Application().HandleException(std::current_exception());
        return false;
    }
}
