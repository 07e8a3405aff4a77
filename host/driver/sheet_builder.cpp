#include "host/driver/sheet_builder.h"

#include <unordered_map>

#include "host/common/text.h"

namespace {

struct PublicFeature {
    const char* keyword;
    BYTE dmPubId;
};

const PublicFeature kPublicFeatures[] = {
    {"*PageSize", DMPUB_FORMNAME}, {"*InputSlot", DMPUB_DEFSOURCE},     {"*MediaType", DMPUB_MEDIATYPE},
    {"*Duplex", DMPUB_DUPLEX},     {"*Resolution", DMPUB_PRINTQUALITY},
};

std::vector<std::u16string> Texts(std::initializer_list<const char*> texts) {
    std::vector<std::u16string> out;
    for (const char* text : texts) {
        out.push_back(Utf8ToUtf16(text));
    }
    return out;
}

std::string WithoutStar(const std::string& keyword) {
    return !keyword.empty() && keyword[0] == '*' ? keyword.substr(1) : keyword;
}

// The installed values by feature (without '*'); the last one given for a
// feature counts. Made once per sheet, since every feature looks itself up.
typedef std::unordered_map<std::string, std::string> InstalledByFeature;

InstalledByFeature IndexInstalled(const SheetOptions& options) {
    InstalledByFeature installed;
    for (const auto& value : options.installed) {
        installed[value.first] = value.second;
    }
    return installed;
}

// The option an installable feature's item selects: the host's installed
// value where it has one, else the PPD default.
LONG SelectionOf(const DriverPpdFeature& feature, const InstalledByFeature& installed) {
    const auto value = installed.find(WithoutStar(feature.keyword));
    const int index = FindDriverPpdOption(feature, value != installed.end() ? value->second : feature.defaultOption);
    return index < 0 ? 0 : index;
}

void AddFeature(const DriverPpdFeature& feature, BYTE level, BYTE dmPubId, LONG sel, SheetItems* items) {
    items->AddNamed(level, feature.name, feature.optionNames, sel, dmPubId, feature.keyword);
}

}  // namespace

const std::vector<std::u16string>& ColorItemOptionNames() {
    static const std::vector<std::u16string> names = Texts({kColorItemOptions[0], kColorItemOptions[1]});
    return names;
}

BYTE DriverPublicItemId(const std::string& keyword) {
    for (const PublicFeature& feature : kPublicFeatures) {
        if (keyword == feature.keyword) {
            return feature.dmPubId;
        }
    }
    return DMPUB_NONE;
}

void BuildDocumentSheet(const DriverPpd& ppd, const SheetOptions& options, SheetItems* items) {
    const InstalledByFeature installed = IndexInstalled(options);
    items->AddResource(0, kNameDocumentRoot, {}, 0);
    items->AddResource(1, kNamePaperOutput, {}, 0);
    for (const DriverPpdFeature& feature : ppd.features) {
        const BYTE id = DriverPublicItemId(feature.keyword);
        if (id != DMPUB_NONE && id != DMPUB_PRINTQUALITY) {
            AddFeature(feature, 2, id, SelectionOf(feature, installed), items);
        }
    }
    items->AddResource(2, kNameCopyCount, {}, 1, DMPUB_COPIES_COLLATE);
    items->AddResource(1, kNameGraphic, {}, 0);
    for (const DriverPpdFeature& feature : ppd.features) {
        if (DriverPublicItemId(feature.keyword) == DMPUB_PRINTQUALITY) {
            AddFeature(feature, 2, DMPUB_PRINTQUALITY, SelectionOf(feature, installed), items);
        }
    }
    if (ppd.colorDevice) {
        const LONG sel = options.colorSelection >= 0 ? options.colorSelection : kColorSelectionColor;
        items->AddResource(2, kNameColor, ColorItemOptionNames(), sel, DMPUB_COLOR, TVOT_2STATES);
    }
    items->AddResource(1, kNameDocumentOptions, {}, 0);
    items->AddResource(2, kNamePrinterFeatures, {}, 0);
    for (const DriverPpdFeature& feature : ppd.features) {
        if (DriverPublicItemId(feature.keyword) == DMPUB_NONE) {
            AddFeature(feature, 3, DMPUB_NONE, SelectionOf(feature, installed), items);
        }
    }
}

void BuildPrinterSheet(const DriverPpd& ppd, const SheetOptions& options, SheetItems* items) {
    const InstalledByFeature installed = IndexInstalled(options);
    items->AddResource(0, kNameDeviceSettings, {}, 0);
    items->AddResource(1, kNameFormToTray, {}, 0);
    const int slots = FindDriverPpdFeature(ppd, "*InputSlot");
    const int sizes = FindDriverPpdFeature(ppd, "*PageSize");
    if (slots >= 0) {
        const std::vector<std::u16string> sizeNames =
            sizes >= 0 ? ppd.features[static_cast<size_t>(sizes)].optionNames : std::vector<std::u16string>();
        for (const std::u16string& slot : ppd.features[static_cast<size_t>(slots)].optionNames) {
            items->AddNamed(2, slot, sizeNames, 0);
        }
    }
    // The substitution table's subtree is followed by an item of its own
    // level, which is where the plug-in ends the hidden run.
    items->AddResource(1, kNameFonts, {}, 0);
    items->AddResource(2, kNameFontSubstitution, {}, 0);
    for (const char* font : {"Sans Serif", "Serif", "Monospace"}) {
        items->AddNamed(3, Utf8ToUtf16(font), Texts({"Download as Soft Font", "Substitute Device Font"}), 1);
    }
    items->AddResource(2, kNameTrueTypeDownload, Texts({"Automatic", "Outline", "Bitmap"}), 0);
    items->AddResource(1, kNameInstallableOptions, {}, 0);
    for (const DriverPpdFeature& feature : ppd.features) {
        if (feature.group == "InstallableOptions") {
            AddFeature(feature, 2, DMPUB_NONE, SelectionOf(feature, installed), items);
        }
    }
    items->AddResource(1, kNamePostScriptOptions, {}, 0);
    items->AddResource(2, kNameOutputProtocol, Texts({"ASCII", "TBCP", "Binary"}), 0);
}
