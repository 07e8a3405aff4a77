// The tool tests' view of a shared spooler (Windows and Wine only: the
// Linux stand-in's spooler lives and dies with its process).
//   list          one line per driver ("driver NAME") and per printer
//                 ("printer NAME"), sorted
//   add TAG PPD   registers a printer for the PPD under the names of TAG and
//                 prints its name; it stays until "remove TAG"
//   remove TAG    removes that printer, its driver and their files
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/common/text.h"
#include "host/driver/printer_registration.h"

namespace {

int List() {
    std::vector<std::string> lines;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 3, nullptr, 0, &needed, &count);
    std::vector<BYTE> drivers(needed + sizeof(DRIVER_INFO_3W));
    if (!EnumPrinterDriversW(nullptr, nullptr, 3, drivers.data(), needed, &needed, &count)) {
        return 1;
    }
    for (DWORD i = 0; i < count; ++i) {
        lines.push_back("driver " + Utf16ToUtf8(reinterpret_cast<const DRIVER_INFO_3W*>(drivers.data())[i].pName));
    }
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> printers(needed + sizeof(PRINTER_INFO_4W));
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, printers.data(), needed, &needed, &count)) {
        return 1;
    }
    for (DWORD i = 0; i < count; ++i) {
        lines.push_back("printer " +
                        Utf16ToUtf8(reinterpret_cast<const PRINTER_INFO_4W*>(printers.data())[i].pPrinterName));
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines) {
        printf("%s\n", line.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "list" && argc == 2) {
        return List();
    }
    if (command == "add" && argc == 4) {
        // The spooler copies the staged files into its driver directory.
        TempFolder folder;
        std::string error;
        const Registration registration = folder.Create("kxpsui-probe", &error)
                                              ? RegistrationFor(folder.Path(), ArgumentToUtf16(argv[2]))
                                              : Registration();
        const HANDLE printer = folder.Path().empty() ? nullptr : AddRegistration(argv[3], registration, &error);
        if (printer == nullptr) {
            fprintf(stderr, "spooler_probe: %s\n", error.c_str());
            return 1;
        }
        ClosePrinter(printer);
        printf("%s\n", Utf16ToUtf8(registration.printerName).c_str());
        return 0;
    }
    if (command == "remove" && argc == 3) {
        RemoveRegistration(RegistrationFor(std::u16string(), ArgumentToUtf16(argv[2])));
        return 0;
    }
    fprintf(stderr, "usage: spooler_probe list | add TAG PPD | remove TAG\n");
    return 2;
}
