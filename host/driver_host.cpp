#include "host/driver_host.h"

#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr char kPathSeparator = KX_PLATFORM_WINDOWS ? '\\' : '/';
constexpr DWORD kPoisonCount = 0xA5A5A5A5;  // tells "left alone" from "set to 0"

std::u16string NarrowToWide(const std::string& text) {
    if (text.empty()) {
        return std::u16string();
    }
    const int units = MultiByteToWideChar(KX_ARGV_CODEPAGE, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string wide(static_cast<size_t>(units > 0 ? units : 0), u'\0');
    if (units > 0) {
        MultiByteToWideChar(KX_ARGV_CODEPAGE, 0, text.data(), static_cast<int>(text.size()),
                            reinterpret_cast<LPWSTR>(&wide[0]), units);
    }
    return wide;
}

std::string WideToNarrow(const std::u16string& text) {
    if (text.empty()) {
        return std::string();
    }
    const LPCWSTR wide = reinterpret_cast<LPCWSTR>(text.data());
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(KX_ARGV_CODEPAGE, 0, wide, size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(KX_ARGV_CODEPAGE, 0, wide, size, &narrow[0], bytes, nullptr, nullptr);
    }
    return narrow;
}

bool CopyFileBytes(const std::string& from, const std::string& to, std::string* error) {
    FILE* in = fopen(from.c_str(), "rb");
    if (in == nullptr) {
        *error = "cannot open " + from;
        return false;
    }
    FILE* out = fopen(to.c_str(), "wb");
    if (out == nullptr) {
        fclose(in);
        *error = "cannot create " + to;
        return false;
    }
    char chunk[4096];
    size_t count;
    bool ok = true;
    while ((count = fread(chunk, 1, sizeof(chunk), in)) > 0) {
        ok = ok && fwrite(chunk, 1, count, out) == count;
    }
    ok = ok && ferror(in) == 0;
    fclose(in);
    ok = fclose(out) == 0 && ok;
    if (!ok) {
        *error = "cannot copy " + from + " to " + to;
    }
    return ok;
}

bool WriteText(const std::string& path, const std::string& text) {
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = fwrite(text.data(), 1, text.size(), out) == text.size();
    return fclose(out) == 0 && written;
}

// A name no other registration uses, in this process or in another one
// running against the same spooler.
std::string UniqueTag() {
    static unsigned counter = 0;
    return std::to_string(static_cast<unsigned>(getpid())) + "_" +
           std::to_string(static_cast<unsigned long>(time(nullptr))) + "_" + std::to_string(++counter);
}

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

ItemReport ReportItem(const SheetItems& items, size_t index) {
    const OPTITEM& item = items.Item(index);
    ItemReport report;
    report.name = items.Name(index);
    report.keyword = items.Keyword(index);
    report.level = item.Level;
    report.dmPubId = item.DMPubID;
    report.itemCode = item.UserItemID;
    report.sel = item.Sel;
    report.flags = item.Flags;
    return report;
}

}  // namespace

// HostDriverUi

void HostDriverUi::SetInstalled(const std::string& feature, const std::string& option) {
    for (auto& value : installed) {
        if (value.first == feature) {
            value.second = option;
            return;
        }
    }
    installed.emplace_back(feature, option);
}

void HostDriverUi::ForgetInstalled(const std::string& feature) {
    for (size_t i = 0; i < installed.size(); ++i) {
        if (installed[i].first == feature) {
            installed.erase(installed.begin() + static_cast<long>(i));
            return;
        }
    }
}

HRESULT STDMETHODCALLTYPE HostDriverUi::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintOemDriverUI)) {
        *ppv = static_cast<IPrintOemDriverUI*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE HostDriverUi::AddRef() {
    return static_cast<ULONG>(++refCount);
}

ULONG STDMETHODCALLTYPE HostDriverUi::Release() {
    return static_cast<ULONG>(--refCount);
}

HRESULT STDMETHODCALLTYPE HostDriverUi::DrvGetDriverSetting(PVOID callerPci, PCSTR feature, PVOID output, DWORD size,
                                                            PDWORD needed, PDWORD optionsReturned) {
    SettingQuery query = {feature != nullptr ? feature : "", callerPci == pci, E_INVALIDARG};
    const std::string* value = nullptr;
    for (const auto& entry : installed) {
        if (feature != nullptr && entry.first == feature) {
            value = &entry.second;
        }
    }
    if (value != nullptr && query.pciMatches) {
        // A list of options, each NUL-terminated, ended by one more NUL.
        const DWORD bytes = static_cast<DWORD>(value->size() + 2);
        if (needed != nullptr) {
            *needed = bytes;
        }
        if (output == nullptr || size < bytes) {
            query.result = E_OUTOFMEMORY;
        } else {
            memcpy(output, value->c_str(), value->size() + 1);
            static_cast<char*>(output)[value->size() + 1] = '\0';
            if (optionsReturned != nullptr) {
                *optionsReturned = 1;
            }
            query.result = S_OK;
        }
    }
    queries.push_back(query);
    return query.result;
}

HRESULT STDMETHODCALLTYPE HostDriverUi::DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HostDriverUi::DrvUpdateUISetting(PVOID callerPci, PVOID item, DWORD previousSelection,
                                                           DWORD mode) {
    const OPTITEM* optItem = static_cast<const OPTITEM*>(item);
    updates.push_back({callerPci, optItem, previousSelection, mode, optItem != nullptr ? optItem->Sel : -1,
                       optItem != nullptr ? static_cast<DWORD>(optItem->Flags) : 0u});
    return S_OK;
}

// HostPrinter

bool HostPrinter::Add(const std::string& ppdPath, std::string* error, size_t dataFileNameLength) {
    Remove();
    char directory[1024];
    if (getcwd(directory, sizeof(directory)) == nullptr) {
        *error = "cannot get the working directory";
        return false;
    }
    const std::string tag = UniqueTag();
    std::string dataName = "kx_sheets_" + tag;
    if (dataFileNameLength > dataName.size() + 4) {
        dataName.append(dataFileNameLength - dataName.size() - 4, 'x');
    }
    dataName += ".ppd";
    const std::string base = std::string(directory) + kPathSeparator;
    const std::string dataPath = base + dataName;
    const std::string driverPath = base + "kx_sheets_" + tag + "_drv.dll";
    const std::string configPath = base + "kx_sheets_" + tag + "_ui.dll";
    if (!CopyFileBytes(ppdPath, dataPath, error)) {
        return false;
    }
    stagedFiles.push_back(dataPath);
    // The spooler copies the driver's files too; they only have to exist.
    if (!WriteText(driverPath, "driver " + tag) || !WriteText(configPath, "config " + tag)) {
        *error = "cannot create the driver files in " + std::string(directory);
        return false;
    }
    stagedFiles.push_back(driverPath);
    stagedFiles.push_back(configPath);

    std::u16string driverName = Utf8ToUtf16("KX Color Page Printer " + tag);
    std::u16string wideData = NarrowToWide(dataPath);
    std::u16string wideDriver = NarrowToWide(driverPath);
    std::u16string wideConfig = NarrowToWide(configPath);
    DRIVER_INFO_3W driver;
    memset(&driver, 0, sizeof(driver));
    driver.cVersion = 3;
    driver.pName = reinterpret_cast<LPWSTR>(&driverName[0]);
    driver.pDriverPath = reinterpret_cast<LPWSTR>(&wideDriver[0]);
    driver.pDataFile = reinterpret_cast<LPWSTR>(&wideData[0]);
    driver.pConfigFile = reinterpret_cast<LPWSTR>(&wideConfig[0]);
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY)) {
        *error = "AddPrinterDriverExW failed (error " + std::to_string(GetLastError()) + ")";
        return false;
    }

    printerName = driverName;
    std::u16string port = u"FILE:";
    std::u16string processor = u"WinPrint";
    std::u16string datatype = u"RAW";
    PRINTER_INFO_2W printer;
    memset(&printer, 0, sizeof(printer));
    printer.pPrinterName = reinterpret_cast<LPWSTR>(&printerName[0]);
    printer.pPortName = reinterpret_cast<LPWSTR>(&port[0]);
    printer.pDriverName = reinterpret_cast<LPWSTR>(&driverName[0]);
    printer.pPrintProcessor = reinterpret_cast<LPWSTR>(&processor[0]);
    printer.pDatatype = reinterpret_cast<LPWSTR>(&datatype[0]);
    handle = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    if (handle == nullptr) {
        *error = "AddPrinterW failed (error " + std::to_string(GetLastError()) + ")";
        return false;
    }

    DWORD size = 0;
    GetPrinterDriverW(handle, nullptr, 3, nullptr, 0, &size);
    std::vector<BYTE> block(size + sizeof(DRIVER_INFO_3W));
    if (size == 0 || !GetPrinterDriverW(handle, nullptr, 3, block.data(), size, &size)) {
        *error = "GetPrinterDriverW failed (error " + std::to_string(GetLastError()) + ")";
        Remove();
        return false;
    }
    const DRIVER_INFO_3W* info = reinterpret_cast<const DRIVER_INFO_3W*>(block.data());
    dataFile = info->pDataFile != nullptr ? reinterpret_cast<const char16_t*>(info->pDataFile) : u"";
    // The spooler's own copies go with the printer (the driver record stays).
    for (const WCHAR* copy : {info->pDriverPath, info->pDataFile, info->pConfigFile}) {
        if (copy != nullptr) {
            spoolerFiles.push_back(reinterpret_cast<const char16_t*>(copy));
        }
    }
    return true;
}

void HostPrinter::Remove() {
    if (handle != nullptr) {
        DeletePrinter(handle);
        ClosePrinter(handle);
        handle = nullptr;
    }
    for (const std::string& path : stagedFiles) {
        remove(path.c_str());
    }
    stagedFiles.clear();
    for (const std::u16string& path : spoolerFiles) {
        remove(WideToNarrow(path).c_str());
    }
    spoolerFiles.clear();
    printerName.clear();
    dataFile.clear();
}

bool ReadFileBytes(const std::u16string& path, std::string* bytes) {
    FILE* file = _wfopen(reinterpret_cast<LPCWSTR>(path.c_str()), TEXT("rb"));
    if (file == nullptr) {
        return false;
    }
    bytes->clear();
    char chunk[4096];
    size_t count;
    while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes->append(chunk, count);
    }
    const bool ok = ferror(file) == 0;
    fclose(file);
    return ok;
}

bool WriteFileBytes(const std::u16string& path, const std::string& bytes) {
    FILE* file = _wfopen(reinterpret_cast<LPCWSTR>(path.c_str()), TEXT("wb"));
    if (file == nullptr) {
        return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

// DriverSession

DriverSession::DriverSession(const PluginBinary& binary, SIZE_T heapMaximum) : binary(binary), driverUi(&uiObject) {
    memset(&uiObject, 0, sizeof(uiObject));
    uiObject.cbSize = sizeof(uiObject);
    memset(&publicDevmode, 0, sizeof(publicDevmode));
    memset(&documentParam, 0, sizeof(documentParam));
    memset(&printerParam, 0, sizeof(printerParam));
    memset(pluginItems, 0, sizeof(pluginItems));
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
    if (documentParam.OEMCUIPCallback == nullptr || documentItems == nullptr) {
        return -1;
    }
    // The sheet's array, as it stands now.
    documentParam.pDrvOptItems = documentItems->Items();
    documentParam.cDrvOptItems = static_cast<DWORD>(documentItems->Count());
    CPSUICBPARAM callback;
    memset(&callback, 0, sizeof(callback));
    callback.cbSize = sizeof(callback);
    callback.Reason = reason;
    callback.pOptItem = documentItems->Items();
    callback.cOptItem = static_cast<WORD>(documentItems->Count());
    callback.pCurItem = item < documentItems->Count() ? &documentItems->Item(item) : nullptr;
    callback.OldSel = callback.pCurItem != nullptr ? callback.pCurItem->Sel : 0;
    return documentParam.OEMCUIPCallback(&callback, &documentParam);
}

LONG DriverSession::ChangeSelection(size_t item, LONG sel) {
    if (documentItems == nullptr || item >= documentItems->Count()) {
        return -1;
    }
    documentItems->Item(item).Sel = sel;
    return Callback(CPSUICB_REASON_SEL_CHANGED, item);
}

ColorChange DriverSession::ChangeColor(LONG sel) {
    ColorChange change;
    change.selection = sel;
    change.result = -1;
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

HRESULT DriverSession::QueryColorProfile(std::u16string* name, ULONG* size, FLONG* flags) {
    WCHAR profile[64];
    memset(profile, 0, sizeof(profile));
    *size = sizeof(profile);
    *flags = 0;
    const HRESULT result = plugin->QueryColorProfile(nullptr, &uiObject, &publicDevmode,
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

// RunHost

bool RunHost(const PluginBinary& binary, const HostRunOptions& options, HostReport* report, std::string* error) {
    *report = HostReport();
    DriverPpd ppd;
    if (!ReadDriverPpd(options.ppdPath, &ppd, error)) {
        return false;
    }
    HostPrinter printer;
    if (!printer.Add(options.ppdPath, error)) {
        return false;
    }
    report->dataFile = printer.DataFile();

    DriverSession session(binary);
    // The driver answers the PPD's defaults until told otherwise.
    for (const DriverPpdFeature& feature : ppd.features) {
        if (feature.group == "InstallableOptions" && !feature.defaultOption.empty()) {
            session.DriverUi().SetInstalled(feature.keyword.substr(1), feature.defaultOption);
        }
    }
    for (const auto& value : options.installed) {
        session.DriverUi().SetInstalled(value.first, value.second);
    }
    report->driverInstalled = session.DriverUi().Installed();
    if (!session.Start(error)) {
        return false;
    }
    report->signature = session.Signature();
    report->version = session.Version();
    report->devmodeSize = session.DevmodeSize();

    SheetOptions sheetOptions;
    sheetOptions.colorSelection = options.colorSelection;
    sheetOptions.installed = session.DriverUi().Installed();
    SheetItems documentItems;
    session.FirstCall(OEMCUIP_DOCPROP, printer.Handle());
    BuildDocumentSheet(ppd, sheetOptions, &documentItems);
    session.SecondCall(OEMCUIP_DOCPROP, printer.Handle(), &documentItems);
    for (size_t i = 0; i < documentItems.Count(); ++i) {
        report->documentItems.push_back(ReportItem(documentItems, i));
    }
    const PluginContext* context = session.Context();
    report->documentRead = context != nullptr && context->document != nullptr;
    report->pluginInstalled = PluginInstalledValues(context);
    report->forbidden = PluginForbiddenOptions(context);
    if (options.afterDocumentSheet) {
        options.afterDocumentSheet(context);
    }

    SheetItems printerItems;
    session.FirstCall(OEMCUIP_PRNPROP, printer.Handle());
    BuildPrinterSheet(ppd, sheetOptions, &printerItems);
    session.SecondCall(OEMCUIP_PRNPROP, printer.Handle(), &printerItems);
    for (size_t i = 0; i < printerItems.Count(); ++i) {
        report->printerItems.push_back(ReportItem(printerItems, i));
    }

    for (LONG sel : options.colorChanges) {
        report->colorChanges.push_back(session.ChangeColor(sel));
    }
    report->applyResult = session.Callback(CPSUICB_REASON_APPLYNOW, 0);

    report->profileResult =
        session.QueryColorProfile(&report->profileName, &report->profileSize, &report->profileFlags);
    report->lastRelease = session.Release();
    report->driverUiReferences = session.DriverUi().References();
    report->unloadAnswer = session.CanUnloadNow();
    return true;
}
