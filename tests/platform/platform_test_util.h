// Small helpers of the platform checks, usable on both builds.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "platform/platform.h"

#if !KX_PLATFORM_WINDOWS
#include <unistd.h>
#endif

typedef std::basic_string<WCHAR> WideString;

// ASCII and Latin-1 text to UTF-16, for literals in tables.
inline WideString Wide(const char* text) {
    WideString wide;
    for (; *text != '\0'; ++text) {
        wide += static_cast<WCHAR>(static_cast<unsigned char>(*text));
    }
    return wide;
}

// UTF-16 to printable text: ASCII as is, the rest as \uXXXX.
inline std::string Printable(const WCHAR* text, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] >= 0x20 && text[i] < 0x7F) {
            out += static_cast<char>(text[i]);
        } else {
            char escape[8];
            snprintf(escape, sizeof(escape), "\\u%04X", static_cast<unsigned>(text[i]));
            out += escape;
        }
    }
    return out;
}

inline std::string Printable(const WideString& text) {
    return Printable(text.data(), text.size());
}

// The locale the test runs under, as CTest sets it.
inline std::string TestLocale() {
    const char* value = getenv("LC_ALL");
    return value != nullptr ? value : "";
}

// Poisons the last error, so that "left unchanged" differs from "set".
const DWORD kPoison = 0xdeadbeef;

inline unsigned ProcessId() {
#if KX_PLATFORM_WINDOWS
    return GetCurrentProcessId();
#else
    return static_cast<unsigned>(getpid());
#endif
}

// A file name of this process's own: the tests of several locales run at
// once in one working directory.
inline std::string ScratchName(const char* stem, const char* extension) {
    return std::string(stem) + "_" + std::to_string(ProcessId()) + extension;
}
