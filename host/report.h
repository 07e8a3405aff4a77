// What kxpsui-host reports for one PPD: gathered by driving the plug-in
// binary, then written as text for people or as JSON for scripts.
#pragma once

#include <string>
#include <vector>

#include "host/driver_host.h"
#include "host/tool_options.h"

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

// The plug-in's model as read through its context after the document
// sheet's calls: the installed values stored, the constraint pass run.
// Texts are the model's UTF-16 units, unconverted.
struct ModelOption {
    std::u16string keyword;
    std::u16string translation;
    bool constrained;
};
struct ModelFeature {
    std::u16string keyword;
    std::u16string translation;
    std::u16string defaultOption;
    std::u16string groupKeyword;
    std::u16string groupTranslation;
    int32_t uiType;
    int32_t orderDependency;
    std::vector<ModelOption> options;
};
struct ModelSnapshot {
    bool present = false;  // the plug-in held a document
    std::u16string modelName;
    std::u16string product;
    std::u16string manufacturer;
    std::u16string languageEncoding;
    std::u16string languageVersion;
    std::vector<ModelFeature> features;
    std::vector<std::vector<std::u16string>> constraints;                 // four words each
    std::vector<std::pair<std::u16string, std::u16string>> installables;  // keyword, value
};
ModelSnapshot SnapshotModel(const PluginContext* context);

struct ToolReport {
    std::string ppdPath;     // as given
    std::string pluginPath;  // as given or defaulted
    ToolEnvironment environment;
    HRESULT defaultsResult = E_FAIL;
    std::vector<BYTE> defaults;  // the private block OEMDM_DEFAULT wrote
    std::vector<PaperAdjustment> paper;
    HostReport host;
    ModelSnapshot model;
};

// Drives the plug-in: a first object for the devmode calls, then RunHost
// with a second one, whose model is read after the document sheet. False
// with a one-line reason when the PPD cannot be staged or the object not
// made.
bool CollectToolReport(const PluginBinary& binary, const ToolOptions& options, ToolReport* report, std::string* error);

// The report as text, sections in the order of the driver's calls.
std::string FormatTextReport(const ToolReport& report);
// The same as one JSON document, with the model; nothing in it depends on
// the build (no paths but the PPD's file name).
std::string FormatJsonReport(const ToolReport& report);

// Names of platform values, as the report shows them.
std::string CallbackActionName(LONG action);
std::string Utf16Text(const std::u16string& text);  // UTF-8
