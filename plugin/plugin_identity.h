// What the plug-in reports about itself and stamps into its private devmode.
#pragma once

#include "platform/platform.h"

// The characters "KXPS", first character in the most significant byte.
constexpr DWORD kPluginSignature = 0x4B585053;
constexpr DWORD kPluginVersion = 2;

static_assert(kPluginSignature == ((DWORD('K') << 24) | (DWORD('X') << 16) | (DWORD('P') << 8) | DWORD('S')),
              "signature spells KXPS");
