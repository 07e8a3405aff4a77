// A driver and a printer registered with the spooler for one PPD file, as
// the driver's installer leaves them for its UI core.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

// The file is first copied into the working directory under a name of its
// own (several test processes share one spooler), and the spooler may copy
// it again into its driver directory: DataFile() is the path it reports.
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
