// A driver and a printer registered with the spooler for one PPD file, as
// the driver's installer leaves them for its UI core, and their removal:
// the printer, the driver's record, the copies the spooler made of its
// files and the staged files, whoever registered them.
#pragma once

#include <string>

#include "host/common/temp_folder.h"
#include "platform/platform.h"

// What one registration adds to the spooler and to the disk, all named
// after one tag so that runs sharing a spooler do not meet.
struct Registration {
    std::u16string folder;  // where the PPD and the driver's placeholder files are staged
    std::u16string printerName;
    std::u16string driverName;
    // File names in the folder; the spooler may copy the files under the
    // same names into its driver directory.
    std::u16string dataFileName;
    std::u16string driverFileName;
    std::u16string configFileName;
};

// A tag no other registration uses, on this machine's spooler.
std::u16string NewRegistrationTag();
// The names of a registration; dataFileNameLength, when nonzero, pads the
// data file's name to that many characters.
Registration RegistrationFor(const std::u16string& folder, const std::u16string& tag, size_t dataFileNameLength = 0);

// Removes whatever of the registration is there: the printer (by name),
// the driver's record (without file flags, which Wine 8 refuses with error
// 87), then the files the record named that carry the registration's file
// names, then the staged files (none without a folder). Safe to call after
// the registering process died, and when nothing was registered.
void RemoveRegistration(const Registration& registration);

// Stages the PPD (a narrow CRT path) and the driver's placeholder files in
// the registration's folder and registers the driver and the printer; they
// stay until RemoveRegistration. The printer's handle, which the caller
// closes, or null with a one-line reason.
HANDLE AddRegistration(const std::string& ppdPath, const Registration& registration, std::string* error);

class HostPrinter {
  public:
    HostPrinter() = default;
    HostPrinter(const HostPrinter&) = delete;
    HostPrinter& operator=(const HostPrinter&) = delete;
    ~HostPrinter() { Remove(); }

    // Stages the PPD (a narrow CRT path) and two placeholder driver files
    // in a private temporary folder of its own and registers them under a
    // new tag. False with a one-line reason.
    bool Add(const std::string& ppdPath, std::string* error, size_t dataFileNameLength = 0);
    // The same under the names of registration, staged in its folder, which
    // the caller keeps.
    bool Add(const std::string& ppdPath, const Registration& registration, std::string* error);
    // An existing printer: nothing is added, and Remove only closes it.
    bool Open(const std::u16string& printerName, std::string* error);
    // Deletes what Add added; closes what Open opened.
    void Remove();

    HANDLE Handle() const { return handle; }
    const std::u16string& Name() const { return printerName; }
    const std::u16string& DataFile() const { return dataFile; }  // the PPD path the spooler reports

  private:
    bool Register(const std::string& ppdPath, const Registration& names, std::string* error);
    bool ReadDataFile(std::string* error);

    HANDLE handle = nullptr;
    std::u16string printerName;
    std::u16string dataFile;
    bool registered = false;
    Registration registration;
    TempFolder ownFolder;  // used by the first Add only
};
