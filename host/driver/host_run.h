// The whole of the driver's calls for one printer, as kxpsui-host makes
// them, and what the driver sees of them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/driver/driver_ppd.h"
#include "host/driver/driver_session.h"

struct HostRunOptions {
    InstalledValues installed;                // over the PPD's defaults of the "InstallableOptions" group
    LONG colorSelection = -1;                 // the colour item's first Sel; -1 for the driver's default
    std::vector<LONG> colorChanges{0, 1, 0};  // made only on a sheet with a colour item
    // Called after the document sheet's two calls with the user data the
    // plug-in registered, while the object still holds it.
    std::function<void(PVOID userData)> afterDocumentSheet;
};

struct ItemReport {
    std::string name;                  // as SheetItems::Name gives it
    std::string keyword;               // the PPD feature behind it; empty for the driver's own items
    std::vector<std::string> options;  // the names of its options, in the order built (UTF-8)
    BYTE level;
    BYTE dmPubId;
    BYTE itemCode;  // UserItemID
    LONG sel;
    DWORD flags;
};

struct HostReport {
    DWORD signature = 0;
    DWORD version = 0;
    DWORD devmodeSize = 0;
    InstalledValues driverInstalled;  // what the driver answers
    std::vector<ItemReport> documentItems;
    int colorItem = -1;  // index of the document sheet's colour item; -1 without one
    std::vector<ColorChange> colorChanges;
    LONG applyResult = DriverSession::kNoCallback;
    std::vector<ItemReport> printerItems;
    HRESULT profileResult = E_FAIL;
    std::u16string profileName;
    ULONG profileSize = 0;
    FLONG profileFlags = 0;
    ULONG lastRelease = 0;
    LONG driverUiReferences = 0;  // the driver's own count after the release: 1 when the plug-in let go
    HRESULT unloadAnswer = E_FAIL;
};

// Runs one plug-in object through the driver's calls for a printer whose
// PPD the driver read as ppd (document sheet, printer sheet, colour
// changes, apply, colour profile, release) and reports. False with a
// reason when the object cannot be made or its first calls fail.
bool RunHost(const PluginBinary& binary, HANDLE printer, const DriverPpd& ppd, const HostRunOptions& options,
             HostReport* report, std::string* error);
