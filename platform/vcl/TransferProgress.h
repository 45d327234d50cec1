#pragma once
// Progress of a long file transfer: a dialog with the file name, the bytes done and a Cancel
// button, shown only when the transfer is large. Cancel makes the next report throw EAbort, so the
// transfer stops and whatever it was writing is left as it was.

#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>

class QProgressDialog;
class QWidget;

class TTransferProgress {
public:
    // `caption` says what happens ("読み込み中" ...); `fileName` is shown as it is.
    TTransferProgress(QWidget* parent, QString caption, QString fileName,
                      std::int64_t largeBytes);
    ~TTransferProgress();
    TTransferProgress(const TTransferProgress&) = delete;
    TTransferProgress& operator=(const TTransferProgress&) = delete;

    // Reports `done` of `total` bytes; throws EAbort when the user cancelled.
    void operator()(std::int64_t done, std::int64_t total);

    // The dialog while it is shown (for tests), else nullptr.
    QProgressDialog* Dialog() const { return dialog_.get(); }

private:
    QWidget* parent_;
    QString caption_;
    QString fileName_;
    std::int64_t largeBytes_;
    std::unique_ptr<QProgressDialog> dialog_;
};

// Bytes as people read them: "512 B", "12.3 KB", "4.0 MB", "1.2 GB".
QString ByteSizeText(std::int64_t bytes);
