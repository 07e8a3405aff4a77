#include "host/driver/driver_session.h"

#include <string.h>

#include "host/common/result_names.h"

namespace {

constexpr DWORD kPoisonCount = 0xA5A5A5A5;  // tells "left alone" from "set to 0"

int IndexOf(const SheetItems* items, const OPTITEM* item) {
    if (items == nullptr || items->Count() == 0 || item == nullptr) {
        return -1;
    }
    const OPTITEM* first = &items->Item(0);
    if (item < first || item >= first + items->Count()) {
        return -1;
    }
    return static_cast<int>(item - first);
}

}  // namespace

DriverSession::DriverSession(const PluginBinary& binary, SIZE_T heapMaximum) : binary(binary), driverUi(&uiObject) {
    memset(&uiObject, 0, sizeof(uiObject));
    uiObject.cbSize = sizeof(uiObject);
    memset(&publicDevmode, 0, sizeof(publicDevmode));
    memset(&documentParam, 0, sizeof(documentParam));
    memset(&printerParam, 0, sizeof(printerParam));
    memset(pluginItems, 0, sizeof(pluginItems));
    memset(&lastCallback, 0, sizeof(lastCallback));
    heap = HeapCreate(0, 0, heapMaximum);
}

DriverSession::~DriverSession() {
    if (plugin != nullptr) {
        plugin->Release();
        plugin = nullptr;
    }
    if (heap != nullptr) {
        HeapDestroy(heap);
    }
}

bool DriverSession::Start(std::string* error) {
    if (heap == nullptr) {
        *error = "HeapCreate failed";
        return false;
    }
    plugin = CreatePluginObject(binary, error);
    if (plugin == nullptr) {
        return false;
    }
    DWORD needed = 0;
    HRESULT result = plugin->GetInfo(OEMGI_GETSIGNATURE, &signature, sizeof(signature), &needed);
    if (FAILED(result)) {
        *error = "GetInfo(OEMGI_GETSIGNATURE): " + ResultName(result);
        return false;
    }
    result = plugin->GetInfo(OEMGI_GETVERSION, &version, sizeof(version), &needed);
    if (FAILED(result)) {
        *error = "GetInfo(OEMGI_GETVERSION): " + ResultName(result);
        return false;
    }
    result = plugin->PublishDriverInterface(static_cast<IUnknown*>(&driverUi));
    if (FAILED(result)) {
        *error = "PublishDriverInterface: " + ResultName(result);
        return false;
    }
    OEMDMPARAM sizeParam;
    memset(&sizeParam, 0, sizeof(sizeParam));
    sizeParam.cbSize = sizeof(sizeParam);
    sizeParam.hModule = binary.module;
    result = plugin->DevMode(OEMDM_SIZE, &sizeParam);
    if (FAILED(result)) {
        *error = "DevMode(OEMDM_SIZE): " + ResultName(result);
        return false;
    }
    devmodeSize = sizeParam.cbBufSize;
    privateDevmode.assign(devmodeSize, 0);
    publicDevmode.dmSize = sizeof(publicDevmode);
    publicDevmode.dmFields = DM_PAPERSIZE | DM_FORMNAME;
    publicDevmode.dmPaperSize = DMPAPER_A4;
    lstrcpynW(publicDevmode.dmFormName, TEXT("A4"), CCHFORMNAME);
    OEMDMPARAM defaults = sizeParam;
    defaults.pPublicDMIn = &publicDevmode;
    defaults.pOEMDMOut = privateDevmode.empty() ? nullptr : privateDevmode.data();
    defaults.cbBufSize = devmodeSize;
    result = plugin->DevMode(OEMDM_DEFAULT, &defaults);
    if (FAILED(result)) {
        *error = "DevMode(OEMDM_DEFAULT): " + ResultName(result);
        return false;
    }
    return true;
}

void DriverSession::FillParam(DWORD mode, HANDLE printer, OEMCUIPPARAM* param) {
    memset(param, 0, sizeof(*param));
    param->cbSize = sizeof(*param);
    param->poemuiobj = &uiObject;
    param->hPrinter = printer;
    param->hModule = binary.module;
    param->hOEMHeap = heap;
    if (mode == OEMCUIP_DOCPROP) {
        param->pPublicDM = &publicDevmode;
        param->pOEMDM = privateDevmode.empty() ? nullptr : privateDevmode.data();
    }
}

HRESULT DriverSession::FirstCall(DWORD mode, HANDLE printer) {
    OEMCUIPPARAM& param = mode == OEMCUIP_DOCPROP ? documentParam : printerParam;
    FillParam(mode, printer, &param);
    param.cOEMOptItems = kPoisonCount;
    const HRESULT result = plugin->CommonUIProp(mode, &param);
    (mode == OEMCUIP_DOCPROP ? documentItemCount : printerItemCount) = param.cOEMOptItems;
    return result;
}

HRESULT DriverSession::SecondCall(DWORD mode, HANDLE printer, SheetItems* items) {
    OEMCUIPPARAM& param = mode == OEMCUIP_DOCPROP ? documentParam : printerParam;
    FillParam(mode, printer, &param);
    param.pDrvOptItems = items->Items();
    param.cDrvOptItems = static_cast<DWORD>(items->Count());
    // The plug-in reported how many items it adds; the driver hands over an
    // array for them, never null in this call.
    param.pOEMOptItems = pluginItems;
    param.cOEMOptItems = mode == OEMCUIP_DOCPROP ? documentItemCount : printerItemCount;
    if (mode == OEMCUIP_DOCPROP) {
        documentItems = items;
    }
    return plugin->CommonUIProp(mode, &param);
}

LONG DriverSession::Callback(WORD reason, size_t item) {
    const bool onItem = documentItems != nullptr && item < documentItems->Count();
    const LONG oldSel = reason == CPSUICB_REASON_APPLYNOW || !onItem ? -1 : documentItems->Item(item).Sel;
    return SendCallback(reason, item, oldSel);
}

LONG DriverSession::SendCallback(WORD reason, size_t item, LONG oldSel) {
    if (documentParam.OEMCUIPCallback == nullptr || documentItems == nullptr) {
        return kNoCallback;
    }
    // The sheet's array, as it stands now.
    documentParam.pDrvOptItems = documentItems->Items();
    documentParam.cDrvOptItems = static_cast<DWORD>(documentItems->Count());
    memset(&lastCallback, 0, sizeof(lastCallback));
    lastCallback.cbSize = sizeof(lastCallback);
    lastCallback.Reason = reason;
    lastCallback.pOptItem = documentItems->Items();
    lastCallback.cOptItem = static_cast<WORD>(documentItems->Count());
    lastCallback.pCurItem = item < documentItems->Count() ? &documentItems->Item(item) : nullptr;
    lastCallback.OldSel = oldSel;
    // The plug-in gets a copy: what it does to the block is its own.
    CPSUICBPARAM callback = lastCallback;
    return documentParam.OEMCUIPCallback(&callback, &documentParam);
}

LONG DriverSession::ChangeSelection(size_t item, LONG sel) {
    if (documentItems == nullptr || item >= documentItems->Count()) {
        return kNoCallback;
    }
    const LONG previous = documentItems->Item(item).Sel;
    documentItems->Item(item).Sel = sel;
    return SendCallback(CPSUICB_REASON_SEL_CHANGED, item, previous);
}

ColorChange DriverSession::ChangeColor(LONG sel) {
    ColorChange change;
    change.selection = sel;
    change.result = kNoCallback;
    change.renderingItem = documentItems != nullptr ? documentItems->FindKeyword("*KXRendering") : -1;
    const size_t before = driverUi.updates.size();
    const int color = documentItems != nullptr ? documentItems->FindPublic(DMPUB_COLOR) : -1;
    if (color >= 0) {
        change.result = ChangeSelection(static_cast<size_t>(color), sel);
    }
    if (change.renderingItem >= 0) {
        const OPTITEM& rendering = documentItems->Item(static_cast<size_t>(change.renderingItem));
        change.renderingSel = rendering.Sel;
        change.renderingFlags = rendering.Flags;
    } else {
        change.renderingSel = -1;
        change.renderingFlags = 0;
    }
    for (size_t i = before; i < driverUi.updates.size(); ++i) {
        const HostDriverUi::Update& update = driverUi.updates[i];
        change.told.push_back({IndexOf(documentItems, update.item), update.pci == &uiObject, update.previousSelection,
                               update.mode, update.sel, update.flags});
    }
    return change;
}

HRESULT DriverSession::QueryColorProfile(HANDLE printer, std::u16string* name, ULONG* size, FLONG* flags) {
    WCHAR profile[64];
    memset(profile, 0, sizeof(profile));
    *size = sizeof(profile);
    *flags = 0;
    const HRESULT result = plugin->QueryColorProfile(printer, &uiObject, &publicDevmode,
                                                     privateDevmode.empty() ? nullptr : privateDevmode.data(),
                                                     QCP_DEVICEPROFILE, profile, size, flags);
    profile[63] = 0;
    *name = reinterpret_cast<const char16_t*>(profile);
    return result;
}

ULONG DriverSession::Release() {
    if (plugin == nullptr) {
        return 0;
    }
    const ULONG left = plugin->Release();
    plugin = nullptr;
    return left;
}
