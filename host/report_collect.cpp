// Gathering the report: the plug-in binary driven as the driver drives it,
// and its model read through the context it registered.
#include <string.h>

#include "host/report.h"
#include "ppd/ppd_document.h"

namespace {

constexpr BYTE kPoison = 0xCD;  // tells the bytes the plug-in wrote from those it left

struct Paper {
    const char* form;
    short paper;
};
const Paper kPapers[] = {{"A4", DMPAPER_A4}, {"Letter", DMPAPER_LETTER}, {"Legal", DMPAPER_LEGAL}};

std::u16string TextOf(const PpdText& text) {
    int32_t length = text.length;
    if (length < 0 || length >= kPpdTextCapacity) {
        length = 0;  // never trust a count read from the plug-in's memory
    }
    return std::u16string(reinterpret_cast<const char16_t*>(text.chars), static_cast<size_t>(length));
}

// OEMDM_DEFAULT with a public devmode on each paper, on an object of its own
// that has had the driver's first calls.
bool ProbeDevmode(const PluginBinary& binary, ToolReport* report, std::string* error) {
    DriverSession probe(binary);
    if (!probe.Start(error)) {
        return false;
    }
    for (const Paper& paper : kPapers) {
        DEVMODEW publicDevmode;
        memset(&publicDevmode, 0, sizeof(publicDevmode));
        publicDevmode.dmSize = sizeof(publicDevmode);
        publicDevmode.dmFields = DM_PAPERSIZE | DM_FORMNAME;
        publicDevmode.dmPaperSize = paper.paper;
        const std::u16string form = Utf8ToUtf16(paper.form);
        lstrcpynW(publicDevmode.dmFormName, reinterpret_cast<LPCWSTR>(form.c_str()), CCHFORMNAME);
        std::vector<BYTE> block(probe.DevmodeSize(), kPoison);
        OEMDMPARAM param;
        memset(&param, 0, sizeof(param));
        param.cbSize = sizeof(param);
        param.hModule = binary.module;
        param.pPublicDMIn = &publicDevmode;
        param.pOEMDMOut = block.empty() ? nullptr : block.data();
        param.cbBufSize = probe.DevmodeSize();
        const HRESULT result = probe.Plugin()->DevMode(OEMDM_DEFAULT, &param);
        publicDevmode.dmFormName[CCHFORMNAME - 1] = 0;
        report->paper.push_back(
            {paper.form, paper.paper, result, publicDevmode.dmPaperSize, Utf16ToUtf8(publicDevmode.dmFormName)});
        if (report->defaults.empty()) {
            report->defaultsResult = result;
            report->defaults = block;
        }
    }
    probe.Release();
    return true;
}

}  // namespace

ToolEnvironment CurrentEnvironment() {
    ToolEnvironment environment;
    environment.ansiCodePage = GetACP();
    WCHAR country[16] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, country, 16) != 0) {
        environment.country = _wtoi(country);
    }
    environment.uiLanguage = GetUserDefaultUILanguage();
    return environment;
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
        for (int32_t k = 0; feature->options != nullptr && k < feature->optionCount; ++k) {
            const PpdOption* option = feature->options[k];
            entry.options.push_back({TextOf(option->keyword), TextOf(option->translation), option->constrained});
        }
        model.features.push_back(entry);
    }
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

bool CollectToolReport(const PluginBinary& binary, const ToolOptions& options, ToolReport* report, std::string* error) {
    *report = ToolReport();
    report->ppdPath = options.ppdPath;
    report->pluginPath = options.pluginPath;
    report->environment = CurrentEnvironment();
    if (!ProbeDevmode(binary, report, error)) {
        return false;
    }
    HostRunOptions run;
    run.ppdPath = options.ppdPath;
    run.installed = options.installed;
    run.colorSelection = options.colorSelection;
    if (options.colorChangesGiven) {
        run.colorChanges = options.colorChanges;
    }
    ModelSnapshot* model = &report->model;
    run.afterDocumentSheet = [model](const PluginContext* context) { *model = SnapshotModel(context); };
    return RunHost(binary, run, &report->host, error);
}

std::string Utf16Text(const std::u16string& text) {
    return Utf16ToUtf8(reinterpret_cast<const WCHAR*>(text.c_str()));
}

std::string CallbackActionName(LONG action) {
    switch (action) {
        case CPSUICB_ACTION_NONE:
            return "CPSUICB_ACTION_NONE";
        case CPSUICB_ACTION_OPTIF_CHANGED:
            return "CPSUICB_ACTION_OPTIF_CHANGED";
        case CPSUICB_ACTION_REINIT_ITEMS:
            return "CPSUICB_ACTION_REINIT_ITEMS";
        case CPSUICB_ACTION_NO_APPLY_EXIT:
            return "CPSUICB_ACTION_NO_APPLY_EXIT";
        case CPSUICB_ACTION_ITEMS_APPLIED:
            return "CPSUICB_ACTION_ITEMS_APPLIED";
        case -1:
            return "no callback";
        default:
            return std::to_string(static_cast<long>(action));
    }
}
