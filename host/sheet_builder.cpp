#include "host/sheet_builder.h"

#include <string.h>

#include "host/plugin_binary.h"

namespace {

struct DriverString {
    WORD id;
    const char* text;
};

const DriverString kDriverStrings[] = {
    {kNameInstallableOptions, "Installable Options"},
    {kNameDocumentRoot, "Advanced Document Settings"},
    {kNamePaperOutput, "Paper/Output"},
    {kNameCopyCount, "Copy Count"},
    {kNameGraphic, "Graphic"},
    {kNameDocumentOptions, "Document Options"},
    {kNamePrinterFeatures, "Printer Features"},
    {kNameDeviceSettings, "Device Settings"},
    {kNameFormToTray, "Form To Tray Assignment"},
    {kNameFonts, "Fonts"},
    {kNameTrueTypeDownload, "Download TrueType Fonts As"},
    {kNamePostScriptOptions, "PostScript Options"},
    {kNameOutputProtocol, "Output Protocol"},
    {kNameFontSubstitution, "Font Substitution Table"},
};

struct PublicFeature {
    const char* keyword;
    BYTE dmPubId;
};

const PublicFeature kPublicFeatures[] = {
    {"*PageSize", DMPUB_FORMNAME}, {"*InputSlot", DMPUB_DEFSOURCE},     {"*MediaType", DMPUB_MEDIATYPE},
    {"*Duplex", DMPUB_DUPLEX},     {"*Resolution", DMPUB_PRINTQUALITY}, {"*ColorModel", DMPUB_COLOR},
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

// The option an installable feature's item selects: the host's installed
// value where it has one, else the PPD default.
LONG SelectionOf(const DriverPpdFeature& feature, const SheetOptions& options) {
    std::string option = feature.defaultOption;
    for (const auto& installed : options.installed) {
        if (installed.first == WithoutStar(feature.keyword)) {
            option = installed.second;
        }
    }
    const int index = FindDriverPpdOption(feature, option);
    return index < 0 ? 0 : index;
}

void AddFeature(const DriverPpdFeature& feature, BYTE level, BYTE dmPubId, LONG sel, SheetItems* items) {
    items->AddNamed(level, feature.name, feature.optionNames, sel, dmPubId, feature.keyword);
}

}  // namespace

const char* DriverStringText(WORD id) {
    for (const DriverString& entry : kDriverStrings) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return nullptr;
}

size_t SheetItems::Add(BYTE level, LPWSTR name, std::unique_ptr<Entry> entry, LONG sel, BYTE dmPubId) {
    Entry& e = *entry;
    e.params.resize(e.optionNames.size());
    for (size_t i = 0; i < e.params.size(); ++i) {
        OPTPARAM& param = e.params[i];
        memset(&param, 0, sizeof(param));
        param.cbSize = sizeof(OPTPARAM);
        param.pData = reinterpret_cast<LPWSTR>(&e.optionNames[i][0]);
    }
    memset(&e.type, 0, sizeof(e.type));
    e.type.cbSize = sizeof(OPTTYPE);
    e.type.Type = TVOT_LISTBOX;
    e.type.Count = static_cast<WORD>(e.params.size());
    e.type.pOptParam = e.params.empty() ? nullptr : e.params.data();

    OPTITEM item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(OPTITEM);
    item.Level = level;
    item.pName = name;
    item.Sel = sel;
    item.pOptType = e.params.empty() ? nullptr : &e.type;
    item.DMPubID = dmPubId;
    entries.push_back(std::move(entry));
    items.push_back(item);
    return items.size() - 1;
}

size_t SheetItems::AddNamed(BYTE level, const std::u16string& name, const std::vector<std::u16string>& options,
                            LONG sel, BYTE dmPubId, const std::string& keyword) {
    std::unique_ptr<Entry> entry = std::make_unique<Entry>();
    entry->name = name;
    entry->keyword = keyword;
    entry->optionNames = options;
    // The name's buffer moves with the entry's heap block, not with the vector.
    LPWSTR text = reinterpret_cast<LPWSTR>(&entry->name[0]);
    return Add(level, text, std::move(entry), sel, dmPubId);
}

size_t SheetItems::AddResource(BYTE level, WORD nameId, const std::vector<std::u16string>& options, LONG sel,
                               BYTE dmPubId) {
    std::unique_ptr<Entry> entry = std::make_unique<Entry>();
    entry->optionNames = options;
    return Add(level, reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(nameId)), std::move(entry), sel, dmPubId);
}

void SheetItems::Move(size_t from, size_t to) {
    std::unique_ptr<Entry> entry = std::move(entries[from]);
    const OPTITEM item = items[from];
    entries.erase(entries.begin() + static_cast<long>(from));
    items.erase(items.begin() + static_cast<long>(from));
    entries.insert(entries.begin() + static_cast<long>(to), std::move(entry));
    items.insert(items.begin() + static_cast<long>(to), item);
}

std::string SheetItems::Name(size_t index) const {
    const ULONG_PTR name = reinterpret_cast<ULONG_PTR>(items[index].pName);
    if (name >= 0x10000) {
        return Utf16ToUtf8(items[index].pName);
    }
    const char* text = DriverStringText(static_cast<WORD>(name));
    return std::string(text != nullptr ? text : "?") + " [" + std::to_string(name) + "]";
}

int SheetItems::FindKeyword(const std::string& keyword) const {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i]->keyword == keyword) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int SheetItems::FindPublic(BYTE dmPubId) const {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].DMPubID == dmPubId) {
            return static_cast<int>(i);
        }
    }
    return -1;
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
    items->AddResource(0, kNameDocumentRoot, {}, 0);
    items->AddResource(1, kNamePaperOutput, {}, 0);
    for (const DriverPpdFeature& feature : ppd.features) {
        const BYTE id = DriverPublicItemId(feature.keyword);
        if (id != DMPUB_NONE && id != DMPUB_PRINTQUALITY && id != DMPUB_COLOR) {
            AddFeature(feature, 2, id, SelectionOf(feature, options), items);
        }
    }
    items->AddResource(2, kNameCopyCount, {}, 1, DMPUB_COPIES_COLLATE);
    items->AddResource(1, kNameGraphic, {}, 0);
    for (const DriverPpdFeature& feature : ppd.features) {
        const BYTE id = DriverPublicItemId(feature.keyword);
        if (id == DMPUB_PRINTQUALITY) {
            AddFeature(feature, 2, id, SelectionOf(feature, options), items);
        } else if (id == DMPUB_COLOR) {
            const LONG sel = options.colorSelection >= 0 ? options.colorSelection : SelectionOf(feature, options);
            AddFeature(feature, 2, id, sel, items);
        }
    }
    items->AddResource(1, kNameDocumentOptions, {}, 0);
    items->AddResource(2, kNamePrinterFeatures, {}, 0);
    for (const DriverPpdFeature& feature : ppd.features) {
        if (DriverPublicItemId(feature.keyword) == DMPUB_NONE) {
            AddFeature(feature, 3, DMPUB_NONE, SelectionOf(feature, options), items);
        }
    }
}

void BuildPrinterSheet(const DriverPpd& ppd, const SheetOptions& options, SheetItems* items) {
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
            AddFeature(feature, 2, DMPUB_NONE, SelectionOf(feature, options), items);
        }
    }
    items->AddResource(1, kNamePostScriptOptions, {}, 0);
    items->AddResource(2, kNameOutputProtocol, Texts({"ASCII", "TBCP", "Binary"}), 0);
}
