#include "platform/vcl/DateUtils.h"

#include <QLocale>
#include <cctype>
#include <cstdio>

namespace {

// The first punctuation character of a locale's short format, or `fallback`.
char SeparatorIn(const QString& format, char fallback) {
    for (QChar c : format) {
        if (c.isPunct() && c != QLatin1Char('\'')) return static_cast<char>(c.toLatin1());
    }
    return fallback;
}

std::string Digits(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

bool StartsWith(const std::string& s, size_t at, const char* token) {
    return s.compare(at, std::char_traits<char>::length(token), token) == 0;
}

}  // namespace

TFormatSettings TFormatSettings::FromLocale() {
    const QLocale locale = QLocale::system();
    TFormatSettings s;
    s.DateSeparator = SeparatorIn(locale.dateFormat(QLocale::ShortFormat), '/');
    s.TimeSeparator = SeparatorIn(locale.timeFormat(QLocale::ShortFormat), ':');
    return s;
}

std::string FormatDateTime(const std::string& pattern, const win32::SYSTEMTIME& t,
                           const TFormatSettings& settings) {
    std::string out;
    bool afterHour = false;  // an "mm" now means minutes
    for (size_t i = 0; i < pattern.size();) {
        auto lower = [&](size_t at) { return static_cast<char>(std::tolower(pattern[at])); };
        std::string token;
        for (size_t j = i; j < pattern.size() && j < i + 4; ++j) token += lower(j);
        if (StartsWith(token, 0, "yyyy")) {
            out += Digits(t.wYear, 4), i += 4, afterHour = false;
        } else if (StartsWith(token, 0, "yy")) {
            out += Digits(t.wYear % 100, 2), i += 2, afterHour = false;
        } else if (StartsWith(token, 0, "mm")) {
            out += Digits(afterHour ? t.wMinute : t.wMonth, 2), i += 2, afterHour = false;
        } else if (StartsWith(token, 0, "dd")) {
            out += Digits(t.wDay, 2), i += 2, afterHour = false;
        } else if (StartsWith(token, 0, "hh")) {
            out += Digits(t.wHour, 2), i += 2, afterHour = true;
        } else if (StartsWith(token, 0, "nn")) {
            out += Digits(t.wMinute, 2), i += 2, afterHour = false;
        } else if (StartsWith(token, 0, "ss")) {
            out += Digits(t.wSecond, 2), i += 2, afterHour = false;
        } else if (pattern[i] == '/') {
            out += settings.DateSeparator, ++i;
        } else if (pattern[i] == ':') {
            out += settings.TimeSeparator, ++i;
        } else {
            if (pattern[i] != ' ') afterHour = false;
            out += pattern[i], ++i;
        }
    }
    return out;
}

win32::SYSTEMTIME Now() {
    win32::SYSTEMTIME t{};
    win32::GetLocalTime(&t);
    return t;
}
