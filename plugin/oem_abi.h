// The printer-driver plug-in records and interfaces that the platform's
// printoem.h / prcomoem.h define and MinGW does not ship, declared once for
// both builds, and the x64 layout of every host record member the system
// touches, pinned at compile time.
#pragma once

#include <stddef.h>

#include "platform/platform.h"

// wingdi.h and winspool.h map these names to their W forms; the interface
// methods below must keep the platform's own names on every build.
#undef DeviceCapabilities
#undef DocumentEvent

// GUIDs (prcomoem.h).
inline constexpr GUID CLSID_OEMUI = {0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
inline constexpr GUID IID_IPrintOemCommon = {
    0x7F42285E, 0x91D5, 0x11D1, {0x88, 0x20, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
inline constexpr GUID IID_IPrintOemUI = {0xC6A7A9D0, 0x774C, 0x11D1, {0x94, 0x7F, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
inline constexpr GUID IID_IPrintOemUI2 = {0x292515F9, 0xB54B, 0x489B, {0x92, 0x75, 0xBA, 0xB5, 0x68, 0x21, 0x39, 0x5E}};
inline constexpr GUID IID_IPrintOemDriverUI = {
    0x92B05D50, 0x78BC, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};

// Constants (printoem.h).
#define OEMGI_GETSIGNATURE 1
#define OEMGI_GETINTERFACEVERSION 2
#define OEMGI_GETVERSION 3
#define OEMGI_GETPUBLISHERINFO 4
#define OEMGI_GETREQUESTEDHELPERINTERFACES 5

#define OEMDM_SIZE 1
#define OEMDM_DEFAULT 2
#define OEMDM_CONVERT 3
#define OEMDM_MERGE 4

#define OEMCUIP_DOCPROP 1
#define OEMCUIP_PRNPROP 2

#define QCP_DEVICEPROFILE 0
#define QCP_SOURCEPROFILE 1
#define QCP_PROFILEMEMORY 1
#define QCP_PROFILEDISK 2

// Records (printoem.h).
typedef struct _OEMUIOBJ {
    DWORD cbSize;
    PVOID pOemUIProcs;  // private to the driver; opaque here
} OEMUIOBJ, *POEMUIOBJ;

struct _OEMCUIPPARAM;
typedef LONG(APIENTRY* OEMCUIPCALLBACK)(PCPSUICBPARAM pCallbackParam, struct _OEMCUIPPARAM* pOemCUIPParam);

typedef struct _OEMCUIPPARAM {
    DWORD cbSize;
    POEMUIOBJ poemuiobj;
    HANDLE hPrinter;
    PWSTR pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    PDEVMODEW pPublicDM;
    PVOID pOEMDM;
    DWORD dwFlags;
    POPTITEM pDrvOptItems;
    DWORD cDrvOptItems;
    POPTITEM pOEMOptItems;
    DWORD cOEMOptItems;
    PVOID pOEMUserData;
    OEMCUIPCALLBACK OEMCUIPCallback;
} OEMCUIPPARAM, *POEMCUIPPARAM;

typedef struct _OEMDMPARAM {
    DWORD cbSize;
    PVOID pdriverobj;
    HANDLE hPrinter;
    HANDLE hModule;
    PDEVMODEW pPublicDMIn;
    PDEVMODEW pPublicDMOut;
    PVOID pOEMDMIn;
    PVOID pOEMDMOut;
    DWORD cbBufSize;
} OEMDMPARAM, *POEMDMPARAM;

typedef struct _OEM_DMEXTRAHEADER {
    DWORD dwSize;
    DWORD dwSignature;
    DWORD dwVersion;
} OEM_DMEXTRAHEADER, *POEM_DMEXTRAHEADER;

// Only pointers to these cross the interface.
struct _DEVQUERYPRINT_INFO;
typedef struct _DEVQUERYPRINT_INFO* PDEVQUERYPRINT_INFO;

// Interfaces (prcomoem.h), in the platform's slot order.
struct IPrintOemCommon : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) = 0;
};

struct IPrintOemUI : public IPrintOemCommon {
    virtual HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ poemuiobj, PDEVQUERYPRINT_INFO pDQPInfo,
                                                      PDEVMODEW pPublicDM, PVOID pOEMDM) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, PWSTR pDeviceName,
                                                         WORD wCapability, PVOID pOutput, PDEVMODEW pPublicDM,
                                                         PVOID pOEMDM, DWORD dwOld, DWORD* dwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD dwLevel, PBYTE pDriverUpgradeInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags,
                                                   LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo,
                                                  LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj, PDEVMODEW pPublicDM,
                                                        PVOID pOEMDM, ULONG ulQueryMode, VOID* pvProfileData,
                                                        ULONG* pcbProfileData, FLONG* pflProfileData) = 0;
    virtual HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap, PWSTR pwstrCartridges) = 0;
};

struct IPrintOemUI2 : public IPrintOemUI {
    virtual HRESULT STDMETHODCALLTYPE QueryJobAttributes(HANDLE hPrinter, PDEVMODEW pDevmode, DWORD dwLevel,
                                                         LPBYTE lpAttributeInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideStandardUI(DWORD dwMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE DocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn, PVOID pvIn,
                                                    ULONG cbOut, PVOID pvOut, PINT piResult) = 0;
};

struct IPrintOemDriverUI : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, PCSTR Feature, PVOID pOutput, DWORD cbSize,
                                                          PDWORD pcbNeeded, PDWORD pdwOptionsReturned) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE hPrinter, PCSTR pFeature, PCSTR pOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection,
                                                         DWORD dwMode) = 0;
};

// x64 layouts (both builds): every member the system or its hosts touch.
static_assert(sizeof(void*) == 8, "the plug-in is built for x64 only");
static_assert(sizeof(GUID) == 16, "GUID");
static_assert(sizeof(OEMUIOBJ) == 16 && offsetof(OEMUIOBJ, pOemUIProcs) == 8, "OEMUIOBJ");
static_assert(sizeof(OEMCUIPPARAM) == 120, "OEMCUIPPARAM size");
static_assert(offsetof(OEMCUIPPARAM, poemuiobj) == 8 && offsetof(OEMCUIPPARAM, hPrinter) == 16 &&
                  offsetof(OEMCUIPPARAM, pPrinterName) == 24 && offsetof(OEMCUIPPARAM, hModule) == 32 &&
                  offsetof(OEMCUIPPARAM, hOEMHeap) == 40 && offsetof(OEMCUIPPARAM, pPublicDM) == 48 &&
                  offsetof(OEMCUIPPARAM, pOEMDM) == 56 && offsetof(OEMCUIPPARAM, dwFlags) == 64 &&
                  offsetof(OEMCUIPPARAM, pDrvOptItems) == 72 && offsetof(OEMCUIPPARAM, cDrvOptItems) == 80 &&
                  offsetof(OEMCUIPPARAM, pOEMOptItems) == 88 && offsetof(OEMCUIPPARAM, cOEMOptItems) == 96 &&
                  offsetof(OEMCUIPPARAM, pOEMUserData) == 104 && offsetof(OEMCUIPPARAM, OEMCUIPCallback) == 112,
              "OEMCUIPPARAM offsets");
static_assert(sizeof(OEMDMPARAM) == 72, "OEMDMPARAM size");
static_assert(offsetof(OEMDMPARAM, pdriverobj) == 8 && offsetof(OEMDMPARAM, hPrinter) == 16 &&
                  offsetof(OEMDMPARAM, hModule) == 24 && offsetof(OEMDMPARAM, pPublicDMIn) == 32 &&
                  offsetof(OEMDMPARAM, pPublicDMOut) == 40 && offsetof(OEMDMPARAM, pOEMDMIn) == 48 &&
                  offsetof(OEMDMPARAM, pOEMDMOut) == 56 && offsetof(OEMDMPARAM, cbBufSize) == 64,
              "OEMDMPARAM offsets");
static_assert(sizeof(OEM_DMEXTRAHEADER) == 12 && offsetof(OEM_DMEXTRAHEADER, dwSignature) == 4 &&
                  offsetof(OEM_DMEXTRAHEADER, dwVersion) == 8,
              "OEM_DMEXTRAHEADER");
static_assert(sizeof(OPTITEM) == 88, "OPTITEM size");
static_assert(offsetof(OPTITEM, Level) == 2 && offsetof(OPTITEM, Flags) == 4 && offsetof(OPTITEM, pName) == 16 &&
                  offsetof(OPTITEM, Sel) == 24 && offsetof(OPTITEM, pOptType) == 40 &&
                  offsetof(OPTITEM, DMPubID) == 52 && offsetof(OPTITEM, UserItemID) == 53,
              "OPTITEM offsets");
static_assert(sizeof(OPTTYPE) == 48 && offsetof(OPTTYPE, Count) == 4 && offsetof(OPTTYPE, pOptParam) == 8, "OPTTYPE");
static_assert(sizeof(OPTPARAM) == 48 && offsetof(OPTPARAM, Flags) == 2 && offsetof(OPTPARAM, pData) == 8, "OPTPARAM");
static_assert(sizeof(CPSUICBPARAM) == 64 && offsetof(CPSUICBPARAM, Reason) == 2 &&
                  offsetof(CPSUICBPARAM, pOptItem) == 16 && offsetof(CPSUICBPARAM, pCurItem) == 32,
              "CPSUICBPARAM");
static_assert(sizeof(DEVMODEW) == 220 && offsetof(DEVMODEW, dmFields) == 72 && offsetof(DEVMODEW, dmPaperSize) == 78 &&
                  offsetof(DEVMODEW, dmFormName) == 102,
              "DEVMODEW");
static_assert(sizeof(DRIVER_INFO_3W) == 80 && offsetof(DRIVER_INFO_3W, pName) == 8 &&
                  offsetof(DRIVER_INFO_3W, pEnvironment) == 16 && offsetof(DRIVER_INFO_3W, pDriverPath) == 24 &&
                  offsetof(DRIVER_INFO_3W, pDataFile) == 32 && offsetof(DRIVER_INFO_3W, pConfigFile) == 40,
              "DRIVER_INFO_3W");
static_assert(sizeof(((OPTITEM*)0)->Sel) == 4 && sizeof(((OPTTYPE*)0)->Count) == 2 &&
                  sizeof(((CPSUICBPARAM*)0)->Reason) == 2 && sizeof(((OPTPARAM*)0)->Flags) == 1,
              "member widths");
