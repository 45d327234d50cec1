#include "platform/vcl/TransferProgress.h"

#include <QApplication>
#include <QProgressDialog>

#include "platform/vcl/AnsiStrings.h"
#include "platform/vcl/SysUtils.h"

namespace {
const char* const kCancelCaption = "キャンセル";
const char* const kProgressText = "%1\n%2\n%3 / %4";
const char* const kCancelled = "ユーザーによって中止されました。";
}  // namespace

TTransferProgress::TTransferProgress(QWidget* parent, QString caption, QString fileName,
                                     std::int64_t largeBytes)
    : parent_(parent),
      caption_(std::move(caption)),
      fileName_(std::move(fileName)),
      largeBytes_(largeBytes) {}

TTransferProgress::~TTransferProgress() = default;

void TTransferProgress::operator()(std::int64_t done, std::int64_t total) {
    if (!dialog_) {
        if (total < largeBytes_) return;
        dialog_ = std::make_unique<QProgressDialog>(parent_);
        dialog_->setWindowTitle(QApplication::applicationDisplayName());
        dialog_->setCancelButtonText(QString::fromUtf8(kCancelCaption));
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setRange(0, 1000);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
    }
    dialog_->setLabelText(QString::fromUtf8(kProgressText)
                              .arg(caption_, fileName_, ByteSizeText(done), ByteSizeText(total)));
    dialog_->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    QApplication::processEvents();
    if (dialog_->wasCanceled()) throw EAbort(QStringToAnsi(QString::fromUtf8(kCancelled)));
}

QString ByteSizeText(std::int64_t bytes) {
    if (bytes < 1024) return QStringLiteral("%1 B").arg(bytes);
    const char* units[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = -1;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QString::fromLatin1(units[unit]));
}
