#pragma once
// Embedding a version resource in a program file.
//
// On Windows the version resource is linked into the executable from a .res file; here it is a
// zero-terminated text placed in the ELF section ".quillan_version", which GetFileVersionInfoA
// (VersionInfo.h) finds in any file by its section headers. The text is UTF-8: a signature line,
// then one entry per line, "path=value":
//
//   \VarFileInfo\Translation=041103A4 040904B0     translation table: language then code page,
//                                                   four hex digits each, entries separated by blanks
//   \StringFileInfo\041103A4\FileVersion=1.2.0.0    one string value of the table 041103A4
//
// A value cannot contain a line break. Write a resource in exactly one source file of a program:
//
//   WIN32_VERSION_RESOURCE(
//       WIN32_VERSION_TRANSLATION("041103A4")
//       WIN32_VERSION_STRING("041103A4", "FileVersion", "1.2.0.0"))

#define WIN32_VERSION_RESOURCE_SECTION ".quillan_version"
#define WIN32_VERSION_RESOURCE_SIGNATURE "QUILLAN-VERSIONINFO-1"

#define WIN32_VERSION_TRANSLATION(entries) "\\VarFileInfo\\Translation=" entries "\n"
#define WIN32_VERSION_STRING(table, key, value) "\\StringFileInfo\\" table "\\" key "=" value "\n"

// `used` keeps the text in the program although nothing refers to it.
#define WIN32_VERSION_RESOURCE(entries)                                                 \
    [[gnu::section(WIN32_VERSION_RESOURCE_SECTION), gnu::used]] static const char       \
        win32VersionResource[] = WIN32_VERSION_RESOURCE_SIGNATURE "\n" entries
