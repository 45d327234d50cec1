#pragma once
// The version resource of the QUILLAN program file. Include this header in the program's entry
// source only (one copy per program): it places the resource in the executable, where the about
// box reads it through CGetVersionInfo.

#include "platform/win32/VersionResource.h"

WIN32_VERSION_RESOURCE(
    WIN32_VERSION_TRANSLATION("041103A4")
    WIN32_VERSION_STRING("041103A4", "CompanyName", "株式会社HALDREN")
    WIN32_VERSION_STRING("041103A4", "FileDescription",
                         "Oracle 限定 BLOB も登録できるDBメンテナンスツール")
    WIN32_VERSION_STRING("041103A4", "FileVersion", "1.2.0.0")
    WIN32_VERSION_STRING("041103A4", "InternalName", "")
    WIN32_VERSION_STRING("041103A4", "LegalCopyright", "Copyright (C) 2012-2026 HALDREN Co., Ltd.")
    WIN32_VERSION_STRING("041103A4", "LegalTrademarks", "")
    WIN32_VERSION_STRING("041103A4", "OriginalFilename", "")
    WIN32_VERSION_STRING("041103A4", "ProductName", "HALDREN クイラン！～ QUILLAN! ～")
    WIN32_VERSION_STRING("041103A4", "ProductVersion", "1.0.0.0")
    WIN32_VERSION_STRING("041103A4", "Comments", ""));
