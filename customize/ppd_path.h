// Where the printer's PPD file lives: the data file of its driver, as the
// spooler reports it.
#pragma once

#include "plugin/oem_abi.h"

// Units of the handler's working buffer, terminator included. The path has
// to fit whole: a longer one is refused like a path the spooler cannot give.
constexpr int kPpdPathCapacity = 260;

// Writes the full path of the printer's PPD file, zero-terminated, into path
// (kPpdPathCapacity units). The driver record is read into a zeroed block
// from heap and freed before returning. False, with path undefined, when the
// spooler gives no record or no data file, the heap is exhausted, or the path
// does not fit.
bool GetPpdFilePath(HANDLE heap, HANDLE printer, WCHAR* path);
