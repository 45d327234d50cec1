#include "platform/vcl/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "platform/vcl/Application.h"
#include "platform/vcl/ModalSeam.h"

QStringList NameFiltersFromFilter(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            const QString t = p.trimmed();
            patterns << ((t == "*.*") ? QStringLiteral("*") : t);
        }
        // The patterns Qt filters by go last in parentheses; the dialog hides that group and
        // shows the text as written.
        result << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return result;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::Prepare(QFileDialog& dialog) const {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
}

void TSaveDialog::Prepare(QFileDialog& dialog) const {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
}

bool TOpenDialog::Execute() {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("FileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    Prepare(dialog);
    if (!title_.isEmpty()) dialog.setWindowTitle(title_);
    const QStringList filters = NameFiltersFromFilter(filter_);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(filterIndex_ - 1, filters.first()));
    }
    if (!defaultExt_.isEmpty()) dialog.setDefaultSuffix(defaultExt_);
    if (!initialDir_.isEmpty()) dialog.setDirectory(initialDir_);
    if (!fileName_.isEmpty()) dialog.selectFile(fileName_);

    if (ExecModal(dialog) != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    fileName_ = chosen.first();
    if (!filters.isEmpty()) filterIndex_ = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

void MessageDlg(const QString& text, TMsgDlgType type) {
    const QMessageBox::Icon icon = type == TMsgDlgType::mtWarning     ? QMessageBox::Warning
                                   : type == TMsgDlgType::mtError     ? QMessageBox::Critical
                                   : type == TMsgDlgType::mtInformation ? QMessageBox::Information
                                                                        : QMessageBox::Question;
    QMessageBox box(icon, Application().Title(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName("MessageBox");
    ExecModal(box);
}
