#include <gtest/gtest.h>

#include <QMessageBox>
#include <QProcess>
#include <stdexcept>

#include "platform/vcl/Application.h"
#include "platform/vcl/ModalSeam.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/CodePage.h"

namespace {

struct ShownBox {
    int count = 0;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton*>::size_type buttons = 0;
};

ScopedModalHook RecordBoxes(ShownBox& shown) {
    return ScopedModalHook([&shown](QDialog& d) {
        auto& box = dynamic_cast<QMessageBox&>(d);
        ++shown.count;
        shown.title = box.windowTitle();
        shown.text = box.text();
        shown.icon = box.icon();
        shown.buttons = box.buttons().size();
        return int(QMessageBox::Ok);
    });
}

TEST(DefaultErrorBox, ShowsTheMessageOfWhatLeftAHandlerCaptionedWithTheTitle) {
    Application().SetTitle(QStringLiteral("テスト アプリ"));
    const win32::ScopedCodePage sjis(win32::CP_SHIFT_JIS);
    const std::string ansiJapanese = win32::Utf8ToAnsi("ファイルを開けません");
    struct Case {
        const char* name;
        std::function<void()> handler;
        int boxes;
        QString text;
    } cases[] = {
        {"maker exception in the ANSI code page", [&] { throw EFOpenError(ansiJapanese); }, 1,
         QStringLiteral("ファイルを開けません")},
        {"standard exception", [] { throw std::runtime_error("disk full"); }, 1, "disk full"},
        {"cancelled on purpose", [] { throw EAbort("x"); }, 0, ""},
        {"something that is no exception", [] { throw 42; }, 1,
         QStringLiteral("不明なエラーが発生しました。")},
        {"a handler that succeeds", [] {}, 0, ""},
    };
    for (const Case& c : cases) {
        ShownBox shown;
        const auto hook = RecordBoxes(shown);
        bool wentOn = false;
        GuardedCall(c.handler);
        wentOn = true;
        EXPECT_TRUE(wentOn);
        EXPECT_EQ(shown.count, c.boxes) << c.name;
        if (c.boxes == 0) continue;
        EXPECT_EQ(shown.text, c.text) << c.name;
        EXPECT_EQ(shown.title, QStringLiteral("テスト アプリ")) << c.name;
        EXPECT_EQ(shown.icon, QMessageBox::Critical) << c.name;
        EXPECT_EQ(shown.buttons, 1) << c.name;
    }
}

TEST(TApplication, TitleIsTheApplicationDisplayName) {
    Application().SetTitle(QStringLiteral("HALDREN クイラン！～ QUILLAN! ～"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(),
              QStringLiteral("HALDREN クイラン！～ QUILLAN! ～"));
    EXPECT_EQ(Application().Title(), QGuiApplication::applicationDisplayName());
}

}  // namespace

namespace {

TEST(QuillanApplication, AnExceptionLeavingAnEventHandlerIsShownAndTheProgramGoesOn) {
    QProcess probe;
    probe.start(ERROR_BOX_PROBE_EXE, {"-platform", "offscreen"});
    ASSERT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), "box:Probe:handler failed");
    EXPECT_EQ(lines.last(), "went on");
}

}  // namespace
