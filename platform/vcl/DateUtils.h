#pragma once
// Date and time formatting with the user's regional separators.

#include <string>

#include "platform/win32/LocalTime.h"

// The separators of the user's regional settings: the date separator stands for "/" and the time
// separator for ":" in a format pattern. Where the settings give none, "/" and ":".
struct TFormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    static TFormatSettings FromLocale();
};

// Formats `time` with a pattern of yyyy, yy, mm, dd, hh, nn, ss, "/" and ":"; an "mm" right after
// an "hh" (with only separators between) is the minute. Other characters are copied.
std::string FormatDateTime(const std::string& pattern, const win32::SYSTEMTIME& time,
                           const TFormatSettings& settings = TFormatSettings::FromLocale());

// The local date and time now.
win32::SYSTEMTIME Now();
