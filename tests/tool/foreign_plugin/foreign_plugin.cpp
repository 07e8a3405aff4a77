// A plug-in that is not kxpsui: the two exports and an IPrintOemUI2 of its
// own, for kxpsui-host's tests. What it does is chosen by the environment
// variable KX_FOREIGN_PLUGIN:
//   (unset)  registers user data that is no PluginContext (its first field
//            would be a document pointer to nowhere) and a callback; names
//            its colour profile after the printer handle it is given
//   fail     makes no object (DllGetClassObject fails)
//   fault    writes to an unmapped address in CommonUIProp
//   block    in CommonUIProp creates the file KX_FOREIGN_MARKER names, then
//            waits for ever (the tests interrupt it)
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <new>
#include <thread>

#include "plugin/oem_abi.h"

namespace {

// A fault the sanitizers do not take for a null pointer: the first page is
// never mapped.
volatile uintptr_t unmappedAddress = 16;  // volatile: no compiler sees through it

const char* Mode() {
    const char* mode = getenv("KX_FOREIGN_PLUGIN");
    return mode != nullptr ? mode : "";
}

// Not a PluginContext: a host that took it for one would read the document
// at address 1.
struct ForeignData {
    ULONG_PTR notADocument = 1;
    ULONG_PTR notADriverUi = 3;
} foreignData;

LONG objects = 0;
HANDLE sheetPrinter = nullptr;

LONG APIENTRY ForeignCallback(PCPSUICBPARAM callback, POEMCUIPPARAM) {
    return callback != nullptr && callback->Reason == CPSUICB_REASON_APPLYNOW ? CPSUICB_ACTION_ITEMS_APPLIED
                                                                              : CPSUICB_ACTION_NONE;
}

class ForeignPlugin final : public IPrintOemUI2 {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintOemUI2)) {
            *ppv = static_cast<IPrintOemUI2*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refCount); }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--refCount != 0) {
            return static_cast<ULONG>(refCount);
        }
        if (driverUi != nullptr) {
            driverUi->Release();
        }
        --objects;
        delete this;
        return 0;
    }
    HRESULT STDMETHODCALLTYPE GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) override {
        if (needed == nullptr || (mode != OEMGI_GETSIGNATURE && mode != OEMGI_GETVERSION) || buffer == nullptr ||
            size < 4) {
            return E_FAIL;
        }
        *needed = 4;
        *static_cast<DWORD*>(buffer) = mode == OEMGI_GETSIGNATURE ? 0x46524E47 : 1;  // "FRNG", version 1
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DevMode(DWORD mode, POEMDMPARAM param) override {
        if (param == nullptr) {
            return E_FAIL;
        }
        if (mode == OEMDM_SIZE) {
            param->cbBufSize = 16;
        } else if (mode == OEMDM_DEFAULT && param->pOEMDMOut != nullptr && param->cbBufSize >= 16) {
            memset(param->pOEMDMOut, 0, 16);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* unknown) override {
        if (driverUi == nullptr &&
            (unknown == nullptr ||
             FAILED(unknown->QueryInterface(IID_IPrintOemDriverUI, reinterpret_cast<void**>(&driverUi))))) {
            driverUi = nullptr;
            return E_FAIL;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD mode, POEMCUIPPARAM param) override {
        if (strcmp(Mode(), "fault") == 0) {
            *reinterpret_cast<volatile int*>(unmappedAddress) = 1;
        }
        if (strcmp(Mode(), "block") == 0) {
            const char* marker = getenv("KX_FOREIGN_MARKER");
            FILE* file = marker != nullptr ? fopen(marker, "wb") : nullptr;
            if (file != nullptr) {
                fclose(file);
            }
            for (;;) {
                std::this_thread::sleep_for(std::chrono::seconds(1));
            }
        }
        if (param->pOEMOptItems == nullptr) {
            param->cOEMOptItems = 0;
            sheetPrinter = param->hPrinter;
        } else if (mode == OEMCUIP_DOCPROP) {
            param->pOEMUserData = &foreignData;
            param->OEMCUIPCallback = ForeignCallback;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ, PDEVQUERYPRINT_INFO, PDEVMODEW, PVOID) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID, PDEVMODEW, PVOID, DWORD,
                                                 DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD, PBYTE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR, INT, DWORD, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DriverEvent(DWORD, DWORD, LPBYTE, LPARAM) override { return E_NOTIMPL; }
    // The profile tells whether the host gave the printer its sheets were
    // opened for.
    HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE printer, POEMUIOBJ, PDEVMODEW, PVOID, ULONG, VOID* data,
                                                ULONG* size, FLONG* flags) override {
        const WCHAR* name =
            printer != nullptr && printer == sheetPrinter ? TEXT("SHEETPRINTER.icm") : TEXT("OTHERPRINTER.icm");
        const ULONG bytes = static_cast<ULONG>((lstrlenW(name) + 1) * sizeof(WCHAR));
        if (data == nullptr || size == nullptr || *size < bytes) {
            return E_FAIL;
        }
        memcpy(data, name, bytes);
        *size = bytes;
        *flags = QCP_PROFILEDISK;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE, HANDLE, PWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryJobAttributes(HANDLE, PDEVMODEW, DWORD, LPBYTE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HideStandardUI(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID, PINT) override {
        return E_NOTIMPL;
    }

  private:
    LONG refCount = 1;
    IPrintOemDriverUI* driverUi = nullptr;
};

class ForeignFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }  // one static factory
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
        ForeignPlugin* plugin = new (std::nothrow) ForeignPlugin();
        if (plugin == nullptr) {
            return E_OUTOFMEMORY;
        }
        ++objects;
        const HRESULT result = plugin->QueryInterface(riid, ppv);
        plugin->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
} factory;

}  // namespace

extern "C" HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID, REFIID riid, void** ppv) {
    if (strcmp(Mode(), "fail") == 0) {
        *ppv = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return factory.QueryInterface(riid, ppv);
}

extern "C" HRESULT STDMETHODCALLTYPE DllCanUnloadNow() {
    return objects == 0 ? S_OK : S_FALSE;
}
