#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include "AboutDialogRun.h"
#include "about/ProgramIcon.h"
#include "platform/win32/ProgramFile.h"

namespace {

struct Texts {
    QString caption, productName, version, company, copyright;
};

Texts ShownTexts(TCAboutForm& about, bool* imageShown = nullptr) {
    Texts t;
    ExecuteAndInspect(about, [&](T_HLDGUICommonAboutForm& form) {
        t = {form.windowTitle(), form.lblProductName->text(), form.lblProductVersion->text(),
             form.lblCompanyName->text(), form.lblCopyright->text()};
        if (imageShown != nullptr) *imageShown = form.imgAppIcon->isVisible();
    });
    return t;
}

// Restores the application's icon afterwards.
class ScopedWindowIcon {
public:
    explicit ScopedWindowIcon(const QIcon& icon) : previous_(QApplication::windowIcon()) {
        QApplication::setWindowIcon(icon);
    }
    ~ScopedWindowIcon() { QApplication::setWindowIcon(previous_); }

private:
    QIcon previous_;
};

TEST(AboutDialogTexts, ComeFromTheSettingsWithoutReadingTheProgramFile) {
    // Reading this file's version information would raise.
    const win32::ScopedProgramFileName program(QUILLAN_VERSION_FIXTURE_NO_TRANSLATION);
    TCAboutForm about(nullptr);
    ApplyProgramSettings(about);
    about.SetVersionFormat({vfBuild});
    const Texts t = ShownTexts(about);
    EXPECT_EQ(t.caption, "HALDREN クイラン！～ QUILLAN! ～ のバージョン情報");
    EXPECT_EQ(t.productName, "HALDREN クイラン！～ QUILLAN! ～");
    EXPECT_EQ(t.version, "1.2.0.0");
    EXPECT_EQ(t.company, "株式会社HALDREN");
    EXPECT_EQ(t.copyright, "Copyright (C) 2012-2026 HALDREN Co., Ltd.");
}

TEST(AboutDialogTexts, ComeFromTheProgramFilesVersionInformationWhenAsked) {
    const ScopedWindowIcon icon(ProgramIcon());
    const struct {
        const char* file;
        TVersionFormat format;
        Texts texts;
    } cases[] = {
        {QUILLAN_VERSION_FIXTURE_ALTERNATE,
         {vfMajor, vfBuild, vfBuildSeparation},
         {"　試験プログラム　 のバージョン情報", "　試験プログラム　", "3 Build 67", "株式会社テスト",
          "Copyright (C) テスト"}},
        {QUILLAN_PROGRAM_FILE,
         {vfMajor, vfMinor, vfRelease, vfBuild},
         {"HALDREN クイラン！～ QUILLAN! ～ のバージョン情報", "HALDREN クイラン！～ QUILLAN! ～",
          "1.2.0.0", "株式会社HALDREN", "Copyright (C) 2012-2026 HALDREN Co., Ltd."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const win32::ScopedProgramFileName program(c.file);
        TCAboutForm about(nullptr);
        about.SetUseVersionInfoFromFile(true);
        about.SetVersionFormat(c.format);
        // Settings that the file's values replace; no picture, yet the application's icon shows.
        ApplyProgramSettings(about);
        about.SetProductName(QStringLiteral("設定の名前"));
        about.SetProductVersion(QStringLiteral("9.9"));
        bool imageShown = false;
        const Texts t = ShownTexts(about, &imageShown);
        EXPECT_EQ(t.caption, c.texts.caption);
        EXPECT_EQ(t.productName, c.texts.productName);
        EXPECT_EQ(t.version, c.texts.version);
        EXPECT_EQ(t.company, c.texts.company);
        EXPECT_EQ(t.copyright, c.texts.copyright);
        EXPECT_TRUE(imageShown);
    }
}

TEST(ProgramIcon, IsA32By32PictureWithTransparency) {
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), QList<QSize>({QSize(32, 32)}));
    EXPECT_TRUE(icon.pixmap(32, 32).hasAlphaChannel());
}

}  // namespace
