// The plug-in's model of the PPD as the host reads it through the user
// data the plug-in registered, with the plug-in's own headers: only for the
// plug-in built with this host, whose user data is its PluginContext.
#pragma once

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

#include "host/driver/driver_ui.h"
#include "plugin/plugin_context.h"

// Options the installed values forbid, per feature (UTF-8 texts).
struct ForbiddenOptions {
    std::string feature;               // keyword with its '*'
    std::vector<std::string> options;  // option keywords marked as forbidden
    // Parallel to options: the installed setting that forbids each, keyword
    // with its '*' and value; both empty when no setting's constraint forbids
    // an option that is marked all the same.
    InstalledValues decidedBy;
};
// Installed values as the plug-in holds them: keyword with '*', value.
InstalledValues PluginInstalledValues(const PluginContext* context);
// The options the plug-in marked, read straight from its model; decidedBy
// stays empty (ForbiddenOptionsOf gives it, from a whole snapshot).
std::vector<ForbiddenOptions> PluginForbiddenOptions(const PluginContext* context);

// The whole model after the document sheet's calls: the installed values
// stored, the constraint pass run. Texts are the model's UTF-16 units,
// unconverted.
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

// The marked options of a snapshot, each with the setting that decides its
// mark under the plug-in's rule: of the installed settings that some
// constraint ties to the feature (keyword1 the setting's keyword, keyword2
// the feature's), the last in list order decides, and it forbids the
// option when a constraint pairs its current value with the option.
// Features of the "InstallableOptions" group are never marked.
std::vector<ForbiddenOptions> ForbiddenOptionsOf(const ModelSnapshot& model);
