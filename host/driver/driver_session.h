// A session that drives one plug-in object through the calls the driver's
// UI core makes, in its order, with the driver's own records.
#pragma once

#include <string>
#include <vector>

#include "host/driver/driver_ui.h"
#include "host/driver/plugin_binary.h"
#include "host/driver/sheet_items.h"

// One colour change, as the document sheet's callback saw it.
struct ColorChange {
    struct Told {
        int item;  // index of the item the driver was told about; -1 for one not in the sheet
        bool pciMatches;
        DWORD previousSelection;
        DWORD mode;
        LONG sel;
        DWORD flags;
    };
    LONG selection;     // the colour item's new Sel
    LONG result;        // the callback's answer; DriverSession::kNoCallback without one
    int renderingItem;  // the item the driver built for "*KXRendering"; -1 without one
    LONG renderingSel;  // its Sel and Flags after the callback
    DWORD renderingFlags;
    std::vector<Told> told;
};

class DriverSession {
  public:
    static constexpr LONG kNoCallback = -1;

    // heapMaximum 0 gives the driver a growable heap; otherwise a fixed one of
    // that many bytes, which tests can exhaust.
    explicit DriverSession(const PluginBinary& binary, SIZE_T heapMaximum = 0);
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;
    ~DriverSession();  // releases the plug-in object if Release was not called

    HostDriverUi& DriverUi() { return driverUi; }
    const HostDriverUi& DriverUi() const { return driverUi; }
    IPrintOemUI2* Plugin() { return plugin; }
    HANDLE Heap() const { return heap; }
    const OEMUIOBJ* UiObject() const { return &uiObject; }

    // Creates the plug-in object and makes the driver's first calls:
    // GetInfo (signature, version), PublishDriverInterface, DevMode (size,
    // defaults). False with a reason when the object cannot be had or one of
    // these calls fails.
    bool Start(std::string* error);
    DWORD Signature() const { return signature; }
    DWORD Version() const { return version; }
    DWORD DevmodeSize() const { return devmodeSize; }

    // The two CommonUIProp calls of one sheet (OEMCUIP_DOCPROP or
    // OEMCUIP_PRNPROP). The first has no items; the second the sheet's
    // items, which the plug-in changes in place and which must outlive the
    // document sheet's callbacks. Each returns what CommonUIProp returned.
    HRESULT FirstCall(DWORD mode, HANDLE printer);
    HRESULT SecondCall(DWORD mode, HANDLE printer, SheetItems* items);
    void OpenSheet(DWORD mode, HANDLE printer, SheetItems* items) {
        FirstCall(mode, printer);
        SecondCall(mode, printer, items);
    }
    // The parameter block of that sheet's last call.
    const OEMCUIPPARAM& Param(DWORD mode) const { return mode == OEMCUIP_DOCPROP ? documentParam : printerParam; }
    // What the plug-in wrote to cOEMOptItems in the sheet's last first call.
    DWORD ReportedItems(DWORD mode) const { return mode == OEMCUIP_DOCPROP ? documentItemCount : printerItemCount; }

    // The document sheet's registered callback, as the sheet calls it: with
    // a CPSUICBPARAM for reason and item (OldSel -1 for Apply, else the
    // item's Sel), and the second call's parameter block. kNoCallback when
    // none was registered.
    LONG Callback(WORD reason, size_t item);
    // The user picks sel in item: Sel changes, then the callback runs with
    // the previous selection as OldSel.
    LONG ChangeSelection(size_t item, LONG sel);
    // The CPSUICBPARAM of the last callback, as the driver filled it.
    const CPSUICBPARAM& LastCallbackParam() const { return lastCallback; }
    // The same for the colour item, with what followed from it.
    ColorChange ChangeColor(LONG sel);

    // The user data the plug-in registered in the document sheet's second
    // call, as the driver holds it (opaque to the driver). Null before.
    PVOID UserData() const { return documentParam.pOEMUserData; }

    // The device profile for the printer the sheets were opened for.
    HRESULT QueryColorProfile(HANDLE printer, std::u16string* name, ULONG* size, FLONG* flags);
    // The driver's release of the object; then DllCanUnloadNow.
    ULONG Release();
    HRESULT CanUnloadNow() const { return binary.canUnloadNow(); }

  private:
    void FillParam(DWORD mode, HANDLE printer, OEMCUIPPARAM* param);
    LONG SendCallback(WORD reason, size_t item, LONG oldSel);

    const PluginBinary& binary;
    IPrintOemUI2* plugin = nullptr;
    OEMUIOBJ uiObject;
    HostDriverUi driverUi;
    HANDLE heap = nullptr;
    DWORD signature = 0;
    DWORD version = 0;
    DWORD devmodeSize = 0;
    DEVMODEW publicDevmode;
    std::vector<BYTE> privateDevmode;
    OEMCUIPPARAM documentParam;
    OEMCUIPPARAM printerParam;
    DWORD documentItemCount = 0;
    DWORD printerItemCount = 0;
    SheetItems* documentItems = nullptr;  // borrowed from the caller for the callbacks
    OPTITEM pluginItems[1];               // handed over as pOEMOptItems; the plug-in adds none
    CPSUICBPARAM lastCallback;
};
