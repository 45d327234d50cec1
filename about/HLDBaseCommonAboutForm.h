#pragma once
// The about dialog's base form: its controls, the two web-page buttons, the optional appendix
// text and the layout adjustments made when the dialog shows.

#include <QIcon>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "about/CAboutForm.h"
#include "platform/vcl/Forms.h"
#include "runtime/HLDFunctions.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
namespace Ui {
class T_HLDBaseCommonAboutForm;
}

class T_HLDBaseCommonAboutForm : public TForm {
    Q_OBJECT
public:
    explicit T_HLDBaseCommonAboutForm(TComponent* AOwner);
    ~T_HLDBaseCommonAboutForm() override;
    const char* ClassName() const noexcept override { return "T_HLDBaseCommonAboutForm"; }

    // Shows the dialog modally. An error raised by the show handler closes the dialog and leaves
    // here once the modal run is over, so that it never travels through Qt's event dispatch.
    int ShowModal();

    // Settings, filled by the about component before the dialog shows.
    const QString& InquiryURL() const noexcept { return inquiryURL_; }
    void SetInquiryURL(const QString& value) { inquiryURL_ = value; }
    const QString& RegisterURL() const noexcept { return registerURL_; }
    void SetRegisterURL(const QString& value) { registerURL_ = value; }
    bool EnableRegSite() const noexcept { return enableRegSite_; }
    // Also enables or disables the registration button at once when a registration page is set.
    void SetEnableRegSite(bool value);
    bool RegSiteButtonVisible() const noexcept { return regSiteButtonVisible_; }
    void SetRegSiteButtonVisible(bool value) { regSiteButtonVisible_ = value; }
    bool ContactButtonVisible() const noexcept { return contactButtonVisible_; }
    void SetContactButtonVisible(bool value) { contactButtonVisible_ = value; }
    int DialogWidth() const noexcept { return dialogWidth_; }
    void SetDialogWidth(int value) { dialogWidth_ = value; }
    TVersionFormat VersionFormat() const noexcept { return versionFormat_; }
    void SetVersionFormat(TVersionFormat value) { versionFormat_ = value; }

    // Adds `text`, trimmed of leading and trailing blanks and control characters, to the appendix
    // box as one more line (which may itself hold line breaks).
    void SetAppendix(const QString& text);

    // The picture of the image at the top left; a null icon leaves the image empty.
    const QIcon& AppIconPicture() const noexcept { return appIconPicture_; }
    void SetAppIconPicture(const QIcon& value);

    // Opens a web page in the desktop's default browser. Whether a page opened is not reported:
    // the dialog stays open either way.
    void OpenURL(const QString& URL);
    // Replaces the way OpenURL reaches the browser (tests record the address instead).
    void SetUrlOpener(std::function<void(const QString& url)> opener) { urlOpener_ = std::move(opener); }

    // A value of the version information of the running program's file.
    std::string GetExeVersionInfo(TCVersionInfoKey Key) const;

    // Controls, owned by the form through Qt parenting.
    QLabel* imgAppIcon = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblProductVersion = nullptr;
    QLabel* lblCompanyName = nullptr;
    QLabel* lblCopyright = nullptr;
    QPlainTextEdit* memAppendix = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnJumpToUserRegSite = nullptr;
    QPushButton* btnContactSite = nullptr;

protected:
    // The form's show handler; a derived form fills its labels and then runs this one.
    virtual void FormShow(TComponent* Sender);
    void btnCloseClick(TComponent* Sender);
    void btnJumpToUserRegSiteClick(TComponent* Sender);
    void btnContactSiteClick(TComponent* Sender);

    // Sets a label's caption; labels size themselves to their text.
    static void SetLabelCaption(QLabel* label, const QString& caption);

private:
    void RunShowHandler();

    std::unique_ptr<Ui::T_HLDBaseCommonAboutForm> ui_;
    QString inquiryURL_;
    QString registerURL_;
    // Until the about component hands its settings over, they are its presets.
    bool enableRegSite_ = true;
    bool regSiteButtonVisible_ = true;
    bool contactButtonVisible_ = true;
    int dialogWidth_ = 500;
    TVersionFormat versionFormat_{vfMajor, vfMinor, vfRelease, vfBuild};
    QIcon appIconPicture_;
    std::function<void(const QString&)> urlOpener_;
    std::exception_ptr showError_;
};
