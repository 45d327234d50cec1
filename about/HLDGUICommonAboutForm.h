#pragma once
// The about dialog as the about component shows it: caption and labels come from the settings it
// was given or from the version information of the running program's file.

#include <QString>
#include <memory>

#include "about/HLDBaseCommonAboutForm.h"

namespace Ui {
class T_HLDGUICommonAboutForm;
}

class T_HLDGUICommonAboutForm : public T_HLDBaseCommonAboutForm {
    Q_OBJECT
public:
    explicit T_HLDGUICommonAboutForm(TComponent* AOwner);
    ~T_HLDGUICommonAboutForm() override;
    const char* ClassName() const noexcept override { return "T_HLDGUICommonAboutForm"; }

    bool UseVersionInfoFromFile() const noexcept { return useVersionInfoFromFile_; }
    void SetUseVersionInfoFromFile(bool value) { useVersionInfoFromFile_ = value; }
    const QString& ProductName() const noexcept { return productName_; }
    void SetProductName(const QString& value) { productName_ = value; }
    const QString& ProductVersion() const noexcept { return productVersion_; }
    void SetProductVersion(const QString& value) { productVersion_ = value; }
    const QString& CompanyName() const noexcept { return companyName_; }
    void SetCompanyName(const QString& value) { companyName_ = value; }
    const QString& Copyright() const noexcept { return copyright_; }
    void SetCopyright(const QString& value) { copyright_ = value; }

    // The version line: built from the program file's version, or the ProductVersion setting as
    // it is.
    QString GetVersionText() const;

protected:
    void FormShow(TComponent* Sender) override;

private:
    std::unique_ptr<Ui::T_HLDGUICommonAboutForm> ui_;
    bool useVersionInfoFromFile_ = false;
    QString productName_;
    QString productVersion_;
    QString companyName_;
    QString copyright_;
};
