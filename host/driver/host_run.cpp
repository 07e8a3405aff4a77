#include "host/driver/host_run.h"

#include "host/common/text.h"
#include "host/driver/sheet_builder.h"

namespace {

ItemReport ReportItem(const SheetItems& items, size_t index) {
    const OPTITEM& item = items.Item(index);
    ItemReport report;
    report.name = items.Name(index);
    report.keyword = items.Keyword(index);
    for (const std::u16string& option : items.OptionNames(index)) {
        report.options.push_back(Utf16ToUtf8(option));
    }
    report.level = item.Level;
    report.dmPubId = item.DMPubID;
    report.itemCode = item.UserItemID;
    report.sel = item.Sel;
    report.flags = item.Flags;
    return report;
}

}  // namespace

bool RunHost(const PluginBinary& binary, HANDLE printer, const DriverPpd& ppd, const HostRunOptions& options,
             HostReport* report, std::string* error) {
    *report = HostReport();
    DriverSession session(binary);
    // The driver answers the PPD's defaults until told otherwise.
    for (const DriverPpdFeature& feature : ppd.features) {
        if (feature.group == "InstallableOptions" && !feature.defaultOption.empty()) {
            session.DriverUi().SetInstalled(feature.keyword.substr(1), feature.defaultOption);
        }
    }
    for (const auto& value : options.installed) {
        session.DriverUi().SetInstalled(value.first, value.second);
    }
    report->driverInstalled = session.DriverUi().Installed();
    if (!session.Start(error)) {
        return false;
    }
    report->signature = session.Signature();
    report->version = session.Version();
    report->devmodeSize = session.DevmodeSize();

    SheetOptions sheetOptions;
    sheetOptions.colorSelection = options.colorSelection;
    sheetOptions.installed = session.DriverUi().Installed();
    SheetItems documentItems;
    session.FirstCall(OEMCUIP_DOCPROP, printer);
    BuildDocumentSheet(ppd, sheetOptions, &documentItems);
    session.SecondCall(OEMCUIP_DOCPROP, printer, &documentItems);
    for (size_t i = 0; i < documentItems.Count(); ++i) {
        report->documentItems.push_back(ReportItem(documentItems, i));
    }
    if (options.afterDocumentSheet) {
        options.afterDocumentSheet(session.UserData());
    }

    SheetItems printerItems;
    session.FirstCall(OEMCUIP_PRNPROP, printer);
    BuildPrinterSheet(ppd, sheetOptions, &printerItems);
    session.SecondCall(OEMCUIP_PRNPROP, printer, &printerItems);
    for (size_t i = 0; i < printerItems.Count(); ++i) {
        report->printerItems.push_back(ReportItem(printerItems, i));
    }

    report->colorItem = documentItems.FindPublic(DMPUB_COLOR);
    for (size_t i = 0; report->colorItem >= 0 && i < options.colorChanges.size(); ++i) {
        report->colorChanges.push_back(session.ChangeColor(options.colorChanges[i]));
    }
    report->applyResult = session.Callback(CPSUICB_REASON_APPLYNOW, 0);

    report->profileResult =
        session.QueryColorProfile(printer, &report->profileName, &report->profileSize, &report->profileFlags);
    report->lastRelease = session.Release();
    report->driverUiReferences = session.DriverUi().References();
    report->unloadAnswer = session.CanUnloadNow();
    return true;
}
