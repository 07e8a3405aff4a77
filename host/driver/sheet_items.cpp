#include "host/driver/sheet_items.h"

#include <string.h>

#include "host/common/text.h"

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
    {kNameColor, "Color"},
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

}  // namespace

const char* DriverStringText(WORD id) {
    for (const DriverString& entry : kDriverStrings) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return nullptr;
}

size_t SheetItems::Add(BYTE level, LPWSTR name, std::unique_ptr<Entry> entry, LONG sel, BYTE dmPubId, BYTE optType) {
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
    e.type.Type = optType;
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
    return Add(level, text, std::move(entry), sel, dmPubId, TVOT_LISTBOX);
}

size_t SheetItems::AddResource(BYTE level, WORD nameId, const std::vector<std::u16string>& options, LONG sel,
                               BYTE dmPubId, BYTE optType) {
    std::unique_ptr<Entry> entry = std::make_unique<Entry>();
    entry->optionNames = options;
    return Add(level, reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(nameId)), std::move(entry), sel, dmPubId,
               optType);
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
