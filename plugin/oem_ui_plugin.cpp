#include "plugin/oem_ui_plugin.h"

#include <string.h>

#include "customize/common_ui_prop.h"
#include "devmode/private_devmode.h"
#include "plugin/module.h"
#include "plugin/plugin_identity.h"
#include "ppd/ppd_document.h"

namespace {

// "OEMPROFILE.icm" with its terminator: 15 units, 30 bytes.
const WCHAR kColorProfileName[] = TEXT("OEMPROFILE.icm");
static_assert(sizeof(kColorProfileName) == 30, "profile name is 15 UTF-16 units");
static_assert(sizeof(kColorProfileName) <= kColorProfileSize, "profile name fits the reported size");

}  // namespace

OemUiPlugin::OemUiPlugin() : refCount(1), context{nullptr, nullptr} {
    InterlockedIncrement(&ObjectCount);
}

OemUiPlugin::~OemUiPlugin() {
    // The host's interface goes first, then the document.
    if (context.driverUi != nullptr) {
        context.driverUi->Release();
        context.driverUi = nullptr;
    }
    if (context.document != nullptr) {
        delete context.document;
        context.document = nullptr;
    }
    InterlockedDecrement(&ObjectCount);
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    // IPrintOemUI and IPrintOemCommon are refused on purpose: the host asks
    // for the newest interface first and this object is only that one.
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintOemUI2)) {
        *ppv = static_cast<IPrintOemUI2*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OemUiPlugin::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refCount));
}

ULONG STDMETHODCALLTYPE OemUiPlugin::Release() {
    const LONG count = InterlockedDecrement(&refCount);
    if (count != 0) {
        return static_cast<ULONG>(count);
    }
    delete this;
    return 0;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) {
    if (pcbNeeded == nullptr ||
        (dwMode != OEMGI_GETSIGNATURE && dwMode != OEMGI_GETVERSION && dwMode != OEMGI_GETPUBLISHERINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    *pcbNeeded = sizeof(DWORD);
    if (pBuffer == nullptr || cbSize < sizeof(DWORD)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    DWORD value = 0;
    switch (dwMode) {
        case OEMGI_GETSIGNATURE:
            value = kPluginSignature;
            break;
        case OEMGI_GETVERSION:
            value = kPluginVersion;
            break;
        default:  // OEMGI_GETPUBLISHERINFO: nothing to publish
            *pcbNeeded = 0;
            SetLastError(ERROR_NOT_SUPPORTED);
            return E_FAIL;
    }
    memcpy(pBuffer, &value, sizeof(value));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) {
    if (pOemDMParam == nullptr || dwMode < OEMDM_SIZE || dwMode > OEMDM_MERGE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    if (dwMode == OEMDM_SIZE) {
        pOemDMParam->cbBufSize = kPrivateDevmodeSize;
        return S_OK;
    }
    // The block is written whole: a smaller output buffer would be overrun.
    if (pOemDMParam->cbBufSize < kPrivateDevmodeSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    if (dwMode == OEMDM_DEFAULT) {
        SetPrivateDevmodeDefaults(pOemDMParam);
    } else {
        ConvertPrivateDevmode(pOemDMParam);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::PublishDriverInterface(IUnknown* pIUnknown) {
    if (context.driverUi != nullptr) {
        return S_OK;
    }
    if (pIUnknown == nullptr) {
        return E_FAIL;
    }
    void* driverUi = nullptr;
    const HRESULT result = pIUnknown->QueryInterface(IID_IPrintOemDriverUI, &driverUi);
    if (FAILED(result)) {
        context.driverUi = nullptr;
        return E_FAIL;
    }
    context.driverUi = static_cast<IPrintOemDriverUI*>(driverUi);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam) {
    return HandleCommonUIProp(dwMode, pOemCUIPParam, &context);
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::QueryColorProfile(HANDLE, POEMUIOBJ, PDEVMODEW, PVOID, ULONG ulQueryMode,
                                                         VOID* pvProfileData, ULONG* pcbProfileData,
                                                         FLONG* pflProfileData) {
    if (ulQueryMode != QCP_DEVICEPROFILE) {
        return E_FAIL;
    }
    if (pcbProfileData == nullptr || pflProfileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    if (pvProfileData == nullptr || *pcbProfileData < kColorProfileSize) {
        *pcbProfileData = kColorProfileSize;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return E_FAIL;
    }
    memcpy(pvProfileData, kColorProfileName, sizeof(kColorProfileName));
    *pcbProfileData = kColorProfileSize;
    *pflProfileData = QCP_PROFILEDISK;
    return S_OK;
}

// The operations below are not offered: they touch nothing and leave the
// last error alone.
HRESULT STDMETHODCALLTYPE OemUiPlugin::DocumentPropertySheets(PPROPSHEETUI_INFO, LPARAM) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::DevicePropertySheets(PPROPSHEETUI_INFO, LPARAM) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::DevQueryPrintEx(POEMUIOBJ, PDEVQUERYPRINT_INFO, PDEVMODEW, PVOID) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::DeviceCapabilities(POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID, PDEVMODEW, PVOID,
                                                          DWORD, DWORD*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::UpgradePrinter(DWORD, PBYTE) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::PrinterEvent(PWSTR, INT, DWORD, LPARAM) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::DriverEvent(DWORD, DWORD, LPBYTE, LPARAM) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::UpdateExternalFonts(HANDLE, HANDLE, PWSTR) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::QueryJobAttributes(HANDLE, PDEVMODEW, DWORD, LPBYTE) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::HideStandardUI(DWORD) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUiPlugin::DocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID, PINT) {
    return E_NOTIMPL;
}
