#pragma once
// The about-box component: holds the product information a form gives it and shows the about
// dialog with it. Also the version-format set and the version text built from the program file.

#include <QIcon>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/vcl/Classes.h"

// Which parts of the file version the version text shows.
enum TVersionFormatEnum : std::uint8_t {
    vfMajor,
    vfMinor,
    vfRelease,
    vfBuild,
    vfBuildSeparation,  // "Build n" after a blank instead of ".n"
};

// A set of TVersionFormatEnum in one byte: bit 0 is vfMajor ... bit 4 vfBuildSeparation.
class TVersionFormat {
public:
    constexpr TVersionFormat() = default;
    constexpr TVersionFormat(std::initializer_list<TVersionFormatEnum> elements) {
        for (TVersionFormatEnum e : elements) Include(e);
    }
    static constexpr TVersionFormat FromBits(std::uint8_t bits) {
        TVersionFormat f;
        f.bits_ = static_cast<std::uint8_t>(bits & kAll);
        return f;
    }

    constexpr std::uint8_t Bits() const noexcept { return bits_; }
    constexpr bool Contains(TVersionFormatEnum e) const noexcept { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const noexcept { return bits_ == 0; }
    constexpr TVersionFormat& Include(TVersionFormatEnum e) noexcept {
        bits_ = static_cast<std::uint8_t>(bits_ | Bit(e));
        return *this;
    }
    constexpr TVersionFormat& Exclude(TVersionFormatEnum e) noexcept {
        bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(e));
        return *this;
    }
    friend constexpr bool operator==(TVersionFormat a, TVersionFormat b) noexcept {
        return a.bits_ == b.bits_;
    }

    // Every element: major, minor, release, build and the build separation.
    static constexpr TVersionFormat All() { return FromBits(kAll); }

private:
    static constexpr std::uint8_t kAll = 0x1F;
    static constexpr std::uint8_t Bit(TVersionFormatEnum e) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(e));
    }
    std::uint8_t bits_ = 0;
};

// What assigning `value` to a version format that holds `current` yields: clearing the major part
// leaves only the build part, clearing the minor part also clears the release part, clearing the
// build part also clears the separation; a part always brings the parts before it, and the result
// is never empty.
TVersionFormat AdjustVersionFormat(TVersionFormat current, TVersionFormat value);

// The "FileVersion" of the running program's file ("major.minor.release.build") as `Format` asks.
// Raises EConvertError when a part is not a decimal integer (also for a file without version
// information, whose version is empty).
std::string BuildVersionString(TVersionFormat Format);

// The about-box component. Every use of Execute creates a new dialog and releases it afterwards;
// the component keeps no reference to it.
class TCAboutForm : public TComponent {
public:
    explicit TCAboutForm(TComponent* AOwner);
    ~TCAboutForm() override;
    const char* ClassName() const noexcept override { return "TCAboutForm"; }

    // Shows the about dialog modally and returns when it is closed. An error raised while the
    // dialog shows (an unreadable version of the program file) leaves here; the dialog is released
    // in every case.
    void Execute();

    // Icon or image at the top left of the dialog. The component keeps its own copy.
    const QIcon& Picture() const noexcept { return picture_; }
    void SetPicture(const QIcon& value) { picture_ = value; }

    const QString& ProductName() const noexcept { return productName_; }
    void SetProductName(const QString& value) { productName_ = value; }
    const QString& ProductVersion() const noexcept { return productVersion_; }
    void SetProductVersion(const QString& value) { productVersion_ = value; }
    const QString& CompanyName() const noexcept { return companyName_; }
    void SetCompanyName(const QString& value) { companyName_ = value; }
    const QString& Copyright() const noexcept { return copyright_; }
    void SetCopyright(const QString& value) { copyright_ = value; }

    // Take name, company, copyright, icon and version from the program file instead.
    bool UseVersionInfoFromFile() const noexcept { return useVersionInfoFromFile_; }
    void SetUseVersionInfoFromFile(bool value) { useVersionInfoFromFile_ = value; }

    // Free text below the labels, one entry per line. The component keeps its own copy.
    const QStringList& Appendix() const noexcept { return appendix_; }
    void SetAppendix(const QStringList& value) { appendix_ = value; }

    bool EnableRegSite() const noexcept { return enableRegSite_; }
    void SetEnableRegSite(bool value) { enableRegSite_ = value; }
    const QString& InquiryURL() const noexcept { return inquiryURL_; }
    void SetInquiryURL(const QString& value) { inquiryURL_ = value; }
    const QString& RegisterURL() const noexcept { return registerURL_; }
    void SetRegisterURL(const QString& value) { registerURL_ = value; }
    bool RegSiteButtonVisible() const noexcept { return regSiteButtonVisible_; }
    void SetRegSiteButtonVisible(bool value) { regSiteButtonVisible_ = value; }
    bool ContactButtonVisible() const noexcept { return contactButtonVisible_; }
    void SetContactButtonVisible(bool value) { contactButtonVisible_ = value; }

    // Client width of the dialog in pixels.
    std::int32_t Width() const noexcept { return width_; }
    void SetWidth(std::int32_t value) { width_ = value; }

    // Used only with UseVersionInfoFromFile; see AdjustVersionFormat for what an assignment keeps.
    TVersionFormat VersionFormat() const noexcept { return versionFormat_; }
    void SetVersionFormat(TVersionFormat value);

private:
    QIcon picture_;
    QString productName_;
    QString productVersion_;
    QString companyName_;
    QString copyright_;
    bool useVersionInfoFromFile_ = false;
    QStringList appendix_;
    bool enableRegSite_ = true;
    QString inquiryURL_;
    QString registerURL_;
    bool regSiteButtonVisible_ = true;
    bool contactButtonVisible_ = true;
    std::int32_t width_ = 500;
    TVersionFormat versionFormat_{vfMajor, vfMinor, vfRelease, vfBuild};
};
