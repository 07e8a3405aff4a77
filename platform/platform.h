// The one header that knows which build it is in.
//
// On Windows it pulls in the real platform headers. On Linux it pulls in the
// stand-ins of platform/linux, which declare the same names with the same
// x64 layouts and are implemented by the kxplatform shared library.
// Everything outside platform/ includes this header and nothing else of the
// platform's.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif

#ifdef _WIN32
// windows.h first: the platform headers after it build on its types.
#include <windows.h>

#include <compstui.h>
#include <objbase.h>
#include <winspool.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <wchar.h>

#define KX_PLATFORM_WINDOWS 1
#define KX_PATH_SEPARATOR '\\'
// The spooler holds the printers that other processes added.
#define KX_SHARED_SPOOLER 1
// Command-line arguments arrive in the ANSI code page.
#define KX_ARGV_CODEPAGE CP_ACP
// Standard output writes the bytes it is given, with no CR added before LF.
inline void KxSetBinaryStdout() {
    _setmode(_fileno(stdout), _O_BINARY);
}
#else
// In dependency order: types, COM, records, then the functions over them.
// clang-format off
#include "platform/linux/win_types.h"
#include "platform/linux/win_com.h"
#include "platform/linux/win_records.h"
#include "platform/linux/win_api.h"
// clang-format on
#define KX_PLATFORM_WINDOWS 0
#define KX_PATH_SEPARATOR '/'
// The stand-in spooler lives and dies with its process.
#define KX_SHARED_SPOOLER 0
#define KX_ARGV_CODEPAGE CP_UTF8
inline void KxSetBinaryStdout() {}
#endif

// Both builds keep WCHAR at 16 bits; TEXT("...") is a UTF-16 literal on both.
static_assert(sizeof(WCHAR) == 2, "WCHAR must be 16-bit");
