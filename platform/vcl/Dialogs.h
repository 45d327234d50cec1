#pragma once
// File dialogs and message boxes. Every one runs through ExecModal, so a test can answer it: a
// hook receives a QFileDialog for the file dialogs (choose a file with
// `static_cast<QFileDialog&>(d).selectFile(path)` and return QDialog::Accepted) and a
// QMessageBox for the message boxes.

#include <QString>

#include "platform/vcl/Classes.h"

class QFileDialog;

// The common part of the open and save dialogs. Filter is in the form
// "text|patterns|text|patterns" with patterns separated by ";" ("*.*" means every file).
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;
    const char* ClassName() const noexcept override { return "TOpenDialog"; }

    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }
    QString Filter() const { return filter_; }
    void SetFilter(const QString& filter) { filter_ = filter; }
    int FilterIndex() const noexcept { return filterIndex_; }  // 1-based
    void SetFilterIndex(int index) { filterIndex_ = index; }
    QString InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString& dir) { initialDir_ = dir; }
    QString DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const QString& ext) { defaultExt_ = ext; }

    // The chosen file; kept between runs and offered again at the next one.
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& name) { fileName_ = name; }

    // Runs the dialog modally; true when the user confirmed a file (then FileName holds it).
    // The file need not exist.
    bool Execute();

protected:
    virtual void Prepare(QFileDialog& dialog) const;

private:
    QString title_;
    QString filter_;
    int filterIndex_ = 1;
    QString initialDir_;
    QString defaultExt_;
    QString fileName_;
};

// The save dialog: an existing file is replaced without a question.
class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;
    const char* ClassName() const noexcept override { return "TSaveDialog"; }

protected:
    void Prepare(QFileDialog& dialog) const override;
};

// Qt name filters for a filter text of the form above.
QStringList NameFiltersFromFilter(const QString& filter);

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// A modal message box with the type's icon (the confirmation type has the question mark), the
// application title as caption and the single button OK.
void MessageDlg(const QString& text, TMsgDlgType type);
