// The host written in the driver's place: the driver's IPrintOemDriverUI, the
// printer registered with the spooler, and a session that drives one plug-in
// object through the calls the driver's UI core makes, in its order.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/plugin_binary.h"
#include "host/sheet_builder.h"
#include "plugin/plugin_context.h"

// Installed values, ANSI bytes: feature name without '*', option keyword.
typedef std::vector<std::pair<std::string, std::string>> InstalledValues;

// The driver's own interface. DrvGetDriverSetting answers from the table of
// installed values; DrvUpdateUISetting calls are recorded.
class HostDriverUi final : public IPrintOemDriverUI {
  public:
    struct SettingQuery {
        std::string feature;
        bool pciMatches;  // the plug-in handed back the driver's own OEMUIOBJ
        HRESULT result;
    };
    struct Update {
        PVOID pci;
        const OPTITEM* item;
        DWORD previousSelection;
        DWORD mode;
        LONG sel;     // the item's Sel when the driver was told
        DWORD flags;  // the item's Flags when the driver was told
    };

    explicit HostDriverUi(PVOID pci) : pci(pci) {}

    // Sets or replaces one value; Forget makes the driver refuse the feature.
    void SetInstalled(const std::string& feature, const std::string& option);
    void ForgetInstalled(const std::string& feature);
    const InstalledValues& Installed() const { return installed; }

    std::vector<SettingQuery> queries;
    std::vector<Update> updates;
    LONG References() const { return refCount; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // S_OK with "option\0\0" for a feature in the table; E_INVALIDARG for any
    // other feature or a foreign pci; E_OUTOFMEMORY (and the size needed)
    // when the buffer is too small.
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, PCSTR feature, PVOID output, DWORD size, PDWORD needed,
                                                  PDWORD optionsReturned) override;
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE printer, PCSTR feature, PCSTR option) override;
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID item, DWORD previousSelection, DWORD mode) override;

  private:
    PVOID pci;
    InstalledValues installed;
    LONG refCount = 1;  // the driver's own reference; the object lives in the session
};

// A driver and a printer registered with the spooler for one PPD file. The
// file is first copied into the working directory under a name of its own
// (several test processes share one spooler), and the spooler may copy it
// again into its driver directory: DataFile() is the path it reports.
class HostPrinter {
  public:
    HostPrinter() = default;
    HostPrinter(const HostPrinter&) = delete;
    HostPrinter& operator=(const HostPrinter&) = delete;
    ~HostPrinter() { Remove(); }

    // ppdPath in the C runtime's narrow encoding. dataFileNameLength, when
    // nonzero, pads the data file's name to that many characters. False with
    // a one-line reason.
    bool Add(const std::string& ppdPath, std::string* error, size_t dataFileNameLength = 0);
    // Deletes and closes the printer and the staged files.
    void Remove();

    HANDLE Handle() const { return handle; }
    const std::u16string& Name() const { return printerName; }
    const std::u16string& DataFile() const { return dataFile; }

  private:
    HANDLE handle = nullptr;
    std::u16string printerName;
    std::u16string dataFile;
    std::vector<std::string> stagedFiles;      // narrow CRT paths
    std::vector<std::u16string> spoolerFiles;  // the spooler's copies, where it keeps any
};

// A whole file's bytes through the platform's _wfopen, in binary.
bool ReadFileBytes(const std::u16string& path, std::string* bytes);
bool WriteFileBytes(const std::u16string& path, const std::string& bytes);

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
    LONG result;        // the callback's answer
    int renderingItem;  // the item the driver built for "*KXRendering"; -1 without one
    LONG renderingSel;  // its Sel and Flags after the callback
    DWORD renderingFlags;
    std::vector<Told> told;
};

class DriverSession {
  public:
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
    // a CPSUICBPARAM for reason and item, and the second call's parameter
    // block. -1 when no callback was registered.
    LONG Callback(WORD reason, size_t item);
    // The user picks sel in item: Sel changes, then the callback runs.
    LONG ChangeSelection(size_t item, LONG sel);
    // The same for the colour item, with what followed from it.
    ColorChange ChangeColor(LONG sel);

    // The plug-in's model as the driver can see it: the user data registered
    // in the document sheet's second call. Null before that call.
    const PluginContext* Context() const { return static_cast<const PluginContext*>(documentParam.pOEMUserData); }

    HRESULT QueryColorProfile(std::u16string* name, ULONG* size, FLONG* flags);
    // The driver's release of the object; then DllCanUnloadNow.
    ULONG Release();
    HRESULT CanUnloadNow() const { return binary.canUnloadNow(); }

  private:
    void FillParam(DWORD mode, HANDLE printer, OEMCUIPPARAM* param);

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
};

// The plug-in's model, read through the context with the plug-in's own
// headers (UTF-8 texts).
struct ForbiddenOptions {
    std::string feature;               // keyword with its '*'
    std::vector<std::string> options;  // option keywords marked as forbidden
};
// Installed values as the plug-in holds them: keyword with '*', value.
InstalledValues PluginInstalledValues(const PluginContext* context);
std::vector<ForbiddenOptions> PluginForbiddenOptions(const PluginContext* context);

// Everything the driver's order of calls brings out, for one PPD.
struct HostRunOptions {
    std::string ppdPath;        // narrow CRT path
    InstalledValues installed;  // over the PPD's defaults of the "InstallableOptions" group
    LONG colorSelection = -1;   // the colour item's first Sel; -1 for the PPD default
    std::vector<LONG> colorChanges{0, 1, 0};
    // Called after the document sheet's two calls, while the object still
    // holds its model (kxpsui-host reads the whole model there).
    std::function<void(const PluginContext*)> afterDocumentSheet;
};

struct ItemReport {
    std::string name;     // as SheetItems::Name gives it
    std::string keyword;  // the PPD feature behind it; empty for the driver's own items
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
    std::u16string dataFile;          // the PPD path the spooler reports
    InstalledValues driverInstalled;  // what the driver answers
    bool documentRead = false;        // the plug-in holds a model of the PPD
    std::vector<ItemReport> documentItems;
    InstalledValues pluginInstalled;
    std::vector<ForbiddenOptions> forbidden;
    std::vector<ColorChange> colorChanges;
    LONG applyResult = 0;
    std::vector<ItemReport> printerItems;
    HRESULT profileResult = E_FAIL;
    std::u16string profileName;
    ULONG profileSize = 0;
    FLONG profileFlags = 0;
    ULONG lastRelease = 0;
    LONG driverUiReferences = 0;  // the driver's own count after the release: 1 when the plug-in let go
    HRESULT unloadAnswer = E_FAIL;
};

// Registers a printer for the PPD, runs one plug-in object through the
// driver's calls (document sheet, printer sheet, colour changes, apply,
// colour profile, release) and reports. False with a reason when the PPD
// cannot be read, the printer cannot be registered or the object not made.
bool RunHost(const PluginBinary& binary, const HostRunOptions& options, HostReport* report, std::string* error);
