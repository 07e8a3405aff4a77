// The plug-in's private block inside the device mode: a stored format the
// host persists, so its layout never changes.
#pragma once

#include "plugin/oem_abi.h"

#pragma pack(push, 4)
struct PrivateDevmode {
    OEM_DMEXTRAHEADER header;  // dwSize 176, dwSignature "KXPS", dwVersion 2
    DWORD dwPrivate1;          // 1 by default
    DWORD dwPrivate2;          // 0
    DWORD dwPrivate3;          // 0
    DWORD dwPrivate4;          // 0
    BYTE abPrivate1[64];       // zeros
    BYTE abPrivate2[64];       // zeros
    BYTE abPrivate3[16];       // zeros
    DWORD dwPrivate5;          // 0
};
#pragma pack(pop)

constexpr DWORD kPrivateDevmodeSize = 176;

static_assert(sizeof(PrivateDevmode) == kPrivateDevmodeSize, "the private devmode is 176 bytes");
static_assert(offsetof(PrivateDevmode, dwPrivate1) == 12 && offsetof(PrivateDevmode, abPrivate1) == 28 &&
                  offsetof(PrivateDevmode, abPrivate2) == 92 && offsetof(PrivateDevmode, abPrivate3) == 156 &&
                  offsetof(PrivateDevmode, dwPrivate5) == 172,
              "private devmode field offsets");

// OEMDM_DEFAULT: writes the default block into pOEMDMOut and swaps the public
// paper between A4 and Letter to suit the user's country.
void SetPrivateDevmodeDefaults(POEMDMPARAM pOemDMParam);

// OEMDM_CONVERT and OEMDM_MERGE: carries a block of the same signature over,
// else falls back to the defaults.
void ConvertPrivateDevmode(POEMDMPARAM pOemDMParam);
