// A package read back with the platform's own readers: its INF with
// SetupAPI, its configuration file with the profile routines. The Linux
// build has neither, so this exists in the Windows build only.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"

#if KX_PLATFORM_WINDOWS
// Every section the package's INF needs is there, with the version of the
// package's DLL and the date given (YYYY-MM-DD); each model line names its
// PPD's model as read from the PPD now; each file a CopyFiles list or
// DataFile names is in the folder.
void ExpectInfReadsBack(const std::filesystem::path& folder, const std::vector<std::string>& ppds,
                        const std::string& date);
#endif
