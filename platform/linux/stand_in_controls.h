// Controls that the Linux stand-ins offer and the real platform does not:
// they force a platform failure that a test cannot bring about otherwise.
// Linux build only; tests include this under !KX_PLATFORM_WINDOWS.
#pragma once

#include "platform/linux/win_types.h"

extern "C" {

// While set, every GetLocaleInfoW call fails with ERROR_INVALID_PARAMETER,
// as a lookup the platform cannot answer does.
void WINAPI KxStandInFailLocaleInfo(BOOL fail);

}  // extern "C"
