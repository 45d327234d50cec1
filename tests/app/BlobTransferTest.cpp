// Loading files into BLOB cells and saving them out, through the real window.

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>

#include "MainWindowFixture.h"
#include "platform/data/DB.h"
#include "platform/vcl/Application.h"

namespace {

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Binary(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>((static_cast<unsigned>(i) * 7919u) % 256u);
    return b;
}

// Cancels the progress dialog as soon as it shows.
void CancelProgressWhenShown() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* p = qobject_cast<QProgressDialog*>(w); p != nullptr && p->isVisible()) {
                p->cancel();
                timer->deleteLater();
            }
        }
    });
    timer->start(0);
}

class BlobTransferTest : public MainWindowTest {
protected:
    void OpenPeople() {
        Logon();
        OpenWithRows(QStringLiteral("PEOPLE"));
    }
    void LoadViaButton(const std::string& field, const QString& file) {
        Focus(field);
        answers_.push_back(ChooseFile(file));
        // As the grid's button does it: what the click raises goes to the error box.
        GuardedCall([&] { ColumnOf(field)->BlobProperties()->OnButtonClick(ColumnOf(field), 0); });
    }
    void SaveViaAction(const std::string& field, const QString& file) {
        Focus(field);
        answers_.push_back(ChooseFile(file));
        Click(form_->btnSaveToFile);
    }
};

TEST_P(BlobTransferTest, ALoadIntoANewRowPostsItDespiteEmptyRequiredColumns) {
    OpenPeople();
    WriteFile(Path("a.bin"), Binary(100));
    Click(form_->btnAppend);
    LoadViaButton("PHOTO", Path("a.bin"));
    EXPECT_EQ(form_->odsUpdTable->State(), dsEdit);
    EXPECT_TRUE(Enabled(form_->acnSaveToDB));
    EXPECT_TRUE(form_->odsUpdTable->FieldByName("NAME")->Required());
    // The next post demands the missing values again.
    EXPECT_THROW(form_->odsUpdTable->Post(), EDatabaseError);
}

TEST_P(BlobTransferTest, FilesGoRoundTripByteForByteThroughTheDatabase) {
    const std::pair<const char*, QByteArray> files[] = {
        {"empty.bin", QByteArray()}, {"small.bin", Binary(70000)}};
    for (const auto& [name, bytes] : files) {
        WriteFile(Path(name), bytes);
    }
    OpenPeople();
    form_->odsUpdTable->SetRecNo(1);
    LoadViaButton("PHOTO", Path("empty.bin"));
    form_->odsUpdTable->SetRecNo(2);
    LoadViaButton("PHOTO", Path("small.bin"));
    Click(form_->btnSaveToDB);
    EXPECT_EQ(Value("SELECT length(PHOTO) FROM PEOPLE WHERE ID = 2"), "70000");

    // A new session reads them back.
    form_ = NewWindow();
    OpenPeople();
    int row = 1;
    for (const auto& [name, bytes] : files) {
        form_->odsUpdTable->SetRecNo(row++);
        const QString out = Path(name) + QStringLiteral(".out");
        SaveViaAction("PHOTO", out);
        EXPECT_EQ(ReadFile(out), bytes) << name;
    }
}

TEST_P(BlobTransferTest, LoadingIntoAFetchedRowTurnsSaveOnAndCancellingChangesNothing) {
    OpenPeople();
    form_->odsUpdTable->SetRecNo(2);
    Focus("PHOTO");
    ColumnOf("PHOTO")->BlobProperties()->OnButtonClick(ColumnOf("PHOTO"), 0);  // cancelled
    EXPECT_EQ(form_->odsUpdTable->State(), dsBrowse);
    EXPECT_FALSE(Enabled(form_->acnSaveToDB));

    WriteFile(Path("b.bin"), Binary(10));
    LoadViaButton("PHOTO", Path("b.bin"));
    EXPECT_TRUE(Enabled(form_->acnSaveToDB));
}

TEST_P(BlobTransferTest, SavingANullCellSaysSoAndOpensNoDialog) {
    OpenPeople();
    form_->odsUpdTable->SetRecNo(2);
    Focus("PHOTO");
    Click(form_->btnSaveToFile);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, QStringLiteral("BLOBフィールドは NULL です。"));
    EXPECT_EQ(shown_[0].icon, QMessageBox::Question);
}

TEST_P(BlobTransferTest, SavingReplacesAnExistingFileAndACancelledSaveKeepsItWhole) {
    OpenPeople();
    form_->odsUpdTable->SetRecNo(1);
    const QString target = Path("target.bin");
    WriteFile(target, QByteArray("old content that is longer than three bytes"));
    SaveViaAction("PHOTO", target);
    EXPECT_EQ(ReadFile(target), QByteArray::fromHex("00FF10"));

    // A large save shows progress; cancelling it leaves the old file and no stray files.
    form_->LargeTransferBytes = 0;
    WriteFile(target, QByteArray("keep me"));
    CancelProgressWhenShown();
    SaveViaAction("PHOTO", target);
    EXPECT_EQ(ReadFile(target), QByteArray("keep me"));
    QDir folder(dir_.path());
    EXPECT_EQ(folder.entryList({QStringLiteral("target.bin*")}, QDir::Files).size(), 1);
}

TEST_P(BlobTransferTest, ACancelledLargeLoadLeavesTheCellAndTheRecordAsTheyWere) {
    OpenPeople();
    form_->odsUpdTable->SetRecNo(1);
    WriteFile(Path("large.bin"), Binary(3 << 20));
    form_->LargeTransferBytes = 1 << 20;
    CancelProgressWhenShown();
    LoadViaButton("PHOTO", Path("large.bin"));
    EXPECT_EQ(form_->odsUpdTable->FieldByName("PHOTO")->AsString(), std::string("\x00\xFF\x10", 3));
    EXPECT_FALSE(form_->odsUpdTable->UpdatesPending());
}

TEST_P(BlobTransferTest, ACancelledLargeApplyWritesNothingAndKeepsTheCache) {
    OpenPeople();
    form_->odsUpdTable->SetRecNo(1);
    WriteFile(Path("large.bin"), Binary(3 << 20));
    LoadViaButton("PHOTO", Path("large.bin"));
    form_->LargeTransferBytes = 1 << 20;
    CancelProgressWhenShown();
    Click(form_->btnSaveToDB);
    EXPECT_TRUE(Messages().empty());  // a cancel is not an error, and nothing was saved
    EXPECT_TRUE(form_->odsUpdTable->UpdatesPending());

    form_->LargeTransferBytes = std::int64_t{1} << 40;
    Click(form_->btnSaveToDB);
    EXPECT_EQ(Value("SELECT length(PHOTO) FROM PEOPLE WHERE ID = 1"), std::to_string(3 << 20));
}

TEST_P(BlobTransferTest, AFileDroppedOnABlobCellIsLoadedAndElsewhereIgnored) {
    OpenPeople();
    form_->show();
    QApplication::processEvents();
    WriteFile(Path("dropped.bin"), Binary(33));
    TcxGridDBTableView& view = *form_->gtvUpdTable;
    auto drop = [&](const std::string& field) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(Path("dropped.bin"))});
        const QModelIndex cell = view.model()->index(1, ColumnOf(field)->Index());
        const QPoint at = view.visualRect(cell).center();
        QDropEvent event(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // As the desktop delivers it: the drag enters the view, then the file is dropped.
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        QApplication::sendEvent(view.viewport(), &event);
    };
    drop("NAME");
    EXPECT_FALSE(form_->odsUpdTable->UpdatesPending());
    drop("PHOTO");
    EXPECT_EQ(form_->odsUpdTable->RecNo(), 2);
    EXPECT_EQ(form_->odsUpdTable->FieldByName("PHOTO")->AsString().size(), 33u);
    EXPECT_TRUE(form_->odsUpdTable->UpdatesPending());
}

QUILLAN_ON_EVERY_DATABASE(BlobTransferTest);

}  // namespace
