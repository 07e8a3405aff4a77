// The command line of kxpsui-host: what it asks for, parsed, then checked
// against the host's own reading of the PPD before any plug-in code runs.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "host/driver/driver_ppd.h"
#include "host/driver/driver_ui.h"

struct ToolOptions {
    bool help = false;
    std::string ppdPath;      // narrow, as given; empty for the sample PPD
    std::string printerName;  // --printer: an existing queue, whose PPD the spooler names
    std::string pluginPath;   // narrow, as given; empty for the plug-in beside the tool
    bool json = false;
    std::string htmlPath;       // --html: the page's file, "-" for standard output; empty for no page
    InstalledValues installed;  // feature without '*', option keyword, in the order given
    LONG colorSelection = -1;   // -1: the driver's default
    bool colorChangesGiven = false;
    std::vector<LONG> colorChanges;  // when given, replace the host's default sequence
};

// args excludes the program name. False with a one-line reason.
bool ParseToolArguments(const std::vector<std::string>& args, ToolOptions* options, std::string* error);

// The installed values must name features of the "InstallableOptions" group
// and their options; colour selections need the colour item, which only a
// PPD that says *ColorDevice: True has. False with a one-line reason.
bool ValidateToolOptions(const ToolOptions& options, const DriverPpd& ppd, std::string* error);

// The PPD must be a readable file, not a directory. False with a one-line
// reason naming it.
bool CheckPpdPath(const std::string& path, std::string* error);

void PrintToolUsage(FILE* out);
