// The spooler's driver and printer records. Names carry the process ID:
// tests in several locales run at once against one Wine prefix.
#include <gtest/gtest.h>
#include <stdio.h>

#include <vector>

#include "tests/platform/platform_test_util.h"
#if !KX_PLATFORM_WINDOWS
#include <unistd.h>
#endif

namespace {

// The full path of a file in the working directory, in the platform's form.
WideString FullPath(const std::string& name) {
#if KX_PLATFORM_WINDOWS
    WCHAR full[MAX_PATH];
    const DWORD length = GetFullPathNameW(Units(name.c_str()).c_str(), MAX_PATH, full, nullptr);
    return WideString(full, length);
#else
    char directory[4096];
    if (getcwd(directory, sizeof(directory)) == nullptr) {
        return WideString();
    }
    return Units((std::string(directory) + "/" + name).c_str());
#endif
}

WideString FileNamePart(const WCHAR* path) {
    const WCHAR* name = path;
    for (const WCHAR* p = path; *p != 0; ++p) {
        if (*p == u'\\' || *p == u'/') {
            name = p + 1;
        }
    }
    return WideString(name);
}

// A file's bytes, or "<cannot open>".
std::string ReadFile(const WCHAR* path) {
    FILE* file = _wfopen(path, TEXT("rb"));
    if (file == nullptr) {
        return "<cannot open>";
    }
    const std::string contents = StreamBytes(file);
    fclose(file);
    return contents;
}

class Spooler : public testing::Test {
  protected:
    void SetUp() override {
        const std::string tag = std::to_string(ProcessId());
        dataName = "kx_spool_" + tag + ".ppd";
        driverName = "kx_spool_" + tag + "_drv.dll";
        configName = "kx_spool_" + tag + "_ui.dll";
        dataContents = "*PPD-Adobe: \"4.3\"\n*% written by process " + tag + "\n";
        ASSERT_TRUE(WriteFileBytes(dataName, dataContents));
        ASSERT_TRUE(WriteFileBytes(driverName, "driver " + tag));
        ASSERT_TRUE(WriteFileBytes(configName, "config " + tag));
        driverModel = Units(("KX Test Driver " + tag).c_str());
        printerName = Units(("KX Test Printer " + tag).c_str());
        dataPath = FullPath(dataName);
        driverPath = FullPath(driverName);
        configPath = FullPath(configName);

        DRIVER_INFO_3W info = {};
        info.cVersion = 3;
        info.pName = &driverModel[0];
        info.pDriverPath = &driverPath[0];
        info.pDataFile = &dataPath[0];
        info.pConfigFile = &configPath[0];
        ASSERT_TRUE(AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&info),
                                        APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY))
            << "error " << GetLastError();
        driverRegistered = true;
        printer = AddTestPrinter(printerName, driverModel);
        ASSERT_NE(nullptr, printer) << "error " << GetLastError();
        ASSERT_TRUE(FindDriver(&spoolerCopies));
    }

    // Nothing of the test is left: the printer, the driver's record, the
    // copies the spooler made of its files, the files themselves.
    void TearDown() override {
        if (printer != nullptr) {
            EXPECT_TRUE(DeletePrinter(printer));
            EXPECT_TRUE(ClosePrinter(printer));
        }
        if (driverRegistered) {
            EXPECT_TRUE(DeletePrinterDriverExW(nullptr, nullptr, &driverModel[0], 0, 0)) << "error " << GetLastError();
        }
        for (const WideString& copy : spoolerCopies) {
            DeleteFileW(copy.c_str());
        }
        remove(dataName.c_str());
        remove(driverName.c_str());
        remove(configName.c_str());
    }

    // The registered driver's record as EnumPrinterDriversW gives it, with
    // its files; false when it is not there.
    bool FindDriver(std::vector<WideString>* files) {
        DWORD needed = 0;
        DWORD count = 0;
        EnumPrinterDriversW(nullptr, nullptr, 3, nullptr, 0, &needed, &count);
        std::vector<BYTE> block(needed + sizeof(DRIVER_INFO_3W));
        EXPECT_TRUE(EnumPrinterDriversW(nullptr, nullptr, 3, block.data(), needed, &needed, &count));
        const DRIVER_INFO_3W* records = reinterpret_cast<const DRIVER_INFO_3W*>(block.data());
        for (DWORD i = 0; i < count; ++i) {
            if (records[i].pName != nullptr && WideString(records[i].pName) == driverModel) {
                for (const WCHAR* file : {records[i].pDriverPath, records[i].pDataFile, records[i].pConfigFile}) {
                    files->push_back(file != nullptr ? WideString(file) : WideString());
                }
                return true;
            }
        }
        return false;
    }

    HANDLE AddTestPrinter(WideString name, WideString driver) {
        WideString port = TEXT("FILE:");
        WideString processor = TEXT("WinPrint");
        WideString datatype = TEXT("RAW");
        PRINTER_INFO_2W info = {};
        info.pPrinterName = &name[0];
        info.pPortName = &port[0];
        info.pDriverName = &driver[0];
        info.pPrintProcessor = &processor[0];
        info.pDatatype = &datatype[0];
        return AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    }

    std::string dataName, driverName, configName, dataContents;
    WideString driverModel, printerName, dataPath, driverPath, configPath;
    HANDLE printer = nullptr;
    bool driverRegistered = false;
    std::vector<WideString> spoolerCopies;  // where the spooler keeps the driver's files
};

}  // namespace

TEST_F(Spooler, DriverRecordIsPackedIntoTheCallersBuffer) {
    DWORD needed = kPoison;
    SetLastError(kPoison);
    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    ASSERT_GT(needed, sizeof(DRIVER_INFO_3W));
    ASSERT_LT(needed, 64u * 1024);

    std::string block(needed + 16, '\x55');
    DWORD neededAgain = kPoison;
    SetLastError(kPoison);
    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 3, reinterpret_cast<LPBYTE>(&block[0]), needed - 1, &neededAgain));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(needed, neededAgain);

    ASSERT_TRUE(GetPrinterDriverW(printer, nullptr, 3, reinterpret_cast<LPBYTE>(&block[0]), needed, &neededAgain));
    EXPECT_EQ('\x55', block[needed]) << "nothing is written past the size";
    const DRIVER_INFO_3W* info = reinterpret_cast<const DRIVER_INFO_3W*>(block.data());
    EXPECT_EQ(3u, info->cVersion);
    // Every string lies, terminator included, inside the block after the record.
    const WCHAR* strings[] = {info->pName,       info->pEnvironment, info->pDriverPath,  info->pDataFile,
                              info->pConfigFile, info->pHelpFile,    info->pMonitorName, info->pDefaultDataType};
    for (const WCHAR* text : strings) {
        if (text == nullptr) {
            continue;
        }
        const char* begin = reinterpret_cast<const char*>(text);
        const char* end = reinterpret_cast<const char*>(text + lstrlenW(text) + 1);
        EXPECT_GE(begin, block.data() + sizeof(DRIVER_INFO_3W)) << Printable(text, lstrlenW(text));
        EXPECT_LE(end, block.data() + needed) << Printable(text, lstrlenW(text));
    }
    ASSERT_NE(nullptr, info->pName);
    EXPECT_EQ(Printable(driverModel), Printable(info->pName, lstrlenW(info->pName)));
    ASSERT_NE(nullptr, info->pEnvironment);
    EXPECT_EQ("Windows x64", Printable(info->pEnvironment, lstrlenW(info->pEnvironment)));
    ASSERT_NE(nullptr, info->pDriverPath);
    EXPECT_EQ(Printable(FileNamePart(driverPath.c_str())), Printable(FileNamePart(info->pDriverPath)));
    ASSERT_NE(nullptr, info->pConfigFile);
    EXPECT_EQ(Printable(FileNamePart(configPath.c_str())), Printable(FileNamePart(info->pConfigFile)));
    // The data file reported may be the spooler's copy; it holds the same bytes.
    ASSERT_NE(nullptr, info->pDataFile);
    EXPECT_EQ(Printable(FileNamePart(dataPath.c_str())), Printable(FileNamePart(info->pDataFile)));
    EXPECT_EQ(dataContents, ReadFile(info->pDataFile));
}

TEST_F(Spooler, OpenedByNameGivesTheSameDriver) {
    HANDLE opened = nullptr;
    ASSERT_TRUE(OpenPrinterW(&printerName[0], &opened, nullptr)) << "error " << GetLastError();
    EXPECT_NE(printer, opened);
    std::string block(4096, '\0');
    DWORD needed = 0;
    ASSERT_TRUE(GetPrinterDriverW(opened, nullptr, 3, reinterpret_cast<LPBYTE>(&block[0]), 4096, &needed));
    const DRIVER_INFO_3W* info = reinterpret_cast<const DRIVER_INFO_3W*>(block.data());
    EXPECT_EQ(Printable(driverModel), Printable(info->pName, lstrlenW(info->pName)));
    EXPECT_TRUE(ClosePrinter(opened));
}

TEST_F(Spooler, ErrorsFollowThePlatform) {
    std::string block(4096, '\0');
    DWORD needed = 0;
    SetLastError(kPoison);
    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 99, reinterpret_cast<LPBYTE>(&block[0]), 4096, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_LEVEL), GetLastError());

    SetLastError(kPoison);
    EXPECT_FALSE(GetPrinterDriverW(nullptr, nullptr, 3, reinterpret_cast<LPBYTE>(&block[0]), 4096, &needed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    SetLastError(kPoison);
    HANDLE duplicate = AddTestPrinter(printerName, driverModel);
#if KX_PLATFORM_WINDOWS
    // Wine 8 hands out a printer of a name it already has; Windows refuses
    // it with ERROR_PRINTER_ALREADY_EXISTS, as the Linux stand-in does.
    EXPECT_NE(nullptr, duplicate);
    if (duplicate != nullptr) {
        EXPECT_TRUE(ClosePrinter(duplicate));
    }
#else
    EXPECT_EQ(nullptr, duplicate);
    EXPECT_EQ(static_cast<DWORD>(ERROR_PRINTER_ALREADY_EXISTS), GetLastError());
#endif

    SetLastError(kPoison);
    EXPECT_EQ(nullptr, AddTestPrinter(printerName + TEXT(" other"), driverModel + TEXT(" missing")));
    EXPECT_EQ(static_cast<DWORD>(ERROR_UNKNOWN_PRINTER_DRIVER), GetLastError());

    HANDLE opened = nullptr;
    WideString missing = printerName + TEXT(" missing");
    SetLastError(kPoison);
    EXPECT_FALSE(OpenPrinterW(&missing[0], &opened, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME), GetLastError());
}

TEST_F(Spooler, MissingDriverFileIsRefused) {
    WideString missing = FullPath(ScratchName("kx_spool_missing", ".ppd"));
    WideString name = driverModel + TEXT(" without data");
    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    info.pName = &name[0];
    info.pDriverPath = &driverPath[0];
    info.pDataFile = &missing[0];
    info.pConfigFile = &configPath[0];
    SetLastError(kPoison);
    const BOOL added =
        AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&info), APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
#if KX_PLATFORM_WINDOWS
    // Wine 8 registers the driver without its data file; Windows refuses it
    // with ERROR_FILE_NOT_FOUND, as the Linux stand-in does. The record goes
    // again (its other files are the fixture's).
    EXPECT_TRUE(added);
    EXPECT_TRUE(DeletePrinterDriverExW(nullptr, nullptr, &name[0], 0, 0));
#else
    EXPECT_FALSE(added);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
#endif
}

TEST_F(Spooler, DeletedPrinterCannotBeOpened) {
    ASSERT_TRUE(DeletePrinter(printer));
    ASSERT_TRUE(ClosePrinter(printer));
    printer = nullptr;
    HANDLE opened = nullptr;
    SetLastError(kPoison);
    EXPECT_FALSE(OpenPrinterW(&printerName[0], &opened, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME), GetLastError());
}

TEST_F(Spooler, EnumeratedDrivers_TheRecordWithItsFilesAfterTheSizeAsked) {
    DWORD needed = kPoison;
    DWORD count = kPoison;
    SetLastError(kPoison);
    EXPECT_FALSE(EnumPrinterDriversW(nullptr, nullptr, 3, nullptr, 0, &needed, &count));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_GE(needed, sizeof(DRIVER_INFO_3W));
    SetLastError(kPoison);
    EXPECT_FALSE(EnumPrinterDriversW(nullptr, nullptr, 99, nullptr, 0, &needed, &count));
#if !KX_PLATFORM_WINDOWS
    // Wine 8 refuses an unknown level without a reason; the platform says
    // ERROR_INVALID_LEVEL, as the stand-in does.
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_LEVEL), GetLastError());
#endif
    ASSERT_EQ(3u, spoolerCopies.size()) << "the record lists the driver, data and configuration files";
    EXPECT_EQ(Printable(FileNamePart(driverPath.c_str())), Printable(FileNamePart(spoolerCopies[0].c_str())));
    EXPECT_EQ(Printable(FileNamePart(dataPath.c_str())), Printable(FileNamePart(spoolerCopies[1].c_str())));
    EXPECT_EQ(Printable(FileNamePart(configPath.c_str())), Printable(FileNamePart(spoolerCopies[2].c_str())));
    EXPECT_EQ(dataContents, ReadFile(spoolerCopies[1].c_str()));
}

TEST_F(Spooler, DeletedDriver_WithoutItsFilesAndOnceItsPrinterIsGone) {
    SetLastError(kPoison);
    EXPECT_FALSE(DeletePrinterDriverExW(nullptr, nullptr, &driverModel[0], DPD_DELETE_UNUSED_FILES, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << "Wine deletes no files";
#if !KX_PLATFORM_WINDOWS
    // Wine 8 deletes the record of a driver that a printer uses; the
    // platform refuses it, as the stand-in does.
    SetLastError(kPoison);
    EXPECT_FALSE(DeletePrinterDriverExW(nullptr, nullptr, &driverModel[0], 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PRINTER_DRIVER_IN_USE), GetLastError());
#endif
    ASSERT_TRUE(DeletePrinter(printer));
    ASSERT_TRUE(ClosePrinter(printer));
    printer = nullptr;
    EXPECT_TRUE(DeletePrinterDriverExW(nullptr, nullptr, &driverModel[0], 0, 0)) << "error " << GetLastError();
    driverRegistered = false;
    std::vector<WideString> files;
    EXPECT_FALSE(FindDriver(&files));
    for (const WideString& copy : spoolerCopies) {
        EXPECT_FALSE(ReadFile(copy.c_str()) == "<cannot open>") << "the files stay: " << Printable(copy);
    }
    SetLastError(kPoison);
    EXPECT_FALSE(DeletePrinterDriverExW(nullptr, nullptr, &driverModel[0], 0, 0));
#if !KX_PLATFORM_WINDOWS
    // Wine 8 leaves the last error alone for a driver it does not have.
    EXPECT_EQ(static_cast<DWORD>(ERROR_UNKNOWN_PRINTER_DRIVER), GetLastError());
#endif
}
