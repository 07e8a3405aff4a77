// Only read: nothing of the plug-in's code runs on this side.
#include "host/report/plugin_model.h"

#include <unordered_map>
#include <unordered_set>

#include "host/common/text.h"
#include "ppd/ppd_document.h"

namespace {

std::u16string TextOf(const PpdText& text) {
    int32_t length = text.length;
    if (length < 0 || length >= kPpdTextCapacity) {
        length = 0;  // never trust a count read from the plug-in's memory
    }
    return std::u16string(reinterpret_cast<const char16_t*>(text.chars), static_cast<size_t>(length));
}

}  // namespace

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
            forbidden.push_back(std::move(entry));
        }
    }
    return forbidden;
}

ModelSnapshot SnapshotModel(const PluginContext* context) {
    ModelSnapshot model;
    if (context == nullptr || context->document == nullptr) {
        return model;
    }
    const PpdDocument* document = context->document;
    model.present = true;
    model.modelName = TextOf(document->modelName);
    model.product = TextOf(document->product);
    model.manufacturer = TextOf(document->manufacturer);
    model.languageEncoding = TextOf(document->languageEncoding);
    model.languageVersion = TextOf(document->languageVersion);
    model.features.reserve(static_cast<size_t>(document->featureCount > 0 ? document->featureCount : 0));
    for (int32_t i = 0; i < document->featureCount; ++i) {
        const PpdFeature* feature = document->features[i];
        ModelFeature entry;
        entry.keyword = TextOf(feature->keyword);
        entry.translation = TextOf(feature->translation);
        entry.defaultOption = TextOf(feature->defaultOption);
        entry.groupKeyword = TextOf(feature->groupKeyword);
        entry.groupTranslation = TextOf(feature->groupTranslation);
        entry.uiType = feature->uiType;
        entry.orderDependency = feature->orderDependency;
        if (feature->options != nullptr && feature->optionCount > 0) {
            entry.options.reserve(static_cast<size_t>(feature->optionCount));
        }
        for (int32_t k = 0; feature->options != nullptr && k < feature->optionCount; ++k) {
            const PpdOption* option = feature->options[k];
            entry.options.push_back({TextOf(option->keyword), TextOf(option->translation), option->constrained});
        }
        model.features.push_back(std::move(entry));
    }
    model.constraints.reserve(static_cast<size_t>(document->constraintCount > 0 ? document->constraintCount : 0));
    for (int32_t i = 0; i < document->constraintCount; ++i) {
        const PpdConstraint* constraint = document->constraints[i];
        model.constraints.push_back({TextOf(constraint->keyword1), TextOf(constraint->option1),
                                     TextOf(constraint->keyword2), TextOf(constraint->option2)});
    }
    for (int32_t i = 0; i < document->installableCount; ++i) {
        const InstallableSetting* setting = document->installables[i];
        model.installables.emplace_back(TextOf(setting->keyword), TextOf(setting->value));
    }
    return model;
}

std::vector<ForbiddenOptions> ForbiddenOptionsOf(const ModelSnapshot& model) {
    const std::u16string installableGroup = u"InstallableOptions";
    // Which settings decide: per feature, the last setting tied to it. A
    // setting's keyword may repeat; the last of the same keyword counts.
    std::unordered_map<std::u16string, int> lastSetting;
    for (size_t s = 0; s < model.installables.size(); ++s) {
        lastSetting[model.installables[s].first] = static_cast<int>(s);
    }
    std::unordered_map<std::u16string, std::vector<size_t>> featuresNamed;
    for (size_t f = 0; f < model.features.size(); ++f) {
        if (model.features[f].groupKeyword != installableGroup) {
            featuresNamed[model.features[f].keyword].push_back(f);
        }
    }
    std::vector<int> deciding(model.features.size(), -1);
    for (const std::vector<std::u16string>& constraint : model.constraints) {
        if (constraint.size() != 4) {
            continue;
        }
        const auto setting = lastSetting.find(constraint[0]);
        const auto features = featuresNamed.find(constraint[2]);
        if (setting == lastSetting.end() || features == featuresNamed.end()) {
            continue;
        }
        for (size_t f : features->second) {
            deciding[f] = setting->second > deciding[f] ? setting->second : deciding[f];
        }
    }
    // What the deciding settings forbid under their current values.
    std::vector<std::unordered_set<std::u16string>> forbids(model.features.size());
    for (const std::vector<std::u16string>& constraint : model.constraints) {
        const auto features = constraint.size() == 4 ? featuresNamed.find(constraint[2]) : featuresNamed.end();
        for (size_t k = 0; features != featuresNamed.end() && k < features->second.size(); ++k) {
            const size_t f = features->second[k];
            if (deciding[f] >= 0 && model.installables[static_cast<size_t>(deciding[f])].first == constraint[0] &&
                model.installables[static_cast<size_t>(deciding[f])].second == constraint[1]) {
                forbids[f].insert(constraint[3]);
            }
        }
    }
    std::vector<ForbiddenOptions> forbidden;
    for (size_t f = 0; f < model.features.size(); ++f) {
        const ModelFeature& feature = model.features[f];
        ForbiddenOptions entry;
        entry.feature = Utf16ToUtf8(feature.keyword);
        for (const ModelOption& option : feature.options) {
            if (!option.constrained) {
                continue;
            }
            entry.options.push_back(Utf16ToUtf8(option.keyword));
            if (forbids[f].count(option.keyword) != 0) {
                const auto& setting = model.installables[static_cast<size_t>(deciding[f])];
                entry.decidedBy.emplace_back(Utf16ToUtf8(setting.first), Utf16ToUtf8(setting.second));
            } else {
                entry.decidedBy.emplace_back();
            }
        }
        if (!entry.options.empty()) {
            forbidden.push_back(entry);
        }
    }
    return forbidden;
}
