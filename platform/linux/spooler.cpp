// Spooler: an in-memory table of drivers and printers, shared by everything
// in the process. Files are not copied: the driver record reports the paths
// it was given.
#include <pthread.h>
#include <string.h>
#include <sys/stat.h>

#include <new>
#include <string>
#include <vector>

#include "platform/linux/internal.h"
#include "platform/platform.h"

namespace {

typedef std::basic_string<WCHAR> WString;

const WCHAR kEnvironment[] = u"Windows x64";

struct Driver {
    DWORD version;
    WString name;
    WString driverPath;
    WString dataFile;
    WString configFile;
    WString helpFile;
    WString dependentFiles;  // a list of NUL-terminated names, ended by an empty one
    WString monitorName;
    WString defaultDataType;
};

struct Printer {
    WString name;
    WString driverName;
    bool deleted;
    int handles;
};

struct PrinterHandle {
    Printer* printer;
};

pthread_mutex_t spoolerLock = PTHREAD_MUTEX_INITIALIZER;
std::vector<Driver>* drivers;
std::vector<Printer*>* printers;
std::vector<PrinterHandle*>* handles;

// Holds the lock; creates the tables on first use.
class Locked {
  public:
    Locked() {
        pthread_mutex_lock(&spoolerLock);
        if (drivers == nullptr) {
            drivers = new (std::nothrow) std::vector<Driver>;
            printers = new (std::nothrow) std::vector<Printer*>;
            handles = new (std::nothrow) std::vector<PrinterHandle*>;
        }
    }
    ~Locked() { pthread_mutex_unlock(&spoolerLock); }
    bool Ready() const { return drivers != nullptr && printers != nullptr && handles != nullptr; }
};

WString Text(const WCHAR* text) {
    return text != nullptr ? WString(text) : WString();
}

WString MultiText(const WCHAR* list) {
    if (list == nullptr) {
        return WString();
    }
    size_t length = 0;
    while (list[length] != 0) {
        length += wcslen(list + length) + 1;
    }
    return WString(list, length + 1);
}

// Printer and driver names compare without regard to ASCII case.
bool SameName(const WString& a, const WCHAR* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i) {
        WCHAR x = a[i];
        WCHAR y = b[i];
        if (x >= u'A' && x <= u'Z') {
            x = static_cast<WCHAR>(x + 32);
        }
        if (y >= u'A' && y <= u'Z') {
            y = static_cast<WCHAR>(y + 32);
        }
        if (x != y) {
            return false;
        }
    }
    return i == a.size() && b[i] == 0;
}

Driver* FindDriver(const WCHAR* name) {
    for (Driver& driver : *drivers) {
        if (SameName(driver.name, name)) {
            return &driver;
        }
    }
    return nullptr;
}

Printer* FindPrinter(const WCHAR* name) {
    for (Printer* printer : *printers) {
        if (!printer->deleted && SameName(printer->name, name)) {
            return printer;
        }
    }
    return nullptr;
}

bool FileExists(const WCHAR* path) {
    struct stat info;
    return stat(kxplat::Utf16ToUtf8(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

size_t HandleIndex(HANDLE handle) {
    for (size_t i = 0; i < handles->size(); ++i) {
        if ((*handles)[i] == handle) {
            return i;
        }
    }
    return static_cast<size_t>(-1);
}

HANDLE NewHandle(Printer* printer) {
    PrinterHandle* handle = new (std::nothrow) PrinterHandle{printer};
    if (handle == nullptr) {
        return nullptr;
    }
    handles->push_back(handle);
    ++printer->handles;
    return handle;
}

void ForgetPrinter(Printer* printer) {
    for (size_t i = 0; i < printers->size(); ++i) {
        if ((*printers)[i] == printer) {
            printers->erase(printers->begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    delete printer;
}

// Copies the strings after the record, as the platform packs them into the
// caller's block; empty strings are reported as null.
LPWSTR Pack(const WString& text, BYTE** cursor) {
    if (text.empty()) {
        return nullptr;
    }
    LPWSTR out = reinterpret_cast<LPWSTR>(*cursor);
    const size_t units = text.back() == 0 ? text.size() : text.size() + 1;
    memcpy(out, text.c_str(), units * sizeof(WCHAR));
    *cursor += units * sizeof(WCHAR);
    return out;
}

size_t PackedSize(const WString& text) {
    if (text.empty()) {
        return 0;
    }
    return (text.back() == 0 ? text.size() : text.size() + 1) * sizeof(WCHAR);
}

const WString kEnvironmentName(kEnvironment);

// The strings of a driver record at level 3, in the record's order.
std::vector<const WString*> DriverStrings(const Driver& driver) {
    return {&driver.name,     &kEnvironmentName,      &driver.driverPath,  &driver.dataFile,       &driver.configFile,
            &driver.helpFile, &driver.dependentFiles, &driver.monitorName, &driver.defaultDataType};
}

size_t DriverStringsSize(const Driver& driver) {
    size_t size = 0;
    for (const WString* text : DriverStrings(driver)) {
        size += PackedSize(*text);
    }
    return size;
}

void PackDriver(const Driver& driver, DRIVER_INFO_3W* info, BYTE** cursor) {
    info->cVersion = driver.version;
    info->pName = Pack(driver.name, cursor);
    info->pEnvironment = Pack(kEnvironmentName, cursor);
    info->pDriverPath = Pack(driver.driverPath, cursor);
    info->pDataFile = Pack(driver.dataFile, cursor);
    info->pConfigFile = Pack(driver.configFile, cursor);
    info->pHelpFile = Pack(driver.helpFile, cursor);
    info->pDependentFiles = Pack(driver.dependentFiles, cursor);
    info->pMonitorName = Pack(driver.monitorName, cursor);
    info->pDefaultDataType = Pack(driver.defaultDataType, cursor);
}

// Only the local spooler and its one environment exist.
bool CheckServerAndEnvironment(LPWSTR name, LPWSTR environment) {
    if (name != nullptr && name[0] != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (environment != nullptr && !SameName(kEnvironmentName, environment)) {
        SetLastError(ERROR_INVALID_ENVIRONMENT);
        return false;
    }
    return true;
}

}  // namespace

extern "C" BOOL WINAPI AddPrinterDriverExW(LPWSTR pName, DWORD Level, LPBYTE pDriverInfo, DWORD /*dwFileCopyFlags*/) {
    if (pName != nullptr && pName[0] != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);  // only the local spooler exists
        return FALSE;
    }
    if (Level != 2 && Level != 3) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    const DRIVER_INFO_3W* info = reinterpret_cast<const DRIVER_INFO_3W*>(pDriverInfo);
    if (info == nullptr || info->pName == nullptr || info->pName[0] == 0 || info->pDriverPath == nullptr ||
        info->pDataFile == nullptr || info->pConfigFile == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!FileExists(info->pDriverPath) || !FileExists(info->pDataFile) || !FileExists(info->pConfigFile)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    Driver driver;
    driver.version = info->cVersion;
    driver.name = info->pName;
    driver.driverPath = info->pDriverPath;
    driver.dataFile = info->pDataFile;
    driver.configFile = info->pConfigFile;
    if (Level == 3) {
        driver.helpFile = Text(info->pHelpFile);
        driver.dependentFiles = MultiText(info->pDependentFiles);
        driver.monitorName = Text(info->pMonitorName);
        driver.defaultDataType = Text(info->pDefaultDataType);
    }
    Locked lock;
    if (!lock.Ready()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    // Adding a driver again replaces its record, as an upgrade does.
    Driver* existing = FindDriver(info->pName);
    if (existing != nullptr) {
        *existing = driver;
    } else {
        drivers->push_back(driver);
    }
    return TRUE;
}

extern "C" HANDLE WINAPI AddPrinterW(LPWSTR pName, DWORD Level, LPBYTE pPrinter) {
    if (pName != nullptr && pName[0] != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (Level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return nullptr;
    }
    const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(pPrinter);
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (info->pPrinterName == nullptr || info->pPrinterName[0] == 0) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return nullptr;
    }
    Locked lock;
    if (!lock.Ready()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (FindPrinter(info->pPrinterName) != nullptr) {
        SetLastError(ERROR_PRINTER_ALREADY_EXISTS);
        return nullptr;
    }
    if (info->pDriverName == nullptr || FindDriver(info->pDriverName) == nullptr) {
        SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
        return nullptr;
    }
    Printer* printer = new (std::nothrow) Printer{info->pPrinterName, info->pDriverName, false, 0};
    if (printer == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    printers->push_back(printer);
    HANDLE handle = NewHandle(printer);
    if (handle == nullptr) {
        ForgetPrinter(printer);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return handle;
}

extern "C" BOOL WINAPI OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW /*pDefault*/) {
    if (phPrinter == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *phPrinter = nullptr;
    Locked lock;
    Printer* printer = nullptr;
    if (lock.Ready() && pPrinterName != nullptr) {
        printer = FindPrinter(pPrinterName);
    }
    if (printer == nullptr) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
    }
    *phPrinter = NewHandle(printer);
    if (*phPrinter == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI ClosePrinter(HANDLE hPrinter) {
    Locked lock;
    const size_t index = lock.Ready() ? HandleIndex(hPrinter) : static_cast<size_t>(-1);
    if (index == static_cast<size_t>(-1)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    PrinterHandle* handle = (*handles)[index];
    handles->erase(handles->begin() + static_cast<std::ptrdiff_t>(index));
    Printer* printer = handle->printer;
    delete handle;
    // A deleted printer goes away with its last handle.
    if (--printer->handles == 0 && printer->deleted) {
        ForgetPrinter(printer);
    }
    return TRUE;
}

extern "C" BOOL WINAPI DeletePrinter(HANDLE hPrinter) {
    Locked lock;
    const size_t index = lock.Ready() ? HandleIndex(hPrinter) : static_cast<size_t>(-1);
    if (index == static_cast<size_t>(-1)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    (*handles)[index]->printer->deleted = true;
    return TRUE;
}

extern "C" BOOL WINAPI GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                         DWORD cbBuf, LPDWORD pcbNeeded) {
    Locked lock;
    const size_t index = lock.Ready() ? HandleIndex(hPrinter) : static_cast<size_t>(-1);
    if (index == static_cast<size_t>(-1)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (Level != 3) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (pEnvironment != nullptr && !SameName(WString(kEnvironment), pEnvironment)) {
        SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
        return FALSE;
    }
    if (pcbNeeded == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Driver* driver = FindDriver((*handles)[index]->printer->driverName.c_str());
    if (driver == nullptr) {
        SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
        return FALSE;
    }
    const size_t needed = sizeof(DRIVER_INFO_3W) + DriverStringsSize(*driver);
    *pcbNeeded = static_cast<DWORD>(needed);
    if (pDriverInfo == nullptr || cbBuf < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    BYTE* cursor = pDriverInfo + sizeof(DRIVER_INFO_3W);
    PackDriver(*driver, reinterpret_cast<DRIVER_INFO_3W*>(pDriverInfo), &cursor);
    return TRUE;
}

// As Wine's: deleting the driver's files with the record (any dwDeleteFlag)
// is not provided. As the platform's: a driver that a printer still uses,
// one deleted but not yet closed among them, stays, and an unknown name is
// ERROR_UNKNOWN_PRINTER_DRIVER (Wine deletes the record of a driver in use,
// and leaves the last error alone for an unknown one).
extern "C" BOOL WINAPI DeletePrinterDriverExW(LPWSTR pName, LPWSTR pEnvironment, LPWSTR pDriverName, DWORD dwDeleteFlag,
                                              DWORD /*dwVersionFlag*/) {
    if (!CheckServerAndEnvironment(pName, pEnvironment)) {
        return FALSE;
    }
    if (dwDeleteFlag != 0 || pDriverName == nullptr || pDriverName[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Locked lock;
    Driver* driver = lock.Ready() ? FindDriver(pDriverName) : nullptr;
    if (driver == nullptr) {
        SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
        return FALSE;
    }
    for (const Printer* printer : *printers) {
        if (SameName(printer->driverName, pDriverName)) {
            SetLastError(ERROR_PRINTER_DRIVER_IN_USE);
            return FALSE;
        }
    }
    drivers->erase(drivers->begin() + (driver - drivers->data()));
    return TRUE;
}

// Level 3: the records one after the other, then their strings.
extern "C" BOOL WINAPI EnumPrinterDriversW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                           DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned) {
    if (!CheckServerAndEnvironment(pName, pEnvironment)) {
        return FALSE;
    }
    if (Level != 3) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (pcbNeeded == nullptr || pcReturned == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Locked lock;
    if (!lock.Ready()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    size_t needed = drivers->size() * sizeof(DRIVER_INFO_3W);
    for (const Driver& driver : *drivers) {
        needed += DriverStringsSize(driver);
    }
    *pcbNeeded = static_cast<DWORD>(needed);
    *pcReturned = 0;
    if (needed > cbBuf || (pDriverInfo == nullptr && needed > 0)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    DRIVER_INFO_3W* records = reinterpret_cast<DRIVER_INFO_3W*>(pDriverInfo);
    BYTE* cursor = pDriverInfo + drivers->size() * sizeof(DRIVER_INFO_3W);
    for (size_t i = 0; i < drivers->size(); ++i) {
        PackDriver((*drivers)[i], &records[i], &cursor);
    }
    *pcReturned = static_cast<DWORD>(drivers->size());
    return TRUE;
}
