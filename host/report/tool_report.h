// What kxpsui-host reports for one PPD: gathered by driving the plug-in
// binary, then written as text for people or as JSON for scripts.
#pragma once

#include <string>
#include <vector>

#include "host/driver/host_run.h"
#include "host/report/plugin_model.h"

// The locale the platform gave the process.
struct ToolEnvironment {
    UINT ansiCodePage = 0;
    int country = -1;  // LOCALE_ICOUNTRY; -1 when the lookup fails
    LANGID uiLanguage = 0;
};
ToolEnvironment CurrentEnvironment();

// One OEMDM_DEFAULT call with a public devmode on the given paper.
struct PaperAdjustment {
    const char* form;
    short paper;
    HRESULT result;
    short adjustedPaper;
    std::string adjustedForm;  // UTF-8
};

struct ToolReport {
    std::string ppdPath;     // as given
    std::string pluginPath;  // as given or defaulted
    ToolEnvironment environment;
    HRESULT defaultsResult = E_FAIL;
    std::vector<BYTE> defaults;  // the private block OEMDM_DEFAULT wrote
    std::vector<PaperAdjustment> paper;
    HostReport host;
    bool documentRead = false;  // the plug-in holds a model of the PPD
    InstalledValues pluginInstalled;
    std::vector<ForbiddenOptions> forbidden;
    ModelSnapshot model;
};

// Drives the plug-in: a first object for the devmode calls, then RunHost
// with a second one, whose model is read after the document sheet.
// pluginPath is the binary as named to the user. False with a one-line
// reason when the PPD cannot be staged or the object not made.
bool CollectToolReport(const PluginBinary& binary, const std::string& pluginPath, const HostRunOptions& run,
                       ToolReport* report, std::string* error);

// The report as text, sections in the order of the driver's calls.
std::string FormatTextReport(const ToolReport& report);
// The same as one JSON document, with the model; nothing in it depends on
// the build (no paths but the PPD's file name).
std::string FormatJsonReport(const ToolReport& report);

// The callback's answer as its platform name.
std::string CallbackActionName(LONG action);
// The name of the colour item's option at selection; empty without one.
std::string ColorOptionName(const HostReport& host, LONG selection);
