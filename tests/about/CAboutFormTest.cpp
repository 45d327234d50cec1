#include <gtest/gtest.h>

#include <QPointer>
#include <QTemporaryFile>

#include "AboutDialogRun.h"
#include "about/CAboutForm.h"
#include "platform/vcl/Application.h"
#include "platform/win32/CodePage.h"
#include "platform/win32/ProgramFile.h"

namespace {

constexpr TVersionFormat kFull{vfMajor, vfMinor, vfRelease, vfBuild};
constexpr TVersionFormat kAll = TVersionFormat::All();

// A file that is no program at all and so has no version information.
std::string FileWithoutVersionInfo() {
    static QTemporaryFile file;
    if (!file.isOpen()) {
        EXPECT_TRUE(file.open());
        file.write("no program here\n");
        file.flush();
    }
    return file.fileName().toStdString();
}

std::string Ansi(const char* utf8) { return win32::Utf8ToAnsi(utf8); }

TEST(BuildVersionString, ShowsThePartsOfTheFileVersionTheFormatAsksFor) {
    const struct {
        TVersionFormat format;
        const char* text;
    } cases[] = {
        {kFull, "3.4.5.67"},
        {kAll, "3.4.5 Build 67"},
        {{vfMajor, vfMinor, vfRelease}, "3.4.5"},
        {{vfMajor, vfMinor}, "3.4"},
        {{vfMajor}, "3"},
        {{vfBuild}, "Build 67"},
        {{vfMajor, vfBuild}, "3.67"},
        {{vfMajor, vfBuild, vfBuildSeparation}, "3 Build 67"},
    };
    const win32::ScopedProgramFileName program(QUILLAN_VERSION_FIXTURE_ALTERNATE);
    for (const auto& c : cases) {
        EXPECT_EQ(BuildVersionString(c.format), c.text) << "format bits " << int(c.format.Bits());
    }
}

TEST(BuildVersionString, RefusesAFileVersionThatIsNotFourDecimalIntegers) {
    const struct {
        std::string file;
        const char* message;
    } cases[] = {
        {FileWithoutVersionInfo(), "'' は整数ではありません"},
        {ABOUT_VERSION_FILE_3_4_x_67, "'x' は整数ではありません"},
        {ABOUT_VERSION_FILE_3_4_5, "'' は整数ではありません"},
        {ABOUT_VERSION_FILE_3_4_5_99999999999, "'99999999999' は整数ではありません"},
        {ABOUT_VERSION_FILE_3_4_5___1, "'+-1' は整数ではありません"},
    };
    for (const auto& c : cases) {
        const win32::ScopedProgramFileName program(c.file);
        try {
            BuildVersionString(kFull);
            ADD_FAILURE() << "no error for " << c.file;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), Ansi(c.message)) << c.file;
        }
    }
}

TEST(TCAboutForm, StartsWithTheHousePresets) {
    const TCAboutForm about(nullptr);
    EXPECT_STREQ(about.ClassName(), "TCAboutForm");
    EXPECT_TRUE(about.Picture().isNull());
    EXPECT_TRUE(about.ProductName().isEmpty() && about.ProductVersion().isEmpty() &&
                about.CompanyName().isEmpty() && about.Copyright().isEmpty());
    EXPECT_FALSE(about.UseVersionInfoFromFile());
    EXPECT_TRUE(about.Appendix().isEmpty());
    EXPECT_TRUE(about.EnableRegSite());
    EXPECT_EQ(about.InquiryURL(), "https://www.haldren.example.com/inquiry/index.html");
    EXPECT_EQ(about.RegisterURL(), "https://www.haldren.example.com/service/register/index.cgi");
    EXPECT_TRUE(about.RegSiteButtonVisible());
    EXPECT_TRUE(about.ContactButtonVisible());
    EXPECT_EQ(about.Width(), 500);
    EXPECT_EQ(about.VersionFormat(), kFull);
}

TEST(TCAboutForm, AssigningAVersionFormatKeepsItsPartsConsistent) {
    // Each current value is itself reached by an assignment from the preset.
    const struct {
        TVersionFormat current, assigned, result;
    } cases[] = {
        {kFull, {vfMinor, vfRelease, vfBuild}, {vfBuild}},
        {kFull, {vfBuildSeparation}, {vfBuild, vfBuildSeparation}},
        {kFull, {vfBuildSeparation, vfMinor}, {vfBuild, vfBuildSeparation}},
        {kFull, {vfMajor, vfRelease, vfBuild}, {vfMajor, vfBuild}},
        {kFull, {vfMajor, vfMinor, vfRelease}, {vfMajor, vfMinor, vfRelease}},
        {kFull, {vfRelease, vfMajor, vfMinor, vfBuild, vfBuildSeparation}, kAll},
        {{vfBuild}, {}, {vfMajor, vfMinor, vfRelease}},
        {{vfBuild}, {vfRelease}, {vfMajor, vfMinor, vfRelease}},
        {kAll, {vfMajor, vfMinor, vfRelease, vfBuildSeparation}, {vfMajor, vfMinor, vfRelease}},
        {{vfMajor}, {vfRelease}, {vfBuild}},
        {{vfMajor, vfMinor}, {vfMajor, vfRelease}, {vfMajor}},
        {{vfMajor, vfMinor}, {vfMajor, vfMinor, vfBuildSeparation}, {vfMajor, vfMinor, vfBuild, vfBuildSeparation}},
    };
    for (const auto& c : cases) {
        TCAboutForm about(nullptr);
        about.SetVersionFormat(c.current);
        ASSERT_EQ(about.VersionFormat().Bits(), c.current.Bits());
        about.SetVersionFormat(c.assigned);
        EXPECT_EQ(about.VersionFormat().Bits(), c.result.Bits())
            << "from " << int(c.current.Bits()) << " assigning " << int(c.assigned.Bits());
    }
}

TEST(TCAboutFormExecute, ReleasesTheDialogOnceItsPendingEventsAreHandled) {
    TCAboutForm about(nullptr);
    ApplyProgramSettings(about);
    QPointer<QDialog> seen;
    int ownedByApplication = -1;
    {
        ScopedModalHook hook([&](QDialog& dialog) {
            seen = &dialog;
            auto& form = dynamic_cast<T_HLDGUICommonAboutForm&>(dialog);
            ownedByApplication = form.Owner() == &Application() ? 1 : 0;
            return int(QDialog::Rejected);
        });
        about.Execute();
    }
    EXPECT_EQ(ownedByApplication, 1);
    ASSERT_FALSE(seen.isNull()) << "released before its pending events were handled";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(seen.isNull());
    for (int i = 0; i < Application().ComponentCount(); ++i) {
        EXPECT_STRNE(Application().Components(i)->ClassName(), "T_HLDGUICommonAboutForm");
    }
}

TEST(TCAboutFormExecute, AnUnreadableProgramVersionLeavesExecuteAndTheDialogIsReleased) {
    const struct {
        std::string file;
        TClass errorClass;
        const char* message;
    } cases[] = {
        {ABOUT_VERSION_FILE_3_4_x_67, EConvertError::StaticClass(), "'x' は整数ではありません"},
        {QUILLAN_VERSION_FIXTURE_NO_TRANSLATION, Exception::StaticClass(), "情報の取得に失敗しました"},
    };
    for (const auto& c : cases) {
        const win32::ScopedProgramFileName program(c.file);
        TCAboutForm about(nullptr);
        about.SetUseVersionInfoFromFile(true);
        QPointer<QDialog> seen;
        ScopedModalHook hook([&](QDialog& dialog) {
            seen = &dialog;
            dialog.show();
            return int(QDialog::Accepted);
        });
        try {
            about.Execute();
            ADD_FAILURE() << "no error for " << c.file;
        } catch (const Exception& e) {
            EXPECT_EQ(e.ClassType(), c.errorClass) << e.ClassName();
            EXPECT_EQ(e.Message(), Ansi(c.message));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(seen.isNull()) << c.file;
    }
}

TEST(TCAboutFormExecute, AnErrorWhileShowingEndsTheDialogsOwnModalRun) {
    // No hook: the dialog runs its own modal loop, which the error must end.
    const win32::ScopedProgramFileName program(FileWithoutVersionInfo());
    TCAboutForm about(nullptr);
    about.SetUseVersionInfoFromFile(true);
    EXPECT_THROW(about.Execute(), EConvertError);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
