#pragma once
// The boundary between the runtime's byte strings (ANSI code page) and the GUI's QString.

#include <QString>
#include <string>

QString AnsiToQString(const std::string& ansi);
std::string QStringToAnsi(const QString& text);
