#include "platform/vcl/AnsiStrings.h"

#include "platform/win32/CodePage.h"

QString AnsiToQString(const std::string& ansi) {
    const std::u16string wide = win32::AnsiToUtf16(ansi);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string QStringToAnsi(const QString& text) {
    return win32::Utf16ToAnsi(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}
