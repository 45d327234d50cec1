#include "about/CAboutForm.h"

#include <QObject>
#include <charconv>
#include <memory>

#include "about/HLDGUICommonAboutForm.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/CodePage.h"
#include "platform/win32/ProgramFile.h"
#include "runtime/HLDFunctions.h"

namespace {

// The maker's web pages; the host is a placeholder of ours.
const QString kDefaultInquiryURL = QStringLiteral("https://www.haldren.example.com/inquiry/index.html");
const QString kDefaultRegisterURL =
    QStringLiteral("https://www.haldren.example.com/service/register/index.cgi");

// A decimal integer with an optional sign and nothing else, in the range of a 32-bit integer.
std::int32_t StrToInt(const std::string& text) {
    const char* first = text.data();
    const char* const last = text.data() + text.size();
    const bool plus = first != last && *first == '+';
    if (plus) ++first;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value, 10);
    // from_chars takes a minus sign itself; after a plus sign only digits may follow.
    if (first == last || (plus && *first == '-') || error != std::errc() || end != last) {
        throw EConvertError("'" + text + "'" + win32::Utf8ToAnsi(" は整数ではありません"));
    }
    return value;
}

// Releases a dialog once its pending events are handled, as a closing modal dialog must be.
struct ReleaseLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

}  // namespace

TVersionFormat AdjustVersionFormat(TVersionFormat current, TVersionFormat value) {
    TVersionFormat result = value;
    if (current.Contains(vfMajor) && !value.Contains(vfMajor)) {
        result.Exclude(vfMinor).Exclude(vfRelease).Include(vfBuild);
    } else if (current.Contains(vfMinor) && !value.Contains(vfMinor)) {
        result.Exclude(vfRelease);
    } else if (current.Contains(vfBuild) && !value.Contains(vfBuild)) {
        result.Exclude(vfBuildSeparation);
        if (result.Empty()) result.Include(vfRelease);
    }
    if (result.Contains(vfBuildSeparation)) result.Include(vfBuild);
    if (result.Contains(vfRelease)) result.Include(vfMinor);
    if (result.Contains(vfMinor)) result.Include(vfMajor);
    if (result.Empty()) result = TVersionFormat::All();
    return result;
}

std::string BuildVersionString(TVersionFormat Format) {
    std::string rest = CGetVersionInfo(win32::GetProgramFileName(), vikFileVersion);
    std::int32_t parts[4] = {};
    for (int i = 0; i < 3; ++i) {
        // A missing "." leaves nothing before it to convert, which the conversion refuses.
        const std::string::size_type dot = rest.find('.');
        parts[i] = StrToInt(dot == std::string::npos ? std::string() : rest.substr(0, dot));
        rest.erase(0, dot + 1);
    }
    parts[3] = StrToInt(rest);
    const auto [major, minor, release, build] = parts;

    std::string result;
    if (Format.Contains(vfMajor)) result = std::to_string(major);
    if (Format.Contains(vfMinor)) result += "." + std::to_string(minor);
    if (Format.Contains(vfRelease)) result += "." + std::to_string(release);
    if (Format.Contains(vfBuild)) {
        if (Format.Contains(vfBuildSeparation) || CIsBlank(result)) {
            if (!CIsBlank(result)) result += " ";
            result += "Build " + std::to_string(build);
        } else {
            result += "." + std::to_string(build);
        }
    }
    return result;
}

TCAboutForm::TCAboutForm(TComponent* AOwner)
    : TComponent(AOwner), inquiryURL_(kDefaultInquiryURL), registerURL_(kDefaultRegisterURL) {}

TCAboutForm::~TCAboutForm() = default;

void TCAboutForm::SetVersionFormat(TVersionFormat value) {
    versionFormat_ = AdjustVersionFormat(versionFormat_, value);
}

void TCAboutForm::Execute() {
    // Owned by the application object; released here in every case, also when showing raised.
    const std::unique_ptr<T_HLDGUICommonAboutForm, ReleaseLater> dialog(
        new T_HLDGUICommonAboutForm(&Application()));
    dialog->SetUseVersionInfoFromFile(useVersionInfoFromFile_);
    dialog->SetInquiryURL(inquiryURL_);
    dialog->SetRegisterURL(registerURL_);
    dialog->SetAppIconPicture(picture_);
    dialog->SetEnableRegSite(enableRegSite_);
    dialog->SetAppendix(appendix_.join(QLatin1Char('\n')));
    dialog->SetRegSiteButtonVisible(regSiteButtonVisible_);
    dialog->SetContactButtonVisible(contactButtonVisible_);
    dialog->SetDialogWidth(width_);
    dialog->SetVersionFormat(versionFormat_);
    if (!useVersionInfoFromFile_) {
        dialog->SetProductName(productName_);
        dialog->SetProductVersion(productVersion_);
        dialog->SetCompanyName(companyName_);
        dialog->SetCopyright(copyright_);
    }
    dialog->ShowModal();
}
