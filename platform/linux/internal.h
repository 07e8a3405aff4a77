// Shared helpers of the Linux stand-ins; not part of the platform surface.
#pragma once

#include <string>

#include "platform/linux/win_types.h"

namespace kxplat {

// The locale the process runs under, read from the environment once.
struct LocaleEntry {
    const char* name;      // "en-US"
    const char* language;  // English name of the language
    LCID lcid;
    UINT ansiCodePage;
    UINT country;  // telephone country code, as LOCALE_ICOUNTRY
};

// The locale that LC_CTYPE selects (decides the ANSI code page).
const LocaleEntry& SystemLocale();
// The locale that LC_MESSAGES selects (user locale, country, UI language).
const LocaleEntry& UserLocale();

// Code page tables, generated from glibc's mappings (codepage_gen).
struct KxCodeMapping {
    uint16_t unicode;
    uint16_t bytes;  // lead byte in the high half for double-byte characters
};
extern const uint16_t kCp1252ToUnicode[256];
extern const uint16_t kCp932SingleToUnicode[256];
extern const uint16_t kCp932IsLeadByte[256];
extern const uint16_t kCp932DoubleToUnicode[65536];  // 0: no character
// Round-trip mappings, sorted by Unicode.
extern const KxCodeMapping kCp1252FromUnicode[];
extern const unsigned kCp1252FromUnicodeCount;
extern const KxCodeMapping kCp932FromUnicode[];
extern const unsigned kCp932FromUnicodeCount;

// UTF-16 <-> UTF-8 for file names and symbol names; unpaired surrogates
// and invalid bytes become U+FFFD.
std::string Utf16ToUtf8(const WCHAR* text);
std::basic_string<WCHAR> Utf8ToUtf16(const std::string& text);

// The platform's error code for a failed C library call's errno; notFound
// is the one a missing name gives (ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND, depending on the call).
DWORD ErrorFromErrno(int error, DWORD notFound);

}  // namespace kxplat
