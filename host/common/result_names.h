// A platform result code as its platform name, where it has one.
#pragma once

#include <string>

#include "platform/platform.h"

// "S_OK", "E_FAIL", ...; other codes as 0xXXXXXXXX.
std::string ResultName(HRESULT result);
