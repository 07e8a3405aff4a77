// kxpsui-host: runs the real plug-in binary through the calls the driver's UI
// core makes and reports what it does.
#include <stdio.h>
#include <string.h>

#include <string>

#include "host/plugin_binary.h"

namespace {

constexpr DWORD kPrivateBlockBytes = 176;

void Usage(FILE* out) {
    fputs("usage: kxpsui-host [--plugin PATH]\n", out);
}

int CountryCode() {
    WCHAR country[16] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, country, 16) == 0) {
        return -1;
    }
    return _wtoi(country);
}

void PrintBlock(const BYTE* block, DWORD size) {
    for (DWORD row = 0; row < size; row += 16) {
        printf("    %03u:", static_cast<unsigned>(row));
        for (DWORD i = row; i < row + 16 && i < size; ++i) {
            printf(" %02x", block[i]);
        }
        printf("\n");
    }
}

// Asks for the defaults with the given public paper and reports the swap.
void ReportPaperAdjustment(IPrintOemUI2* plugin, short paper, const char* paperName) {
    DEVMODEW publicDevmode;
    memset(&publicDevmode, 0, sizeof(publicDevmode));
    publicDevmode.dmSize = sizeof(publicDevmode);
    publicDevmode.dmPaperSize = paper;
    const std::u16string form = Utf8ToUtf16(paperName);
    lstrcpynW(publicDevmode.dmFormName, reinterpret_cast<LPCWSTR>(form.c_str()), CCHFORMNAME);
    BYTE block[kPrivateBlockBytes];
    OEMDMPARAM param;
    memset(&param, 0, sizeof(param));
    param.cbSize = sizeof(param);
    param.pPublicDMIn = &publicDevmode;
    param.pOEMDMOut = block;
    param.cbBufSize = sizeof(block);
    const HRESULT result = plugin->DevMode(OEMDM_DEFAULT, &param);
    printf("  %-6s (paper %2d) -> paper %2d \"%s\"  [%s]\n", paperName, paper, publicDevmode.dmPaperSize,
           Utf16ToUtf8(publicDevmode.dmFormName).c_str(), ResultName(result).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    KxSetBinaryStdout();
    std::string pluginPath = KX_PLUGIN_FILE_NAME;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--plugin") == 0 && i + 1 < argc) {
            pluginPath = argv[++i];
        } else if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            Usage(stdout);
            return 0;
        } else {
            fprintf(stderr, "kxpsui-host: unknown argument: %s\n", argv[i]);
            Usage(stderr);
            return 2;
        }
    }

    PluginBinary binary;
    std::string error;
    if (!LoadPluginBinary(Utf8ToUtf16(pluginPath), &binary, &error)) {
        fprintf(stderr, "kxpsui-host: %s\n", error.c_str());
        return 2;
    }
    IPrintOemUI2* plugin = CreatePluginObject(binary, &error);
    if (plugin == nullptr) {
        fprintf(stderr, "kxpsui-host: %s\n", error.c_str());
        return 2;
    }

    printf("kxpsui-host: plug-in %s\n", pluginPath.c_str());
    printf("Environment: ANSI code page %u, country %d, UI language %u\n", GetACP(), CountryCode(),
           static_cast<unsigned>(GetUserDefaultUILanguage()));

    DWORD signature = 0;
    DWORD version = 0;
    DWORD needed = 0;
    const HRESULT signatureResult = plugin->GetInfo(OEMGI_GETSIGNATURE, &signature, sizeof(signature), &needed);
    const HRESULT versionResult = plugin->GetInfo(OEMGI_GETVERSION, &version, sizeof(version), &needed);
    const char signatureText[5] = {static_cast<char>(signature >> 24), static_cast<char>(signature >> 16),
                                   static_cast<char>(signature >> 8), static_cast<char>(signature), 0};
    printf("Plug-in: signature 0x%08X \"%s\" [%s], version %u [%s]\n", static_cast<unsigned>(signature),
           signatureText, ResultName(signatureResult).c_str(), static_cast<unsigned>(version),
           ResultName(versionResult).c_str());

    OEMDMPARAM sizeParam;
    memset(&sizeParam, 0, sizeof(sizeParam));
    sizeParam.cbSize = sizeof(sizeParam);
    const HRESULT sizeResult = plugin->DevMode(OEMDM_SIZE, &sizeParam);
    printf("Private devmode: %u bytes [%s]\n", static_cast<unsigned>(sizeParam.cbBufSize),
           ResultName(sizeResult).c_str());
    if (SUCCEEDED(sizeResult) && sizeParam.cbBufSize == kPrivateBlockBytes) {
        BYTE block[kPrivateBlockBytes];
        memset(block, 0, sizeof(block));
        OEMDMPARAM param;
        memset(&param, 0, sizeof(param));
        param.cbSize = sizeof(param);
        param.pOEMDMOut = block;
        param.cbBufSize = sizeof(block);
        const HRESULT result = plugin->DevMode(OEMDM_DEFAULT, &param);
        printf("  defaults [%s]:\n", ResultName(result).c_str());
        PrintBlock(block, sizeof(block));
    }
    printf("Paper adjustment for country %d:\n", CountryCode());
    ReportPaperAdjustment(plugin, DMPAPER_A4, "A4");
    ReportPaperAdjustment(plugin, DMPAPER_LETTER, "Letter");
    ReportPaperAdjustment(plugin, DMPAPER_LEGAL, "Legal");

    BYTE profile[64];
    memset(profile, 0, sizeof(profile));
    ULONG profileSize = sizeof(profile);
    FLONG profileFlags = 0;
    const HRESULT profileResult = plugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE,
                                                            profile, &profileSize, &profileFlags);
    WCHAR profileName[33] = {};
    memcpy(profileName, profile, sizeof(profileName) - sizeof(WCHAR));
    printf("Colour profile: \"%s\" (%u bytes, flags %u%s) [%s]\n", Utf16ToUtf8(profileName).c_str(),
           static_cast<unsigned>(profileSize), static_cast<unsigned>(profileFlags),
           profileFlags == QCP_PROFILEDISK ? ": a file on disk" : "", ResultName(profileResult).c_str());

    const ULONG left = plugin->Release();
    const HRESULT unload = binary.canUnloadNow();
    printf("Unload check: last Release -> %u, DllCanUnloadNow -> %s\n", static_cast<unsigned>(left),
           ResultName(unload).c_str());
    return unload == S_OK ? 0 : 1;
}
