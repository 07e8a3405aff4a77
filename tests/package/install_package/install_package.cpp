// Registers a driver package with the spooler the way the printer class
// installer leaves it, and removes it again (the package's end-to-end test
// under Wine; Windows only):
//   install PACKAGE MODEL PRINTER
//       reads PACKAGE\kxpsui.inf with the platform's INF reader: the install
//       section of the model line named MODEL, its DataFile and the files of
//       its CopyFiles lists. Stages those files, and stand-ins for the
//       PostScript driver's driver and configuration files, in the printer
//       driver directory, registers the driver MODEL on them (the data file
//       as data file, the other copied files as dependent files), from where
//       the spooler takes them into the directory of the driver's version,
//       adds the printer PRINTER on it and prints "driver directory PATH"
//       and "data file PATH" (as the spooler reports it for the printer).
//       Refused when the printer or the driver exists, or one of the files
//       is in the driver directory already, so that remove deletes only what
//       install placed.
//   remove PRINTER DRIVER
//       deletes the printer, the driver's record (flags 0: Wine 8 refuses
//       the file-deletion flags) and the files the record names, in the
//       driver directory and below it; exit 1 while any of them is still
//       there.
//   list
//       one line per driver ("driver NAME"), printer ("printer NAME") and
//       file under the driver directory ("file RELATIVE-PATH"), sorted.
// Exit status: 0 done, 1 failed (one line on stderr each), 2 usage.
// windows.h first: the other platform headers build on it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <setupapi.h>
#include <shellapi.h>
#include <stdio.h>
#include <winspool.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr WCHAR kEnvironment[] = L"Windows x64";
// Stand-ins for the platform PostScript driver's files, which the INF
// names through Needs=PSCRIPT.OEM; the spooler only needs them to exist.
constexpr WCHAR kDriverFile[] = L"PSCRIPT5.DLL";
constexpr WCHAR kConfigFile[] = L"PS5UI.DLL";
constexpr char kStandInText[] = "stand-in for the platform's PostScript driver file\r\n";
// The printer driver directory as an INF's DestinationDirs names it.
constexpr WCHAR kDriverDirectoryId[] = L"66000";

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) {
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    }
    return bytes;
}

int Fail(const std::string& reason) {
    fprintf(stderr, "install_package: %s\n", reason.c_str());
    return 1;
}

std::string Error(const char* call) {
    return std::string(call) + " failed (error " + std::to_string(GetLastError()) + ")";
}

std::wstring FileNamePart(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring DriverDirectory() {
    WCHAR path[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, const_cast<WCHAR*>(kEnvironment), 1, reinterpret_cast<BYTE*>(path),
                                    sizeof(path), &needed)) {
        return std::wstring();
    }
    return path;
}

// The model's files as its install section names them.
struct InfModel {
    std::wstring dataFile;
    std::vector<std::wstring> files;  // every file of its CopyFiles lists
};

std::wstring Field(INFCONTEXT* line, DWORD index) {
    WCHAR text[1024];
    DWORD size = 0;
    return SetupGetStringFieldW(line, index, text, 1024, &size) ? text : L"";
}

std::wstring Value(HINF inf, const std::wstring& section, const WCHAR* key) {
    INFCONTEXT line;
    return SetupFindFirstLineW(inf, section.c_str(), key, &line) ? Field(&line, 1) : L"";
}

// The install section of the x64 model line named model.
std::wstring InstallSection(HINF inf, const std::wstring& model) {
    INFCONTEXT manufacturer;
    if (!SetupFindFirstLineW(inf, L"Manufacturer", nullptr, &manufacturer)) {
        return std::wstring();
    }
    for (DWORD i = 2; i <= SetupGetFieldCount(&manufacturer); ++i) {
        if (!SameText(Field(&manufacturer, i), L"NTamd64")) {
            continue;
        }
        const std::wstring models = Field(&manufacturer, 1) + L"." + Field(&manufacturer, i);
        INFCONTEXT line;
        for (bool more = SetupFindFirstLineW(inf, models.c_str(), nullptr, &line); more;
             more = SetupFindNextLine(&line, &line)) {
            if (Field(&line, 0) == model) {
                return Field(&line, 1);
            }
        }
    }
    return std::wstring();
}

bool ReadModel(const std::wstring& infPath, const std::wstring& model, InfModel* result, std::string* error) {
    UINT errorLine = 0;
    const HINF inf = SetupOpenInfFileW(infPath.c_str(), L"Printer", INF_STYLE_WIN4, &errorLine);
    if (inf == INVALID_HANDLE_VALUE) {
        *error = Utf8(infPath) + ": not a printer INF (line " + std::to_string(errorLine) + ", error " +
                 std::to_string(GetLastError()) + ")";
        return false;
    }
    const std::wstring install = InstallSection(inf, model);
    result->dataFile = install.empty() ? L"" : Value(inf, install, L"DataFile");
    INFCONTEXT copyFiles;
    const bool hasCopyFiles = !install.empty() && SetupFindFirstLineW(inf, install.c_str(), L"CopyFiles", &copyFiles);
    for (DWORD list = 1; hasCopyFiles && list <= SetupGetFieldCount(&copyFiles); ++list) {
        const std::wstring files = Field(&copyFiles, list);
        if (files.compare(0, 1, L"@") == 0) {
            result->files.push_back(files.substr(1));
            continue;
        }
        std::wstring destination = Value(inf, L"DestinationDirs", files.c_str());
        if (destination.empty()) {
            destination = Value(inf, L"DestinationDirs", L"DefaultDestDir");
        }
        if (destination != kDriverDirectoryId) {
            *error = Utf8(files) + " goes to directory " + Utf8(destination) + ", not the printer driver directory";
            SetupCloseInfFile(inf);
            return false;
        }
        INFCONTEXT file;
        for (bool more = SetupFindFirstLineW(inf, files.c_str(), nullptr, &file); more;
             more = SetupFindNextLine(&file, &file)) {
            result->files.push_back(Field(&file, 1));
        }
    }
    SetupCloseInfFile(inf);
    if (install.empty()) {
        *error = "no x64 model \"" + Utf8(model) + "\" in " + Utf8(infPath);
    } else if (std::find(result->files.begin(), result->files.end(), result->dataFile) == result->files.end()) {
        *error = "the data file \"" + Utf8(result->dataFile) + "\" is not among the copied files";
    } else {
        return true;
    }
    return false;
}

// The files the spooler's record of the driver names, as it names them.
std::vector<std::wstring> RecordFiles(const std::wstring& driverName) {
    std::vector<std::wstring> files;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversW(nullptr, const_cast<WCHAR*>(kEnvironment), 3, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed + sizeof(DRIVER_INFO_3W));
    if (needed == 0 ||
        !EnumPrinterDriversW(nullptr, const_cast<WCHAR*>(kEnvironment), 3, block.data(), needed, &needed, &count)) {
        return files;
    }
    const DRIVER_INFO_3W* records = reinterpret_cast<const DRIVER_INFO_3W*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        if (records[i].pName == nullptr || driverName != records[i].pName) {
            continue;
        }
        for (const WCHAR* file : {records[i].pDriverPath, records[i].pDataFile, records[i].pConfigFile}) {
            if (file != nullptr && *file != 0) {
                files.push_back(file);
            }
        }
        for (const WCHAR* file = records[i].pDependentFiles; file != nullptr && *file != 0; file += wcslen(file) + 1) {
            files.push_back(file);
        }
    }
    return files;
}

std::vector<std::wstring> DriverNames() {
    std::vector<std::wstring> names;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversW(nullptr, const_cast<WCHAR*>(kEnvironment), 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed + sizeof(DRIVER_INFO_1W));
    if (needed != 0 &&
        EnumPrinterDriversW(nullptr, const_cast<WCHAR*>(kEnvironment), 1, block.data(), needed, &needed, &count)) {
        for (DWORD i = 0; i < count; ++i) {
            names.push_back(reinterpret_cast<const DRIVER_INFO_1W*>(block.data())[i].pName);
        }
    }
    return names;
}

std::vector<std::wstring> PrinterNames() {
    std::vector<std::wstring> names;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed + sizeof(PRINTER_INFO_4W));
    if (needed != 0 && EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, block.data(), needed, &needed, &count)) {
        for (DWORD i = 0; i < count; ++i) {
            names.push_back(reinterpret_cast<const PRINTER_INFO_4W*>(block.data())[i].pPrinterName);
        }
    }
    return names;
}

// Every file under folder, as paths relative to it.
void ListFiles(const std::wstring& folder, const std::wstring& relative, std::vector<std::wstring>* files) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(folder + L"\\" + name, relative + name + L"\\", files);
        } else {
            files->push_back(relative + name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// The printer's and the driver's names as the spooler knows them, and the
// files of the driver directory that carry one of fileNames.
std::vector<std::string> Remaining(const std::wstring& printer, const std::wstring& driver,
                                   const std::vector<std::wstring>& fileNames) {
    std::vector<std::string> left;
    for (const std::wstring& name : PrinterNames()) {
        if (SameText(name, printer)) {
            left.push_back("printer " + Utf8(name));
        }
    }
    for (const std::wstring& name : DriverNames()) {
        if (SameText(name, driver)) {
            left.push_back("driver " + Utf8(name));
        }
    }
    std::vector<std::wstring> files;
    ListFiles(DriverDirectory(), L"", &files);
    for (const std::wstring& file : files) {
        for (const std::wstring& name : fileNames) {
            if (SameText(FileNamePart(file), name)) {
                left.push_back("file " + Utf8(file));
            }
        }
    }
    return left;
}

// Deletes the printer, the driver's record and its files; the names of the
// files it meant to delete go to fileNames.
void RemoveRegistration(const std::wstring& printer, const std::wstring& driver, std::vector<std::wstring>* fileNames) {
    HANDLE handle = nullptr;
    if (OpenPrinterW(const_cast<WCHAR*>(printer.c_str()), &handle, nullptr)) {
        DeletePrinter(handle);
        ClosePrinter(handle);
    }
    const std::vector<std::wstring> recorded = RecordFiles(driver);
    DeletePrinterDriverExW(nullptr, const_cast<WCHAR*>(kEnvironment), const_cast<WCHAR*>(driver.c_str()), 0, 0);
    const std::wstring directory = DriverDirectory();
    for (const std::wstring& path : recorded) {
        const std::wstring name = FileNamePart(path);
        fileNames->push_back(name);
        // Only inside the driver directory: where the spooler put its copy,
        // and where install staged the file.
        if (!directory.empty() && path.size() > directory.size() &&
            SameText(path.substr(0, directory.size() + 1), directory + L"\\")) {
            DeleteFileW(path.c_str());
        }
        DeleteFileW((directory + L"\\" + name).c_str());
    }
}

// Copies the package's files into the driver directory and writes the
// stand-ins beside them; staged gets each file placed there.
bool Stage(const std::wstring& package, const std::wstring& directory, const std::vector<std::wstring>& files,
           std::vector<std::wstring>* staged, std::string* error) {
    for (const std::wstring& name : files) {
        if (!CopyFileW((package + L"\\" + name).c_str(), (directory + L"\\" + name).c_str(), TRUE)) {
            *error = Error("CopyFileW") + " for " + Utf8(name);
            return false;
        }
        staged->push_back(name);
    }
    for (const WCHAR* name : {kDriverFile, kConfigFile}) {
        const HANDLE file = CreateFileW((directory + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            *error = Error("CreateFileW") + " for " + Utf8(name);
            return false;
        }
        staged->push_back(name);
        DWORD written = 0;
        const bool wrote = WriteFile(file, kStandInText, sizeof(kStandInText) - 1, &written, nullptr) != 0;
        CloseHandle(file);
        if (!wrote) {
            *error = Error("WriteFile") + " for " + Utf8(name);
            return false;
        }
    }
    return true;
}

int Install(const std::wstring& package, const std::wstring& model, const std::wstring& printer) {
    InfModel inf;
    std::string error;
    if (!ReadModel(package + L"\\kxpsui.inf", model, &inf, &error)) {
        return Fail(error);
    }
    const std::wstring directory = DriverDirectory();
    if (directory.empty()) {
        return Fail(Error("GetPrinterDriverDirectoryW"));
    }
    // Neither name is taken, so that undoing a failed install, or remove,
    // deletes nothing of someone else's.
    for (const std::wstring& name : PrinterNames()) {
        if (SameText(name, printer)) {
            return Fail("a printer \"" + Utf8(name) + "\" exists already");
        }
    }
    for (const std::wstring& name : DriverNames()) {
        if (SameText(name, model)) {
            return Fail("a driver \"" + Utf8(name) + "\" exists already");
        }
    }
    std::vector<std::wstring> names = inf.files;
    names.push_back(kDriverFile);
    names.push_back(kConfigFile);
    std::vector<std::wstring> present;
    ListFiles(directory, L"", &present);
    for (const std::wstring& file : present) {
        for (const std::wstring& name : names) {
            if (SameText(FileNamePart(file), name)) {
                return Fail("the driver directory holds " + Utf8(file) + " already");
            }
        }
    }

    // Staged in the driver directory, from where the spooler takes them.
    std::vector<std::wstring> staged;
    const bool copied = Stage(package, directory, inf.files, &staged, &error);

    std::wstring driverName = model;
    std::wstring driverPath = directory + L"\\" + kDriverFile;
    std::wstring configPath = directory + L"\\" + kConfigFile;
    std::wstring dataPath = directory + L"\\" + inf.dataFile;
    std::wstring dependent;
    for (const std::wstring& name : inf.files) {
        if (name != inf.dataFile) {
            dependent += name + L'\0';
        }
    }
    dependent += L'\0';
    std::wstring datatype = L"RAW";
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = &driverName[0];
    driver.pEnvironment = const_cast<WCHAR*>(kEnvironment);
    driver.pDriverPath = &driverPath[0];
    driver.pDataFile = &dataPath[0];
    driver.pConfigFile = &configPath[0];
    driver.pDependentFiles = &dependent[0];
    driver.pDefaultDataType = &datatype[0];
    const bool added = copied && AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES);
    if (copied && !added) {
        error = Error("AddPrinterDriverExW");
    }
    // The spooler has taken its copies into the directory of the driver's
    // version (the platform's spooler moves them): the staged ones go.
    for (const std::wstring& name : staged) {
        DeleteFileW((directory + L"\\" + name).c_str());
    }

    std::wstring printerName = printer;
    std::wstring port = L"FILE:";
    std::wstring processor = L"WinPrint";
    PRINTER_INFO_2W info = {};
    info.pPrinterName = &printerName[0];
    info.pPortName = &port[0];
    info.pDriverName = &driverName[0];
    info.pPrintProcessor = &processor[0];
    info.pDatatype = &datatype[0];
    const HANDLE handle = added ? AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info)) : nullptr;
    if (added && handle == nullptr) {
        error = Error("AddPrinterW");
    }
    std::wstring reported;
    if (handle != nullptr) {
        DWORD size = 0;
        GetPrinterDriverW(handle, nullptr, 3, nullptr, 0, &size);
        std::vector<BYTE> block(size + sizeof(DRIVER_INFO_3W));
        if (size != 0 && GetPrinterDriverW(handle, nullptr, 3, block.data(), size, &size)) {
            const WCHAR* file = reinterpret_cast<const DRIVER_INFO_3W*>(block.data())->pDataFile;
            reported = file != nullptr ? file : L"";
        } else {
            error = Error("GetPrinterDriverW");
        }
        ClosePrinter(handle);
    }
    if (reported.empty()) {
        // Whatever of it is there goes again.
        std::vector<std::wstring> ignored;
        RemoveRegistration(printer, model, &ignored);
        return Fail(error);
    }
    printf("driver directory %s\ndata file %s\n", Utf8(directory).c_str(), Utf8(reported).c_str());
    return 0;
}

int Remove(const std::wstring& printer, const std::wstring& driver) {
    std::vector<std::wstring> fileNames;
    RemoveRegistration(printer, driver, &fileNames);
    const std::vector<std::string> left = Remaining(printer, driver, fileNames);
    for (const std::string& line : left) {
        Fail("still there: " + line);
    }
    return left.empty() ? 0 : 1;
}

int List() {
    std::vector<std::string> lines;
    for (const std::wstring& name : DriverNames()) {
        lines.push_back("driver " + Utf8(name));
    }
    for (const std::wstring& name : PrinterNames()) {
        lines.push_back("printer " + Utf8(name));
    }
    std::vector<std::wstring> files;
    ListFiles(DriverDirectory(), L"", &files);
    for (const std::wstring& file : files) {
        lines.push_back("file " + Utf8(file));
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines) {
        printf("%s\n", line.c_str());
    }
    return 0;
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    int argc = 0;
    WCHAR** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring command = argv != nullptr && argc > 1 ? argv[1] : L"";
    int status = 2;
    if (command == L"install" && argc == 5) {
        status = Install(argv[2], argv[3], argv[4]);
    } else if (command == L"remove" && argc == 4) {
        status = Remove(argv[2], argv[3]);
    } else if (command == L"list" && argc == 2) {
        status = List();
    } else {
        fprintf(stderr, "usage: install_package install PACKAGE MODEL PRINTER | remove PRINTER DRIVER | list\n");
    }
    LocalFree(argv);
    return status;
}
