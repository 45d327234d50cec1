#pragma once
// The application object: title, main form, message loop, and the default error box that shows
// every exception leaving an event handler.

#include <QApplication>
#include <exception>
#include <memory>
#include <utility>

#include "platform/vcl/Classes.h"

class TForm;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;
    const char* ClassName() const noexcept override { return "TApplication"; }

    void Initialize();

    // Captions the task bar button and the error boxes.
    QString Title() const;
    void SetTitle(const QString& title);

    // Creates a form owned by the application; the first form created becomes the main form.
    template <class TF>
    TF* CreateForm() {
        auto* form = new TF(this);  // owned by the application (component ownership)
        AdoptForm(form);
        return form;
    }
    TForm* MainForm() const noexcept { return mainForm_; }

    // Shows the main form and runs the message loop until it closes.
    void Run();

    // The default error box: an error icon, one OK button, the title as caption, the exception's
    // message as text. EAbort is shown by nobody. The program goes on afterwards.
    void HandleException(const std::exception_ptr& error);
    void ShowException(const std::exception& error);

private:
    void AdoptForm(TForm* form);
    TForm* mainForm_ = nullptr;
};

// The one application object; it lives until the QApplication shuts down.
TApplication& Application();

// Runs an event handler; an exception leaving it goes to the default error box.
template <class F>
void GuardedCall(F&& handler) noexcept {
    try {
        std::forward<F>(handler)();
    } catch (...) {
        Application().HandleException(std::current_exception());
    }
}

// The QApplication the program runs: exceptions leaving any Qt event handler are shown by the
// default error box instead of escaping into Qt's event loop.
class QuillanApplication : public QApplication {
    Q_OBJECT
public:
    QuillanApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
