#include "host/driver/printer_registration.h"

#include <string.h>
#include <time.h>

#include <vector>

#include "host/common/files.h"
#include "host/common/text.h"

namespace {

// Wine 8 hands out a second printer of a name it already has; none of ours
// is asked for more often than this.
constexpr int kMaxPrintersOfOneName = 8;

std::u16string FileNamePart(const std::u16string& path) {
    const size_t separator = path.find_last_of(u"\\/");
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

// The driver files the spooler's record of driverName names.
std::vector<std::u16string> DriverFiles(const std::u16string& driverName) {
    std::vector<std::u16string> files;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 3, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed + sizeof(DRIVER_INFO_3W));
    if (needed == 0 || !EnumPrinterDriversW(nullptr, nullptr, 3, block.data(), needed, &needed, &count)) {
        return files;
    }
    const DRIVER_INFO_3W* records = reinterpret_cast<const DRIVER_INFO_3W*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        if (records[i].pName == nullptr || driverName != reinterpret_cast<const char16_t*>(records[i].pName)) {
            continue;
        }
        for (const WCHAR* file : {records[i].pDriverPath, records[i].pDataFile, records[i].pConfigFile}) {
            if (file != nullptr) {
                files.push_back(reinterpret_cast<const char16_t*>(file));
            }
        }
    }
    return files;
}

}  // namespace

std::u16string NewRegistrationTag() {
    static unsigned counter = 0;
    return Utf8ToUtf16(Hex8(GetCurrentProcessId()) + "-" + Hex8(static_cast<unsigned>(time(nullptr))) + "-" +
                       Hex8(++counter));
}

Registration RegistrationFor(const std::u16string& folder, const std::u16string& tag, size_t dataFileNameLength) {
    Registration registration;
    registration.folder = folder;
    registration.printerName = u"kxpsui-host printer " + tag;
    registration.driverName = u"kxpsui-host driver " + tag;
    std::u16string data = u"kxpsui-host-" + tag;
    if (dataFileNameLength > data.size() + 4) {
        data.append(dataFileNameLength - data.size() - 4, u'x');
    }
    registration.dataFileName = data + u".ppd";
    // The spooler copies the driver's files too; they only have to exist.
    registration.driverFileName = u"kxpsui-host-" + tag + u"-drv.dll";
    registration.configFileName = u"kxpsui-host-" + tag + u"-ui.dll";
    return registration;
}

void RemoveRegistration(const Registration& registration) {
    if (registration.printerName.empty() || registration.driverName.empty()) {
        return;  // Wine deletes every driver for a null name
    }
    std::u16string printerName = registration.printerName;
    HANDLE printer = nullptr;
    for (int i = 0; i < kMaxPrintersOfOneName && OpenPrinterW(AsWide(&printerName), &printer, nullptr); ++i) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    const std::vector<std::u16string> copies = DriverFiles(registration.driverName);
    std::u16string driverName = registration.driverName;
    DeletePrinterDriverExW(nullptr, nullptr, AsWide(&driverName), 0, 0);
    const std::u16string ours[] = {registration.dataFileName, registration.driverFileName, registration.configFileName};
    for (const std::u16string& copy : copies) {
        for (const std::u16string& name : ours) {
            if (FileNamePart(copy) == name) {
                DeleteFileW(AsWide(copy));
            }
        }
    }
    if (registration.folder.empty()) {
        return;
    }
    for (const std::u16string& name : ours) {
        DeleteFileW(AsWide(JoinPath(registration.folder, name)));
    }
}

HANDLE AddRegistration(const std::string& ppdPath, const Registration& names, std::string* error) {
    std::string bytes;
    if (!ReadFileBytes(ppdPath, &bytes)) {
        *error = "cannot read " + ppdPath;
        return nullptr;
    }
    std::u16string dataPath = JoinPath(names.folder, names.dataFileName);
    std::u16string driverPath = JoinPath(names.folder, names.driverFileName);
    std::u16string configPath = JoinPath(names.folder, names.configFileName);
    if (!WriteFileBytes(dataPath, bytes) || !WriteFileBytes(driverPath, "driver") ||
        !WriteFileBytes(configPath, "config")) {
        *error = "cannot stage the PPD in " + Utf16ToUtf8(names.folder);
        return nullptr;
    }

    std::u16string driverName = names.driverName;
    DRIVER_INFO_3W driver;
    memset(&driver, 0, sizeof(driver));
    driver.cVersion = 3;
    driver.pName = AsWide(&driverName);
    driver.pDriverPath = AsWide(&driverPath);
    driver.pDataFile = AsWide(&dataPath);
    driver.pConfigFile = AsWide(&configPath);
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY)) {
        *error = "AddPrinterDriverExW failed (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }

    std::u16string printerName = names.printerName;
    std::u16string port = u"FILE:";
    std::u16string processor = u"WinPrint";
    std::u16string datatype = u"RAW";
    PRINTER_INFO_2W printer;
    memset(&printer, 0, sizeof(printer));
    printer.pPrinterName = AsWide(&printerName);
    printer.pPortName = AsWide(&port);
    printer.pDriverName = AsWide(&driverName);
    printer.pPrintProcessor = AsWide(&processor);
    printer.pDatatype = AsWide(&datatype);
    const HANDLE handle = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    if (handle == nullptr) {
        *error = "AddPrinterW failed (error " + std::to_string(GetLastError()) + ")";
    }
    return handle;
}

bool HostPrinter::Add(const std::string& ppdPath, std::string* error, size_t dataFileNameLength) {
    Remove();
    if (!ownFolder.Create("kxpsui-printer", error)) {
        return false;
    }
    return Register(ppdPath, RegistrationFor(ownFolder.Path(), NewRegistrationTag(), dataFileNameLength), error);
}

bool HostPrinter::Add(const std::string& ppdPath, const Registration& names, std::string* error) {
    Remove();
    return Register(ppdPath, names, error);
}

bool HostPrinter::Register(const std::string& ppdPath, const Registration& names, std::string* error) {
    registration = names;
    registered = true;
    printerName = names.printerName;
    handle = AddRegistration(ppdPath, names, error);
    return handle != nullptr && ReadDataFile(error);
}

bool HostPrinter::Open(const std::u16string& name, std::string* error) {
    Remove();
    printerName = name;
    if (!OpenPrinterW(AsWide(&printerName), &handle, nullptr)) {
        handle = nullptr;
        *error = "no printer named \"" + Utf16ToUtf8(name) + "\" (OpenPrinterW error " +
                 std::to_string(GetLastError()) + ")";
        return false;
    }
    return ReadDataFile(error);
}

bool HostPrinter::ReadDataFile(std::string* error) {
    DWORD size = 0;
    GetPrinterDriverW(handle, nullptr, 3, nullptr, 0, &size);
    std::vector<BYTE> block(size + sizeof(DRIVER_INFO_3W));
    if (size == 0 || !GetPrinterDriverW(handle, nullptr, 3, block.data(), size, &size)) {
        *error = "GetPrinterDriverW failed (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    const DRIVER_INFO_3W* info = reinterpret_cast<const DRIVER_INFO_3W*>(block.data());
    dataFile = info->pDataFile != nullptr ? reinterpret_cast<const char16_t*>(info->pDataFile) : u"";
    return true;
}

void HostPrinter::Remove() {
    if (handle != nullptr) {
        if (registered) {
            DeletePrinter(handle);
        }
        ClosePrinter(handle);
        handle = nullptr;
    }
    if (registered) {
        RemoveRegistration(registration);
        registered = false;
    }
    ownFolder.Remove();
    printerName.clear();
    dataFile.clear();
}
