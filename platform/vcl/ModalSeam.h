#pragma once
// The one place where the program waits for a person: every modal dialog (message boxes, file
// dialogs, the logon dialog, the about box) is run through ExecModal. Tests install a hook that
// answers the real dialog object instead (fill its fields, press a button, return a result);
// without a hook the dialog runs its own modal loop.

#include <QDialog>
#include <functional>

// Receives the fully prepared dialog and returns its result (QDialog::Accepted / Rejected, or a
// button code for message boxes). The dialog is not shown unless the hook shows it.
using ModalHook = std::function<int(QDialog& dialog)>;

int ExecModal(QDialog& dialog);

// Installs a hook for the lifetime of this object and restores the previous one afterwards.
class ScopedModalHook {
public:
    explicit ScopedModalHook(ModalHook hook);
    ~ScopedModalHook();
    ScopedModalHook(const ScopedModalHook&) = delete;
    ScopedModalHook& operator=(const ScopedModalHook&) = delete;

private:
    ModalHook previous_;
};
