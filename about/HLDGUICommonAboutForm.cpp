#include "about/HLDGUICommonAboutForm.h"

#include <QApplication>
#include <QLabel>

#include "platform/vcl/AnsiStrings.h"
#include "ui_HLDGUICommonAboutForm.h"

namespace {
const QString kCaptionSuffix = QStringLiteral(" のバージョン情報");
}  // namespace

T_HLDGUICommonAboutForm::T_HLDGUICommonAboutForm(TComponent* AOwner)
    : T_HLDBaseCommonAboutForm(AOwner), ui_(std::make_unique<Ui::T_HLDGUICommonAboutForm>()) {
    ui_->setupUi(this);
    setObjectName(QStringLiteral("_HLDGUICommonAboutForm"));
    SetName("_HLDGUICommonAboutForm");
}

T_HLDGUICommonAboutForm::~T_HLDGUICommonAboutForm() = default;

QString T_HLDGUICommonAboutForm::GetVersionText() const {
    if (useVersionInfoFromFile_) return AnsiToQString(BuildVersionString(VersionFormat()));
    return productVersion_;
}

void T_HLDGUICommonAboutForm::FormShow(TComponent* Sender) {
    if (useVersionInfoFromFile_) {
        // Each value is read from the file anew.
        setWindowTitle(AnsiToQString(GetExeVersionInfo(vikProductName)) + kCaptionSuffix);
        SetAppIconPicture(QApplication::windowIcon());
        SetLabelCaption(lblProductName, AnsiToQString(GetExeVersionInfo(vikProductName)));
        SetLabelCaption(lblCompanyName, AnsiToQString(GetExeVersionInfo(vikCompanyName)));
        SetLabelCaption(lblCopyright, AnsiToQString(GetExeVersionInfo(vikLegalCopyright)));
    } else {
        setWindowTitle(productName_ + kCaptionSuffix);
        SetLabelCaption(lblProductName, productName_);
        SetLabelCaption(lblCompanyName, companyName_);
        SetLabelCaption(lblCopyright, copyright_);
    }
    SetLabelCaption(lblProductVersion, GetVersionText());
    T_HLDBaseCommonAboutForm::FormShow(Sender);
}
