// The plug-in's model as the driver can see it through the user data the
// plug-in registered: read with the plug-in's own headers, and only read
// (nothing of the plug-in's code runs on this side).
#include "host/driver_host.h"
#include "ppd/ppd_document.h"

InstalledValues PluginInstalledValues(const PluginContext* context) {
    InstalledValues values;
    if (context == nullptr || context->document == nullptr) {
        return values;
    }
    const PpdDocument* document = context->document;
    for (int32_t i = 0; i < document->installableCount; ++i) {
        const InstallableSetting* setting = document->installables[i];
        values.emplace_back(Utf16ToUtf8(setting->keyword.chars), Utf16ToUtf8(setting->value.chars));
    }
    return values;
}

std::vector<ForbiddenOptions> PluginForbiddenOptions(const PluginContext* context) {
    std::vector<ForbiddenOptions> forbidden;
    if (context == nullptr || context->document == nullptr) {
        return forbidden;
    }
    const PpdDocument* document = context->document;
    for (int32_t i = 0; i < document->featureCount; ++i) {
        const PpdFeature* feature = document->features[i];
        ForbiddenOptions entry;
        entry.feature = Utf16ToUtf8(feature->keyword.chars);
        for (int32_t k = 0; feature->options != nullptr && k < feature->optionCount; ++k) {
            if (feature->options[k]->constrained) {
                entry.options.push_back(Utf16ToUtf8(feature->options[k]->keyword.chars));
            }
        }
        if (!entry.options.empty()) {
            forbidden.push_back(entry);
        }
    }
    return forbidden;
}
