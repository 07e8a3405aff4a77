// Text conversions shared by the host's programs: UTF-8 for reports,
// UTF-16 for the platform, and the C runtime's narrow encoding that
// command-line arguments and CRT paths arrive in.
#pragma once

#include <string>

#include "platform/platform.h"

// Invalid input (a stray byte, an unpaired surrogate) becomes U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);
// Appends printf-style formatted text to out.
void AppendFormat(std::string* out, const char* format, ...);

std::string Utf16ToUtf8(const WCHAR* text);  // zero-terminated; null gives ""
std::string Utf16ToUtf8(const std::u16string& text);

// Bytes read in a code page (CP_ACP, CP_UTF8, 1252, ...); "" when the code
// page cannot read them.
std::u16string BytesToUtf16(const std::string& bytes, UINT codePage);

// The narrow encoding of arguments and CRT paths: the ANSI code page on
// Windows, UTF-8 on Linux.
std::u16string ArgumentToUtf16(const std::string& argument);
std::string Utf16ToArgument(const std::u16string& text);

// The platform's view of a UTF-16 string (WCHAR is wchar_t on Windows).
inline LPCWSTR AsWide(const std::u16string& text) {
    return reinterpret_cast<LPCWSTR>(text.c_str());
}
inline LPWSTR AsWide(std::u16string* text) {
    return reinterpret_cast<LPWSTR>(&(*text)[0]);
}
