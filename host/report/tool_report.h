// What kxpsui-host reports for one PPD: gathered by driving the plug-in
// binary, then written as text for people or as JSON for scripts.
#pragma once

#include <string>
#include <unordered_map>
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
    std::string ppdPath;      // as named to the user: the argument, or the queue's data file
    std::string printerName;  // the queue given with --printer (UTF-8); empty for the host's own printer
    std::string pluginPath;   // as given or defaulted
    ToolEnvironment environment;
    HRESULT defaultsResult = E_FAIL;
    std::vector<BYTE> defaults;  // the private block OEMDM_DEFAULT wrote
    std::vector<PaperAdjustment> paper;
    HostReport host;
    // The plug-in's internals, read only from the plug-in built with this
    // host: whether its user data was read, and why the model is missing.
    bool pluginKnown = false;
    std::string modelUnavailable;  // empty when the model was read
    bool documentRead = false;     // the plug-in holds a model of the PPD (known plug-in only)
    InstalledValues pluginInstalled;
    std::vector<ForbiddenOptions> forbidden;
    ModelSnapshot model;
};

// Drives the plug-in: a first object for the devmode calls, then RunHost
// with a second one for the printer. The model is read after the document
// sheet unless unknownPlugin gives the reason why the binary is not the
// plug-in built with this host, whose user data is then never looked at.
// The whole model is copied only with withModel (the forms that show it;
// the text shows the marks alone). Fills all but the report's names. False
// with a one-line reason when an object cannot be made or its first calls
// fail.
bool CollectToolReport(const PluginBinary& binary, const std::string& unknownPlugin, HANDLE printer,
                       const DriverPpd& ppd, const HostRunOptions& run, bool withModel, ToolReport* report,
                       std::string* error);

// The forbidden options of each feature by its keyword (the first entry for
// a keyword), looked up once per item: sheets may have thousands.
class ForbiddenLookup {
  public:
    explicit ForbiddenLookup(const ToolReport& report);
    // Null for an empty keyword and for a feature with nothing forbidden.
    const ForbiddenOptions* For(const std::string& keyword) const;

  private:
    std::unordered_map<std::string, const ForbiddenOptions*> byFeature;
};

// The report as text, sections in the order of the driver's calls.
std::string FormatTextReport(const ToolReport& report);
// The same as one JSON document, with the model; nothing in it depends on
// the build (no paths but the PPD's file name).
std::string FormatJsonReport(const ToolReport& report);
// The same as one self-contained HTML page (inline style, no script) that
// draws the two sheets with the plug-in's marks; every text escaped, and the
// same bytes on every build as the JSON.
std::string FormatHtmlReport(const ToolReport& report);

// The callback's answer as its platform name.
std::string CallbackActionName(LONG action);
// ANSI bytes as the host exchanges them with the plug-in, read in the
// system's code page as the plug-in reads them, in UTF-8.
std::string AnsiToUtf8(const std::string& bytes);
// The name of the colour item's option at selection; empty without one.
std::string ColorOptionName(const HostReport& host, LONG selection);
