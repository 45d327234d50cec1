#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <memory>

#include "AboutDialogRun.h"
#include "about/ProgramIcon.h"
#include "platform/vcl/Forms.h"

namespace {

TEST(AboutDialog, IsLaidOutAsDesigned) {
    const auto form = std::make_unique<T_HLDGUICommonAboutForm>(nullptr);
    EXPECT_EQ(form->ClientWidth(), 500);
    EXPECT_EQ(form->ClientHeight(), 220);
    EXPECT_EQ(form->font().family(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(form->font().pixelSize(), 12);
    EXPECT_TRUE(form->lblProductName->font().bold());
    EXPECT_FALSE(form->lblCompanyName->font().bold());

    const struct {
        QWidget* control;
        QPoint at;
        QSize size;  // empty: sized to its text
        TAnchors anchors;
        const char* caption;
    } cases[] = {
        {form->imgAppIcon, {12, 12}, {48, 48}, akLeft | akTop, nullptr},
        {form->lblProductName, {72, 12}, {}, akLeft | akTop, nullptr},
        {form->lblProductVersion, {72, 32}, {}, akLeft | akTop, nullptr},
        {form->lblCompanyName, {72, 52}, {}, akLeft | akTop, nullptr},
        {form->lblCopyright, {72, 72}, {}, akLeft | akTop, nullptr},
        {form->memAppendix, {12, 108}, {475, 99}, akLeft | akTop | akRight | akBottom, nullptr},
        {form->btnClose, {340, 8}, {147, 25}, akTop | akRight, "閉じる(&C)"},
        {form->btnJumpToUserRegSite, {340, 40}, {147, 25}, akTop | akRight, "ユーザー登録ページへ(&R)"},
        {form->btnContactSite, {340, 72}, {147, 25}, akTop | akRight, "お問い合せフォームへ(&T)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control->objectName().toStdString());
        EXPECT_EQ(c.control->pos(), c.at);
        if (!c.size.isEmpty()) {
            EXPECT_EQ(c.control->size(), c.size);
        }
        EXPECT_EQ(Anchors(c.control), c.anchors);
        if (c.caption != nullptr) {
            EXPECT_EQ(static_cast<QPushButton*>(c.control)->text(), QString::fromUtf8(c.caption));
        }
    }
    EXPECT_EQ(form->imgAppIcon->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(form->memAppendix->isReadOnly());
    EXPECT_EQ(form->memAppendix->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(form->btnClose->property("Cancel").toBool());

    // Tab order: the appendix box first but never reached by Tab, then the three buttons.
    const QList<QWidget*> ordered = {form->memAppendix, form->btnClose, form->btnJumpToUserRegSite,
                                     form->btnContactSite};
    QList<QWidget*> chain;
    for (QWidget* w = form->nextInFocusChain(); w != form.get(); w = w->nextInFocusChain()) {
        if (ordered.contains(w)) chain << w;
    }
    EXPECT_EQ(chain, ordered);
    EXPECT_FALSE(form->memAppendix->focusPolicy() & Qt::TabFocus);
}

TEST(AboutDialog, ShowingFitsTheLayoutToTheSettings) {
    const struct {
        const char* name;
        QStringList appendix;
        bool picture;
        bool regSiteVisible, contactVisible;
        int width;
        // what the shown dialog looks like
        int clientHeight;
        QString memoText;  // null: the memo is hidden
        int labelLeft;
        int contactTop;  // -1: the inquiry button is hidden
        int buttonLeft;
    } cases[] = {
        {"program's settings", {}, true, true, true, 500, 107, {}, 72, 72, 340},
        {"blank appendix", {" ", "\t", "", "\r"}, true, true, true, 500, 107, {}, 72, 72, 340},
        {"two appendix lines", {"  a", "b \t"}, true, true, true, 500, 220, "a\nb", 72, 72, 340},
        {"full-width blank appendix", {"　"}, true, true, true, 500, 220, "　", 72, 72, 340},
        {"no picture", {}, false, true, true, 500, 107, {}, 12, 72, 340},
        {"registration hidden", {}, true, false, true, 500, 107, {}, 72, 40, 340},
        {"both web buttons hidden", {}, true, false, false, 500, 107, {}, 72, -1, 340},
        {"inquiry hidden", {}, true, true, false, 500, 107, {}, 72, -1, 340},
        {"wider", {"x"}, true, true, true, 600, 220, "x", 72, 72, 440},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TCAboutForm about(nullptr);
        ApplyProgramSettings(about);
        about.SetAppendix(c.appendix);
        if (c.picture) about.SetPicture(ProgramIcon());
        about.SetRegSiteButtonVisible(c.regSiteVisible);
        about.SetContactButtonVisible(c.contactVisible);
        about.SetWidth(c.width);
        ExecuteAndInspect(about, [&](T_HLDGUICommonAboutForm& form) {
            EXPECT_EQ(form.ClientWidth(), c.width);
            EXPECT_EQ(form.ClientHeight(), c.clientHeight);
            EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the user cannot resize it";
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            EXPECT_EQ(form.pos(), QPoint((screen.width() - form.width()) / 2,
                                         (screen.height() - form.height()) / 2));

            EXPECT_EQ(form.memAppendix->isVisible(), !c.memoText.isNull());
            if (!c.memoText.isNull()) {
                EXPECT_EQ(form.memAppendix->toPlainText(), c.memoText);
                EXPECT_EQ(form.memAppendix->width(), c.width - 25);
            }
            EXPECT_EQ(form.imgAppIcon->isVisible(), c.picture);
            for (QLabel* label : {form.lblProductName, form.lblProductVersion,
                                  form.lblCompanyName, form.lblCopyright}) {
                EXPECT_EQ(label->x(), c.labelLeft) << label->objectName().toStdString();
            }
            EXPECT_TRUE(form.btnClose->isVisible());
            EXPECT_EQ(form.btnJumpToUserRegSite->isVisible(), c.regSiteVisible);
            EXPECT_EQ(form.btnContactSite->isVisible(), c.contactTop >= 0);
            if (c.contactTop >= 0) {
                EXPECT_EQ(form.btnContactSite->y(), c.contactTop);
            }
            for (QPushButton* b : {form.btnClose, form.btnJumpToUserRegSite, form.btnContactSite}) {
                EXPECT_EQ(b->x(), c.buttonLeft) << b->objectName().toStdString();
            }
        });
    }
}

TEST(AboutDialog, RegistrationButtonWorksOnlyWithAPageAndPermission) {
    const struct {
        const char* registerURL;
        bool enableRegSite;
        bool enabled;
    } cases[] = {
        {"https://www.haldren.example.com/service/register/index.cgi", true, true},
        {"https://www.haldren.example.com/service/register/index.cgi", false, false},
        {"", true, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        TCAboutForm about(nullptr);
        about.SetRegisterURL(QString::fromUtf8(c.registerURL));
        about.SetEnableRegSite(c.enableRegSite);
        ExecuteAndInspect(about, [&](T_HLDGUICommonAboutForm& form) {
            EXPECT_EQ(form.btnJumpToUserRegSite->isEnabled(), c.enabled)
                << "'" << c.registerURL << "' " << c.enableRegSite;
        });
    }
}

TEST(AboutDialog, WebButtonsOpenTheirPagesAndLeaveTheDialogOpen) {
    TCAboutForm about(nullptr);
    about.SetInquiryURL(QStringLiteral("https://www.haldren.example.com/inquiry/index.html"));
    about.SetRegisterURL(QStringLiteral("https://www.haldren.example.com/service/register/index.cgi"));
    QStringList opened;
    ExecuteAndInspect(about, [&](T_HLDGUICommonAboutForm& form) {
        form.SetUrlOpener([&](const QString& url) { opened << url; });
        QTest::mouseClick(form.btnJumpToUserRegSite, Qt::LeftButton);
        QTest::mouseClick(form.btnContactSite, Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());
    });
    EXPECT_EQ(opened, QStringList({about.RegisterURL(), about.InquiryURL()}));
}

TEST(AboutDialog, CloseButtonAndEscCloseIt) {
    const std::function<void(T_HLDGUICommonAboutForm&)> closers[] = {
        [](T_HLDGUICommonAboutForm& form) { QTest::mouseClick(form.btnClose, Qt::LeftButton); },
        [](T_HLDGUICommonAboutForm& form) { QTest::keyClick(&form, Qt::Key_Escape); },
    };
    for (const auto& close : closers) {
        TCAboutForm about(nullptr);
        bool closed = false;
        ExecuteAndInspect(about, [&](T_HLDGUICommonAboutForm& form) {
            close(form);
            closed = !form.isVisible();
        });
        EXPECT_TRUE(closed);
    }
}

}  // namespace
