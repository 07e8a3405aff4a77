#include "devmode/private_devmode.h"

#include <string.h>

#include "plugin/plugin_identity.h"

namespace {

constexpr int kCountryBufferUnits = 16;

// Countries whose users expect Letter paper; everyone else gets A4.
bool CountryUsesLetter(int country) {
    return country == 1 || country == 2;
}

void AdjustPaperForCountry(DEVMODEW* publicDevmode) {
    if (publicDevmode == nullptr) {
        return;
    }
    WCHAR country[kCountryBufferUnits] = {};
    // A failed lookup leaves nothing to read, so the paper stays as it is.
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, country, kCountryBufferUnits) == 0) {
        return;
    }
    if (CountryUsesLetter(_wtoi(country))) {
        if (publicDevmode->dmPaperSize == DMPAPER_A4) {
            publicDevmode->dmPaperSize = DMPAPER_LETTER;
            lstrcpynW(publicDevmode->dmFormName, TEXT("Letter"), CCHFORMNAME);
        }
    } else if (publicDevmode->dmPaperSize == DMPAPER_LETTER) {
        publicDevmode->dmPaperSize = DMPAPER_A4;
        lstrcpynW(publicDevmode->dmFormName, TEXT("A4"), CCHFORMNAME);
    }
}

}  // namespace

void SetPrivateDevmodeDefaults(POEMDMPARAM pOemDMParam) {
    if (pOemDMParam->pOEMDMOut != nullptr) {
        PrivateDevmode defaults;
        memset(&defaults, 0, sizeof(defaults));
        defaults.header.dwSize = kPrivateDevmodeSize;
        defaults.header.dwSignature = kPluginSignature;
        defaults.header.dwVersion = kPluginVersion;
        defaults.dwPrivate1 = 1;
        memcpy(pOemDMParam->pOEMDMOut, &defaults, sizeof(defaults));
    }
    AdjustPaperForCountry(pOemDMParam->pPublicDMIn);
}

void ConvertPrivateDevmode(POEMDMPARAM pOemDMParam) {
    if (pOemDMParam->pOEMDMIn == nullptr || pOemDMParam->pOEMDMOut == nullptr) {
        return;
    }
    // Either header may come from anywhere; read them by copy, never trust
    // their sizes beyond the block this plug-in defines.
    OEM_DMEXTRAHEADER in;
    OEM_DMEXTRAHEADER out;
    memcpy(&in, pOemDMParam->pOEMDMIn, sizeof(in));
    memcpy(&out, pOemDMParam->pOEMDMOut, sizeof(out));
    if (in.dwSignature != out.dwSignature) {
        SetPrivateDevmodeDefaults(pOemDMParam);
        return;
    }
    DWORD copySize = in.dwSize < out.dwSize ? in.dwSize : out.dwSize;
    if (copySize > kPrivateDevmodeSize) {
        copySize = kPrivateDevmodeSize;
    }
    memmove(pOemDMParam->pOEMDMOut, pOemDMParam->pOEMDMIn, copySize);
    // The host places the block after a public devmode of any size: no
    // alignment is promised, so the header is written bytewise.
    auto* outBytes = static_cast<BYTE*>(pOemDMParam->pOEMDMOut);
    const DWORD size = kPrivateDevmodeSize;
    const DWORD version = kPluginVersion;
    memcpy(outBytes + offsetof(OEM_DMEXTRAHEADER, dwSize), &size, sizeof(size));
    memcpy(outBytes + offsetof(OEM_DMEXTRAHEADER, dwVersion), &version, sizeof(version));
}
