// Gathering the report: the plug-in binary driven as the driver drives it,
// and its model read through the context it registered.
#include <string.h>

#include "host/common/text.h"
#include "host/report/tool_report.h"

namespace {

constexpr BYTE kPoison = 0xCD;  // tells the bytes the plug-in wrote from those it left

struct Paper {
    const char* form;
    short paper;
};
const Paper kPapers[] = {{"A4", DMPAPER_A4}, {"Letter", DMPAPER_LETTER}, {"Legal", DMPAPER_LEGAL}};

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

bool CollectToolReport(const PluginBinary& binary, const std::string& unknownPlugin, HANDLE printer,
                       const DriverPpd& ppd, const HostRunOptions& run, bool withModel, ToolReport* report,
                       std::string* error) {
    *report = ToolReport();
    report->environment = CurrentEnvironment();
    report->pluginKnown = unknownPlugin.empty();
    report->modelUnavailable = unknownPlugin;
    if (!ProbeDevmode(binary, report, error)) {
        return false;
    }
    HostRunOptions afterSheet = run;
    if (report->pluginKnown) {
        afterSheet.afterDocumentSheet = [report, withModel](PVOID userData) {
            // The plug-in built with this host registers its PluginContext.
            const PluginContext* context = static_cast<const PluginContext*>(userData);
            report->documentRead = context != nullptr && context->document != nullptr;
            report->pluginInstalled = PluginInstalledValues(context);
            if (withModel) {
                report->model = SnapshotModel(context);
                report->forbidden = ForbiddenOptionsOf(report->model);
            } else {
                // The text shows the marks alone, not the settings behind them.
                report->forbidden = PluginForbiddenOptions(context);
            }
            if (!report->documentRead) {
                report->modelUnavailable = "the plug-in holds no model of the PPD";
            }
        };
    }
    return RunHost(binary, printer, ppd, afterSheet, &report->host, error);
}

ForbiddenLookup::ForbiddenLookup(const ToolReport& report) {
    for (const ForbiddenOptions& entry : report.forbidden) {
        byFeature.emplace(entry.feature, &entry);
    }
}

const ForbiddenOptions* ForbiddenLookup::For(const std::string& keyword) const {
    if (keyword.empty()) {
        return nullptr;
    }
    const auto entry = byFeature.find(keyword);
    return entry != byFeature.end() ? entry->second : nullptr;
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
        default:
            return std::to_string(static_cast<long>(action));
    }
}

std::string ColorOptionName(const HostReport& host, LONG selection) {
    if (host.colorItem < 0 || selection < 0) {
        return std::string();
    }
    const std::vector<std::string>& options = host.documentItems[static_cast<size_t>(host.colorItem)].options;
    return static_cast<size_t>(selection) < options.size() ? options[static_cast<size_t>(selection)] : std::string();
}

std::string AnsiToUtf8(const std::string& bytes) {
    return Utf16ToUtf8(BytesToUtf16(bytes, CP_ACP));
}
