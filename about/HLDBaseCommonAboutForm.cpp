#include "about/HLDBaseCommonAboutForm.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "platform/win32/ProgramFile.h"
#include "ui_HLDBaseCommonAboutForm.h"

namespace {

// Removes leading and trailing blanks and control characters (code 0 to 32), nothing else: a
// full-width blank is text here.
QString TrimControls(const QString& s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin).unicode() <= 32) ++begin;
    while (end > begin && s.at(end - 1).unicode() <= 32) --end;
    return s.mid(begin, end - begin);
}

// The size an icon is drawn at: its own size where it has one (the largest that fits the image),
// otherwise the standard icon size.
QSize NaturalSize(const QIcon& icon, QSize box) {
    QSize best;
    for (const QSize& s : icon.availableSizes()) {
        if (s.width() <= box.width() && s.height() <= box.height() && s.width() > best.width()) {
            best = s;
        }
    }
    return best.isValid() ? best : QSize(32, 32);
}

}  // namespace

T_HLDBaseCommonAboutForm::T_HLDBaseCommonAboutForm(TComponent* AOwner)
    : TForm(AOwner), ui_(std::make_unique<Ui::T_HLDBaseCommonAboutForm>()) {
    ui_->setupUi(this);
    setObjectName(QStringLiteral("_HLDBaseCommonAboutForm"));
    SetName("_HLDBaseCommonAboutForm");
    imgAppIcon = ui_->imgAppIcon;
    lblProductName = ui_->lblProductName;
    lblProductVersion = ui_->lblProductVersion;
    lblCompanyName = ui_->lblCompanyName;
    lblCopyright = ui_->lblCopyright;
    memAppendix = ui_->memAppendix;
    btnClose = ui_->btnClose;
    btnJumpToUserRegSite = ui_->btnJumpToUserRegSite;
    btnContactSite = ui_->btnContactSite;

    // The dialog's font is given in pixels, which form files cannot store.
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    QFont bold = font;
    bold.setBold(true);
    lblProductName->setFont(bold);
    for (QLabel* label : {lblProductName, lblProductVersion, lblCompanyName, lblCopyright}) {
        label->adjustSize();
    }

    // The appendix box is part of the dialog's face, not an input field.
    QPalette memoPalette = memAppendix->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    memAppendix->setPalette(memoPalette);

    SetAnchors(memAppendix, akLeft | akTop | akRight | akBottom);
    for (QPushButton* button : {btnClose, btnJumpToUserRegSite, btnContactSite}) {
        SetAnchors(button, akTop | akRight);
    }

    urlOpener_ = [](const QString& url) {
        // No browser or no desktop session: the dialog simply stays as it is.
        (void)QDesktopServices::openUrl(QUrl(url));
    };

    OnShow = [this](TComponent*) { RunShowHandler(); };
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(this); });
    connect(btnJumpToUserRegSite, &QPushButton::clicked, this,
            [this] { btnJumpToUserRegSiteClick(this); });
    connect(btnContactSite, &QPushButton::clicked, this, [this] { btnContactSiteClick(this); });
}

T_HLDBaseCommonAboutForm::~T_HLDBaseCommonAboutForm() = default;

int T_HLDBaseCommonAboutForm::ShowModal() {
    showError_ = nullptr;
    const int result = TForm::ShowModal();
    if (showError_) std::rethrow_exception(std::exchange(showError_, nullptr));
    return result;
}

void T_HLDBaseCommonAboutForm::RunShowHandler() {
    try {
        FormShow(this);
    } catch (...) {
        // Keep the error for ShowModal and end the modal run; queued, because the modal loop may
        // not have started yet while the dialog is being shown.
        showError_ = std::current_exception();
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    }
}

void T_HLDBaseCommonAboutForm::SetEnableRegSite(bool value) {
    enableRegSite_ = value;
    if (!registerURL_.isEmpty()) btnJumpToUserRegSite->setEnabled(value);
}

void T_HLDBaseCommonAboutForm::SetAppendix(const QString& text) {
    memAppendix->appendPlainText(TrimControls(text));
}

void T_HLDBaseCommonAboutForm::SetAppIconPicture(const QIcon& value) {
    appIconPicture_ = value;
    imgAppIcon->setPixmap(value.isNull() ? QPixmap()
                                         : value.pixmap(NaturalSize(value, imgAppIcon->size())));
}

void T_HLDBaseCommonAboutForm::OpenURL(const QString& URL) {
    if (urlOpener_) urlOpener_(URL);
}

std::string T_HLDBaseCommonAboutForm::GetExeVersionInfo(TCVersionInfoKey Key) const {
    return CGetVersionInfo(win32::GetProgramFileName(), Key);
}

void T_HLDBaseCommonAboutForm::SetLabelCaption(QLabel* label, const QString& caption) {
    label->setText(caption);
    label->adjustSize();
}

void T_HLDBaseCommonAboutForm::FormShow(TComponent* /*Sender*/) {
    btnJumpToUserRegSite->setEnabled(!registerURL_.isEmpty() && enableRegSite_);

    if (TrimControls(memAppendix->toPlainText()).isEmpty()) {
        SetClientHeight(memAppendix->y() - 1);
        memAppendix->hide();
    }

    if (appIconPicture_.isNull()) {
        imgAppIcon->hide();
        for (QLabel* label : {lblProductName, lblProductVersion, lblCompanyName, lblCopyright}) {
            label->move(12, label->y());
        }
    }

    btnJumpToUserRegSite->setVisible(regSiteButtonVisible_);
    btnContactSite->setVisible(contactButtonVisible_);
    // No gap where the registration button would be.
    if (btnJumpToUserRegSite->isHidden() && !btnContactSite->isHidden()) {
        btnContactSite->move(btnContactSite->x(), btnJumpToUserRegSite->y());
    }

    SetClientWidth(dialogWidth_);

    // A dialog border: the user does not resize it. Centred on the screen in its final size.
    setFixedSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void T_HLDBaseCommonAboutForm::btnCloseClick(TComponent* /*Sender*/) { Close(); }

void T_HLDBaseCommonAboutForm::btnJumpToUserRegSiteClick(TComponent* /*Sender*/) {
    OpenURL(registerURL_);
}

void T_HLDBaseCommonAboutForm::btnContactSiteClick(TComponent* /*Sender*/) { OpenURL(inquiryURL_); }
