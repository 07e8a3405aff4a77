#include "host/driver/printer_registration.h"

#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "host/common/text.h"

namespace {

constexpr char kPathSeparator = KX_PLATFORM_WINDOWS ? '\\' : '/';

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

}  // namespace

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
    std::u16string wideData = ArgumentToUtf16(dataPath);
    std::u16string wideDriver = ArgumentToUtf16(driverPath);
    std::u16string wideConfig = ArgumentToUtf16(configPath);
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
        remove(Utf16ToArgument(path).c_str());
    }
    spoolerFiles.clear();
    printerName.clear();
    dataFile.clear();
}
