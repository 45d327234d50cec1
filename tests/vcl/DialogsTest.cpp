#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>

#include "platform/vcl/Application.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ModalSeam.h"

namespace {

TEST(TOpenDialog, AHookChoosesTheFileAndTheNameIsOfferedAgainNextTime) {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.png");  // need not exist
    TOpenDialog dlg(nullptr);
    dlg.SetTitle(QStringLiteral("ファイルを開く"));
    dlg.SetFilter(QStringLiteral("すべてのファイル (*.*)|*.*"));
    {
        ScopedModalHook hook([&](QDialog& d) {
            auto& fd = static_cast<QFileDialog&>(d);
            EXPECT_EQ(fd.windowTitle(), QStringLiteral("ファイルを開く"));
            EXPECT_EQ(fd.acceptMode(), QFileDialog::AcceptOpen);
            EXPECT_EQ(fd.fileMode(), QFileDialog::AnyFile);
            fd.selectFile(path);
            return int(QDialog::Accepted);
        });
        ASSERT_TRUE(dlg.Execute());
    }
    EXPECT_EQ(dlg.FileName(), path);
    {
        QStringList offered;
        ScopedModalHook hook([&](QDialog& d) {
            offered = static_cast<QFileDialog&>(d).selectedFiles();
            return int(QDialog::Rejected);
        });
        EXPECT_FALSE(dlg.Execute());
        EXPECT_EQ(offered, QStringList{path});
    }
    EXPECT_EQ(dlg.FileName(), path) << "a cancelled run keeps the last file";
}

TEST(TSaveDialog, ReplacesAnExistingFileWithoutAsking) {
    TSaveDialog dlg(nullptr);
    ScopedModalHook hook([&](QDialog& d) {
        auto& fd = static_cast<QFileDialog&>(d);
        EXPECT_EQ(fd.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(fd.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_TRUE(fd.nameFilters().isEmpty() || fd.nameFilters() == QStringList{"All Files (*)"});
        fd.selectFile("/tmp/out.bin");
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), "/tmp/out.bin");
}

TEST(FileDialogFilter, EveryTextGetsItsPatternsAndStarDotStarMeansEveryFile) {
    struct Case {
        QString filter;
        QStringList expected;
    } cases[] = {
        {"", {}},
        {QStringLiteral("すべてのファイル (*.*)|*.*"), {QStringLiteral("すべてのファイル (*.*) (*)")}},
        {"Images|*.png;*.jpg|Text|*.txt", {"Images (*.png *.jpg)", "Text (*.txt)"}},
    };
    for (const Case& c : cases) EXPECT_EQ(NameFiltersFromFilter(c.filter), c.expected) << c.filter.toStdString();
}

TEST(MessageDlg, EachTypeHasItsIconOneOkButtonAndTheTitle) {
    Application().SetTitle("Title");
    struct Case {
        TMsgDlgType type;
        QMessageBox::Icon icon;
    } cases[] = {{TMsgDlgType::mtInformation, QMessageBox::Information},
                 {TMsgDlgType::mtConfirmation, QMessageBox::Question},
                 {TMsgDlgType::mtWarning, QMessageBox::Warning},
                 {TMsgDlgType::mtError, QMessageBox::Critical}};
    for (const Case& c : cases) {
        int shown = 0;
        ScopedModalHook hook([&](QDialog& d) {
            auto& box = dynamic_cast<QMessageBox&>(d);
            EXPECT_EQ(box.icon(), c.icon);
            EXPECT_EQ(box.text(), QStringLiteral("DBに保存しました。"));
            EXPECT_EQ(box.windowTitle(), "Title");
            EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
            ++shown;
            return int(QMessageBox::Ok);
        });
        MessageDlg(QStringLiteral("DBに保存しました。"), c.type);
        EXPECT_EQ(shown, 1);
    }
}

}  // namespace
